#include "support/LogFile.h"

#include "support/PathText.h"
#include "support/Platform.h"
#include "support/Save_Err.h"
#include "support/Save_Err_Testing.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;
using std::chrono::system_clock;

namespace {

std::mutex g_clockLock;
savelog_testing::Clock g_clock;

struct LogFileNames {
    std::string current = "Problem2.TXT";
    std::string previous = "Problem1.TXT";
    std::string oldest = "Problem0.TXT";
};

// A letter above the blank sends the line to a parallel family of files: Problem2.TXS for "S".
LogFileNames NamesFor(char fileLetter) {
    LogFileNames names;
    if (static_cast<unsigned char>(fileLetter) > ' ') {
        for (std::string* name : {&names.current, &names.previous, &names.oldest}) {
            name->back() = fileLetter;
        }
    }
    return names;
}

// The first file that ever overflowed is kept as the oldest; later overflows replace only the
// previous file. Failures skip the step, a size that cannot be measured means no rotation.
void Rotate(const std::string& folder, const LogFileNames& names, std::int64_t maxSize) {
    const fs::path current = FilePath(folder + names.current);
    const fs::path previous = FilePath(folder + names.previous);
    const fs::path oldest = FilePath(folder + names.oldest);
    std::error_code error;
    const auto size = fs::file_size(current, error);
    if (error || static_cast<std::int64_t>(size) <= maxSize) {
        return;
    }
    if (fs::exists(previous, error)) {
        if (fs::exists(oldest, error)) {
            fs::remove(previous, error);
        } else {
            fs::rename(previous, oldest, error);
        }
    }
    fs::rename(current, previous, error);
}

} // namespace

system_clock::time_point LogNow() {
    std::lock_guard<std::mutex> lock(g_clockLock);
    return g_clock ? g_clock() : system_clock::now();
}

void savelog_testing::SetClock(Clock clock) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_clock = std::move(clock);
}

std::string LogTimeStamp(system_clock::time_point dateTime, system_clock::time_point hundredths) {
    using namespace std::chrono;
    const auto second = floor<seconds>(dateTime);
    const auto millis = duration_cast<milliseconds>(dateTime - second).count();
    const std::tm local = platform::LocalTime(system_clock::to_time_t(second));
    char text[40];
    int length = std::snprintf(text, sizeof text, "%02d.%02d.%04d", local.tm_mday, local.tm_mon + 1,
                               local.tm_year + 1900);
    if (local.tm_hour != 0 || local.tm_min != 0 || local.tm_sec != 0 || millis != 0) {
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length),
                      " %02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    }
    const auto micros = duration_cast<microseconds>(hundredths - floor<seconds>(hundredths));
    const auto rounded = static_cast<std::int32_t>((micros.count() + 5000) / 10000);
    return std::string(text) + "-" + Dec2(rounded);
}

std::string EscapeLogText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code == '\r') {
            escaped += '|';
        } else if (code < ' ') {
            escaped += "{" + std::to_string(code) + "}";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void AppendLogFile(const LogTarget& target, std::string_view text) {
    if (text.empty()) {
        return;
    }
    const LogFileNames names = NamesFor(target.fileLetter);
    const auto dateTime = LogNow();
    const auto hundredths = LogNow();
    const std::string line =
        LogTimeStamp(dateTime, hundredths) + "  >" + EscapeLogText(text) + "<\r\n";
    const std::string path = target.folder + names.current;
    if (std::FILE* file = OpenFile(path, "ab")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
    if (target.rotate) {
        Rotate(target.folder, names, target.maxSize);
    }
}
