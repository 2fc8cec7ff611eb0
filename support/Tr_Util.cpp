// Placeholder until the settings helpers are written.
#include "support/Tr_Util.h"
#include <chrono>
bool IniBool(bool v, IniStoreRef&, bool, const std::string&, const std::string&, const std::string&, bool, bool) { return v; }
std::int32_t IniInteger(std::int32_t v, IniStoreRef&, bool, const std::string&, const std::string&, const std::string&, bool, bool) { return v; }
std::string IniString(const std::string& v, IniStoreRef&, bool, const std::string&, const std::string&, const std::string&, bool, bool) { return v; }
std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count()); }
std::uint32_t TickDiff(std::uint32_t start) { return (GetTickCount() - start) & 0x7FFFFFFFu; }
