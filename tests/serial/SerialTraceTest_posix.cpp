// The serial line's lines in the diagnostic log: opening and closing from debug level 1 on, the
// byte trace with bit 8, and the exact texts a field technician searches the log for.
#include "serial/zivud232.h"
#include "support/PathText.h"
#include "support/Save_Err.h"
#include "support/Save_Err_Testing.h"
#include "tests/kit/ScriptedSerialDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using testing::ElementsAre;

namespace {

namespace fs = std::filesystem;

class SerialTrace : public testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("QUORVEL_COM3");
        fs::create_directories(Folder);
    }
    void TearDown() override {
        savelog_testing::Reset();
        fs::remove_all(Folder);
    }

    // Starts the log as a program in Folder would with a DEBUG marker holding level.
    void StartLog(int level) {
        std::ofstream(Folder / "DEBUG") << level << "\r\n";
        LogStartupAt(PathText(Folder / "quorvel"));
        SetSuppressRepeats(false);
    }

    // The texts of the lines logged after the start line, without their time stamps.
    std::vector<std::string> Logged() const {
        std::ifstream file(Folder / "Problem2.TXT", std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        std::vector<std::string> texts;
        bool started = false;
        std::string line;
        while (std::getline(content, line)) {
            const auto open = line.find("  >");
            const auto close = line.rfind("<\r");
            if (open == std::string::npos || close == std::string::npos)
                continue;
            std::string text = line.substr(open + 3, close - open - 3);
            if (started)
                texts.push_back(text);
            started = started || text.rfind("[Neustart", 0) == 0;
        }
        return texts;
    }

    const fs::path Folder =
        fs::temp_directory_path() / ("quorvel-serial-trace-" + std::to_string(::getpid()));
    std::shared_ptr<DeviceJournal> Journal = std::make_shared<DeviceJournal>();
    TPivotobject Port{std::make_unique<ScriptedSerialDevice>(Journal)};
};

TEST_F(SerialTrace, Bit8TracesOpeningEveryByteAndClosing) {
    StartLog(8);
    std::string data;
    ASSERT_TRUE(Port.OpenPort(3, 115200, 'n'));
    Port.SendPacket(std::string("\0\1rq\0", 5));
    Journal->line = "ok";
    Port.ReceivePacket(516, 1000, 50, data);
    Port.ClosePort();
    Port.SendPacket("unsent");
    Port.ReceivePacket(516, 1000, 50, data);
    EXPECT_THAT(Logged(), ElementsAre("+ReOpenPort", "Com=3: TRUE   Baud=115200", " OpenPort",
                                      "  RS+:{0}{1}rq{0}", "  RS-:ok", "CLOSE COM3",
                                      // A closed port still reports its empty receive.
                                      "  RS-:"));
}

TEST_F(SerialTrace, ReopeningLogsTheCloseOfTheOldPortEvenWhenTheNewOpenFails) {
    StartLog(8);
    ASSERT_TRUE(Port.OpenPort(3, 115200, 'n'));
    Journal->openSucceeds = false;
    EXPECT_FALSE(Port.OpenPort(4, 110, 'n'));
    EXPECT_THAT(Logged(),
                ElementsAre("+ReOpenPort", "Com=3: TRUE   Baud=115200", " OpenPort", "+ReOpenPort",
                            "CLOSE COM3", "Com=4: FALSE  Baud=9600", " OpenPort"));
}

TEST_F(SerialTrace, AnyLevelLogsOpenAndCloseButNotTheBytes) {
    StartLog(1);
    std::string data;
    EXPECT_FALSE(Port.OpenPort(0, 115200, 'n'));
    ASSERT_TRUE(Port.OpenPort(3, 115200, 'n'));
    Port.SendPacket("abc");
    Port.ReceivePacket(516, 1000, 50, data);
    Port.ClosePort();
    EXPECT_THAT(Logged(), ElementsAre("Com=0: FALSE  Baud=115200", "Com=3: TRUE   Baud=115200",
                                      "CLOSE COM3"));
}

TEST_F(SerialTrace, AFailureWhileOpeningIsLoggedAndSwallowed) {
    StartLog(1);
    Journal->configureThrows = true;
    EXPECT_TRUE(Port.OpenPort(3, 115200, 'n')) << "the device did open";
    EXPECT_EQ(Port.PortNumber(), 3);
    EXPECT_THAT(Logged(), ElementsAre("OpenPort: Exception line settings rejected"));
}

#ifndef _WIN32
TEST_F(SerialTrace, APortThatDoesNotOpenIsExplained) {
    StartLog(1);
    ::setenv("QUORVEL_COM8", "/nonexistent/quorvel-tty", 1);
    TPivotobject port;
    EXPECT_FALSE(port.OpenPort(8, 115200, 'n'));
    ::unsetenv("QUORVEL_COM8");
    EXPECT_THAT(Logged(), ElementsAre("open /nonexistent/quorvel-tty: No such file or directory",
                                      "Com=8: FALSE  Baud=115200"));
}
#endif

} // namespace
