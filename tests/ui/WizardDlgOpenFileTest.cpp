// The program started with a file, as the desktop starts it: a project opens,
// any other file becomes the source of a new project.
#include "UiTestSupport.h"

#include <QLineEdit>

namespace {

class WizardDlgOpenFileTest : public WizardTest {};

TEST_F(WizardDlgOpenFileTest, AProjectFileIsLoaded)
{
    const std::string project = Path("orders.CVTPROJ");
    WriteProject(project, {"FileName=orders.csv", "TableName=orders", "CommitSize=75"});
    CWizardDlg& frame = Start();
    frame.OpenFile(project);
    EXPECT_EQ(frame.GetProject().ProjectPath, project);
    EXPECT_EQ(frame.GetProject().TableName, "orders");
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tabulon [" + project + "]");
    EXPECT_EQ(SourcePage().CommitSizeEdit->text().toStdString(), "75");
}

TEST_F(WizardDlgOpenFileTest, AnyOtherFileBecomesTheSourceOfANewProject)
{
    const std::string project = Path("old.cvtproj");
    WriteProject(project, {"FileName=old.csv", "TableName=old"});
    RememberProject(project);
    const std::string data = Path("people.csv");
    WriteFile(data, "id,name\r\n1,Sm\xC3\xADth\r\n");
    CWizardDlg& frame = Start();
    ASSERT_EQ(frame.GetProject().ProjectPath, project);
    frame.OpenFile(data);
    EXPECT_EQ(frame.GetProject().ProjectPath, "");
    EXPECT_EQ(frame.GetProject().TableName, "");
    EXPECT_EQ(frame.GetProject().FileName, data);
    EXPECT_EQ(frame.GetProject().Encoding, "UTF-8");
    EXPECT_EQ(SourcePage().SourceEdit->text().toStdString(), data);
    EXPECT_EQ(frame.windowTitle().toStdString(), "Tabulon [Untitled]");
}

} // namespace
