// libFuzzer target over the logger file reader and the CSV formatting.
//
// Besides "no crash, no sanitizer report", it checks that the reader and the writer agree:
// whatever image the reader accepts, written out again, reads back as the same image; and the
// CSV has its header, at most 500 data lines and CR LF line ends.
#include "fuzz/FuzzInput.h"
#include "logger/LoggerCsv.h"
#include "logger/ReadLoggerFile.h"
#include "sim/LoggerWriter.h"

#include <algorithm>

namespace {

void CheckCsv(const std::string& csv) {
    Check(csv.rfind("idx;timestamp;", 0) == 0, "the CSV starts with its header");
    Check(csv.size() >= 2 && csv.compare(csv.size() - 2, 2, "\r\n") == 0, "it ends a line");
    const auto lines = std::count(csv.begin(), csv.end(), '\n');
    Check(lines >= 1 && lines <= 1 + static_cast<long>(kLoggerSlots), "one line per slot at most");
    Check(std::count(csv.begin(), csv.end(), '\r') == lines, "every line ends in CR LF");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LoggerReadResult read;
    try {
        read = ReadLoggerData({reinterpret_cast<const char*>(data), size});
    } catch (const ELoggerFormatError&) {
        return 0;
    }
    if (!read.message.empty())
        return 0;

    const std::vector<std::uint16_t> registers(read.image.registers.begin(),
                                               read.image.registers.end());
    Check(ReadLoggerData(EncodeLoggerFile({{kFirstLoggerRegister, registers}})).image.registers ==
              read.image.registers,
          "an image written out reads back the same");

    static const LoggerTables tables{{"1=Power on", "17", "61=Watchdog;reset"},
                                     {"1=x", "no name", "61=w", "1=y"}};
    CheckCsv(FormatLoggerCsv(read.image, size % 2 == 0, tables));
    return 0;
}
