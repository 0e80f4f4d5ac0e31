// The help and settings paths: the executable's path with its last three characters replaced.
#include "AppPaths.h"
#include "UiTestSupport.h"
#include "UserDialogs.h"

#include <gtest/gtest.h>

TEST(AppPaths, ReplacesTheExtensionWhateverItIs)
{
    EXPECT_EQ(ReplaceLastThree("C:\\Tools\\conv.exe", "chm"), "C:\\Tools\\conv.chm");
    EXPECT_EQ(ReplaceLastThree("C:\\Tools\\conv.exe", "ini"), "C:\\Tools\\conv.ini");
    EXPECT_EQ(ReplaceLastThree("/opt/tabulon/build/tabulon.bin", "ini"), "/opt/tabulon/build/tabulon.ini");
}

TEST(AppPaths, ANameWithoutThreeLetterExtensionStillLosesThreeCharacters)
{
    EXPECT_EQ(ReplaceLastThree("/usr/bin/tabulon", "chm"), "/usr/bin/tabuchm");
    EXPECT_EQ(ReplaceLastThree("C:\\conv.e", "ini"), "C:\\conini");
    EXPECT_EQ(ReplaceLastThree("ab", "ini"), "ini");
    EXPECT_EQ(ReplaceLastThree("", "chm"), "chm");
}

TEST(AppPaths, TheExecutablePathIsTheRunningProgram)
{
    const std::string path = ExecutableFilePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "ui_tests");
}

TEST(AppPaths, FileDialogFiltersComeFromTheWindowsForm)
{
    EXPECT_EQ(QtFileFilter("Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||").toStdString(),
              "Converter Projects (*.cvtproj);;AllFiles (*.*)");
    EXPECT_EQ(
        QtFileFilter("Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|AllFiles (*.*)|*.*||").toStdString(),
        "Text Files (*.txt);;CSV Files (*.csv);;AllFiles (*.*)");
    EXPECT_EQ(QtFileFilter("Scripts|*.sql;*.txt||").toStdString(), "Scripts (*.sql *.txt)");
}

TEST_F(WizardTest, TheFrameTakesItsFilesFromTheExecutablePath)
{
    CWizardDlg& frame = Start();
    EXPECT_EQ(frame.HelpPath, Path("conv.chm"));
    EXPECT_EQ(frame.SettingsPath, Path("conv.ini"));
}
