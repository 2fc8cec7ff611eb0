#include "cli/Console.h"

#include "app/actions/MessageText.h"

#include <istream>
#include <ostream>

bool AskYesNo(CliIo& io, const std::string& question) {
    io.err << WithLineBreaks(question) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(io.in, answer)) {
        io.err << "\n";
        return false;
    }
    const auto first = answer.find_first_not_of(" \t");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
}
