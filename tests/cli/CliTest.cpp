// Runs the real tabulon-convert program.
#include "CommandLine.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <string>
#include <vector>

namespace {

const char* const ProjectText =
    "[General]\r\nFileName=people.csv\r\nTargetName=people.sql\r\nTableName=People\r\n"
    "Separator=,\r\nSQLSep=;\r\nCommit=1\r\nCommitSize=2\r\nColumnNames=1\r\n"
    "WithSeparators=1\r\n";

} // namespace

TEST(Cli, ConvertsAGeneratedSourceByteForByte)
{
    TestFolder folder;
    std::string source = "id,name,amount\r\n";
    std::string expected;
    for (int i = 1; i <= 1000; ++i) {
        const std::string name = i % 7 == 0 ? "O'Neil " + std::to_string(i) : "name" + std::to_string(i);
        const std::string amount = i % 10 == 0 ? "" : std::to_string(i) + ".25";
        source += std::to_string(i) + "," + name + "," + amount + (i % 3 == 0 ? "\n" : "\r\n");
        std::string quoted = name;
        for (std::size_t at = quoted.find('\''); at != std::string::npos; at = quoted.find('\'', at + 2))
            quoted.insert(at, 1, '\'');
        expected += "insert into People(id,name,amount) values(" + std::to_string(i) + ",'" + quoted + "'," +
                    (amount.empty() ? "NULL" : amount) + ");\r\n";
        if ((i + 1) % 2 == 0)
            expected += "COMMIT;\r\n";
    }
    expected += "COMMIT;\r\n";
    folder.Write("people.csv", source);
    const std::string project = folder.Write("people.cvtproj", ProjectText);

    const ProgramResult outcome = RunConvert({project});
    EXPECT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_NE(outcome.Output.find("1001 lines"), std::string::npos) << outcome.Output;
    EXPECT_NE(outcome.Output.find(folder.Path("people.sql")), std::string::npos) << outcome.Output;
    EXPECT_EQ(ReadFile(folder.Path("people.sql")), expected);
    EXPECT_EQ(ReadFile(project), ProjectText); // the project file is not written
}

