// The help and settings paths: the executable's path with its last three characters replaced.
#include "AppPaths.h"

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
