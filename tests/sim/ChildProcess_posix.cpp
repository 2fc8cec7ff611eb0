#include "support/PathText.h"
#include "tests/sim/ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Only async-signal-safe calls after fork: the test process runs other threads.
[[noreturn]] void ExecChild(char* const* args, char* const* env, const char* in, const char* out,
                            const char* err, const char* workDir) {
    const int inFd = ::open(in, O_RDONLY);
    const int outFd = ::open(out, O_WRONLY | O_TRUNC);
    const int errFd = ::open(err, O_WRONLY | O_TRUNC);
    if (inFd < 0 || outFd < 0 || errFd < 0 || ::dup2(inFd, 0) < 0 || ::dup2(outFd, 1) < 0 ||
        ::dup2(errFd, 2) < 0 || ::chdir(workDir) != 0) {
        ::_exit(126);
    }
    ::execve(args[0], args, env);
    ::_exit(127);
}

// The test's environment with the given "NAME=value" entries added or replaced.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const std::string& e) { return e.rfind(name, 0) == 0; })) {
            result.push_back(text);
        }
    }
    result.insert(result.end(), entries.begin(), entries.end());
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& input,
                           const fs::path& workDir, const std::vector<std::string>& environment) {
    scratch_ =
        fs::temp_directory_path() / ("quorvel-child-" + std::to_string(std::random_device{}()));
    fs::create_directories(scratch_);
    std::ofstream(scratch_ / "in", std::ios::binary) << input;
    std::ofstream(scratch_ / "out");
    std::ofstream(scratch_ / "err");
    std::vector<std::string> argTexts = argv;
    std::vector<std::string> envTexts = EnvironmentWith(environment);
    const std::vector<char*> args = Pointers(argTexts);
    const std::vector<char*> env = Pointers(envTexts);
    const std::string in = PathText(scratch_ / "in");
    const std::string out = PathText(scratch_ / "out");
    const std::string err = PathText(scratch_ / "err");
    const std::string dir = PathText(workDir);
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        ExecChild(args.data(), env.data(), in.c_str(), out.c_str(), err.c_str(), dir.c_str());
    }
}

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
}

void ChildProcess::Signal(int signal) const {
    ::kill(pid_, signal);
}

int ChildProcess::Wait(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            reaped_ = true;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ChildProcess::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (Out().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string ChildProcess::Out() const {
    return ReadAll(scratch_ / "out");
}

std::string ChildProcess::Err() const {
    return ReadAll(scratch_ / "err");
}
