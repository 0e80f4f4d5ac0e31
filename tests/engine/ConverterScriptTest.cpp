#include "Converter.h"
#include "FileError.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Report {
    std::string Status;
    int Percent;
};
std::vector<Report> Reports;
// Each report as "Line L, B bytes done".
void Record(const RunProgress& report)
{
    Reports.push_back(
        {"Line " + std::to_string(report.Line) + ", " + std::to_string(report.Bytes) + " bytes done",
         report.Percent});
}

// A project converting one source in a test folder.
class Conversion : public ::testing::Test {
  protected:
    void SetUp() override
    {
        Reports.clear();
        Project.FileName = Folder.Path("source.csv");
        Project.TargetName = Folder.Path("target.sql");
        Project.TableName = "People";
        Project.Separator = ",";
        Converter.Project = &Project;
    }

    // Runs on the source and gives the script's bytes.
    std::string Convert(const std::string& source)
    {
        WriteFile(Project.FileName, source);
        EXPECT_EQ(Converter.Run(Record), CConverter::OpenResult::Done);
        return ReadFile(Project.TargetName);
    }

    void Columns(std::vector<std::string> names, std::vector<std::string> quotes)
    {
        Project.Columns = std::move(names);
        Project.Quotes = std::move(quotes);
    }

    TestFolder Folder;
    CProject Project;
    CConverter Converter;
};

std::string Lines(int count, int firstNumber = 1)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(firstNumber + i) + "\r\n";
    return text;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

TEST_F(Conversion, StatementSeparators)
{
    Columns({"id", "name"}, {"", "'"});
    Project.Commit = 1;
    const struct {
        const char* SQLSep;
        const char* Expected;
    } cases[] = {
        {";", "insert into People(id,name) values(7,'O''Neil');\r\nCOMMIT;\r\n"},
        {"GO", "insert into People(id,name) values(7,'O''Neil')\r\nGO\r\nCOMMIT\r\nGO\r\n"},
        {"", "insert into People(id,name) values(7,'O''Neil')\r\nCOMMIT\r\n"},
    };
    for (const auto& c : cases) {
        Project.SQLSep = c.SQLSep;
        EXPECT_EQ(Convert("id,name\r\n7,O'Neil\r\n"), c.Expected) << c.SQLSep;
    }
}

// CR line ends (a CR and no LF in the first 64 KiB), CRs before an LF, a lone CR
// in a line with LF line ends, and a Ctrl-Z as the last byte: names and values
// as the source means them.
TEST_F(Conversion, LineEndsAndTheEndOfFileMark)
{
    const struct {
        const char* Source;
        int QuotedFields;
        const char* Expected;
    } cases[] = {
        {"a,b\r1,2\r3,4\r", 0,
         "insert into People(a,b) values(1,2);\r\ninsert into People(a,b) values(3,4);\r\n"},
        {"a,b\r\r\n1,2\r\r\n", 0, "insert into People(a,b) values(1,2);\r\n"},
        {"a,b\n1,x\ry\r\n", 0, "insert into People(a,b) values(1,'x\ry');\r\n"},
        {"a,b\r1,\"x\ry\"\r", 1, "insert into People(a,b) values(1,'x\ry');\r\n"},
        {"a,b\r\n1,2\r\n\x1a", 0, "insert into People(a,b) values(1,2);\r\n"},
        {"a,b\r\n1,2\x1a", 0, "insert into People(a,b) values(1,2);\r\n"},
    };
    for (const auto& c : cases) {
        Project.QuotedFields = c.QuotedFields;
        WriteFile(Project.FileName, c.Source);
        Converter.DiscoverProjectColumns();
        EXPECT_EQ(Convert(c.Source), c.Expected) << c.Source;
    }
}

