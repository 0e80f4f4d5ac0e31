// The frame keeps the user's files safe: no file that is not a project is read as one
// or written into, relative paths are the project folder's, and work that would be
// lost is asked about.
#include "ProfileFile.h"
#include "ProjectFiles.h"
#include "RunPage.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

namespace {

// A CSV as a spreadsheet saves it: a byte order mark and a line break inside a quoted field.
const std::string DataFile = "\xEF\xBB\xBFid,note\r\n1,\"two\nlines\"\r\n";

} // namespace

class WizardDlgFilesTest : public WizardTest {
  public:
    std::string At(const std::string& name) const { return Path(name); }
    QLineEdit* TableEdit() const { return SourcePage().TableEdit; }

  protected:
    std::string Title() { return Frame->windowTitle().toStdString(); }
};

TEST_F(WizardDlgFilesTest, AFileThatIsNoProjectIsNeverTakenForOneNorWrittenInto)
{
    WriteFile(Path("people.csv"), DataFile);
    // Named by the settings: a new project starts, and says why.
    RememberProject(Path("people.csv"));
    Start();
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Slashed(Dialogs.Messages[0].Text).find(Path("people.csv")), std::string::npos);
    EXPECT_NE(Dialogs.Messages[0].Text.find("not a project file"), std::string::npos);
    // Loaded with "All files": refused, the project on view stays.
    Dialogs.FileAnswers.push_back(Path("people.csv"));
    Frame->OnCommand(CWizardDlg::IdLoadProject);
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    ASSERT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_EQ(Dialogs.Messages[1].Text.rfind("The project cannot be opened.\n\n" + Path("people.csv"), 0),
              0u);
    Frame->OnCommand(CWizardDlg::IdCancel);
    Stop();
    EXPECT_EQ(ReadFile(Path("people.csv")), DataFile);
    EXPECT_EQ(GetPrivateProfileString("General", "LastProjectName", "?", 260, SettingsPath()), "");
    // Written only fresh, and only when the user chose to replace it.
    CProject project;
    project.ProjectPath = Path("people.csv");
    std::string reason;
    EXPECT_FALSE(WriteProjectFile(project, ProjectPathForm(), false, reason));
    EXPECT_NE(reason.find("not a project file"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("people.csv")), DataFile);
    ASSERT_TRUE(WriteProjectFile(project, ProjectPathForm(), true, reason)) << reason;
    EXPECT_EQ(ReadFile(Path("people.csv")).rfind("[General]\r\n", 0), 0u);
    EXPECT_EQ(ReadFile(Path("people.csv")).find("id,note"), std::string::npos);
}

TEST_F(WizardDlgFilesTest, ADeletedLastProjectStartsUntitled)
{
    RememberProject(Path("gone.cvtproj"));
    Start();
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    EXPECT_TRUE(Dialogs.Messages.empty());
    Frame->OnCommand(CWizardDlg::IdCancel);
    Stop();
    EXPECT_FALSE(FileExists(Path("gone.cvtproj")));
}

TEST_F(WizardDlgFilesTest, RelativePathsAreTheProjectFoldersAndStaySoWhereverItIsSaved)
{
    std::filesystem::create_directories(Path("work/in"));
    std::filesystem::create_directories(Path("elsewhere"));
    WriteFile(Path("work/in/data.csv"), "id\r\n1\r\n");
    WriteProject(Path("work/p.cvtproj"), {"FileName=in/data.csv", "TargetName=out.sql", "TableName=T",
                                          "Separator=,", "Widths=", "Commit=0"});
    RememberProject(Path("work/p.cvtproj"));
    // Started from another folder, the source is found.
    Start();
    EXPECT_EQ(Slashed(SourcePage().SourceEdit->text().toStdString()), Path("work/in/data.csv"));
    EXPECT_EQ(Slashed(SourcePage().TargetEdit->text().toStdString()), Path("work/out.sql"));
    Frame->OnNext();
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(Frame->GetCurrentPage(), 1);
    // Saved in place, the file keeps its relative paths; saved elsewhere, they point at the same files.
    Frame->OnCommand(CWizardDlg::IdSaveProject);
    EXPECT_NE(ReadFile(Path("work/p.cvtproj")).find("FileName=in/data.csv\r\n"), std::string::npos);
    Dialogs.FileAnswers.push_back(Path("elsewhere/q.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdSaveProjectAs);
    const std::string moved = ReadFile(Path("elsewhere/q.cvtproj"));
    EXPECT_NE(moved.find("FileName=../work/in/data.csv\r\n"), std::string::npos) << moved;
    EXPECT_NE(moved.find("TargetName=../work/out.sql\r\n"), std::string::npos) << moved;
}

// Every command that would drop the work on view asks first; Cancel keeps it, Save saves it.
struct LosingRoute {
    const char* Name;
    bool Closes;
    std::function<void(WizardDlgFilesTest&, CWizardDlg&)> Take;
};

class UnsavedWorkTest : public WizardDlgFilesTest, public ::testing::WithParamInterface<LosingRoute> {};

TEST_P(UnsavedWorkTest, IsAskedAboutAndKeptOnCancel)
{
    WriteProject(Path("other.cvtproj"), {"TableName=other"});
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("typed"));
    // Cancel: nothing changes.
    Dialogs.ChoiceAnswers = {IUserDialogs::Choice::Cancel};
    Dialogs.FileAnswers = {Path("other.cvtproj")};
    GetParam().Take(*this, frame);
    ASSERT_EQ(Dialogs.Choices.size(), 1u);
    EXPECT_EQ(Dialogs.Choices[0].Text, "The new project has changes that are not saved. Save them?");
    EXPECT_EQ(Dialogs.ChoiceSaveLabels[0], "Save As...");
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "typed");
    EXPECT_EQ(Title(), "Tabulon [Untitled*]");
    // Save: the work is saved under the name the user gives, then the command goes on.
    Dialogs.ChoiceAnswers = {IUserDialogs::Choice::Save};
    Dialogs.FileAnswers = {Path("saved.cvtproj"), Path("other.cvtproj")};
    GetParam().Take(*this, frame);
    EXPECT_NE(ReadFile(Path("saved.cvtproj")).find("TableName=typed\r\n"), std::string::npos);
    if (GetParam().Closes)
        EXPECT_FALSE(frame.isVisible());
    else
        EXPECT_NE(SourcePage().TableEdit->text().toStdString(), "typed");
}

