// Bad source files: each converts in a defined way, with nothing lost and no
// value running as SQL, or ends in a clear error.
#include "Converter.h"
#include "FileError.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

using namespace robust;

namespace {

// A project of table T with the text columns a and b, fields separated by commas.
CProject TextProject(const TestFolder& dir, bool header)
{
    CProject project = ProjectIn(dir);
    project.Separator = ",";
    project.ColumnNames = header ? 1 : 0;
    project.Columns = {"a", "b"};
    project.Quotes = {"'", "'"};
    return project;
}

// One INSERT of table T as the script holds it, every value a text literal.
std::string Insert(const std::vector<std::string>& values)
{
    std::string statement = "insert into T(a,b) values(";
    for (std::size_t i = 0; i < values.size(); ++i) {
        statement += i > 0 ? ",'" : "'";
        for (const char c : values[i])
            statement += c == '\'' ? std::string("''") : std::string(1, c);
        statement += "'";
    }
    return statement + ");\r\n";
}

std::string Convert(CProject& project, const std::string& source)
{
    WriteFile(project.FileName, source);
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Run(), CConverter::OpenResult::Done);
    return ReadFile(project.TargetName);
}

struct SourceCase {
    const char* Name;
    std::string Source;
    bool Header;
    std::string Script;
};

void PrintTo(const SourceCase& c, std::ostream* out)
{
    *out << c.Name;
}

class BadSource : public ::testing::TestWithParam<SourceCase> {};

TEST_P(BadSource, ConvertsAsDefined)
{
    TestFolder dir;
    CProject project = TextProject(dir, GetParam().Header);
    EXPECT_EQ(Convert(project, GetParam().Source), GetParam().Script);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Catalogue, BadSource,
    ::testing::Values(
        SourceCase{"EmptyFile", "", true, ""}, SourceCase{"EmptyFileNoHeader", "", false, ""},
        SourceCase{"HeaderOnly", "a,b\r\n", true, ""},
        SourceCase{"HeaderOnlyWithoutLineEnd", "a,b", true, ""},
        SourceCase{"NoFinalLineEnd", "1,x\r\n2,y", false, Insert({"1", "x"}) + Insert({"2", "y"})},
        // A CR and no LF in the first 64 KiB: CR line ends.
        SourceCase{"CrOnlyLineEnds", "1,x\r2,y\r", false, Insert({"1", "x"}) + Insert({"2", "y"})},
        // With LF line ends a CR alone ends no line: it stays inside the value. The CRs before an LF go.
        SourceCase{"LoneCrAndCrsBeforeLf", "1,x\ry\r\r\n2,y\r\n", false,
                   Insert({"1", "x\ry"}) + Insert({"2", "y"})},
        SourceCase{"LfOnlyLineEnds", "1,x\n2,y\n", false, Insert({"1", "x"}) + Insert({"2", "y"})},
        // The blank line at the end is no record.
        SourceCase{"MixedLineEnds", "1,x\r\n2,y\n\n", false, Insert({"1", "x"}) + Insert({"2", "y"})},
        // Byte 26 as the last byte is the old end-of-file mark (anywhere else it stops the run).
        SourceCase{"EndOfFileByteLast", "1,x\n2,y\x1a", false, Insert({"1", "x"}) + Insert({"2", "y"})},
        SourceCase{"HighBytesAndInvalidUtf8", "\x80\xff,\xc3\x28\xe2\x82\n\xfe\xfe\xff,\xed\xa0\x80\n", false,
                   Insert({"\x80\xff", "\xc3\x28\xe2\x82"}) + Insert({"\xfe\xfe\xff", "\xed\xa0\x80"})},
        SourceCase{"Utf8ByteOrderMarkIsSkipped",
                   "\xef\xbb\xbf"
                   "1,x\n",
                   false, Insert({"1", "x"})}),
    [](const ::testing::TestParamInfo<SourceCase>& instance) { return std::string(instance.param.Name); });

