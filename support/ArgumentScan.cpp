#include "support/ArgumentScan.h"

#include "support/IntText.h"

#include <algorithm>

bool ParsedArgs::Has(const std::string& name) const {
    return std::any_of(given_.begin(), given_.end(),
                       [&](const auto& entry) { return entry.first == name; });
}

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
    std::optional<std::string> last;
    for (const auto& [key, value] : given_) {
        if (key == name) {
            last = value;
        }
    }
    return last;
}

std::vector<std::string> ParsedArgs::Values(const std::string& name) const {
    std::vector<std::string> all;
    for (const auto& [key, value] : given_) {
        if (key == name) {
            all.push_back(value);
        }
    }
    return all;
}

void ParsedArgs::Add(std::string name, std::string value) {
    given_.emplace_back(std::move(name), std::move(value));
}

namespace {

const OptionDef* FindLong(const std::vector<OptionDef>& known, const std::string& name) {
    for (const auto& definition : known) {
        if (definition.name == name) {
            return &definition;
        }
    }
    return nullptr;
}

const OptionDef* FindShort(const std::vector<OptionDef>& known, char letter) {
    for (const auto& definition : known) {
        if (definition.shortName != '\0' && definition.shortName == letter) {
            return &definition;
        }
    }
    return nullptr;
}

} // namespace

ParsedArgs ScanArguments(const std::vector<std::string>& args,
                         const std::vector<OptionDef>& known) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const OptionDef* definition = nullptr;
        std::optional<std::string> inlineValue;
        if (arg[1] == '-') {
            const auto equals = arg.find('=');
            definition = FindLong(
                known, arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2));
            if (equals != std::string::npos) {
                inlineValue = arg.substr(equals + 1);
            }
        } else if (arg.size() == 2) {
            definition = FindShort(known, arg[1]);
        }
        if (definition == nullptr) {
            throw UsageError("unknown option " + arg);
        }
        if (!definition->takesValue) {
            if (inlineValue) {
                throw UsageError("option --" + definition->name + " takes no value");
            }
            parsed.Add(definition->name, "");
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                throw UsageError("option --" + definition->name + " needs a value");
            }
            inlineValue = args[++i];
        }
        parsed.Add(definition->name, *inlineValue);
    }
    return parsed;
}

unsigned long ParseNumber(const std::string& text, unsigned long min, unsigned long max,
                          const std::string& what) {
    const auto fail = [&]() -> UsageError {
        return UsageError(what + " must be a number from " + std::to_string(min) + " to " +
                          std::to_string(max) + ", not \"" + text + "\"");
    };
    const std::optional<std::int64_t> value =
        ParseInteger(text, {}, static_cast<std::int64_t>(min), static_cast<std::int64_t>(max));
    if (!value) {
        throw fail();
    }
    return static_cast<unsigned long>(*value);
}
