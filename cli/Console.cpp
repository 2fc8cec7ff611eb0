#include "cli/Console.h"

#include <algorithm>
#include <istream>
#include <ostream>

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