// Every byte of a binary file but byte 26 and NUL (which stop the run) comes through: the lines as text mode
// cuts them, each a single text value.
TEST(BadSourceFile, BinaryFileKeepsEveryByte)
{
    TestFolder dir;
    CProject project = TextProject(dir, false);
    project.Separator = "<none>"; // never in the data below, so each line is one value
    project.Columns = {"a"};
    project.Quotes = {"'"};
    std::mt19937 random(26);
    std::string source;
    for (int i = 0; i < 200000; ++i) {
        const char c = static_cast<char>(random() % 256);
        if (c != '\x1a' && c != '<' && c != '\0')
            source += c;
    }
    std::string expected;
    std::size_t start = 0;
    for (std::size_t lf = source.find('\n'); start < source.size(); lf = source.find('\n', start)) {
        std::string line = source.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        while (lf != std::string::npos && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty()) { // a blank line is no record
            std::string statement = Insert({line});
            expected += statement.replace(0, std::string("insert into T(a,b)").size(), "insert into T(a)");
        }
        start = lf == std::string::npos ? source.size() : lf + 1;
    }
    const std::string script = Convert(project, source);
    EXPECT_EQ(script.size(), expected.size());
    EXPECT_TRUE(script == expected);
}

long PeakMemoryKiB()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

// A 100 MB line is one value, taken whole, with memory a small multiple of the line.
TEST(BadSourceFile, HundredMegabyteLine)
{
    TestFolder dir;
    CProject project = TextProject(dir, false);
    constexpr std::size_t length = 100u << 20;
    {
        // Written piece by piece, so the test itself holds no copy of the line.
        std::ofstream out(project.FileName, std::ios::binary);
        const std::string piece(1u << 20, 'x');
        out << '\'' << piece.substr(1);
        for (std::size_t i = 1; i < length / piece.size(); ++i)
            out << (i == length / piece.size() / 2 ? ',' + piece.substr(1) : piece);
        out << "\r\n2,y\r\n";
    }
    const long before = PeakMemoryKiB();
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done);
    const long grown = PeakMemoryKiB() - before;
    EXPECT_LT(grown, 3 * static_cast<long>(length / 1024)) << "KiB grown while converting";
    EXPECT_EQ(converter.LinesRead, 2u);

    const std::string script = ReadFile(project.TargetName);
    const std::string head = "insert into T(a,b) values('''x";
    const std::string tail = "');\r\n" + Insert({"2", "y"});
    ASSERT_EQ(script.size(), std::string("insert into T(a,b) values('','');\r\n").size() + length +
                                 tail.size() - std::string("');\r\n").size());
    EXPECT_EQ(script.compare(0, head.size(), head), 0);
    EXPECT_EQ(script.compare(script.size() - tail.size(), tail.size(), tail), 0);
    // 'x' * (length - 2) split into the two values around the comma, and nothing else.
    EXPECT_EQ(static_cast<std::size_t>(std::count(script.begin(), script.end(), 'x')), length - 2);
}

// 100,000 columns: discovered from the header, all written in one statement.
TEST(BadSourceFile, HundredThousandColumns)
{
    TestFolder dir;
    CProject project = TextProject(dir, true);
    project.Columns.clear();
    project.Quotes.clear();
    constexpr int columns = 100000;
    std::string header, data, values;
    for (int i = 0; i < columns; ++i) {
        header += (i ? ",c" : "c") + std::to_string(i);
        data += (i ? "," : "") + std::to_string(i % 7 == 0 ? -i : i) + (i % 3 == 0 ? "x" : "");
    }
    WriteFile(project.FileName, header + "\r\n" + data + "\r\n");
    CConverter converter;
    converter.Project = &project;
    converter.DiscoverProjectColumns();
    ASSERT_EQ(project.Columns.size(), static_cast<std::size_t>(columns));
    ASSERT_EQ(project.Quotes.size(), static_cast<std::size_t>(columns));
    ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done);

    std::string expected = "insert into T(" + header + ") values(";
    for (int i = 0; i < columns; ++i) {
        const std::string value = std::to_string(i % 7 == 0 ? -i : i);
        expected += i ? "," : "";
        expected += i % 3 == 0 ? "'" + value + "x'" : value;
    }
    expected += ");\r\n";
    EXPECT_TRUE(ReadFile(project.TargetName) == expected);
}

} // namespace
