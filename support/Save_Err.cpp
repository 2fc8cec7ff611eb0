// The diagnostic log: start-up and end steps, the debug level and its flags, and WriteLog with
// the folding of repeated lines. The lines themselves are formatted and stored by LogFile.
#include "support/Save_Err.h"

#include "support/FileNames.h"
#include "support/LogFile.h"
#include "support/LogSetup.h"
#include "support/PathText.h"
#include "support/Platform.h"
#include "support/Save_Err_Testing.h"
#include "support/SettingsFolder.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <mutex>
#include <system_error>

using std::chrono::system_clock;

namespace {

constexpr std::int64_t kBaseLogSize = 40000;
constexpr std::chrono::seconds kRepeatWindow{240};

// The flags are set only by the start-up and end steps and read by every caller without the
// lock, so WriteLog costs two loads while the log is off.
std::atomic<bool> g_loggingOn{false};
std::atomic<bool> g_debuggerOutput{false};
std::atomic<bool> g_suppressRepeats{true};
std::atomic<std::int32_t> g_dbgFlag{0};

// Where lines go and the repeat bookkeeping; guarded by g_lock, which also keeps the appends of
// concurrent callers apart.
struct LogState {
    LogTarget target;
    std::string lastLine;
    std::uint32_t repeatCount = 0;
    system_clock::time_point lastNewLine{};
};
std::mutex g_lock;
LogState g_state;

// The program file, fixed by the start-up step before other threads run.
std::string g_argv0;
std::string g_programPath;
std::string g_programDir;
// Where the markers and the log files are: the program's folder, or the user's configuration
// folder for an installed program.
std::string g_settingsDir;

std::string Absolute(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(FilePath(path), error);
    return error ? path : PathText(absolute);
}

std::string DetectProgramPath() {
    const std::string path = platform::ExecutablePath();
    if (!path.empty()) {
        return path;
    }
    return Absolute(g_argv0.empty() ? "quorvel" : g_argv0);
}

// The debug level keeps the magnitude of a negative value; the most negative one has none in
// 32 bits and takes the largest.
std::int32_t Magnitude(std::int32_t level) {
    if (level == INT32_MIN) {
        return INT32_MAX;
    }
    return level < 0 ? -level : level;
}

// The settings folder of the program, created when it is the user's own configuration folder,
// which may not exist yet on a first start; a failure shows later as settings not saved.
std::string OpenSettingsFolder(const std::string& programDir) {
    std::string folder = SettingsFolderFor(programDir);
    if (folder != programDir) {
        std::error_code error;
        std::filesystem::create_directories(FilePath(folder), error);
    }
    return folder;
}

void SetPhase(bool startOrEnd) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_state.target.rotate = !startOrEnd;
}

// Repeat folding: a line equal to the last one within 240 s of its first occurrence only counts;
// the count is reported as a summary line before the next line that is written. A clock that
// went back does not hold lines back: the line then counts as new.
void FoldAndAppend(const std::string& text, char fileLetter) {
    LogState& state = g_state;
    LogTarget target = state.target;
    target.fileLetter = fileLetter;
    if (fileLetter != 0) {
        state.lastLine.clear();
    }
    const bool suppress = g_suppressRepeats.load();
    const auto now = LogNow();
    if (suppress && text == state.lastLine) {
        const auto age = now - state.lastNewLine;
        if (age >= system_clock::duration::zero() && age <= kRepeatWindow) {
            ++state.repeatCount;
        } else {
            state.lastLine.clear();
        }
    }
    if (!suppress || text != state.lastLine) {
        if (state.repeatCount > 0) {
            const auto count =
                static_cast<std::int32_t>(std::min<std::uint32_t>(state.repeatCount, INT32_MAX));
            AppendLogFile(target, "[" + DecStr(count) + "* Wiederholung]");
        }
        state.repeatCount = 0;
        state.lastNewLine = now;
    }
    state.lastLine = text;
    if (state.repeatCount == 0) {
        AppendLogFile(target, text);
    }
}

void StartupFor(const std::string& programPath) {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_state = LogState{};
        g_state.target.rotate = false;
    }
    g_programPath = Absolute(programPath);
    g_programDir = FolderPart(g_programPath);
    CreateDataFolder(g_programDir, g_programPath);
    g_settingsDir = OpenSettingsFolder(g_programDir);

    const bool flagsLocked = MarkerExists(g_settingsDir + "DEBUG1");
    const bool spsMarker = MarkerExists(g_settingsDir + "DEBUGSPS");
    const std::int32_t level = ReadDebugLevel(g_settingsDir + "DEBUG");
    const std::int32_t dbgFlag = Magnitude(level);
    const bool debugger = level >= 1024;
    const bool traced = dbgFlag != 0 || flagsLocked || spsMarker;
    const bool logging = !debugger && (traced || MarkerExists("SAVE_ERR"));
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_state.target.folder = g_settingsDir;
        g_state.target.maxSize = traced ? 2 * kBaseLogSize : kBaseLogSize;
    }
    g_suppressRepeats = true;
    g_dbgFlag = dbgFlag;
    g_debuggerOutput = debugger;
    g_loggingOn = logging;
    if (logging) {
        WriteLog(" ");
        WriteLog("[Neustart Delphi-32 PC-Programm , DbgFlag=$" +
                 Hex2(static_cast<std::uint32_t>(dbgFlag)) + "]");
    }
    SetPhase(false);
}

