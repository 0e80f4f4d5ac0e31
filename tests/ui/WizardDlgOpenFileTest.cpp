// Files given on the command line or dropped on the window, and File > Recent Projects.
#include "ProfileFile.h"
#include "SourcePage.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

namespace {

// The texts of File > Recent Projects.
std::vector<std::string> RecentMenuTexts(const CWizardDlg& frame)
{
    std::vector<std::string> texts;
    for (const QAction* action : Find<QMenu>(&frame, "recentProjects")->actions())
        texts.push_back(Slashed(action->text().toStdString()));
    return texts;
}

} // namespace

class WizardDlgOpenFileTest : public WizardTest {
  protected:
    std::string Title() const { return Frame->windowTitle().toStdString(); }
    // Drops `path` on the window as a file manager does; false when the window refused it.
    bool Drop(const std::string& path)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame.get(), &drop);
        return drop.isAccepted();
    }
};

// A project file opens as Load Project opens it; any other file starts a new project
// with it as the source (its settings detected), shown on the first page. The same
// for a file given on the command line and a dropped one.
TEST_F(WizardDlgOpenFileTest, AProjectFileOpensAnyOtherFileBecomesTheSource)
{
    WriteProject(Path("p.cvtproj"),
                 {"FileName=in.txt", "TargetName=out.sql", "TableName=T", "nColumns=1", "Column0=a"});
    WriteFile(Path("latin.csv"), "name\r\nM\xFCller\r\n");
    const std::function<void(CWizardDlg&, const std::string&)> ways[] = {
        [](CWizardDlg& frame, const std::string& path) { frame.OpenFile(path); },
        [this](CWizardDlg&, const std::string& path) { ASSERT_TRUE(Drop(path)); },
    };
    for (const auto& open : ways) {
        Start();
        open(*Frame, Path("p.cvtproj"));
        EXPECT_EQ(Slashed(Title()), "Tabulon [" + Path("p.cvtproj") + "]");
        EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "T");
        EXPECT_EQ(Frame->GetProject().Columns, (std::vector<std::string>{"a"}));

        open(*Frame, Path("latin.csv"));
        EXPECT_EQ(Title(), "Tabulon [Untitled*]");
        EXPECT_EQ(Frame->GetCurrentPage(), 0);
        EXPECT_EQ(Slashed(SourcePage().SourceEdit->text().toStdString()), Path("latin.csv"));
        // Its settings detected, a target and a table suggested from its name.
        EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "latin");
        EXPECT_EQ(Slashed(SourcePage().TargetEdit->text().toStdString()), Path("latin.sql"));
        EXPECT_EQ(Frame->GetProject().Encoding, "Windows-1252");
        EXPECT_TRUE(Frame->GetProject().Columns.empty());
        EXPECT_TRUE(Dialogs.Messages.empty());
    }
}

TEST_F(WizardDlgOpenFileTest, ARelativeNameIsTakenFromTheCurrentFolderAndTheExtensionInAnyCase)
{
    WriteProject(Path("UPPER.CVTPROJ"), {"TableName=U"});
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(Folder.path().toStdString());
    Start();
    Frame->OpenFile("UPPER.CVTPROJ");
    std::filesystem::current_path(before);
    EXPECT_EQ(Slashed(Frame->GetProject().ProjectPath), Path("UPPER.CVTPROJ"));
    EXPECT_EQ(Frame->GetProject().TableName, "U");
}

// A project that cannot be read is named with the reason; the project on view stays.
TEST_F(WizardDlgOpenFileTest, AProjectThatCannotBeReadIsNamedAndTheProjectStays)
{
    Start();
    SourcePage().TableEdit->setText(QStringLiteral("kept"));
    Frame->GetPage(0)->StoreData();
    Frame->OpenFile(Path("missing.cvtproj"));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Slashed(Dialogs.Messages[0].Text).find(Path("missing.cvtproj")), std::string::npos);
    EXPECT_NE(Dialogs.Messages[0].Text.find("No such file or directory"), std::string::npos)
        << Dialogs.Messages[0].Text;
    EXPECT_EQ(Frame->GetProject().TableName, "kept");
    EXPECT_EQ(Title(), "Tabulon [Untitled*]");
}

TEST_F(WizardDlgOpenFileTest, NothingButALocalFileIsTakenByDrop)
{
    Start();
    QMimeData data;
    data.setText(QStringLiteral("some text"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Frame.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

// File > Recent Projects: the last four projects opened or saved, the latest first,
// kept in the settings file across starts; picking one opens it.
TEST_F(WizardDlgOpenFileTest, RecentProjectsListTheLastFour)
{
    for (const char* name : {"1", "2", "3", "4", "5"})
        WriteProject(Path(std::string(name) + ".cvtproj"), {std::string("TableName=T") + name});
    Start();
    EXPECT_TRUE(RecentMenuTexts(*Frame).empty());
    EXPECT_FALSE(Find<QMenu>(Frame.get(), "recentProjects")->isEnabled());
    for (const char* name : {"1", "2", "3"})
        Frame->OpenFile(Path(std::string(name) + ".cvtproj"));
    Dialogs.FileAnswers.push_back(Path("4.cvtproj"));
    Frame->OnCommand(CWizardDlg::IdLoadProject);
    Dialogs.FileAnswers.push_back(Path("5.cvtproj"));
    Dialogs.QuestionAnswers.push_back(true);       // replace it
    Frame->OnCommand(CWizardDlg::IdSaveProjectAs); // saving counts too
    Frame->OpenFile(Path("3.cvtproj"));            // once only, moved to the top
    const std::vector<std::string> expected = {"&1 " + Path("3.cvtproj"), "&2 " + Path("5.cvtproj"),
                                               "&3 " + Path("4.cvtproj"), "&4 " + Path("2.cvtproj")};
    EXPECT_EQ(RecentMenuTexts(*Frame), expected);
    EXPECT_EQ(Slashed(GetPrivateProfileString("General", "Recent2", "", 260, SettingsPath())),
              Path("5.cvtproj"));

    Start();
    EXPECT_EQ(RecentMenuTexts(*Frame), expected);
    Find<QMenu>(Frame.get(), "recentProjects")->actions().at(2)->trigger();
    EXPECT_EQ(Slashed(Frame->GetProject().ProjectPath), Path("4.cvtproj"));
    EXPECT_EQ(Frame->GetProject().TableName, "T4");
    EXPECT_EQ(RecentMenuTexts(*Frame).front(), "&1 " + Path("4.cvtproj"));
}
