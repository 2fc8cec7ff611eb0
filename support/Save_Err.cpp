// Placeholder until the diagnostic log is written.
#include "support/Save_Err.h"
void LogStartup(const char*) {}
void LogShutdown(int, bool, std::uint32_t) {}
void WriteLog(const std::string&, char) {}
bool DebugOn() { return false; }
bool DebugBit(std::int32_t) { return false; }
const std::string& ProgramDir() { static std::string d = "./"; return d; }
std::string ProgramPath() { return "./quorvel"; }
bool SuppressRepeats() { return true; }
void SetSuppressRepeats(bool) {}
std::string DecStr(std::int32_t v) { return std::to_string(v); }
std::string Dec2(std::int32_t v) { return v >= 0 && v < 10 ? "0" + std::to_string(v) : std::to_string(v); }
static std::string hex(std::uint32_t v, int n) { std::string s(n, '0'); for (int i = n - 1; i >= 0; --i, v >>= 4) s[i] = "0123456789ABCDEF"[v & 15]; return s; }
std::string Hex2(std::uint32_t v) { return hex(v, 2); }
std::string Hex4(std::uint32_t v) { return hex(v, 4); }
std::string Hex6(std::uint32_t v) { return hex(v, 6); }
std::string BoolText(bool v) { return v ? "TRUE " : "FALSE"; }
