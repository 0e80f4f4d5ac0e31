// Project files that are garbage, binary, huge, inconsistent or no file at all.
#include "Project.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

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

// Whatever the file holds without a [General] section, it is no project file,
// and every setting takes its read default.
TEST_P(UnusableProjectContent, LoadsReadDefaults)
{
    TestFolder dir;
    WriteFile(dir / "p.cvtproj", GetParam().Content);
    bool read = true;
    const CProject project = LoadFrom(dir / "p.cvtproj", read);
    EXPECT_FALSE(read);
    EXPECT_NE(project.LoadError.find("not a project file"), std::string::npos) << project.LoadError;
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
    [](const ::testing::TestParamInfo<ContentCase>& instance) { return std::string(instance.param.Name); });

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

// A garbage project is refused as such instead of being run with default settings.
TEST(BadProject, CommandLineWithGarbageProjectNamesNoSource)
{
    TestFolder dir;
    WriteFile(dir / "p.cvtproj", BinaryBytes());
    const ProgramResult result = RunConvert({"--quiet", dir / "p.cvtproj"});
    EXPECT_EQ(result.Status, 4);
    EXPECT_NE(result.Output.find("is not a project file"), std::string::npos) << result.Output;
}

// Loading is linear in the file's size (a quadratic lookup would take hours
// here and end in ctest's time-out), and every column is read.
TEST(BadProject, HugeFileLoadsWhole)
{
    TestFolder dir;
    std::string text = "[General]\r\nFileName=data.csv\r\nnColumns=9999\r\n";
    for (int i = 0; i < 200000; ++i)
        text += "Filler" + std::to_string(i) + "=" + std::string(100, 'v') + "\r\n";
    for (int i = 0; i < 9999; ++i)
        text += "Column" + std::to_string(i) + "=c" + std::to_string(i) + "\r\nQuote" + std::to_string(i) +
                "='\r\n";
    WriteFile(dir / "p.cvtproj", text); // about 24 MB
    bool read = false;
    const CProject project = LoadFrom(dir / "p.cvtproj", read);
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
// or unreadable count gives none, and a count is read whole.
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
                                           CountCase{"FiveDigits", "99999", 99999},
                                           CountCase{"Negative", "-5", 0}, CountCase{"Garbage", "x7", 0},
                                           CountCase{"Three", "3", 3}),
                         [](const ::testing::TestParamInfo<CountCase>& instance) {
                             return std::string(instance.param.Name);
                         });

struct IncompleteCase {
    const char* Name;
    std::vector<std::string> Lines; // the project file's keys
    std::vector<std::string> Options;
    int Status;
    std::string Message;
};

void PrintTo(const IncompleteCase& c, std::ostream* out)
{
    *out << c.Name;
}

class IncompleteProject : public ::testing::TestWithParam<IncompleteCase> {};

// What a project lacks is named, and nothing is written.
TEST_P(IncompleteProject, IsRefusedNamingWhatIsMissing)
{
    const IncompleteCase& c = GetParam();
    TestFolder dir;
    dir.Write("s.csv", "a,b\r\n1,2\r\n");
    std::vector<std::string> arguments = c.Options;
    arguments.push_back(dir.Write("p.cvtproj", ProjectText(c.Lines)));
    const ProgramResult result = RunConvert(arguments);
    EXPECT_EQ(result.Status, c.Status) << result.Output;
    EXPECT_NE(result.Output.find(c.Message), std::string::npos) << result.Output;
    EXPECT_FALSE(fs::exists(dir / "s.sql"));
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, IncompleteProject,
    ::testing::Values(
        IncompleteCase{
            "NoTable", {"FileName=s.csv", "TargetName=s.sql", "Separator=,"}, {}, 4, "names no table"},
        IncompleteCase{"EmptyTableOption",
                       {"FileName=s.csv", "TargetName=s.sql", "TableName=t"},
                       {"--table", ""},
                       64,
                       "--table"},
        IncompleteCase{
            "NoTarget", {"FileName=s.csv", "TableName=t"}, {}, 2, "p.cvtproj: names no target file"},
        IncompleteCase{
            "NoSource", {"TargetName=s.sql", "TableName=t"}, {}, 1, "p.cvtproj: names no source file"}),
    [](const ::testing::TestParamInfo<IncompleteCase>& instance) {
        return std::string(instance.param.Name);
    });

// Editors on Windows save a byte order mark in front: the project loads all the same.
TEST(BadProject, ByteOrderMarkInFrontIsSkipped)
{
    TestFolder dir;
    dir.Write("s.csv", "a,b\r\n1,2\r\n");
    const std::string project = dir.Write(
        "p.cvtproj",
        "\xEF\xBB\xBF" + ProjectText({"FileName=s.csv", "TargetName=s.sql", "TableName=t", "Separator=,"}));
    EXPECT_EQ(RunConvert({"--quiet", project}).Status, 0);
    EXPECT_EQ(ReadFile(dir / "s.sql"), "insert into t(a,b) values(1,2);\r\nCOMMIT;\r\n");
}

// A data file given as the project is refused after its first 64 KiB, never read whole:
// an endless one ends too.
TEST(BadProject, DataFileAsProjectIsRefusedEarly)
{
#ifdef _WIN32
    GTEST_SKIP() << "pipes the output of yes(1) through a POSIX shell";
#endif
    const ProgramResult result = RunConvertPiped("yes 'a,b,c'", {"--quiet", "/dev/stdin"}, "");
    EXPECT_EQ(result.Status, 4);
    EXPECT_NE(result.Output.find("/dev/stdin: is not a project file"), std::string::npos) << result.Output;
}

// The system's own failures end in a documented status with a message, never in an abort.
TEST(BadProject, PathTheSystemRefusesIsReported)
{
    TestFolder dir;
    const ProgramResult result = RunConvert({"--quiet", dir / (std::string(300, 'x') + "/p.cvtproj")});
    EXPECT_EQ(result.Status, 4) << result.Output;
    EXPECT_NE(result.Output.find("tabulon-convert: "), std::string::npos) << result.Output;
}

#if defined(__SANITIZE_ADDRESS__)
#define TABULON_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TABULON_SANITIZED 1
#endif
#endif

// A line larger than the memory the process may have: exit 3 naming the line, no partial script.
TEST(BadProject, LineBeyondTheMemoryLimitIsReported)
{
#ifdef _WIN32
    GTEST_SKIP() << "limits the memory with the POSIX shell's ulimit";
#endif
#ifdef TABULON_SANITIZED
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#endif
    TestFolder dir;
    const std::string project =
        dir.Write("p.cvtproj", ProjectText({"FileName=s.csv", "TargetName=s.sql", "TableName=t", "nColumns=1",
                                            "Column0=a", "Quote0='"}));
    fs::resize_file(dir.Write("s.csv", "1\n"), std::uintmax_t{300} << 20); // a sparse 300 MB second line
    const ProgramResult result = RunShell("ulimit -v 250000; " + ShellQuoted(TABULON_CONVERT) + " --quiet " +
                                          ShellQuoted(project) + " 2>&1");
    EXPECT_EQ(result.Status, 3) << result.Output;
    EXPECT_NE(result.Output.find("line 2 is too long for the memory available"), std::string::npos)
        << result.Output;
    EXPECT_FALSE(fs::exists(dir / "s.sql"));
}

} // namespace
