// The file dialogs' memory and the checks of the user's choice.
#include "support/PathText.h"
#include "tests/app/FormFixture.h"

namespace {

std::string Inside(const TempFolder& folder, const std::string& name) {
    return PathText(folder.Path() / name);
}

} // namespace

TEST_F(FormTest, CancelledDialogReturnsNothingAndForgetsNothing) {
    TForm1& f = Start();
    f.DialogState(Dialog::DlgGet).fileName = "/old/name.bin";
    EXPECT_EQ(f.ExecuteDialog(Dialog::DlgGet, "Select filename for receiving"), std::nullopt);
    EXPECT_EQ(f.DialogState(Dialog::DlgGet).fileName, "/old/name.bin");
}

TEST_F(FormTest, DialogStartsWithItsFolderTitleAndLastFile) {
    TForm1& f = Start();
    const std::string chosen = Inside(folder, "cfg.bin");
    WriteFile(chosen, "x");
    f.SetDialogFolder(PathText(folder.Path()) + "/");
    ui->dialogAnswers = {chosen, std::nullopt};

    EXPECT_EQ(f.ExecuteDialog(Dialog::DlgPut, "Select file for sending"), chosen);
    f.ExecuteDialog(Dialog::DlgPut, "Select file for sending");

    ASSERT_EQ(ui->dialogRequests.size(), 2u);
    const FileDialogRequest& first = ui->dialogRequests[0];
    EXPECT_EQ(first.setup->id, Dialog::DlgPut);
    EXPECT_EQ(first.title, "Select file for sending");
    EXPECT_EQ(first.folder, PathText(folder.Path()) + "/");
    EXPECT_EQ(first.fileName, "");
    EXPECT_EQ(ui->dialogRequests[1].fileName, chosen) << "the last choice is preselected";
}

TEST_F(FormTest, RefusedChoiceIsExplainedAndTheDialogShownAgain) {
    TForm1& f = Start();
    const std::string missing = Inside(folder, "no/such/folder/data.csv");
    const std::string good = Inside(folder, "data.csv");
    ui->dialogAnswers = {missing, good};

    EXPECT_EQ(f.ExecuteDialog(Dialog::DlgReadLogger, "Select filename for received data"), good);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].caption, "Select filename for received data");
    EXPECT_EQ(ui->messages[0].kind, MessageKind::Warning);
    EXPECT_NE(ui->messages[0].text.find("does not exist"), std::string::npos);
    ASSERT_EQ(ui->dialogRequests.size(), 2u);
    EXPECT_EQ(ui->dialogRequests[1].fileName, missing) << "the user can mend the typed name";
}

TEST(CheckChosenFile, OpenDialogsWantAnExistingFile) {
    TempFolder folder;
    const std::string present = Inside(folder, "R7.pfw");
    WriteFile(present, "fw");
    for (Dialog d : {Dialog::DlgPut, Dialog::DlgFW, Dialog::DlgConvert}) {
        const FileDialogSetup& setup = DialogSetupOf(d);
        EXPECT_EQ(CheckChosenFile(setup, present), "") << setup.name;
        EXPECT_NE(CheckChosenFile(setup, Inside(folder, "absent.pfw")), "") << setup.name;
        EXPECT_NE(CheckChosenFile(setup, PathText(folder.Path())), "")
            << "a folder, " << setup.name;
    }
}

TEST(CheckChosenFile, SaveDialogsWantAnExistingFolderAndNoReadOnlyFile) {
    TempFolder folder;
    const std::string readOnly = Inside(folder, "old.csv");
    WriteFile(readOnly, "a;b");
    fs::permissions(FilePath(readOnly), fs::perms::owner_read);
    for (Dialog d : {Dialog::DlgGet, Dialog::DlgReadLogger}) {
        const FileDialogSetup& setup = DialogSetupOf(d);
        EXPECT_EQ(CheckChosenFile(setup, Inside(folder, "new.csv")), "") << setup.name;
        EXPECT_NE(CheckChosenFile(setup, Inside(folder, "gone/new.csv")), "") << setup.name;
        EXPECT_NE(CheckChosenFile(setup, readOnly).find("read-only"), std::string::npos)
            << setup.name;
        EXPECT_NE(CheckChosenFile(setup, ""), "") << setup.name;
    }
    EXPECT_EQ(CheckChosenFile(DialogSetupOf(Dialog::DlgPut), readOnly), "")
        << "a file only read may be read-only";
}
