#include "tests/kit/TestEnvironment.h"

#include <cstdlib>
#include <ctime>

void SetEnv(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
    ::unsetenv(name.c_str());
}

void UseTimeZone(const std::string& tz) {
    SetEnv("TZ", tz);
    ::tzset();
}
