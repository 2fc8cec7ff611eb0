#include "app/CommandLine.h"

#include "app/Main.h"
#include "support/IntText.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

} // namespace

std::int32_t ConvertInteger(std::string_view text, std::int32_t fallback) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    const std::optional<std::int64_t> value = ParseInteger(
        text, {.sign = true, .hex = true, .bareX = true}, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max());
    return value ? static_cast<std::int32_t>(*value) : fallback;
}

void TForm1::ApplyParameters(const std::vector<std::string>& params) {
    for (std::size_t i = 1; i <= kExaminedParameters; ++i) {
        const std::string param = i < params.size() ? params[i] : std::string();
        const std::size_t colon = param.find(':');
        // At most 99 characters of the value are looked at.
        const std::string_view value = colon == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(param).substr(colon + 1, 99);
        if (Contains(param, "-ex")) {
            ReraiseErrors = true;
        }
        if (Contains(param, "-p") && colon != std::string::npos) {
            TargetPort = ConvertInteger(value, TargetPort);
            ui_.SetText(Control::LblPort, "(target port=" + std::to_string(TargetPort) + ")");
        }
        if (Contains(param, "-t") && colon != std::string::npos) {
            SetTimeoutSeconds(std::max(1, ConvertInteger(value, ui_.Value(Control::seTO))));
        }
        if (Contains(param, "-f") && colon != std::string::npos) {
            SerialGap = std::max(1, ConvertInteger(value, SerialGap));
        }
    }
}
