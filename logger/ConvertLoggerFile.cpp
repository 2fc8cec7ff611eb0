#include "logger/ConvertLoggerFile.h"

#include "logger/LoggerCsv.h"
#include "logger/ReadLoggerFile.h"
#include "logger/ReplaceFileContent.h"

std::string ConvertLoggerFile(const std::string& inputPath, const std::string& outputPath,
                              bool includeEmpty, const LoggerTablesRefill& refillTables) {
    const LoggerReadResult read = ReadLoggerFile(inputPath);
    if (!read.message.empty())
        return read.message;
    LoggerTables tables;
    if (refillTables)
        refillTables(tables.CodeTexts, tables.SelectColumns);
    const std::string csv = FormatLoggerCsv(read.image, includeEmpty, tables);
    const int error = ReplaceFileContent(outputPath, csv);
    return error == 0 ? std::string{} : FileErrorMessage(error);
}
