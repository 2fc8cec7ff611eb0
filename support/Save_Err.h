// Diagnostic log for field service, and the small number-formatting helpers the other
// subsystems use to build their own texts.
//
// The log is off unless a marker file switches it on ("DEBUG", "DEBUG1", "DEBUGSPS" in the
// settings folder, which is the program's own folder unless the program is installed, or
// "SAVE_ERR" in the working folder). Lines are appended, time-stamped, to Problem2.TXT in the
// settings folder, which rotates into Problem1.TXT and Problem0.TXT.
#pragma once

#include <cstdint>
#include <string>

// Start-up step: run once at program entry, before any window exists. argv0 is only a fallback
// for finding the program file when the platform cannot tell its path directly.
void LogStartup(const char* argv0 = nullptr);

// The start-up step for a program file at the given path: ProgramPath and ProgramDir report it
// from now on, and SettingsDir, where the markers, the log files and the settings file are
// looked for, is decided from its folder.
void LogStartupAt(const std::string& programPath);

// End step: run once at shutdown, after the window has closed and saved its settings.
// errorLocation identifies a fatal error that nothing handled (0 after a normal end); a fatal
// end switches the log on even when no marker asked for it, so that the end line is never lost.
void LogShutdown(int exitCode, bool fatal = false, std::uint32_t errorLocation = 0);

// Makes an exception that nothing caught end the program through the end step: the log records
// the exception's message and the end line "RT 3 at FFFFFF" (no code address is known for such
// an error), even when no marker switched logging on, and the process exits with code 3.
void InstallFatalErrorHook();
inline constexpr int kFatalExitCode = 3;
inline constexpr std::uint32_t kFatalErrorLocation = 0xFFFFFF;

// Writes one line. fileLetter 0 means the normal files; a letter above the blank sends this one
// line to a parallel family of files whose names end in that letter.
void WriteLog(const std::string& text, char fileLetter = 0);
// True when a line given to WriteLog would go anywhere; lines written for every block of a
// transfer are put together only then.
bool LogWanted();

// The debug level word from the "DEBUG" marker, fixed by the start-up step.
bool DebugOn();
bool DebugBit(std::int32_t mask);

// Folder of the running program file, always ending in the path separator.
const std::string& ProgramDir();

// Folder of the settings file, the marker files and the log files, always ending in the path
// separator: ProgramDir for a portable copy, the user's Quorvel configuration folder for an
// installed program (support/SettingsFolder.h). Fixed by the start-up step.
const std::string& SettingsDir();

// Full path of the running program file.
std::string ProgramPath();

// Folding of repeated identical lines; on until the main window switches it off.
bool SuppressRepeats();
void SetSuppressRepeats(bool on);

// Formatting helpers. DecStr and Dec2 keep every digit (a negative ten-digit number takes 11
// characters); the hexadecimal helpers show the low 8, 16 or 24 bits in upper case; BoolText
// gives "TRUE " or "FALSE", both five characters.
std::string DecStr(std::int32_t value);
std::string Dec2(std::int32_t value);
std::string Hex2(std::uint32_t value);
std::string Hex4(std::uint32_t value);
std::string Hex6(std::uint32_t value);
std::string BoolText(bool value);
