// Project files that are garbage, binary, huge, inconsistent or no file at all.
#include "Project.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

using namespace robust;

namespace {

using namespace std::string_literals;

CProject LoadFrom(const std::string& path, bool& read)
{
    CProject project;
    project.Columns = {"left", "over"};
    project.Quotes = {"'", ""};
    project.ProjectPath = path;
    read = project.Load();
    return project;
}

void ExpectReadDefaults(const CProject& project)
{
    EXPECT_EQ(project.FileName, "");
    EXPECT_EQ(project.TargetName, "");
    EXPECT_EQ(project.TableName, "");
    EXPECT_EQ(project.Separator, "<tab>");
    EXPECT_EQ(project.SQLSep, ";");
    EXPECT_EQ(project.Commit, 1);
    EXPECT_EQ(project.CommitSize, 250);
    EXPECT_TRUE(project.Columns.empty());
    EXPECT_TRUE(project.Quotes.empty());
}

struct ContentCase {
    const char* Name;
    std::string Content;
};

void PrintTo(const ContentCase& c, std::ostream* out)
{
    *out << c.Name;
}

class UnusableProjectContent : public ::testing::TestWithParam<ContentCase> {};

// Whatever the file holds without a [General] section, every setting takes its read default.
TEST_P(UnusableProjectContent, LoadsReadDefaults)
{
    TestFolder dir;
    WriteFile(dir / "p.cvtproj", GetParam().Content);
    bool read = false;
    const CProject project = LoadFrom(dir / "p.cvtproj", read);
    EXPECT_TRUE(read);
    ExpectReadDefaults(project);
}

std::string BinaryBytes()
{
    std::mt19937 random(4);
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += static_cast<char>(random() % 256);
    // No section header may come about by chance.
    for (char& c : bytes)
        if (c == '[')
            c = '(';
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, UnusableProjectContent,
    ::testing::Values(ContentCase{"Empty", ""},
                      ContentCase{"Garbage", "this is no project\r\nFileName=x.csv\r\n=\r\n[[[\r\n]]]=\r\n"},
                      ContentCase{"KeysOutsideTheSection",
                                  "FileName=x.csv\r\nnColumns=3\r\n[Other]\r\nnColumns=2\r\n"},
                      ContentCase{"NulAndEndOfFileBytes", "\0[General]\r\n\x1a[General]\r\nFileName=x\r\n"s},
                      ContentCase{"Binary", BinaryBytes()}),
    [](const ::testing::TestParamInfo<ContentCase>& info) { return std::string(info.param.Name); });

TEST(BadProject, MissingOrFolderIsUnreadable)
{
    TestFolder dir;
    for (const std::string& path : {dir / "missing.cvtproj", dir.Root().string()}) {
        SCOPED_TRACE(path);
        bool read = true;
        const CProject project = LoadFrom(path, read);
        EXPECT_FALSE(read);
        ExpectReadDefaults(project);
    }
}

TEST(BadProject, CommandLineExitsWithFour)
{
    TestFolder dir;
    const ProgramResult folder = RunConvert({dir.Root().string()});
    EXPECT_EQ(folder.Status, 4);
    EXPECT_NE(folder.Output.find(dir.Root().string() + ": is a folder"), std::string::npos) << folder.Output;
    const ProgramResult missing = RunConvert({dir / "missing.cvtproj"});
    EXPECT_EQ(missing.Status, 4);
    EXPECT_NE(missing.Output.find("missing.cvtproj: No such file or directory"), std::string::npos)
        << missing.Output;
}

// A garbage project names no source: the command line says so instead of guessing.
TEST(BadProject, CommandLineWithGarbageProjectNamesNoSource)
{
    TestFolder dir;
    WriteFile(dir / "p.cvtproj", BinaryBytes());
    const ProgramResult result = RunConvert({"--quiet", dir / "p.cvtproj"});
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Output.find("no source file named"), std::string::npos) << result.Output;
}

TEST(BadProject, HugeFileLoadsInTime)
{
    TestFolder dir;
    std::string text = "[General]\r\nFileName=data.csv\r\nnColumns=9999\r\n";
    for (int i = 0; i < 200000; ++i)
        text += "Filler" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
    for (int i = 0; i < 9999; ++i)
        text += "Column" + std::to_string(i) + "=c" + std::to_string(i) + "\r\nQuote" + std::to_string(i) +
                "='\r\n";
    WriteFile(dir / "p.cvtproj", text); // about 24 MB
    const auto start = std::chrono::steady_clock::now();
    bool read = false;
    const CProject project = LoadFrom(dir / "p.cvtproj", read);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(read);
    EXPECT_EQ(project.FileName, "data.csv");
    ASSERT_EQ(project.Columns.size(), 9999u);
    EXPECT_EQ(project.Columns[9998], "c9998");
    EXPECT_EQ(project.Quotes[9998], "'");
}

struct CountCase {
    const char* Name;
    std::string Count;
    std::size_t Columns;
};

void PrintTo(const CountCase& c, std::ostream* out)
{
    *out << c.Name;
}

class ColumnCount : public ::testing::TestWithParam<CountCase> {};

// nColumns decides alone: missing keys give empty names and marks, a negative
// or unreadable count gives none, and four digits are the most that count.
TEST_P(ColumnCount, LoadsThatManyColumns)
{
    TestFolder dir;
    WriteFile(dir / "p.cvtproj", ProjectText({"nColumns=" + GetParam().Count, "Column0=id", "Quote0='",
                                              "Column2=name", "Column99999=far"}));
    bool read = false;
    const CProject project = LoadFrom(dir / "p.cvtproj", read);
    ASSERT_EQ(project.Columns.size(), GetParam().Columns);
    ASSERT_EQ(project.Quotes.size(), GetParam().Columns);
    for (std::size_t i = 0; i < project.Columns.size(); ++i) {
        EXPECT_EQ(project.Columns[i], i == 0 ? "id" : i == 2 ? "name" : "") << i;
        EXPECT_EQ(project.Quotes[i], i == 0 ? "'" : "") << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ColumnCount,
                         ::testing::Values(CountCase{"FarBeyondItsKeys", "9999", 9999},
                                           CountCase{"CutToFourDigits", "123456", 1234},
                                           CountCase{"Negative", "-5", 0}, CountCase{"Garbage", "x7", 0},
                                           CountCase{"Three", "3", 3}),
                         [](const ::testing::TestParamInfo<CountCase>& info) {
                             return std::string(info.param.Name);
                         });

} // namespace