// Fixed widths count the source's characters when it is read in an encoding,
// bytes when it is read as bytes.
TEST_F(Conversion, FixedWidthsCountCharactersOfAnEncoding)
{
    Columns({"a", "b"}, {"'", "'"});
    Project.ColumnNames = 0;
    Project.WithSeparators = 0;
    Project.Widths = "5,4";
    const struct {
        const char* Encoding;
        const char* Source;
        const char* Values;
    } cases[] = {
        {"Windows-1252", "Jos\xe9 Metz\r\n", "'Jos\xc3\xa9 ','Metz'"},
        {"UTF-8", "Jos\xc3\xa9 Metz\r\n", "'Jos\xc3\xa9 ','Metz'"},
        {"UTF-8", "\xe6\x9d\xb1\xe4\xba\xac\xf0\x9f\x98\x80xyz12345\r\n",
         "'\xe6\x9d\xb1\xe4\xba\xac\xf0\x9f\x98\x80xy','z123'"},
        {"", "Jos\xc3\xa9 Metz\r\n", "'Jos\xc3\xa9',' Met'"},
    };
    for (const auto& c : cases) {
        Project.Encoding = c.Encoding;
        EXPECT_EQ(Convert(c.Source), std::string("insert into People(a,b) values(") + c.Values + ");\r\n")
            << c.Encoding << " " << c.Source;
    }
}

TEST_F(Conversion, ValuesKeepTheirColumnsAndNeverRunAsSql)
{
    Columns({"a", "b", "c"}, {"", "", "'"});
    Project.ColumnNames = 0;
    const struct {
        const char* Line;
        const char* Values;
    } cases[] = {
        {",5,", "NULL,5,''"},
        {"5,,6", "5,NULL,'6'"},
        {"O'Neil,-1.5,x", "'O''Neil',-1.5,'x'"},
        {"1); drop table x; --,-7,y", "'1); drop table x; --',-7,'y'"},
        {"+7,.5,5.", "'+7','.5','5.'"}, // read back as 7, 0.5 and 5: only the canonical form stands bare
        {"-0,0.0,-0.0", "'-0',0.0,'-0.0'"},
        {"-,.,1e5", "'-','.','1e5'"},
        {"007,00501,12345678901234567", "'007','00501','12345678901234567'"}, // digits a database would drop
        {"1,2,3,4", "1,2,'3'"},       // more fields than columns: the extra one is left out
        {"only", "'only',NULL,NULL"}, // fewer: the missing ones are NULL
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Convert(std::string(c.Line) + "\r\n"),
                  std::string("insert into People(a,b,c) values(") + c.Values + ");\r\n")
            << c.Line;
    }
}

TEST_F(Conversion, AnotherMarkIsDoubledInsideItsValues)
{
    Columns({"a"}, {"\""});
    Project.ColumnNames = 0;
    EXPECT_EQ(Convert("say \"hi\" o'k\r\n"), "insert into People(a) values(\"say \"\"hi\"\" o''k\");\r\n");
}

TEST_F(Conversion, NamesThatAreNoPlainIdentifiersAreQuoted)
{
    Project.ColumnNames = 0;
    for (const std::string name :
         {"first_name", "my table", "dbo.People", "2nd", "\xe4pfel", "-x", "select", "Order"}) {
        Columns({name}, {});
        EXPECT_EQ(Convert("1\r\n"), "insert into People(\"" + name + "\") values(1);\r\n") << name;
    }
    for (const std::string name : {"People", "Col2", "x"}) {
        Columns({name}, {});
        EXPECT_EQ(Convert("1\r\n"), "insert into People(" + name + ") values(1);\r\n") << name;
    }

    Project.TableName = "my \"t\"";
    Columns({"a\"b", "ok", ""}, {});
    Project.ColumnNames = 0;
    // A column without a name is left out, its value too.
    EXPECT_EQ(Convert("1,2,3\r\n"), "insert into \"my \"\"t\"\"\"(\"a\"\"b\",ok) values(1,2);\r\n");
    Columns({"", "a", "", "b", ""}, {});
    EXPECT_EQ(Convert("1,2,3\r\n4\r\n"), "insert into \"my \"\"t\"\"\"(a,b) values(2,NULL);\r\n"
                                         "insert into \"my \"\"t\"\"\"(a,b) values(NULL,NULL);\r\n");
}

TEST_F(Conversion, AShortLineLeavesNothingOfTheLineBefore)
{
    Columns({"a", "b", "c"}, {"'", "'", "'"});
    Project.ColumnNames = 0;
    EXPECT_EQ(Convert("1,2,3\r\n4\r\n"), "insert into People(a,b,c) values('1','2','3');\r\n"
                                         "insert into People(a,b,c) values('4',NULL,NULL);\r\n");
}