TEST(Cli, OptionsReplaceTheProjectsNamesForOneRun)
{
    TestFolder folder;
    folder.Write("people.csv", "id\r\n1\r\n");
    folder.Write("other.csv", "code\tname\r\n7\tx\r\n");
    const std::string project =
        folder.Write("p.cvtproj", std::string(ProjectText) + "nColumns=1\r\nColumn0=ident\r\nQuote0='\r\n");
    // The saved columns are used as they stand...
    ProgramResult outcome = RunConvert({project, "--quiet"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_EQ(ReadFile(folder.Path("people.sql")),
              "insert into People(ident) values('1');\r\nCOMMIT;\r\nCOMMIT;\r\n");

    // ...unless asked to discover them from the source. The separator is the project's.
    outcome = RunConvert({"--source", folder.Path("other.csv"), "--target", folder.Path("out.sql"), "--table",
                          "T2", "--discover", project});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_EQ(ReadFile(folder.Path("out.sql")),
              "insert into T2(\"code\tname\") values('7\tx');\r\nCOMMIT;\r\nCOMMIT;\r\n");
    EXPECT_EQ(ReadFile(project).find("T2"), std::string::npos);
}

TEST(Cli, NamesWrittenOtherwiseAreListedAfterTheSummary)
{
    TestFolder folder;
    const std::string project = folder.Write("names.cvtproj", "[General]\r\nTableName=t\r\nSeparator=,\r\n");
    const std::string source =
        folder.Write("names.csv", " id ,\xC3\x89,\xC3\xA9,x\xF0\x9F\x98\x80\r\n1,2,3,4\r\n");
    const struct {
        const char* Dialect;
        const char* Listed;
    } cases[] = {
        {"MySQL", "tabulon-convert: column 3, \"\xC3\xA9\", is written as \"\xC3\xA9_2\"\n"
                  "tabulon-convert: column 4, \"x\xF0\x9F\x98\x80\", is written as \"x_\"\n"},
        {"PostgreSQL", ""},
    };
    for (const auto& c : cases) {
        const ProgramResult outcome = RunConvert({"--source", source, "--target", folder.Path("names.sql"),
                                                  "--set", std::string("Dialect=") + c.Dialect, project});
        ASSERT_EQ(outcome.Status, 0) << outcome.Output;
        // Lines as written, whatever line end the system's text mode gives them (CR LF on Windows).
        std::string output = outcome.Output;
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        // The header's blanks go when the columns are read: no change to list.
        EXPECT_EQ(output.substr(output.find('\n') + 1), c.Listed) << c.Dialect;
    }
}

TEST(Cli, ExitStatusNamesWhatFailed)
{
    TestFolder folder;
    folder.Write("people.csv", "id\r\n1\r\n");
    const std::string project = folder.Write("p.cvtproj", ProjectText);
    const struct {
        std::vector<std::string> Arguments;
        int Status;
        std::string Mentions;
    } cases[] = {
        {{"--source", folder.Path("missing.csv"), project}, 1, "missing.csv"},
        {{"--target", folder.Path("no/dir/x.sql"), project}, 2, "x.sql"},
        {{"--target", folder.Path("people.csv"), project}, 2, "source"},
        {{"--target", "/dev/full", project}, 3, "/dev/full"},
        {{folder.Path("none.cvtproj")}, 4, "none.cvtproj"},
        {{folder.Path("")}, 4, "folder"},
        {{}, 64, "no project file"},
        {{"--bogus", project}, 64, "--bogus"},
        {{"--target"}, 64, "--target needs a value"},
    };
    for (const auto& c : cases) {
        const ProgramResult outcome = RunConvert(c.Arguments);
        const std::string call = ::testing::PrintToString(c.Arguments);
        EXPECT_EQ(outcome.Status, c.Status) << call << "\n" << outcome.Output;
        EXPECT_NE(outcome.Output.find(c.Mentions), std::string::npos) << call << "\n" << outcome.Output;
    }
    EXPECT_EQ(ReadFile(folder.Path("people.csv")), "id\r\n1\r\n");
}

// A source read only once gets its CREATE TABLE types from every line, as a
// regular file does: it is kept whole in a file in the temporary folder, which
// goes at the end; a folder that takes no file fails the run, naming the file.
TEST(Cli, APipedSourceIsTypedFromEveryLine)
{
#ifdef _WIN32
    GTEST_SKIP() << "a shell pipeline needs a POSIX shell";
#endif
    TestFolder folder;
    std::string source = "n\n";
    for (int i = 1; i <= 10000; ++i)
        source += std::to_string(i) + "\n";
    const std::string path = folder.Write("n.csv", source + "12.5\n");
    const std::string project = folder.Write(
        "n.cvtproj", "[General]\r\nTableName=t\r\nSeparator=,\r\nCreateTable=1\r\nDialect=PostgreSQL\r\n");
    std::filesystem::create_directory(folder.Root() / "tmp");
    const struct {
        std::string Temporary;
        int Status;
        const char* Mentions; // in the script, or in the message of a failure
    } cases[] = {
        {folder.Path("tmp"), 0, "CREATE TABLE t (\r\n  n NUMERIC(6,1)\r\n)"},
        {folder.Path("tmp"), 0, "values(12.5);\r\nCOMMIT"},
        {"/proc", 3, "/proc/tabulon-"}, // 3: a file could not be written
    };
    for (const auto& c : cases) {
        const ProgramResult outcome =
            RunConvertPiped("export TMPDIR=" + ShellQuoted(c.Temporary) + "; cat " + ShellQuoted(path),
                            {"--quiet", "--source", "-", "--target", folder.Path("n.sql"), project}, "");
        EXPECT_EQ(outcome.Status, c.Status) << outcome.Output;
        const std::string text = c.Status == 0 ? ReadFile(folder.Path("n.sql")) : outcome.Output;
        EXPECT_NE(text.find(c.Mentions), std::string::npos) << text.substr(0, 200) << outcome.Output;
        EXPECT_TRUE(std::filesystem::is_empty(folder.Root() / "tmp"));
    }
}

// Every setting is checked before anything is written: a bad one from --set is
// a usage error (64), one in the project file a project error (4), one found only
// against the source (a table of no columns) a source error (1); each names the
// key and what to write instead.
TEST(Cli, SettingsAreCheckedByKey)
{
    TestFolder folder;
    folder.Write("people.csv", "id\r\n1\r\n");
    folder.Write("empty.csv", "");
    const std::string project = folder.Write("p.cvtproj", ProjectText);
    auto withLine = [&](const std::string& line) {
        return folder.Write(line.substr(0, line.find('=')) + ".cvtproj", ProjectText + line + "\r\n");
    };
    const std::string target = folder.Write("people.sql", "the earlier script");
    const struct {
        std::vector<std::string> Arguments;
        int Status;
        std::string Mentions;
    } cases[] = {
        {{"--set", "Dialekt=MySQL", project}, 64, "Dialekt is no project key (did you mean Dialect?)"},
        {{"--set", "RowsPerInsert=abc", project}, 64, "from 1 to 10000"},
        {{"--set", "RowsPerInsert=0", project}, 64, "RowsPerInsert=0"},
        {{"--set", "Commit=yes", project}, 64, "write 1 (on) or 0 (off)"},
        {{"--set", "Output=sideways", project}, 64, "insert, or copy"},
        {{"--set", "Output=copy", project}, 64, "Dialect=PostgreSQL"},
        {{"--set", "Dialect=SQLServer", "--set", "RowsPerInsert=5000", project}, 64, "RowsPerInsert=1000"},
        {{"--set", "WithSeparators=0", "--set", "Widths=0", project}, 64, "Widths=0"},
        {{"--set", "WithSeparators=0", "--set", "Widths=-3", project}, 64, "Widths=-3"},
        {{"--set", "WithSeparators=0", "--set", "Widths=abc", project}, 64, "Widths=abc"},
        {{"--set", "WithSeparators=0", project}, 4, "Widths= cannot be used"},
        {{"--set", "Separator=", project}, 64, "Separator="},
        {{withLine("RowsPerInsert=abc")}, 4, "RowsPerInsert.cvtproj: RowsPerInsert=abc cannot be used"},
        {{withLine("Dialect=Oracle")}, 4, "Dialect=Oracle cannot be used: write one of PostgreSQL"},
        {{"--set", "CreateTable=1", "--source", folder.Path("empty.csv"), project}, 1, "no columns"},
    };
    for (const auto& c : cases) {
        const ProgramResult outcome = RunConvert(c.Arguments);
        const std::string call = ::testing::PrintToString(c.Arguments);
        EXPECT_EQ(outcome.Status, c.Status) << call << "\n" << outcome.Output;
        EXPECT_NE(outcome.Output.find(c.Mentions), std::string::npos) << call << "\n" << outcome.Output;
        EXPECT_EQ(ReadFile(target), "the earlier script") << call;
    }
}

TEST(Cli, HelpAndVersion)
{
    ProgramResult outcome = RunConvert({"--help"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_NE(outcome.Output.find("Usage: tabulon-convert"), std::string::npos);
    outcome = RunConvert({"--version"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Output.rfind("tabulon-convert ", 0), 0u);
}

TEST(Cli, TheBundledExampleConverts)
{
    TestFolder folder;
    const ProgramResult outcome = RunConvert(
        {"--quiet", "--target", folder.Path("c.sql"), std::string(TABULON_EXAMPLES) + "/customers.cvtproj"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    const std::string script = ReadFile(folder.Path("c.sql"));
    EXPECT_EQ(
        script.rfind(
            "insert into CUSTOMERS(id,\"first_name\",\"last_name\",city,balance,joined,note) values(1,", 0),
        0u);
}

TEST(CommandLine, ParsesOptionsAndRejectsWhatItDoesNotKnow)
{
    CommandLine line = ParseCommandLine({"--source", "s", "--quiet", "p.cvtproj"});
    EXPECT_TRUE(line.Error.empty());
    EXPECT_EQ(line.Source.value_or(""), "s");
    EXPECT_TRUE(line.Quiet);
    EXPECT_FALSE(line.Target.has_value());
    EXPECT_EQ(line.ProjectFile, "p.cvtproj");
    EXPECT_FALSE(ParseCommandLine({"a.cvtproj", "b.cvtproj"}).Error.empty());
    EXPECT_TRUE(ParseCommandLine({"--help"}).Error.empty());
}

TEST(Cli, DetectsTheSettingsOfASourceWithoutAProject)
{
    TestFolder folder;
    const std::string source = folder.Write(
        "orders.csv",
        "Orders 2024\r\n\r\nid;name;amount\r\n1;\"Smith; John\";3\r\n2;Lee;4\r\n3;\"O'Neil\";5\r\n");
    // --detect prints the keys, one a line, each with a tab and its reason after it.
    ProgramResult outcome = RunConvert({"--detect", source});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    for (const char* line : {"Separator=;\t# ", "QuotedFields=1\t# ", "ColumnNames=1\t# ", "SkipLines=2\t# ",
                             "Encoding=UTF-8\t# "})
        EXPECT_NE(("\n" + outcome.Output).find(std::string("\n") + line), std::string::npos)
            << line << "\n"
            << outcome.Output;
    EXPECT_EQ(RunConvert({"--detect", folder.Path("missing.csv")}).Status, 1);

    // A run without a project takes them.
    const std::string target = folder.Path("orders.sql");
    outcome = RunConvert({"--source", source, "--target", target, "--table", "t", "--quiet"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_EQ(ReadFile(target), "insert into t(id,name,amount) values(1,'Smith; John',3);\r\n"
                                "insert into t(id,name,amount) values(2,'Lee',4);\r\n"
                                "insert into t(id,name,amount) values(3,'O''Neil',5);\r\n");
    const std::string local =
        folder.Write("local.csv", "id;amount;day\r\n1;1,5;31.12.2024\r\n2;NA;01.02.2024\r\n3;-2,25;NA\r\n");
    outcome = RunConvert({"--source", local, "--target", target, "--table", "t", "--quiet"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_EQ(ReadFile(target), "insert into t(id,amount,day) values(1,1.5,'2024-12-31');\r\n"
                                "insert into t(id,amount,day) values(2,NULL,'2024-02-01');\r\n"
                                "insert into t(id,amount,day) values(3,-2.25,NULL);\r\n");
    const std::string rows = folder.Write("rows.csv", "id;name;amount\r\n1;\"Smith; John\";3\r\n2;Lee;4\r\n");
    // --set goes over what is detected.
    outcome = RunConvert({"--source", rows, "--target", target, "--table", "t", "--set", "QuotedFields=0"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_NE(ReadFile(target).find("'\"Smith'"), std::string::npos) << ReadFile(target);
}
