// tabulon-convert with file names beyond ASCII: the arguments arrive as the
// user typed them (UTF-16 on Windows), whatever the system's code page, and
// every file is found, protected and written under its own name.
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace robust {
namespace {

const std::vector<std::string> UnicodeNames = {
    "Report \xE2\x80\x93 2024.csv", // Report – 2024.csv
    "donn\xC3\xA9"
    "es.csv",                       // données.csv
    "\xE6\x95\xB0\xE6\x8D\xAE.csv", // 数据.csv
    "smile \xF0\x9F\x98\x80.csv",   // smile 😀.csv
};

TEST(UnicodePath, TheSourceGivenAsTargetIsRefusedAndKept)
{
    for (const std::string& name : UnicodeNames) {
        TestFolder dir;
        const std::string source = dir.Write(name, "id\r\n1\r\n");
        const ProgramResult result =
            RunConvert({"--quiet", "--source", source, "--target", source, "--table", "t"});
        EXPECT_EQ(result.Status, 2) << name << ": " << result.Output;
        EXPECT_NE(result.Output.find(source + ": is the source file itself"), std::string::npos)
            << result.Output;
        EXPECT_EQ(ReadFile(source), "id\r\n1\r\n") << name;
    }
}

TEST(UnicodePath, SourceAndTargetAreFoundUnderTheirOwnNames)
{
    for (const std::string& name : UnicodeNames) {
        TestFolder dir;
        const std::string source = dir.Write(name, "id\r\n1\r\n");
        const std::string target = dir / (name + ".sql");
        const ProgramResult result = RunConvert({"--source", source, "--target", target, "--table", "t"});
        ASSERT_EQ(result.Status, 0) << name << ": " << result.Output;
        EXPECT_NE(result.Output.find("into " + target), std::string::npos) << result.Output;
        EXPECT_EQ(ReadFile(target), "insert into t(id) values(1);\r\n") << name;
    }
}

TEST(UnicodePath, AProjectInAFolderWithAUnicodeNameFindsItsRelativeSource)
{
    TestFolder dir;
    const std::string folder = dir / "donn\xC3\xA9"
                                     "es";
    fs::create_directory(fs::u8path(folder));
    const std::string source = dir.Write("donn\xC3\xA9"
                                         "es/\xE6\x95\xB0\xE6\x8D\xAE.csv",
                                         "id\r\n1\r\n");
    const std::string project = dir.Write("donn\xC3\xA9"
                                          "es/p.cvtproj",
                                          ProjectText({"FileName=\xE6\x95\xB0\xE6\x8D\xAE.csv",
                                                       "TargetName=out.sql", "TableName=t", "Commit=0"}));
    const ProgramResult result = RunConvert({"--quiet", project});
    ASSERT_EQ(result.Status, 0) << result.Output;
    EXPECT_EQ(ReadFile(dir / "donn\xC3\xA9"
                             "es/out.sql"),
              "insert into t(id) values(1);\r\n");
}

} // namespace
} // namespace robust
