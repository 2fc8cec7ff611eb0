#include "tests/kit/TestEnvironment.h"

#include <cstdlib>
#include <ctime>

void SetEnv(const std::string& name, const std::string& value) {
    // Windows cannot hold an empty variable: an empty value removes it.
    ::_putenv_s(name.c_str(), value.c_str());
}

void UnsetEnv(const std::string& name) {
    ::_putenv_s(name.c_str(), "");
}

void UseTimeZone(const std::string& tz) {
    SetEnv("TZ", tz);
    ::_tzset();
}
