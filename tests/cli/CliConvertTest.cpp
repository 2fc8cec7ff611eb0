// quorvel-cli convert, in-process: the CSV it names and writes, the tables from the settings
// file, the overwrite rule, and the window's texts for each way a conversion ends.
#include "sim/LoggerWriter.h"
#include "sim/SampleLogger.h"
#include "sim/SimOptions.h"
#include "support/PathText.h"
#include "tests/cli/CliTestKit.h"
#include "tests/sim/SimTestKit.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class CliConvert : public testing::Test {
protected:
    CliConvert() {
        folder.Write("report.zel", MakeSamplePlogZel(kDefaultZelSeed));
        folder.Write("quorvel.INI", "");
    }

    std::string Path(const std::string& name) const { return PathText(folder.Path() / name); }

    CliRun Convert(std::vector<std::string> args, const std::string& input = "",
                   bool terminal = false) const {
        args.insert(args.begin(), "convert");
        args.insert(args.end(), {"--settings", Path("quorvel.INI")});
        return RunCliWith(args, input, terminal);
    }

    static std::string Success(const std::string& csv) {
        return "data of logger successfull received and converted to file \"" + csv + "\"\n";
    }

    TempFolder folder;
};

// A block whose register group runs past the end of the block.
const std::string kMalformed = EncodeLoggerBlock({61000, 4, 1, 2});

} // namespace

TEST_F(CliConvert, CsvIsNamedAfterTheLoggerFileUnlessNamed) {
    const CliRun run = Convert({Path("report.zel")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Success(Path("report.CSV")));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(LineCount(folder.Read("report.CSV")), SampleLoggerEvents() + 1);
    ASSERT_EQ(Convert({Path("report.zel"), "--include-empty", "--yes"}).status, 0);
    EXPECT_EQ(LineCount(folder.Read("report.CSV")), kLoggerSlots + 1);

    folder.Write("log", folder.Read("report.zel"));
    EXPECT_EQ(Convert({Path("log")}).out, Success(Path("log.CSV")));

    EXPECT_EQ(Convert({Path("report.zel"), Path("named.csv")}).out, Success(Path("named.csv")));
    fs::create_directory(folder.Path() / "out");
    EXPECT_EQ(Convert({Path("report.zel"), Path("out")}).out,
              Success(PathText(folder.Path() / "out" / "report.CSV")));
}

TEST_F(CliConvert, TablesComeFromTheSettingsFile) {
    folder.Write("quorvel.INI", "[zel-codes]\n61=watchdog reset\n[zel-select]\n61=W\n");
    ASSERT_EQ(Convert({Path("report.zel")}).status, 0);
    const std::string csv = folder.Read("report.CSV");
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "idx;timestamp;code;par1;par2;par3;source;par1-hex;par2-hex;par3-hex;61;\r\n");
    EXPECT_NE(csv.find(";61;"), std::string::npos);
    EXPECT_NE(csv.find(";watchdog reset;0x"), std::string::npos);
    EXPECT_NE(csv.find(";W;\r\n"), std::string::npos);
}

TEST_F(CliConvert, ExistingCsvIsReplacedOnlyWithYesOrAYesAtTheTerminal) {
    folder.Write("report.CSV", "old");
    const CliRun refused = Convert({Path("report.zel")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("already exists"), std::string::npos);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos);
    EXPECT_EQ(Convert({Path("report.zel")}, "n\n", true).status, 1);
    EXPECT_EQ(folder.Read("report.CSV"), "old");

    const CliRun asked = Convert({Path("report.zel")}, "y\n", true);
    EXPECT_EQ(asked.status, 0);
    EXPECT_NE(asked.err.find("already exists!\nOverwrite? [y/N]"), std::string::npos);
    EXPECT_NE(folder.Read("report.CSV"), "old");
    folder.Write("report.CSV", "old");
    EXPECT_EQ(Convert({Path("report.zel"), "--yes"}).status, 0);
    EXPECT_NE(folder.Read("report.CSV"), "old");
}

TEST_F(CliConvert, FileWithoutLoggerDataIsReportedAndTouchesNoCsv) {
    folder.Write("text.zel", "not a logger");
    folder.Write("text.CSV", "old");
    const CliRun run = Convert({Path("text.zel"), "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Converting of zel logger data failed!\n\n"
                       "file contains no logger data (wrong range of registers)\n");
    EXPECT_EQ(folder.Read("text.CSV"), "old");
    EXPECT_EQ(Convert({Path("missing.zel")}).err, run.err) << "a missing file saw no registers";
}

TEST_F(CliConvert, MalformedBlockKeepsAnOlderCsvAndTheLoggerFile) {
    folder.Write("bad.zel", kMalformed);
    folder.Write("bad.CSV", "old");
    const CliRun run = Convert({Path("bad.zel"), "--yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("convert zel logger data failed!\n\n", 0), 0u) << run.err;
    EXPECT_EQ(folder.Read("bad.CSV"), "old") << "--yes allowed replacing it, not losing it";

    // Named as its own CSV, the logger file is the user's data, not a CSV to clean up.
    EXPECT_EQ(Convert({Path("bad.zel"), Path("bad.zel"), "--yes"}).status, 1);
    EXPECT_EQ(folder.Read("bad.zel"), kMalformed);
}
