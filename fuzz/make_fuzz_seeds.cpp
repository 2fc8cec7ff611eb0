// Writes the seed corpora of the fuzz targets into the folder given as the only argument, one
// folder per target: typical exchanges, settings files and command lines, and their edge cases.
// The seeds are kept in the repository; run this again when an input format changes.
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzedExchange.h"
#include "tftp/IdTrivialFTPBase.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

namespace {

class SeedWriter {
public:
    SeedWriter(const fs::path& root, const std::string& target) : Folder(root / target) {
        fs::create_directories(Folder);
    }
    // Settings bytes, then the parts.
    void Seed(const std::string& name, const std::string& settings,
              const std::vector<std::string>& parts) const {
        std::ofstream(Folder / name, std::ios::binary | std::ios::trunc)
            << settings << JoinParts(parts);
    }

private:
    fs::path Folder;
};

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) {
        bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

// Data of n bytes that never holds the part separator.
std::string Text(std::size_t n, char first = 'a') {
    std::string text(n, first);
    for (std::size_t i = 0; i < n; ++i) {
        text[i] = static_cast<char>(static_cast<std::size_t>(first) + i % 26);
    }
    return text;
}

std::string Data(std::uint16_t block, std::size_t n) {
    return BuildDataPacket(block, Text(n, static_cast<char>('a' + block % 3)));
}

std::string BlockSize(const std::string& value, const std::string& name = "blksize") {
    return BuildOptionAckPacket({{name, value}});
}

void PacketSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_tftp_packets");
    out.Seed("rrq", "", {BuildRequestPacket(TFTP_RRQ, "plog.zel", "octet", {{"blksize", "512"}})});
    out.Seed("wrq", "",
             {BuildRequestPacket(TFTP_WRQ, "R7.pfo", "netascii", {{"blksize", "1428"}})});
    out.Seed("data", "", {Data(1, 40)});
    out.Seed("ack-65535", "", {BuildAckPacket(65535)});
    out.Seed("error-1", "", {BuildErrorPacket(1, "File not found")});
    out.Seed("error-0", "", {BuildErrorPacket(0, "Disk error")});
    out.Seed("error-9-bare", "", {EncodeWord(TFTP_ERROR) + EncodeWord(9)});
    out.Seed("oack", "", {BlockSize("1024", "BLKSIZE")});
    out.Seed("oack-two", "", {BuildOptionAckPacket({{"tsize", "0"}, {"blksize", "0512"}})});
    out.Seed("oack-cut", "", {EncodeWord(TFTP_OACK) + "blksize" + Bytes({0}) + "65465"});
}

// Settings: store limit; then the exchange's four bytes (FuzzedExchange.h).
void DownloadSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_download");
    const std::string network = Bytes({0, 2, 0, 9, 30});
    out.Seed("two-blocks", network, {Data(1, 512), Data(2, 488)});
    out.Seed("empty-file", network, {Data(1, 0)});
    out.Seed("small-blocks", network,
             {BlockSize("8"), Data(1, 8), Data(2, 8), Data(2, 8), "", Data(3, 3)});
    out.Seed("error", network, {BuildErrorPacket(1, "File not found")});
    out.Seed("ack-instead", network, {BlockSize("16"), BuildAckPacket(1)});
    out.Seed("gap-in-blocks", network, {BlockSize("8"), Data(1, 8), Data(3, 8)});
    out.Seed("full-disk", Bytes({1, 0, 1, 9, 30}), {BlockSize("16"), Data(1, 16), Data(2, 16)});
    out.Seed("cancel", Bytes({0, 0x22, 0, 9, 30}), {"", Data(1, 512), Data(2, 4)});
    const std::string serial = Bytes({0, 3, 0, 9, 30});
    out.Seed("serial", serial, {BlockSize("16"), Data(1, 16), "", Data(2, 5)});
    out.Seed("serial-cut", serial,
             {BlockSize("16"), Data(1, 16), Data(2, 2) + std::string(kShortPauseMark) + "xyzw"});
}

