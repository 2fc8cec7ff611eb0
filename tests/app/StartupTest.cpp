// Start-up, connection switch and shutdown of the window, through the fake toolkit.
#include "support/PathText.h"
#include "support/Save_Err.h"
#include "tests/app/FormFixture.h"

using enum Control;

namespace {

const char kFreshSettings[] = "[Param]\r\n"
                              "Top=200\r\n"
                              "Left=300\r\n"
                              "connection=0\r\n"
                              "host=192.168.0.100\r\n"
                              "Port=0\r\n"
                              "Dir=\r\n"
                              "DirFW=\r\n"
                              "Timeout=4\r\n"
                              "p=\r\n"
                              "\r\n";

} // namespace

TEST_F(FormTest, FirstStartShowsTheDesignValues) {
    TForm1& f = Start();
    FakeToolkit& w = *ui;

    EXPECT_EQ(w[Form1].text, "Quorvel V1.8");
    EXPECT_EQ(w.GetBounds(Form1), FakeToolkit::kSystemPosition);
    EXPECT_EQ(w[eIP].text, "192.168.0.100");
    EXPECT_TRUE(w[rb1].checked);
    EXPECT_FALSE(w[rb2].checked);
    EXPECT_FALSE(w[btnsetTransfermode].enabled);
    EXPECT_EQ(w[cbPort].value, 0);
    EXPECT_EQ(w[seTO].value, 4);
    EXPECT_EQ(w[LblPort].text, "");
    ASSERT_NE(f.Client(), nullptr);
    EXPECT_EQ(f.TargetPort, 69);
    EXPECT_EQ(f.SerialGap, 10);
    EXPECT_FALSE(f.ReraiseErrors);
    EXPECT_TRUE(f.CodeTexts().empty());
    EXPECT_TRUE(f.SelectColumns().empty());
    EXPECT_FALSE(fs::exists(SettingsFile())) << "start-up must not write the settings";
}

#ifndef _WIN32
TEST_F(FormTest, ComListHintsNameTheDeviceEachNumberReaches) {
    WriteSettings("[ComPorts]\r\nCOM5=/dev/ttyUSB0\r\n");
    Start();
    const auto& hints = (*ui)[cbPort].itemHints;
    EXPECT_EQ(hints.size(), 40u);
    EXPECT_EQ(hints.at(0), "/dev/ttyS0");
    EXPECT_EQ(hints.at(4), "/dev/ttyUSB0");
}
#endif

TEST_F(FormTest, StartUpSwitchesRepeatFoldingOff) {
    SetSuppressRepeats(true);
    Start();
    EXPECT_FALSE(SuppressRepeats());
}

TEST_F(FormTest, CloseWithoutSettingsWritesTheNineParamKeysInOrder) {
    Start();
    Close();
    EXPECT_EQ(ReadFile(SettingsFile()), kFreshSettings);
}

TEST_F(FormTest, SettingsSurviveARestart) {
    Start();
    FakeToolkit& w = *ui;
    w.SetBounds(Form1, {40, 30, 0, 0});
    w.SetChecked(rb2, true);
    w.SetText(eIP, "device.local");
    w.SetValue(cbPort, 6);
    w.SetValue(seTO, 9);
    form->SetDialogFolder("/data/");
    form->DialogState(Dialog::DlgFW).folder = "/firmware/";
    Close();

    TForm1& f = Start();
    FakeToolkit& again = *ui;
    EXPECT_EQ(again.GetBounds(Form1).left, 40);
    EXPECT_EQ(again.GetBounds(Form1).top, 30);
    EXPECT_TRUE(again[rb2].checked);
    EXPECT_FALSE(again[rb1].checked);
    EXPECT_TRUE(again[btnsetTransfermode].enabled) << "a loaded Serial choice runs rb2Click";
    EXPECT_EQ(again[eIP].text, "device.local");
    EXPECT_EQ(again[cbPort].value, 6);
    EXPECT_EQ(again[seTO].value, 9);
    for (Dialog d : {Dialog::DlgPut, Dialog::DlgGet, Dialog::DlgReadLogger, Dialog::DlgConvert}) {
        EXPECT_EQ(f.DialogState(d).folder, "/data/");
    }
    EXPECT_EQ(f.DialogState(Dialog::DlgFW).folder, "/firmware/");
}