TEST_F(Conversion, FixedWidthLines)
{
    Project.WithSeparators = 0;
    Project.Widths = "3,2";
    Project.ColumnNames = 0;
    Columns({"code", "n"}, {"'", ""});
    EXPECT_EQ(Convert("ABC12rest\r\nXY\r\nABC1\r\n"), "insert into People(code,n) values('ABC',12);\r\n"
                                                      "insert into People(code,n) values('XY',NULL);\r\n"
                                                      "insert into People(code,n) values('ABC',1);\r\n");
}

// Trim and EmptyIsNull, with and without quoted fields: each setting changes
// only what it names.
TEST_F(Conversion, TrimAndEmptyValuesAsNull)
{
    Columns({"a", "b", "c"}, {"'", "'", ""});
    Project.ColumnNames = 0;
    const struct {
        int Trim, EmptyIsNull, QuotedFields;
        const char* Line;
        const char* Values;
    } cases[] = {
        {0, 0, 0, " x ,,\t7", "' x ','','\t7'"},   {1, 0, 0, " x ,,\t7", "'x','',7"},
        {0, 1, 0, " x ,,\t7", "' x ',NULL,'\t7'"}, {1, 1, 0, " x , ,\t7", "'x',NULL,7"},
        {1, 0, 1, "\" x \",\"\", 8 ", "'x','',8"}, {0, 1, 1, "\"\",\" \",", "NULL,' ',NULL"},
    };
    for (const auto& c : cases) {
        Project.Trim = c.Trim;
        Project.EmptyIsNull = c.EmptyIsNull;
        Project.QuotedFields = c.QuotedFields;
        EXPECT_EQ(Convert(std::string(c.Line) + "\r\n"),
                  std::string("insert into People(a,b,c) values(") + c.Values + ");\r\n")
            << c.Line << " trim " << c.Trim << " empty " << c.EmptyIsNull;
    }
}

TEST_F(Conversion, CommitIntervals)
{
    Project.Commit = 1;
    Project.CommitSize = 250;
    Columns({"n"}, {""});
    std::string script = Convert("n\r\n" + Lines(500));
    EXPECT_EQ(Count(script, "COMMIT;\r\n"), 3u);
    // With a header the interval counts it: COMMIT after data rows 249 and 499, and at the end.
    EXPECT_NE(script.find("values(249);\r\nCOMMIT;\r\ninsert"), std::string::npos);
    EXPECT_NE(script.find("values(499);\r\nCOMMIT;\r\ninsert"), std::string::npos);
    EXPECT_TRUE(EndsWith(script, "values(500);\r\nCOMMIT;\r\n"));

    Project.ColumnNames = 0;
    script = Convert(Lines(500));
    EXPECT_NE(script.find("values(250);\r\nCOMMIT;\r\ninsert"), std::string::npos);
    EXPECT_TRUE(EndsWith(script, "values(500);\r\nCOMMIT;\r\nCOMMIT;\r\n"));

    Project.CommitSize = -2;
    EXPECT_EQ(Count(Convert(Lines(4)), "COMMIT"), 3u);
    Project.CommitSize = 0; // no interval, only the final COMMIT
    EXPECT_EQ(Count(Convert(Lines(4)), "COMMIT"), 1u);
    Project.Commit = 0;
    Project.CommitSize = 1;
    EXPECT_EQ(Count(Convert(Lines(4)), "COMMIT"), 0u);
}

TEST_F(Conversion, ReportsEveryNinthLineAndAtTheEnd)
{
    Columns({"n"}, {""});
    Project.ColumnNames = 0;
    Convert(Lines(20));
    std::vector<std::string> statuses;
    for (const Report& report : Reports)
        statuses.push_back(report.Status);
    // Each line counts its length plus 2; the read that meets the end adds 2 more.
    EXPECT_EQ(statuses, (std::vector<std::string>{"Line 1, 3 bytes done", "Line 10, 31 bytes done",
                                                  "Line 19, 67 bytes done", "Line 20, 73 bytes done"}));
    EXPECT_EQ(Reports.back().Percent, 73 * 100 / 71);

    Project.ColumnNames = 1;
    Reports.clear();
    const std::string script = Convert("n\r\n" + Lines(3));
    EXPECT_EQ(Count(script, "insert"), 3u);
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Status, "Line 4, 14 bytes done");
}

TEST_F(Conversion, AnEmptySource)
{
    Project.Commit = 1;
    EXPECT_EQ(Convert(""), "COMMIT;\r\n");
    ASSERT_EQ(Reports.size(), 1u);
    EXPECT_EQ(Reports[0].Status, "Line 0, 2 bytes done");
    EXPECT_EQ(Reports[0].Percent, 100);
}

