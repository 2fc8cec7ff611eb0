// A folder that lets the user change the files in it but not add any, as a locked-down share
// does: "Get file", "Read zel logger" and "only convert" cannot put a scratch file there, and
// write the chosen file in place instead. Run as an ordinary user, for whom the folder's
// permissions hold; the device answers from memory.
#include "app/FormFixture.h"
#include "kit/Bytes.h"
#include "kit/OrdinaryUser.h"
#include "logger/ConvertLoggerFile.h"
#include "logger/SampleLogger.h"
#include "tftp/IdTrivialFTP.h"
#include "tftp/MemoryPeer.h"

#include <iostream>

using enum Control;

namespace {

// A device that serves content in 512-byte blocks, or stays silent.
MemoryPeer Serving(const std::optional<std::string>& content) {
    return MemoryPeer([content](const std::string& packet) -> std::vector<std::string> {
        const std::uint16_t opcode = PacketOpcode(packet);
        if (!content || (opcode != TFTP_RRQ && opcode != TFTP_ACK)) {
            return {};
        }
        const std::size_t block = opcode == TFTP_RRQ ? 1 : PacketWord(packet) + 1u;
        if ((block - 1) * 512 > content->size()) {
            return {};
        }
        return {BuildDataPacket(static_cast<std::uint16_t>(block),
                                content->substr((block - 1) * 512, 512))};
    });
}

class LockedFolderTest : public FormTest {
protected:
    void SetUp() override {
        Start();
        fs::create_directory(shared);
        fs::permissions(shared, fs::perms(0777));
    }

    // A file of the share that everybody may change.
    fs::path SharedFile(const std::string& name, const std::string& content) const {
        WriteFile(shared / name, content);
        fs::permissions(shared / name, fs::perms(0666));
        return shared / name;
    }

    // Runs the action as an ordinary user with the share closed to new files; true when it ended
    // with the expected message (after the overwrite question).
    bool InLockedShare(const std::function<void()>& action, const std::string& expected) {
        fs::permissions(shared, fs::perms(0555));
        const int status = RunAsOrdinaryUser(shared.c_str(), [&] {
            action();
            if (!ui->messages.empty() && ui->messages.back().text == expected) {
                return 0;
            }
            std::cerr << "shown: " << (ui->messages.empty() ? "" : ui->messages.back().text)
                      << "\n";
            return 1;
        });
        fs::permissions(shared, fs::perms(0777));
        // The child used the answers and showed the message; the window here is as it was.
        ui->dialogAnswers.clear();
        ui->messageAnswers.clear();
        skipped = status == kNoOrdinaryUser;
        return status == 0;
    }

    std::vector<std::string> SharedNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(shared)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path shared = folder.Path() / "share";
    bool skipped = false;
};

#define SKIP_WITHOUT_ORDINARY_USER()                                                               \
    if (skipped)                                                                                   \
    GTEST_SKIP() << "no ordinary user can reach the temporary folder here"

TEST_F(LockedFolderTest, GetWritesTheFileInPlaceAndEmptiesItWhenTheTransferFails) {
    const fs::path target = SharedFile("cfg.bin", "older");
    MemoryPeer device = Serving(PatternBytes(1300));
    device.Attach(*form->Client);
    ui->dialogAnswers.push_back(target.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    const bool received = InLockedShare([this] { form->btnGetClick(); },
                                        "File \"" + target.string() + "\" successfull received");
    SKIP_WITHOUT_ORDINARY_USER();
    EXPECT_TRUE(received);
    EXPECT_EQ(ReadFile(target), PatternBytes(1300));

    MemoryPeer silent = Serving(std::nullopt);
    silent.Attach(*form->Client);
    ui->dialogAnswers.push_back(target.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    EXPECT_TRUE(InLockedShare([this] { form->btnGetClick(); }, "TFTP get file failed!\r\rTimeout"));
    // The folder lets nobody remove it: no cut-off copy remains that could pass for the file.
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_EQ(SharedNames(), std::vector<std::string>{"cfg.bin"});
}

TEST_F(LockedFolderTest, LoggerIsReceivedInMemoryAndConvertedInPlace) {
    const std::string zel = MakeSamplePlogZel(7);
    const fs::path csv = SharedFile("report.csv", "older");
    const fs::path expected = folder.Path() / "expected.csv";
    ASSERT_EQ(ConvertLoggerData(zel, expected.string(), false, form->LoggerTables()), "");

    MemoryPeer device = Serving(zel);
    device.Attach(*form->Client);
    ui->dialogAnswers.push_back(csv.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    const bool read = InLockedShare([this] { form->btnReadLoggerClick(); },
                                    "data of logger successfull received and converted to file \"" +
                                        csv.string() + "\"");
    SKIP_WITHOUT_ORDINARY_USER();
    EXPECT_TRUE(read);
    EXPECT_EQ(ReadFile(csv), ReadFile(expected));

    const fs::path local = SharedFile("plog.zel", zel);
    const fs::path converted = SharedFile("plog.CSV", "older");
    ui->dialogAnswers.push_back(local.string());
    ui->messageAnswers.push_back(MessageButton::Yes);
    EXPECT_TRUE(InLockedShare([this] { form->btnconvertLoggerClick(); },
                              "data of logger successfull received and converted to file \"" +
                                  converted.string() + "\""));
    EXPECT_EQ(ReadFile(converted), ReadFile(expected));
    EXPECT_EQ(SharedNames(), (std::vector<std::string>{"plog.CSV", "plog.zel", "report.csv"}));
}

} // namespace
