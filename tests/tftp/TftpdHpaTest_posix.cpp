// The client against a real TFTP server: Debian's tftpd-hpa, started in the foreground on
// 127.0.0.1 at a free port with a temporary root. Files must arrive byte for byte, with and
// without the block-size option.
#include "support/PathText.h"
#include "tests/tftp/ClientTestSupport.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

extern char** environ;

namespace {

constexpr const char* ServerProgram = "/usr/sbin/in.tftpd";

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read);
}

// A free UDP port on 127.0.0.1 at the moment of asking.
std::int32_t FreePort() {
    LoopbackSocket probe;
    return probe.Port();
}

class TftpdHpa : public ::testing::Test {
protected:
    // refuseBlockSize: the server ignores the option, as servers without it do.
    void Start(bool refuseBlockSize = false) {
        ASSERT_EQ(::access(ServerProgram, X_OK), 0)
            << ServerProgram << " is missing: install the Debian package tftpd-hpa "
            << "(scripts/deps does)";
        char folder[] = "/tmp/quorvel-tftpd-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        Root = folder;
        // The server drops to user nobody, which must be able to create uploaded files.
        fs::permissions(Root, fs::perms::all);
        Port = FreePort();
        const std::string address = "127.0.0.1:" + std::to_string(Port);
        std::vector<std::string> args{ServerProgram, "-L", "-a",     address, "-s",
                                      "-c",          "-u", "nobody", "-p"};
        if (refuseBlockSize) {
            args.insert(args.end(), {"-r", "blksize"});
        }
        args.push_back(PathText(Root));
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        ASSERT_EQ(::posix_spawn(&Server, ServerProgram, nullptr, nullptr, argv.data(), environ), 0);
        WaitUntilServing();
    }

    void TearDown() override {
        if (Server > 0) {
            ::kill(Server, SIGTERM);
            ::waitpid(Server, nullptr, 0);
        }
        if (!Root.empty()) {
            fs::remove_all(Root);
        }
    }

    std::unique_ptr<TIdTrivialFTP> Client(std::int32_t blockSize) const {
        auto client = std::make_unique<TIdTrivialFTP>();
        client->Host = "127.0.0.1";
        client->Port = Port;
        client->ReceiveTimeout = 3000;
        client->RequestedBlockSize = blockSize;
        return client;
    }

    // Uploads and downloads each size; both copies must equal the original. agreedSize: the
    // block size the transfers must have used.
    void RoundTrips(std::int32_t blockSize, std::int32_t agreedSize,
                    const std::vector<std::size_t>& sizes) {
        auto client = Client(blockSize);
        for (const std::size_t size : sizes) {
            SCOPED_TRACE("size " + std::to_string(size));
            const std::string content = PatternBytes(size, static_cast<unsigned>(size));
            const std::string name = "file" + std::to_string(size);
            if (size > 0) {
                const fs::path local = Root / ("local-" + name);
                WriteFile(local, content);
                client->Upload(PathText(local), "up-" + name, 3);
                EXPECT_TRUE(ReadFile(Root / ("up-" + name)) == content) << "upload differs";
            }
            WriteFile(Root / ("down-" + name), content);
            const fs::path copy = Root / ("copy-" + name);
            client->Download("down-" + name, PathText(copy));
            EXPECT_TRUE(ReadFile(copy) == content) << "download differs";
            EXPECT_EQ(client->BufferSize(), agreedSize + 4);
        }
    }

    fs::path Root;
    std::int32_t Port = 0;
    pid_t Server = 0;

private:
    // Asks for a missing file until the server answers with an ERROR (at most about 5 s).
    void WaitUntilServing() const {
        LoopbackSocket probe;
        const TIdUDPAddress server{"127.0.0.1", static_cast<std::uint16_t>(Port)};
        for (int attempt = 0; attempt < 25; ++attempt) {
            probe.SendTo(server, ReadRequest("no-such-file"));
            if (probe.Receive(200)) {
                return;
            }
        }
        FAIL() << "in.tftpd does not answer on " << Port;
    }
};

} // namespace

TEST_F(TftpdHpa, FilesOfEverySizeBothWaysWithBlockSizeOption) {
    ASSERT_NO_FATAL_FAILURE(Start());
    RoundTrips(512, 512, {0, 1, 511, 512, 513, 256 * 1024 + 7});
    RoundTrips(1428, 1428, {0, 1, 1427, 1428, 1429, 256 * 1024 + 7});
}

TEST_F(TftpdHpa, FilesOfEverySizeBothWaysWithoutTheOption) {
    ASSERT_NO_FATAL_FAILURE(Start(true));
    RoundTrips(1428, 512, {0, 1, 511, 512, 513, 256 * 1024 + 7});
}

TEST_F(TftpdHpa, MissingFileIsReportedAsFileNotFound) {
    ASSERT_NO_FATAL_FAILURE(Start());
    auto client = Client(512);
    std::ostringstream stream;
    const std::string message =
        FailureOf<EIdTFTPFileNotFound>([&] { client->Download("absent.bin", stream); });
    EXPECT_FALSE(message.empty());
}