TEST_F(Conversion, ASourceThatCannotBeOpenedLeavesTheTargetAlone)
{
    WriteFile(Project.TargetName, "keep");
    Project.FileName = Folder.Path("missing.csv");
    EXPECT_EQ(Converter.Run(Record), CConverter::OpenResult::SourceFailed);
    EXPECT_EQ(Converter.LastOpenFailure().Result, CConverter::OpenResult::SourceFailed);
    EXPECT_EQ(Converter.LastOpenFailure().File, Project.FileName);
    EXPECT_EQ(ReadFile(Project.TargetName), "keep");
    EXPECT_TRUE(Reports.empty());
}

TEST_F(Conversion, ATargetThatCannotBeCreated)
{
    WriteFile(Project.FileName, "a\r\n");
    Project.TargetName = Folder.Path("no/such/folder/t.sql");
    EXPECT_EQ(Converter.Open(true), CConverter::OpenResult::TargetFailed);
    EXPECT_EQ(Converter.LastOpenFailure().File, Project.TargetName);
    EXPECT_FALSE(Converter.LastOpenFailure().Reason.empty());
    // The source was closed again: a fresh open works.
    EXPECT_EQ(Converter.Open(false), CConverter::OpenResult::Done);
    Converter.Close(false);
}

TEST_F(Conversion, TheTargetNeverOverwritesTheSource)
{
    const std::string source = "id\r\n1\r\n";
    WriteFile(Project.FileName, source);
    std::filesystem::create_directory(Folder.Path("sub"));
    std::vector<std::string> spellings = {Project.FileName, Folder.Path("sub/../source.csv"),
                                          Folder.Path("./source.csv")};
#ifdef _WIN32
    // Names differ in letter case only, or in the kind of slash.
    spellings.push_back(Folder.Path("SOURCE.CSV"));
    spellings.push_back(Folder.Root().u8string() + "/source.csv");
#else
    std::filesystem::create_symlink(Project.FileName, Folder.Path("link.csv"));
    spellings.push_back(Folder.Path("link.csv"));
#endif
    for (const std::string& target : spellings) {
        Project.TargetName = target;
        EXPECT_EQ(Converter.Open(true), CConverter::OpenResult::TargetFailed) << target;
        EXPECT_EQ(Converter.Run(Record), CConverter::OpenResult::TargetFailed) << target;
        EXPECT_EQ(ReadFile(Project.FileName), source) << target;
    }
}

TEST_F(Conversion, AWriteErrorThrowsWithTheFileAndReason)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this system";
    WriteFile(Project.FileName, "a\r\nb\r\n");
    Project.TargetName = "/dev/full";
    try {
        Converter.Run(Record);
        FAIL() << "the run reported success on a full device";
    } catch (const FileError& error) {
        EXPECT_EQ(error.FileName, "/dev/full");
        EXPECT_FALSE(error.Reason.empty());
    }
    // Both files were closed: the engine runs again.
    Project.TargetName = Folder.Path("target.sql");
    EXPECT_EQ(Converter.Run(Record), CConverter::OpenResult::Done);
}

TEST_F(Conversion, RunningTwiceWritesTheScriptAfresh)
{
    Columns({"n"}, {""});
    const std::string first = Convert("n\r\n1\r\n2\r\n");
    EXPECT_EQ(Convert("n\r\n1\r\n2\r\n"), first);
    EXPECT_EQ(Convert("n\r\n3\r\n"), "insert into People(n) values(3);\r\n");
}

