#include "logger/ConvertLoggerFile.h"

#include "logger/LoggerCsv.h"
#include "logger/ReadLoggerFile.h"
#include "logger/ReplaceFileContent.h"

namespace {

std::string WriteCsv(const LoggerReadResult& read, const std::string& outputPath, bool includeEmpty,
                     const LoggerTablesRefill& refillTables) {
    if (!read.message.empty())
        return read.message;
    LoggerTables tables;
    if (refillTables)
        refillTables(tables.CodeTexts, tables.SelectColumns);
    const std::string csv = FormatLoggerCsv(read.image, includeEmpty, tables);
    const int error = ReplaceFileContent(outputPath, csv);
    return error == 0 ? std::string{} : FileErrorMessage(error);
}

} // namespace

std::string ConvertLoggerFile(const std::string& inputPath, const std::string& outputPath,
                              bool includeEmpty, const LoggerTablesRefill& refillTables) {
    return WriteCsv(ReadLoggerFile(inputPath), outputPath, includeEmpty, refillTables);
}

std::string ConvertLoggerData(std::string_view bytes, const std::string& outputPath,
                              bool includeEmpty, const LoggerTablesRefill& refillTables) {
    return WriteCsv(ReadLoggerData(bytes), outputPath, includeEmpty, refillTables);
}