// Settings: file size (two bytes), retries; then the exchange's four bytes.
void UploadSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_upload");
    out.Seed("whole-blocks", Bytes({0xFF, 3, 3, 2, 0, 9, 30}),
             {BuildAckPacket(0), BuildAckPacket(1), BuildAckPacket(2), BuildAckPacket(3)});
    out.Seed("oack", Bytes({0xDB, 5, 3, 2, 0, 9, 30}),
             {BlockSize("1024"), BuildAckPacket(1), BuildAckPacket(2)});
    out.Seed("repeats-and-silence", Bytes({19, 0, 3, 2, 0, 9, 30}),
             {BlockSize("8"), BuildAckPacket(1), BuildAckPacket(1), "", "", BuildAckPacket(2),
              BuildAckPacket(3)});
    out.Seed("error", Bytes({99, 0, 3, 2, 0, 9, 30}), {BuildErrorPacket(2, "Access violation")});
    out.Seed("serial", Bytes({19, 0, 3, 1, 0, 9, 30}),
             {BlockSize("8"), BuildAckPacket(1), BuildAckPacket(2), "ab"});
}

// Settings: limit, first-byte wait, gap, through the transport; then the line.
void FramingSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_serial_framing");
    const std::string pause = Bytes({0xFF, 40});
    const std::string second = Bytes({0xFF, 0xBF});
    out.Seed("bursts", Bytes({4, 0, 10, 0}), {Data(1, 16) + pause + BuildAckPacket(1) + second});
    out.Seed("limit", Bytes({2, 1, 5, 0}), {Text(40) + Bytes({0xFF, 0xFF, 0xFF, 6}) + "z"});
    out.Seed("transport", Bytes({4, 0, 10, 1}),
             {BlockSize("8") + pause + Data(1, 8) + Bytes({0xFF, 9}) + "tail" + second});
}

void SettingsSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_settings");
    const std::string param = "[Param]\r\nTop=100\r\nLeft=100\r\nconnection=1\r\nhost=192.168.1.10"
                              "\r\nPort=2\r\nDir=C:\\data\r\nDirFW=\r\nTimeout=4\r\np=\r\n\r\n";
    out.Seed("window", "", {param});
    out.Seed("tables", "",
             {"; kept\r\n[zel-codes]\r\n1=Power on\r\n;comment\r\n  17 = Reset  \r\nbare line\r\n"
              "\r\n[zel-select]\r\n61=Watchdog;reset\r\n[ComPorts]\nCOM5=/dev/ttyUSB0\ncom 7 = x\n"
              "COM0=/dev/null\n"});
    out.Seed("bom-lf", "", {"\xEF\xBB\xBF[Param]\nTOP=50\n[param]\nLeft=5"});
    out.Seed("write", "", {param, "Param", "Dir", "/home/tech/data"});
    out.Seed("write-new", "", {"[a]\r\nx=1\r\n\r\n;next\r\n[b]\r\n", "a", "y", "2"});
}

void OptionSeeds(const fs::path& root) {
    const SeedWriter out(root, "fuzz_options");
    out.Seed("window", "", {"-ex", "-p:5000", "-t:7", "-f:25"});
    out.Seed("window-numbers", "", {"-p:$1F", "-t: 0x10", "-f:-3", "-ex-p:70", "-p5000", "-t:x"});
    out.Seed("cli-host", "", {"get", "plog.zel", "--host", "127.0.0.1", "--port=6969", "--yes"});
    out.Seed("fleet-list", "",
             {"# north", "10.0.0.5 Mast \"1\";Nord", "mast-2.local:6970  Süd/2 ", "",
              "10.0.0.7:70 # no name", "COM3 con"});
    out.Seed("cli-com", "",
             {"put", "f.bin", "--com", "3", "--gap=20", "--timeout", "16", "--blksize", "1428"});
    out.Seed("cli-end", "", {"convert", "--", "--yes", "-h", "--quiet"});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds FOLDER\n";
        return 2;
    }
    const fs::path root = argv[1];
    PacketSeeds(root);
    DownloadSeeds(root);
    UploadSeeds(root);
    FramingSeeds(root);
    SettingsSeeds(root);
    OptionSeeds(root);
    return 0;
}