// Rows are the records written: the header, blank lines and the line ends inside
// a quoted field count for none.
TEST_F(Conversion, CountsTheRowsItWrites)
{
    struct Case {
        const char* Name;
        int Header;
        int Quoted;
        std::string Source;
        std::uint64_t Rows;
    };
    const Case cases[] = {
        {"header", 1, 0, "n,t\r\n1,a\r\n2,b\r\n", 2},
        {"no header", 0, 0, "1,a\r\n2,b\r\n", 2},
        {"blank lines", 1, 0, "n,t\r\n\r\n1,a\r\n\r\n2,b\r\n\r\n", 2},
        {"a record over two lines", 1, 1, "n,t\r\n1,\"a\r\nb\"\r\n2,c\r\n", 2},
        {"header only", 1, 0, "n,t\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Columns({"n", "t"}, {"", "'"});
        Project.ColumnNames = c.Header;
        Project.QuotedFields = c.Quoted;
        Convert(c.Source);
        EXPECT_EQ(Converter.RowsWritten, c.Rows);
    }
}

// A progress function that throws stops the run there: the exception comes out of
// Run and an earlier script of that name stays as it was, with no partial file beside it.
TEST_F(Conversion, AProgressFunctionThatThrowsStopsTheRunAndKeepsTheTarget)
{
    struct Stopped {};
    Columns({"n"}, {""});
    Project.ColumnNames = 0;
    WriteFile(Project.TargetName, "the earlier script\r\n");
    WriteFile(Project.FileName, Lines(100));
    static int reports = 0;
    reports = 0;
    // The second report comes after ten lines; the run must not reach the end.
    EXPECT_THROW(Converter.Run([](const RunProgress&) {
        if (++reports == 2)
            throw Stopped();
    }),
                 Stopped);
    EXPECT_EQ(reports, 2);
    EXPECT_EQ(ReadFile(Project.TargetName), "the earlier script\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path("")), {}), 2);
    // Both files were closed: the engine runs again.
    EXPECT_EQ(Converter.Run(Record), CConverter::OpenResult::Done);
    EXPECT_EQ(Converter.RowsWritten, 100u);
}

TEST_F(Conversion, NullMarkersNumbersAndDatesAsTheSourceWritesThem)
{
    Project.Separator = ";";
    Project.ColumnNames = 0;
    Columns({"a", "b", "c"}, {"", "", "'"});
    const struct {
        const char* NullValues;
        const char* Decimal;
        const char* Thousands;
        const char* DateFormat;
        int Trim;
        const char* Line;
        const char* Values;
    } cases[] = {
        {"", ".", "", "YYYY-MM-DD", 0, "NA;1,5;31.12.2024", "'NA','1,5','31.12.2024'"},
        {"NA, \\N", ".", "", "YYYY-MM-DD", 0, "NA;\\N;NA", "NULL,NULL,NULL"},
        {"NA", ".", "", "YYYY-MM-DD", 0, "na; NA;NAN", "'na',' NA','NAN'"},
        {"NA", ".", "", "YYYY-MM-DD", 1, " NA ;7; NA", "NULL,7,NULL"},
        {"", ",", "", "YYYY-MM-DD", 0, "1,5;-0,25;3,0", "1.5,-0.25,'3.0'"},
        {"", ",", ".", "YYYY-MM-DD", 0, "1.234,5;1.234.567;12.34", "1234.5,1234567,'12.34'"},
        {"", ",", "<space>", "YYYY-MM-DD", 0, "1 234,5;12 34;1,2,3", "1234.5,'12 34','1,2,3'"},
        {"", ".", "'", "YYYY-MM-DD", 0, "1'234.50;007;2'34", "1234.50,'007','2''34'"},
        {"", ".", "", "DD.MM.YYYY", 0, "31.12.2024;1.2.2024 9:05;31.02.2024",
         "'2024-12-31','2024-02-01 09:05:00','31.02.2024'"},
        {"", ".", "", "MM/DD/YY", 0, "12/31/24;12/31/69;31/12/24", "'2024-12-31','1969-12-31','31/12/24'"},
        {"-", ",", "", "DD/MM/YYYY", 0, "-;2,5;03/04/2024", "NULL,2.5,'2024-04-03'"},
    };
    for (const auto& c : cases) {
        Project.NullValues = c.NullValues;
        Project.DecimalSeparator = c.Decimal;
        Project.ThousandsSeparator = c.Thousands;
        Project.DateFormat = c.DateFormat;
        Project.Trim = c.Trim;
        // The single pass, then the general writer (which EmptyIsNull calls for; no value is empty).
        for (const int general : {0, 1}) {
            Project.EmptyIsNull = general;
            EXPECT_EQ(Convert(std::string(c.Line) + "\r\n"),
                      std::string("insert into People(a,b,c) values(") + c.Values + ");\r\n")
                << c.Line << " with " << c.NullValues << " " << c.Decimal << " " << c.DateFormat
                << " general " << general;
        }
    }
}

TEST_F(Conversion, TitleAndCommentLinesAreSkipped)
{
    Columns({"n", "t"}, {"", "'"});
    Project.Commit = 1;
    Project.CommitSize = 2;
    const struct {
        int SkipLines;
        int ColumnNames;
        const char* CommentPrefix; // the header may be a comment line; no record is
        const char* Source;
        const char* Script;
        std::uint64_t ShortLine; // where the first short line began
    } cases[] = {
        {0, 1, "", "n,t\r\n1,a\r\n2\r\n",
         "insert into People(n,t) values(1,'a');\r\nCOMMIT;\r\ninsert into People(n,t) values(2,NULL);\r\n"
         "COMMIT;\r\n",
         3},
        {3, 1, "", "Sales 2024\r\n\r\nby region\r\nn,t\r\n1,a\r\n2\r\n",
         "insert into People(n,t) values(1,'a');\r\nCOMMIT;\r\ninsert into People(n,t) values(2,NULL);\r\n"
         "COMMIT;\r\n",
         6},
        {1, 0, "", "Sales 2024\r\n1,a\r\n2\r\n3,c\r\n",
         "insert into People(n,t) values(1,'a');\r\ninsert into People(n,t) values(2,NULL);\r\nCOMMIT;\r\n"
         "insert into People(n,t) values(3,'c');\r\nCOMMIT;\r\n",
         3},
        {9, 1, "", "n,t\r\n1,a\r\n", "COMMIT;\r\n", 0},
        {1, 1, "#", "# as of today\r\nn,t\r\n1,a\r\n# a note\r\n2\r\n",
         "insert into People(n,t) values(1,'a');\r\nCOMMIT;\r\ninsert into People(n,t) values(2,NULL);\r\n"
         "COMMIT;\r\n",
         5},
        {0, 1, "#", "# as of today\r\n\r\n# by region\r\nn,t\r\n1,a\r\n# a note\r\n2\r\n",
         "insert into People(n,t) values(1,'a');\r\nCOMMIT;\r\ninsert into People(n,t) values(2,NULL);\r\n"
         "COMMIT;\r\n",
         7},
        {1, 1, "#", "# as of today\r\n#n,t\r\n1,a\r\n#2,x\r\n2\r\n",
         "insert into People(n,t) values(1,'a');\r\nCOMMIT;\r\ninsert into People(n,t) values(2,NULL);\r\n"
         "COMMIT;\r\n",
         5},
        {0, 0, "//", "//x\r\n1,a\r\n//y\r\n2\r\n3,c\r\n",
         "insert into People(n,t) values(1,'a');\r\ninsert into People(n,t) values(2,NULL);\r\nCOMMIT;\r\n"
         "insert into People(n,t) values(3,'c');\r\nCOMMIT;\r\n",
         4},
    };
    for (const auto& c : cases) {
        Project.SkipLines = c.SkipLines;
        Project.ColumnNames = c.ColumnNames;
        Project.CommentPrefix = c.CommentPrefix;
        EXPECT_EQ(Convert(c.Source), c.Script) << c.Source;
        EXPECT_EQ(Converter.ShortLines.FirstLine, c.ShortLine) << c.Source;
        std::vector<std::string> names;
        Converter.DiscoverColumns(names, nullptr);
        EXPECT_EQ(names.empty() ? std::string() : names[0], c.SkipLines > 3 ? ""
                                                            : c.ColumnNames ? "n"
                                                                            : "N0")
            << c.Source;
    }
}

TEST_F(Conversion, NullMarkersNumbersAndDatesTypeTheirColumns)
{
    Project.Separator = ";";
    Project.Dialect = "PostgreSQL";
    Project.CreateTable = 1;
    Project.NullValues = "NA";
    Project.DecimalSeparator = ",";
    Project.DateFormat = "DD.MM.YYYY";
    Columns({"n", "d", "t", "e"}, {"", "'", "'", "'"});
    const std::string script =
        Convert("n;d;t;e\r\n1,5;31.12.2024;NA;2.1.2024\r\nNA;1.1.2024 10:00;x;NA\r\n-2;NA;y;NA\r\n");
    EXPECT_NE(script.find("(\r\n  n NUMERIC(2,1),\r\n  d TIMESTAMP,\r\n  t TEXT,\r\n  e DATE\r\n)"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("values(NULL,'2024-01-01 10:00:00','x',NULL)"), std::string::npos) << script;
}
