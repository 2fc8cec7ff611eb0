// Command-line scanning shared by the console programs: quorvel-cli, quorvel-sim and the fault
// soak.
//
// They take GNU-style long options ("--name value" or "--name=value") anywhere among
// their plain arguments; "--" ends the options, so that a file called "--yes" can still be named.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A mistake in how the program was called; the programs print it with a hint and exit with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct OptionDef {
    std::string name;      // without the leading "--"
    bool takesValue;       // "--host H" versus the flag "--yes"
    char shortName = '\0'; // optional one-letter alias, such as 'h' for "-h"
};

class ParsedArgs {
public:
    std::vector<std::string> positionals;

    bool Has(const std::string& name) const;
    // The value given last, when the option was given at all.
    std::optional<std::string> Value(const std::string& name) const;
    // Every value of an option that may be repeated, in the order given.
    std::vector<std::string> Values(const std::string& name) const;

    void Add(std::string name, std::string value);

private:
    std::vector<std::pair<std::string, std::string>> given_;
};

// Splits the arguments into options and plain arguments. Unknown options, a missing value and a
// value given to a flag are usage errors.
ParsedArgs ScanArguments(const std::vector<std::string>& args, const std::vector<OptionDef>& known);

// Reads a plain decimal number in [min, max]; anything else is a usage error naming `what`.
unsigned long ParseNumber(const std::string& text, unsigned long min, unsigned long max,
                          const std::string& what);
