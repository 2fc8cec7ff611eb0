// Message boxes, the question box, and the names derived from the program file.
#include "app/ProgramFiles.h"
#include "app/actions/MessageText.h"
#include "tests/app/FormFixture.h"

using enum MessageButton;

TEST(ProgramFiles, SettingsFileReplacesOrAddsTheExtension) {
    EXPECT_EQ(SettingsFileName("/opt/q/quorvel"), "quorvel.INI");
    EXPECT_EQ(SettingsFileName("/opt/q/quorvel.exe"), "quorvel.INI");
    EXPECT_EQ(SettingsFileName("/opt/q.d/quorvel"), "quorvel.INI");
    EXPECT_EQ(SettingsFileName("/opt/q/a.b.c"), "a.b.INI");
}

TEST(ProgramFiles, TitleIsTheNameUpToTheFirstDotWithOnlyTheFirstLetterKept) {
    EXPECT_EQ(ApplicationTitle("build/bin/quorvel"), "quorvel");
    EXPECT_EQ(ApplicationTitle("C:/Tools/QUORVEL.EXE"), "Quorvel");
    EXPECT_EQ(ApplicationTitle("/x.y/qUoRvel.test.exe"), "quorvel");
    EXPECT_EQ(ApplicationTitle("/bin/Q"), "Q");
}

TEST(MessageText, CarriageReturnsBecomeLineBreaks) {
    EXPECT_EQ(WithLineBreaks("TFTP get file failed!\r\rOperation canceled"),
              "TFTP get file failed!\n\nOperation canceled");
    EXPECT_EQ(WithLineBreaks("a\r\nb\r"), "a\nb\n");
    EXPECT_EQ(WithLineBreaks(std::string("a\0b\n", 4)), std::string("a\0b\n", 4));
}

TEST_F(FormTest, InfoAndWarningBoxesSit50PixelsIntoTheWindow) {
    TForm1& f = Start();
    ui->SetBounds(Control::Form1, {120, 80, 0, 0});
    f.ShowInfo("File \"x\" successfull sent");
    f.ShowWarning("Start of Transfer mode failed!");

    ASSERT_EQ(ui->messages.size(), 2u);
    const MessageRequest& info = ui->messages[0];
    EXPECT_EQ(info.caption, "quorvel") << "the application title";
    EXPECT_EQ(info.kind, MessageKind::Custom);
    EXPECT_EQ(info.buttons, std::vector<MessageButton>{Ok});
    EXPECT_EQ(info.left, 170);
    EXPECT_EQ(info.top, 130);
    EXPECT_FALSE(info.systemPlaced);
    EXPECT_EQ(ui->messages[1].caption, "Warnung");
    EXPECT_EQ(ui->messages[1].kind, MessageKind::Warning);
}

TEST_F(FormTest, NegativeBoxCoordinateIsLeftToTheToolkit) {
    TForm1& f = Start();
    ui->SetBounds(Control::Form1, {-300, 20, 0, 0});
    f.ShowInfo("a");
    ui->SetBounds(Control::Form1, {-60, -51, 0, 0});
    f.ShowInfo("b");
    ui->SetBounds(Control::Form1, {-50, -50, 0, 0});
    f.ShowInfo("c");

    ASSERT_EQ(ui->messages.size(), 3u);
    EXPECT_EQ(ui->messages[0].left, std::nullopt);
    EXPECT_EQ(ui->messages[0].top, 70);
    EXPECT_EQ(ui->messages[1].left, std::nullopt);
    EXPECT_EQ(ui->messages[1].top, std::nullopt);
    EXPECT_EQ(ui->messages[2].left, 0);
    EXPECT_EQ(ui->messages[2].top, 0);
}

TEST_F(FormTest, OverwriteQuestionShowsYesAndNoAndReturnsTheAnswer) {
    TForm1& f = Start();
    ui->messageAnswers = {No, Yes, Ok, Cancel};
    EXPECT_EQ(f.AskBox("Question", "File \"a\" already exists!\rOverwrite?",
                       MessageKind::Confirmation, 0, {Yes, No}),
              No);
    EXPECT_EQ(f.AskBox("Question", "t", MessageKind::Confirmation, 0, {No, Yes}), Yes);
    EXPECT_EQ(f.AskBox("Question", "t", MessageKind::Confirmation, 0, {Yes, No}), Cancel)
        << "an answer that is no button of the box";
    EXPECT_EQ(f.AskBox("Question", "t", MessageKind::Confirmation, 0, {Yes, No}), Cancel);

    const MessageRequest& box = ui->messages[0];
    EXPECT_EQ(box.caption, "Question");
    EXPECT_EQ(box.kind, MessageKind::Confirmation);
    EXPECT_EQ(box.buttons, (std::vector<MessageButton>{Yes, No}));
    EXPECT_EQ(box.defaultButton, 0u);
    EXPECT_TRUE(box.systemPlaced);
}

TEST_F(FormTest, QuestionBoxButtonSetsAndDefaults) {
    TForm1& f = Start();
    f.AskBox("c", "t", MessageKind::Warning, 3, {Abort, Retry, Ignore});
    f.AskBox("c", "t", MessageKind::Warning, 4, {Yes, No});
    f.AskBox("c", "t", MessageKind::Warning, 2, {Yes, Ignore});
    f.AskBox("c", "t", MessageKind::Warning, 1, {Retry, Cancel});

    ASSERT_EQ(ui->messages.size(), 4u);
    EXPECT_EQ(ui->messages[0].buttons, (std::vector<MessageButton>{Abort, Retry, Ignore}));
    EXPECT_EQ(ui->messages[0].defaultButton, 2u);
    EXPECT_EQ(ui->messages[1].defaultButton, 0u) << "a fourth button that is not there";
    EXPECT_EQ(ui->messages[2].buttons, std::vector<MessageButton>{Ok}) << "unknown set";
    EXPECT_EQ(ui->messages[3].buttons, (std::vector<MessageButton>{Retry, Cancel}));
    EXPECT_EQ(ui->messages[3].defaultButton, 0u);
}
