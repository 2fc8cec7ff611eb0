#include "support/PathText.h"
#include "tools/soak/SoakSystem.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr std::size_t kNoteSize = 512;
char crashNote[kNoteSize] = {};
std::size_t crashNoteLength = 0;

std::uint64_t StatusValueKiB(const std::string& status, const std::string& key) {
    const std::size_t at = status.find(key + ":");
    return at == std::string::npos
               ? 0
               : std::strtoull(status.c_str() + at + key.size() + 1, nullptr, 10);
}

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previousActions[std::size(kCrashSignals)];

void OnCrash(int signal) {
    // Only what may be called in a signal handler: the note was made beforehand. Then whoever
    // handled the signal before (the default, or a sanitizer's report) gets it: a fault happens
    // again on return, and abort() raises its signal once more.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, crashNote, crashNoteLength);
    for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
        if (kCrashSignals[i] == signal) {
            ::sigaction(signal, &previousActions[i], nullptr);
        }
    }
}

void WatchCrashes() {
    static const bool watching = [] {
        struct sigaction action {};
        action.sa_handler = OnCrash;
        for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
            ::sigaction(kCrashSignals[i], &action, &previousActions[i]);
        }
        return true;
    }();
    (void)watching;
}

} // namespace

MemoryUse ProcessMemory() {
    std::ifstream file("/proc/self/status");
    std::ostringstream text;
    text << file.rdbuf();
    return {StatusValueKiB(text.str(), "VmHWM"), StatusValueKiB(text.str(), "VmRSS")};
}

void SetCrashNote(const std::string& line) {
    WatchCrashes();
    const std::string text = line.substr(0, kNoteSize - 1) + "\n";
    crashNoteLength = 0; // a crash while the note changes prints nothing rather than half a note
    std::memcpy(crashNote, text.data(), text.size());
    crashNoteLength = text.size();
}

void SetEnvironment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                         std::chrono::milliseconds limit) {
    const std::string outputPath = PathText(scratch / "program-output.txt");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(spawned));
    }
    ProgramResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            status = 0;
            result.killed = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!result.killed) {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::ifstream output(outputPath);
    std::ostringstream text;
    text << output.rdbuf();
    result.output = text.str();
    return result;
}
