#include "logger/LoggerCsv.h"

#include "support/Save_Err.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string Hex16Cell(std::uint16_t value) {
    return value == 0 ? "" : "0x" + Hex4(value);
}

std::string Hex32Cell(std::uint32_t value) {
    return value == 0 ? "" : "0x" + Hex4(value >> 16) + Hex4(value & 0xFFFF);
}

std::string Timestamp(const LoggerRecord& r) {
    return "20" + Dec2(r.year) + "-" + Dec2(r.month) + "-" + Dec2(r.day) + " " + Dec2(r.hour) +
           ":" + Dec2(r.minute) + ":" + Dec2(r.second);
}

} // namespace

std::string CsvHeaderLine(const std::vector<std::string>& selectColumns) {
    std::string line = "idx;timestamp;code;par1;par2;par3;source;par1-hex;par2-hex;par3-hex;";
    for (const std::string& column : selectColumns)
        line.append(TableLineName(column)).append(";");
    return line + kLineEnd;
}

std::string CsvDataLine(unsigned slot, const LoggerRecord& r, const LoggerTables& tables) {
    const std::string code = std::to_string(r.code);
    std::string line = std::to_string(slot) + ";" + Timestamp(r) + ";" + code + ";" +
                       std::to_string(r.par1) + ";" + std::to_string(r.par2) + ";" +
                       std::to_string(r.par3) + ";";
    line.append(TableValue(tables.CodeTexts, code)).append(";");
    line += Hex16Cell(r.par1) + ";" + Hex16Cell(r.par2) + ";" + Hex32Cell(r.par3) + ";";
    for (const std::string& column : tables.SelectColumns) {
        // The column is chosen by an exact match; its cell then takes the value of the first
        // line of that name.
        if (TableLineName(column) == code)
            line.append(TableValue(tables.SelectColumns, code));
        line += ";";
    }
    return line + kLineEnd;
}

unsigned OldestSlot(const LoggerImage& image) {
    const unsigned next = image.NewestSlot() + 1u;
    return next >= kLoggerSlots ? 0 : next;
}

std::string FormatLoggerCsv(const LoggerImage& image, bool includeEmpty,
                            const LoggerTables& tables) {
    std::string csv = CsvHeaderLine(tables.SelectColumns);
    const unsigned oldest = OldestSlot(image);
    for (unsigned i = 0; i < kLoggerSlots; ++i) {
        const unsigned slot = (oldest + i) % kLoggerSlots;
        const LoggerRecord record = image.Record(slot);
        if (includeEmpty || record.code != 0)
            csv += CsvDataLine(slot, record, tables);
    }
    return csv;
}
