#include "cli/Console.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <memory>
#include <ostream>
#include <typeinfo>

#if defined(__GNUC__) || defined(__clang__)
#include <cxxabi.h>
#endif

std::string MessageLines(const std::string& text) {
    std::string lines = text;
    std::replace(lines.begin(), lines.end(), '\r', '\n');
    return lines;
}

bool AskYesNo(CliIo& io, const std::string& question) {
    io.err << MessageLines(question) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(io.in, answer)) {
        io.err << "\n";
        return false;
    }
    const auto first = answer.find_first_not_of(" \t");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
}

std::string ClassNameOf(const std::exception& error) {
    const char* raw = typeid(error).name();
#if defined(__GNUC__) || defined(__clang__)
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(raw, nullptr, nullptr, &status), std::free);
    return status == 0 && demangled ? demangled.get() : raw;
#else
    // MSVC names read "class EIdTFTPException".
    std::string name = raw;
    for (const std::string prefix : {"class ", "struct "}) {
        if (name.rfind(prefix, 0) == 0) {
            return name.substr(prefix.size());
        }
    }
    return name;
#endif
}
