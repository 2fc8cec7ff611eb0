// Every log test gets its own program, working and data folder and a clock it sets.
#pragma once

#include "support/LogFile.h"
#include "support/PathText.h"
#include "support/Save_Err.h"
#include "support/Save_Err_Testing.h"
#include "tests/kit/TempFolder.h"
#include "tests/kit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

using namespace std::chrono_literals;
using std::chrono::system_clock;
using Texts_t = std::vector<std::string>;

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        savelog_testing::Reset();
        UseTimeZone("UTC0");
        SetEnv("XDG_DATA_HOME", temp_ / "xdg");
        std::filesystem::create_directories(FilePath(programDir_));
        std::filesystem::create_directories(FilePath(workDir_));
        savedWorkDir_ = std::filesystem::current_path();
        std::filesystem::current_path(FilePath(workDir_));
        savelog_testing::SetClock([this] {
            std::lock_guard<std::mutex> lock(clockLock_);
            return std::exchange(now_, now_ + step_);
        });
    }
    void TearDown() override {
        savelog_testing::Reset();
        std::filesystem::current_path(savedWorkDir_);
    }

    // 07.12.2026 13:05:12.250 UTC plus offset.
    static system_clock::time_point At(system_clock::duration offset = {}) {
        using namespace std::chrono;
        return sys_days{year{2026} / 12 / 7} + 13h + 5min + 12s + 250ms + offset;
    }
    // Each reading of the clock advances it by step.
    void SetNow(system_clock::time_point now, system_clock::duration step = {}) {
        std::lock_guard<std::mutex> lock(clockLock_);
        now_ = now;
        step_ = step;
    }

    void Marker(const std::string& name, const std::string& content = "") {
        WriteFile(programDir_ + name, content);
    }
    void SaveErrInWorkingFolder() { WriteFile(workDir_ + "SAVE_ERR", ""); }
    void Start() { LogStartupAt(programDir_ + "quorvel"); }
    std::string LogFile(const std::string& name = "Problem2.TXT") const {
        return programDir_ + name;
    }

    // The texts between ">" and "<" of every line of a log file.
    Texts_t Texts(const std::string& name = "Problem2.TXT") const {
        Texts_t texts;
        const std::string content = ReadFile(LogFile(name));
        std::size_t pos = 0;
        while ((pos = content.find("  >", pos)) != std::string::npos) {
            const auto end = content.find("<\r\n", pos);
            texts.push_back(content.substr(pos + 3, end - pos - 3));
            pos = end + 3;
        }
        return texts;
    }

    TempFolder temp_;
    const std::string programDir_ = temp_ / "prog/";
    const std::string workDir_ = temp_ / "work/";

private:
    std::filesystem::path savedWorkDir_;
    std::mutex clockLock_;
    system_clock::time_point now_ = At();
    system_clock::duration step_{};
};
