// Loading and saving the settings file, and reloading the logger tables.
#include "support/PathText.h"
#include "tests/app/FormFixture.h"

using enum Control;

TEST_F(FormTest, WindowAtTheScreenCornerIsMovedInto100By100) {
    WriteSettings("[Param]\r\nTop=0\r\nLeft=0\r\n");
    Start();
    EXPECT_EQ(ui->GetBounds(Form1), (Bounds{100, 100, kFormWidth, kFormHeight}));

    WriteSettings("[Param]\r\nTop=0\r\nLeft=5\r\n");
    Start();
    EXPECT_EQ(ui->GetBounds(Form1), (Bounds{5, 0, kFormWidth, kFormHeight}));
}

TEST_F(FormTest, KeysAreFoundWhateverTheirCase) {
    WriteSettings("[PARAM]\r\nTOP=50\r\nleft=60\r\nCONNECTION=1\r\nHoSt=modem\r\n");
    Start();
    EXPECT_EQ(ui->GetBounds(Form1), (Bounds{60, 50, kFormWidth, kFormHeight}));
    EXPECT_TRUE((*ui)[rb2].checked);
    EXPECT_EQ((*ui)[eIP].text, "modem");
}

TEST_F(FormTest, ConnectionIsSerialForAnyNonZeroNumberOnly) {
    const std::pair<const char*, bool> cases[] = {{"7", true}, {"x", false}, {"0", false}};
    for (const auto& [stored, serial] : cases) {
        WriteSettings(std::string("[Param]\r\nconnection=") + stored + "\r\n");
        Start();
        EXPECT_EQ((*ui)[rb2].checked, serial) << stored;
        EXPECT_EQ((*ui)[rb1].checked, !serial) << stored;
        EXPECT_EQ((*ui)[btnsetTransfermode].enabled, serial) << stored;
    }
}

TEST_F(FormTest, PortAndTimeoutAreBroughtIntoTheirControlsRange) {
    const struct {
        const char* port;
        int position;
        const char* timeout;
        int seconds;
    } cases[] = {{"2", 2, "0", 1},
                 {"39", 39, "30", 16},
                 {"40", 0, "-5", 1},
                 {"-1", 0, "$A", 10},
                 {"abc", 0, "", 4}};
    for (const auto& c : cases) {
        WriteSettings(std::string("[Param]\r\nPort=") + c.port + "\r\nTimeout=" + c.timeout +
                      "\r\n");
        Start();
        EXPECT_EQ((*ui)[cbPort].value, c.position) << "Port=" << c.port;
        EXPECT_EQ((*ui)[seTO].value, c.seconds) << "Timeout=" << c.timeout;
    }
}

// The technicians maintain the tables by hand, with notes, in editors that may write a UTF-8
// byte-order mark: a save keeps all of it in place, and repeated saves change nothing more.
TEST_F(FormTest, SaveKeepsByteOrderMarkNotesUnknownSectionsAndKeysInPlace) {
    WriteSettings(
        "\xEF\xBB\xBF[zel-codes]\r\n; from the manual\r\n1=Power on\r\n\r\n"
        "; my window\r\n[Param]\r\nTop=10\r\nExtra=keep me\r\n[zel-select]\r\nVolts=3\r\n");
    TForm1& f = Start();
    EXPECT_EQ(ui->GetBounds(Form1).top, 10);
    f.ReadWriteSettings(false, false);
    EXPECT_EQ(f.CodeTexts(), std::vector<std::string>{"1=Power on"});
    EXPECT_EQ(f.SelectColumns(), std::vector<std::string>{"Volts=3"});

    Close();
    const std::string saved = ReadFile(SettingsFile());
    EXPECT_TRUE(
        saved.starts_with("\xEF\xBB\xBF[zel-codes]\r\n; from the manual\r\n1=Power on\r\n\r\n"
                          "; my window\r\n[Param]\r\nTop=10\r\nExtra=keep me\r\nLeft="))
        << saved;
    EXPECT_TRUE(saved.ends_with("\r\np=\r\n\r\n[zel-select]\r\nVolts=3\r\n\r\n")) << saved;
    Start();
    Close();
    EXPECT_EQ(ReadFile(SettingsFile()), saved);
}

TEST_F(FormTest, LoggerTablesAreReloadedFromTheFileAsItIsNow) {
    WriteSettings("[zel-codes]\r\n1=Power on\r\n2 = Reset \r\nno value\r\n");
    TForm1& f = Start();
    EXPECT_TRUE(f.CodeTexts().empty()) << "start-up loads the window keys only";

    f.ReadWriteSettings(false, false);
    EXPECT_EQ(f.CodeTexts(), (std::vector<std::string>{"1=Power on", "2=Reset", "no value"}));

    WriteSettings("[zel-select]\r\nA=1\r\n");
    f.ReadWriteSettings(false, false);
    EXPECT_TRUE(f.CodeTexts().empty()) << "a missing section empties its list";
    EXPECT_EQ(f.SelectColumns(), std::vector<std::string>{"A=1"});
    EXPECT_EQ(ReadFile(SettingsFile()), "[zel-select]\r\nA=1\r\n") << "a reload never writes";

    Close();
    EXPECT_NE(ReadFile(SettingsFile()).find("[zel-select]\r\nA=1\r\n"), std::string::npos)
        << "a save keeps what was edited while the program ran";
}

TEST_F(FormTest, ReadOnlySettingsFileStaysUnchanged) {
    const std::string original = "[Param]\r\nTop=11\r\nLeft=22\r\nTimeout=7\r\n";
    WriteSettings(original);
    fs::permissions(SettingsFile(), fs::perms::owner_read | fs::perms::group_read);
    Start({"-t:3"});
    ui->SetBounds(Form1, {500, 400, 0, 0});
    Close();
    EXPECT_EQ(ReadFile(SettingsFile()), original);

    Start();
    EXPECT_EQ(ui->GetBounds(Form1).top, 11);
    EXPECT_EQ((*ui)[seTO].value, 7);
}

TEST_F(FormTest, UnusableSettingsPlaceIsIgnoredSilently) {
    // A settings "file" that is a folder can be neither read nor written.
    fs::create_directory(SettingsFile());
    TForm1& f = Start();
    EXPECT_EQ(ui->GetBounds(Form1), FakeToolkit::kSystemPosition);
    EXPECT_TRUE((*ui)[rb1].checked) << "the steps after the load still run";
    EXPECT_EQ((*ui)[cbPort].value, 0);
    f.ReadWriteSettings(false, false);
    Close();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_TRUE(fs::is_directory(SettingsFile()));
}

TEST_F(FormTest, DataFolderIsSharedByFourDialogsButNotTheFirmwareDialog) {
    TForm1& f = Start();
    f.DialogState(Dialog::DlgFW).folder = "/fw/";
    f.SetDialogFolder("/data/");
    for (Dialog d : {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(f.DialogState(d).folder, "/data/");
    }
    EXPECT_EQ(f.DialogState(Dialog::DlgFW).folder, "/fw/");
}
