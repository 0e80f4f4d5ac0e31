// Data that no script can carry safely, and runs that fail part way: the run
// stops with a message that says where, and an earlier script stays as it was.
#include "Converter.h"
#include "DataError.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

namespace robust {
namespace {

using namespace std::string_literals;

std::size_t FilesIn(const TestFolder& dir)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir.Root()), fs::directory_iterator()));
}

// A NUL byte ends an SQL client's line: the doubled apostrophe on the next line
// would close the literal and the rest would run as SQL. No script is written.
TEST(UnsafeData, NulByteInAValueStopsTheCommandLineRun)
{
#ifdef _WIN32
    GTEST_SKIP() << "runs the sqlite3 program through a POSIX shell";
#endif
    TestFolder dir;
    dir.Write("s.csv", "a\r\nx\0\r\n');drop table victim;--\r\nz\r\n"s);
    const std::string project = dir.Write(
        "p.cvtproj", ProjectText({"FileName=s.csv", "TargetName=s.sql", "TableName=t", "Separator=,"}));
    const std::string database = dir / "db.sqlite";
    ASSERT_EQ(std::system(("sqlite3 " + ShellQuoted(database) + " 'create table victim(v)'").c_str()), 0);

    const ProgramResult result = RunConvert({"--quiet", project});
    EXPECT_EQ(result.Status, 5);
    EXPECT_NE(result.Output.find("line 2, column 1 (a) holds a NUL byte"), std::string::npos)
        << result.Output;
    EXPECT_NE(result.Output.find("UTF-16"), std::string::npos) << result.Output;
    EXPECT_FALSE(fs::exists(dir / "s.sql"));
    // Whatever a run leaves, the database loads it without losing the table.
    if (fs::exists(dir / "s.sql"))
        (void)std::system(("sqlite3 " + ShellQuoted(database) + " < " + ShellQuoted(dir / "s.sql")).c_str());
    EXPECT_EQ(
        std::system(("sqlite3 " + ShellQuoted(database) + " 'select * from victim' >/dev/null 2>&1").c_str()),
        0);
}

struct NulCase {
    const char* Name;
    std::string Source;
    bool Discover;    // columns read from the source's first line
    bool FixedWidths; // 2,2 instead of the separator ","
    std::string Message;
};

void PrintTo(const NulCase& c, std::ostream* out)
{
    *out << c.Name;
}

class NulByte : public ::testing::TestWithParam<NulCase> {};

// The run stops at the line, names where the byte is, and leaves the earlier
// script byte for byte, also after more than a buffer of statements went out.
TEST_P(NulByte, StopsTheRunAndKeepsTheEarlierScript)
{
    const NulCase& c = GetParam();
    TestFolder dir;
    CProject project = ProjectIn(dir);
    project.Separator = ",";
    project.Columns = {"a", "b"};
    project.Quotes = {"", "'"}; // a bare, b marked: both kinds of copy
    if (c.FixedWidths) {
        project.WithSeparators = 0;
        project.Widths = "2,2";
    }
    WriteFile(project.FileName, c.Source);
    WriteFile(project.TargetName, "the earlier script");
    CConverter converter;
    converter.Project = &project;
    try {
        if (c.Discover)
            converter.DiscoverProjectColumns();
        converter.Run();
        ADD_FAILURE() << "no DataError";
    } catch (const DataError& error) {
        EXPECT_NE(std::string(error.what()).find(c.Message), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFile(project.TargetName), "the earlier script");
    EXPECT_EQ(FilesIn(dir), 2u); // no temporary file left beside them
}

std::string ManyLines()
{
    std::string lines = "a,b\r\n";
    for (int i = 0; i < 40000; ++i)
        lines += "a value long enough,to fill buffers\r\n";
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, NulByte,
    ::testing::Values(
        NulCase{"InASecondColumn", "a,b\r\n1,2\r\n3,x\0y\r\n"s, false, false, "line 3, column 2 (b)"},
        NulCase{"InAColumnName", "a,\0b\r\n1,2\r\n"s, true, false, "line 1, column 2 holds"},
        NulCase{"AfterManyStatements", ManyLines() + "\0,b\r\n"s, false, false, "line 40002, column 1 (a)"},
        NulCase{"OutsideTheFixedWidths", "abcd\0\r\n"s, false, true, "line 1, byte 5 holds"},
        // Windows clients stop reading a script at a Ctrl-Z: anywhere but last it stops the run too.
        NulCase{"ControlZInAValue", "a,b\n1,x\x1ay\n2,z\n"s, false, false,
                "line 2, column 2 (b) holds a Ctrl-Z"},
        NulCase{"ControlZInAColumnName", "a,\x1a\r\n1,2\r\n\x1a"s, true, false,
                "line 1, column 2 holds a Ctrl-Z"},
        // Where the single pass finds it as it copies: in a word of eight bytes, in the
        // line's last bytes, in a number, and in a field beyond the columns, which it does not copy.
        NulCase{"InALongValue", "a,b\r\n1,abcdefghijklmnop\0qrstuvwxyz\r\n"s, false, false,
                "line 2, column 2 (b)"},
        NulCase{"InTheLastBytes", "a,b\r\n1,abcdefghij\0k\r\n"s, false, false, "line 2, column 2 (b)"},
        NulCase{"InANumber", "a,b\r\n12\0,b\r\n"s, false, false, "line 2, column 1 (a)"},
        NulCase{"BeyondTheColumns", "a,b\r\n1,2,x\0\r\n"s, false, false, "line 2, column 3 holds"}));

TEST(UnsafeData, NulByteInAProjectColumnNameStopsBeforeWriting)
{
    TestFolder dir;
    CProject project = ProjectIn(dir);
    project.Columns = {"a\0b"s};
    project.Quotes = {"'"};
    WriteFile(project.FileName, "x\r\n");
    CConverter converter;
    converter.Project = &project;
    EXPECT_THROW(converter.Run(), DataError);
    EXPECT_FALSE(fs::exists(project.TargetName));
}

} // namespace
} // namespace robust