INSTANTIATE_TEST_SUITE_P(
    EveryRoute, UnsavedWorkTest,
    ::testing::Values(
        LosingRoute{"NewProject", false, [](auto&, CWizardDlg& f) { f.OnCommand(CWizardDlg::IdNewProject); }},
        LosingRoute{"LoadProject", false,
                    [](auto&, CWizardDlg& f) { f.OnCommand(CWizardDlg::IdLoadProject); }},
        LosingRoute{"DroppedProject", false,
                    [](WizardDlgFilesTest& test, CWizardDlg& f) { f.OpenFile(test.At("other.cvtproj")); }},
        LosingRoute{"DroppedSource", false,
                    [](WizardDlgFilesTest& test, CWizardDlg& f) {
                        WriteFile(test.At("new.csv"), "a\r\n");
                        f.OpenFile(test.At("new.csv"));
                    }},
        LosingRoute{"Quit", true, [](auto&, CWizardDlg& f) { FrameButton(f, "quit")->click(); }},
        LosingRoute{"CloseBox", true, [](auto&, CWizardDlg& f) { f.close(); }},
        LosingRoute{"Escape", true,
                    [](WizardDlgFilesTest& test, CWizardDlg&) {
                        QTest::keyClick(test.TableEdit(), Qt::Key_Escape);
                    }}),
    [](const auto& instance) { return std::string(instance.param.Name); });

TEST_F(WizardDlgFilesTest, ARecentProjectAsksToo)
{
    WriteProject(Path("other.cvtproj"), {"TableName=other"});
    Start();
    Frame->OpenFile(Path("other.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdNewProject);
    SourcePage().TableEdit->setText(QStringLiteral("typed"));
    Dialogs.ChoiceAnswers = {IUserDialogs::Choice::Cancel};
    Frame->OnCommand(CWizardDlg::IdRecentProject);
    EXPECT_EQ(Dialogs.Choices.size(), 1u);
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "typed");
    Frame->OnCommand(CWizardDlg::IdRecentProject); // the script's end: Discard
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "other");
}

TEST_F(WizardDlgFilesTest, ASaveThatFailsAtCloseOffersSaveAsDiscardAndCancel)
{
    std::filesystem::create_directories(Path("gone"));
    WriteProject(Path("gone/p.cvtproj"), {"TableName=old"});
    RememberProject(Path("gone/p.cvtproj"));
    CWizardDlg& frame = Start();
    std::filesystem::remove_all(Path("gone"));
    SourcePage().TableEdit->setText(QStringLiteral("typed"));

    Dialogs.ChoiceAnswers = {IUserDialogs::Choice::Cancel};
    frame.close();
    ASSERT_EQ(Dialogs.Choices.size(), 1u);
    EXPECT_EQ(Dialogs.Choices[0].Text.rfind("The project cannot be saved.\n\n" + Path("gone/p.cvtproj"), 0),
              0u);
    EXPECT_EQ(Dialogs.ChoiceSaveLabels[0], "Save As...");
    EXPECT_TRUE(frame.isVisible());

    Dialogs.ChoiceAnswers = {IUserDialogs::Choice::Save};
    Dialogs.FileAnswers = {Path("kept.cvtproj")};
    frame.close();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_NE(ReadFile(Path("kept.cvtproj")).find("TableName=typed\r\n"), std::string::npos);
    EXPECT_EQ(GetPrivateProfileString("General", "LastProjectName", "?", 260, SettingsPath()),
              Path("kept.cvtproj"));
}
