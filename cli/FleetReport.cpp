#include "cli/FleetReport.h"

#include "support/ArgumentScan.h"
#include "support/IntText.h"
#include "support/PathText.h"

#include <array>
#include <charconv>
#include <fstream>
#include <utility>

namespace {

constexpr std::size_t kColumns = 7;

const std::array<FleetResult, 4> kResults = {FleetResult::Ok, FleetResult::Failed,
                                             FleetResult::Canceled, FleetResult::NotStarted};

std::string CsvCell(const std::string& text) {
    if (text.find_first_of(";\"") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string Seconds(double seconds) {
    // Not printf: a decimal point whatever the user's locale.
    char text[32];
    const auto end =
        std::to_chars(std::begin(text), std::end(text), seconds, std::chars_format::fixed, 2);
    return std::string(text, end.ptr);
}

std::string PortText(const FleetDevice& device) {
    return std::to_string(device.port);
}

// The length of the UTF-8 sequence at text[i], or 0 when none starts there: a device's error
// text may hold any bytes, and JSON must be valid UTF-8.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char* const hex = "0123456789abcdef";
            json += "\\u00";
            json += hex[c >> 4];
            json += hex[c & 0xF];
        } else if (c < 0x80) {
            json += static_cast<char>(c);
        } else if (const std::size_t length = Utf8Length(text, i)) {
            json.append(text, i, length);
            i += length - 1;
        } else {
            json += "\\ufffd"; // a byte that is no character
        }
    }
    return json + "\"";
}

// The cells of one line of the report.
std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ';' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

std::optional<FleetResult> ResultOf(const std::string& text) {
    for (const FleetResult result : kResults) {
        if (text == ResultText(result)) {
            return result;
        }
    }
    return std::nullopt;
}

} // namespace

const char* ResultText(FleetResult result) {
    switch (result) {
    case FleetResult::Ok:
        return "ok";
    case FleetResult::Failed:
        return "failed";
    case FleetResult::Canceled:
        return "canceled";
    case FleetResult::NotStarted:
        break;
    }
    return "not started";
}

std::string OneLine(const std::string& message) {
    std::string line;
    bool broken = false;
    for (const char c : message) {
        if (c == '\r' || c == '\n') {
            broken = true;
            continue;
        }
        if (std::exchange(broken, false) && !line.empty()) {
            line += ' ';
        }
        line += c;
    }
    return line;
}

std::string ReportText(const std::vector<FleetDevice>& devices,
                       const std::vector<FleetOutcome>& outcomes) {
    std::string text = std::string(kReportHeader) + "\r\n";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const FleetDevice& device = devices[i];
        const FleetOutcome& outcome = outcomes[i];
        text += CsvCell(device.name) + ";" + CsvCell(device.host) + ";" + PortText(device) + ";" +
                ResultText(outcome.result) + ";" + CsvCell(OneLine(outcome.message)) + ";" +
                std::to_string(outcome.bytes) + ";" + Seconds(outcome.seconds) + "\r\n";
    }
    return text;
}

std::string JsonObject(const FleetDevice& device, const FleetOutcome& outcome) {
    return "{\"device\":" + JsonString(device.name) + ",\"host\":" + JsonString(device.host) +
           ",\"port\":" + PortText(device) + ",\"result\":\"" + ResultText(outcome.result) +
           "\",\"message\":" + JsonString(OneLine(outcome.message)) +
           ",\"bytes\":" + std::to_string(outcome.bytes) +
           ",\"seconds\":" + Seconds(outcome.seconds) + "}";
}

std::map<std::string, FleetOutcome> ReadReport(const std::string& path) {
    std::ifstream file(FilePath(path), std::ios::binary);
    if (!file) {
        throw UsageError("cannot read the report \"" + path + "\"");
    }
    std::map<std::string, FleetOutcome> rows;
    std::string line;
    for (std::size_t number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (number == 1 ? line == kReportHeader : line.empty()) {
            continue;
        }
        const std::vector<std::string> cells = CsvCells(line);
        const std::optional<FleetResult> result =
            cells.size() == kColumns ? ResultOf(cells[3]) : std::nullopt;
        if (number == 1 || !result) {
            throw UsageError(path + ":" + std::to_string(number) +
                             ": not a row of a quorvel-cli report (" + kReportHeader + ")");
        }
        FleetOutcome& outcome = rows[cells[0]];
        outcome.result = *result;
        outcome.message = cells[4];
        outcome.bytes = ParseInteger(cells[5], {}, 0, INT64_MAX).value_or(0);
        std::from_chars(cells[6].data(), cells[6].data() + cells[6].size(), outcome.seconds);
    }
    return rows;
}