// The end step; a fatal end also records why the program died, before the end line.
void EndStep(int exitCode, bool fatal, std::uint32_t errorLocation, const std::string& reason) {
    SetPhase(true);
    if (fatal) {
        std::lock_guard<std::mutex> lock(g_lock);
        if (g_state.target.folder.empty()) {
            g_state.target.folder = SettingsDir();
            g_state.target.maxSize = kBaseLogSize;
        }
        g_loggingOn = true;
    }
    if (!reason.empty()) {
        WriteLog(reason);
    }
    WriteLog("[Ende PC-Programm , (Dbg=" + DecStr(g_dbgFlag) + "), RT " + DecStr(exitCode) +
             " at " + Hex6(errorLocation) + "]");
    std::lock_guard<std::mutex> lock(g_lock);
    g_loggingOn = false;
    g_debuggerOutput = false;
    g_state = LogState{};
}

std::string DescribeCurrentException() {
    const std::exception_ptr current = std::current_exception();
    if (!current) {
        return "Fatal error: terminate called without an active exception";
    }
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        return std::string("Fatal error: unhandled exception: ") + e.what();
    } catch (...) {
        return "Fatal error: unhandled exception of unknown type";
    }
}

[[noreturn]] void OnUnhandledException() {
    static std::atomic<bool> entered{false};
    if (!entered.exchange(true)) {
        try {
            EndStep(kFatalExitCode, true, kFatalErrorLocation, DescribeCurrentException());
        } catch (...) {
            // Out of memory while dying: the exit code still tells.
        }
    }
    std::_Exit(kFatalExitCode);
}

} // namespace

void LogStartup(const char* argv0) {
    g_argv0 = argv0 != nullptr ? argv0 : "";
    StartupFor(DetectProgramPath());
}

void LogStartupAt(const std::string& programPath) {
    StartupFor(programPath);
}

void LogShutdown(int exitCode, bool fatal, std::uint32_t errorLocation) {
    EndStep(exitCode, fatal, errorLocation, {});
}

void InstallFatalErrorHook() {
    std::set_terminate(&OnUnhandledException);
}

void WriteLog(const std::string& text, char fileLetter) {
    try {
        if (g_debuggerOutput.load(std::memory_order_relaxed)) {
            platform::DebuggerOutput(text);
        }
        if (!g_loggingOn.load(std::memory_order_relaxed)) {
            return;
        }
        std::lock_guard<std::mutex> lock(g_lock);
        if (g_loggingOn) {
            FoldAndAppend(text, fileLetter);
        }
    } catch (...) {
        // The log never fails its caller; a line that cannot be written is lost.
    }
}

bool LogWanted() {
    return g_loggingOn.load(std::memory_order_relaxed) ||
           g_debuggerOutput.load(std::memory_order_relaxed);
}

bool DebugOn() {
    return g_dbgFlag.load(std::memory_order_relaxed) != 0;
}

bool DebugBit(std::int32_t mask) {
    return (mask & g_dbgFlag.load(std::memory_order_relaxed)) > 0;
}

const std::string& ProgramDir() {
    if (!g_programDir.empty()) {
        return g_programDir;
    }
    static const std::string detected = FolderPart(DetectProgramPath());
    return detected;
}

const std::string& SettingsDir() {
    if (!g_settingsDir.empty()) {
        return g_settingsDir;
    }
    static const std::string detected = SettingsFolderFor(ProgramDir());
    return detected;
}

std::string ProgramPath() {
    return g_programPath.empty() ? DetectProgramPath() : g_programPath;
}

bool SuppressRepeats() {
    return g_suppressRepeats;
}

void SetSuppressRepeats(bool on) {
    g_suppressRepeats = on;
}

void savelog_testing::Reset() {
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_state = LogState{};
    }
    g_loggingOn = false;
    g_debuggerOutput = false;
    g_suppressRepeats = true;
    g_dbgFlag = 0;
    g_argv0.clear();
    g_programPath.clear();
    g_programDir.clear();
    g_settingsDir.clear();
    SetClock({});
}
