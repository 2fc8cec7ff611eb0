// The real program, copied into a temporary folder and started on the offscreen platform, is
// asked to terminate; it must close its window like the close box does.
#include "support/PathText.h"
#include "tests/kit/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// Starts program in its own folder with the termination signal blocked, so that a signal sent
// at once stays pending until the program has installed its handler. The program's data folder
// is kept inside its own folder too.
pid_t Spawn(const fs::path& program) {
    const fs::path folder = program.parent_path();
    std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen",
                                         "XDG_DATA_HOME=" + PathText(folder)};
    for (char** variable = environ; *variable; ++variable) {
        const std::string text(*variable);
        if (!text.starts_with("QT_QPA_PLATFORM=") && !text.starts_with("XDG_DATA_HOME=")) {
            environment.push_back(text);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    std::string path = PathText(program);
    char* argv[] = {path.data(), nullptr};

    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &term, &previous);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) == 0) {
            execve(path.c_str(), argv, envp.data());
        }
        _exit(127);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return pid;
}

// Waits for the child's end; kills it after the deadline. Returns the wait status, or -1.
int WaitBounded(pid_t pid, std::chrono::seconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

TEST(EndToEnd, TerminationClosesTheWindowSavesTheSettingsAndEndsTheLog) {
    TempFolder folder;
    const fs::path program = folder.Path() / "quorvel";
    fs::copy_file(QUORVEL_BINARY, program);
    WriteFile(folder.Path() / "DEBUG", "8");

    const pid_t pid = Spawn(program);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const int status = WaitBounded(pid, std::chrono::seconds(45));
    ASSERT_NE(status, -1) << "the program did not end after SIGTERM";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> settings = Lines(ReadFile(folder.Path() / "quorvel.INI"));
    const std::vector<std::string> keys{"Top", "Left",  "connection", "host", "Port",
                                        "Dir", "DirFW", "Timeout",    "p"};
    ASSERT_EQ(settings.size(), keys.size() + 2);
    EXPECT_EQ(settings.front(), "[Param]");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(settings[i + 1].substr(0, settings[i + 1].find('=')), keys[i]);
    }
    EXPECT_EQ(settings[4], "host=192.168.0.100");
    EXPECT_EQ(settings[8], "Timeout=4");
    EXPECT_EQ(settings.back(), "");

    const std::vector<std::string> log = Lines(ReadFile(folder.Path() / "Problem2.TXT"));
    ASSERT_GE(log.size(), 3u);
    EXPECT_TRUE(log[0].ends_with(">"
                                 " "
                                 "<"))
        << "a line holding one blank: " << log[0];
    EXPECT_TRUE(log[1].ends_with("DbgFlag=$08]<")) << log[1];
    EXPECT_TRUE(log.back().ends_with(">[Ende PC-Programm , (Dbg=8), RT 0 at 000000]<"))
        << log.back();
}

} // namespace
