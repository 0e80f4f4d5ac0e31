// The statements around the rows: CREATE and DROP TABLE, transactions,
// INSERTs of several rows that never span a COMMIT, COPY blocks.
#include "Converter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string Convert(CProject& project, const std::string& source)
{
    TestFolder folder;
    project.FileName = folder.Write("people.csv", source);
    project.TargetName = folder.Path("people.sql");
    project.TableName = "people";
    project.Separator = ",";
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Run(), CConverter::OpenResult::Done) << converter.LastOpenFailure().Reason;
    return ReadFile(project.TargetName);
}

// As SQL Server's documentation writes it: bracketed names, N'' for text beyond
// ASCII, DROP TABLE IF EXISTS, BEGIN TRANSACTION, batches ended by GO.
TEST(Statements, SqlServerScript)
{
    CProject project;
    project.Columns = {"id", "name"};
    project.Quotes = {"", "'"};
    project.Dialect = "SQLServer";
    project.SQLSep = "GO";
    project.Commit = 1;
    project.CommitSize = 2; // the header line counts, as it always did
    project.RowsPerInsert = 2;
    project.CreateTable = 1;
    project.DropTable = 1;
    project.Encoding = "UTF-8";
    EXPECT_EQ(Convert(project, "id,name\r\n1,M\xC3\xBCller\r\n2,O'Neil\r\n3,x\r\n"),
              "\xEF\xBB\xBF"
              "DROP TABLE IF EXISTS [people]\r\nGO\r\n"
              "CREATE TABLE [people] (\r\n  [id] BIGINT,\r\n  [name] NVARCHAR(6)\r\n)\r\nGO\r\n"
              "BEGIN TRANSACTION\r\nGO\r\n"
              "insert into [people]([id],[name]) values(1,N'M\xC3\xBCller')\r\nGO\r\n"
              "COMMIT\r\nGO\r\n"
              "BEGIN TRANSACTION\r\nGO\r\n"
              "insert into [people]([id],[name]) values(2,'O''Neil'),\r\n(3,'x')\r\nGO\r\n"
              "COMMIT\r\nGO\r\n");
}

const std::string SqlMode = "SET sql_mode = TRIM(BOTH ',' FROM REPLACE(CONCAT(',', @@sql_mode, ','), "
                            "',NO_BACKSLASH_ESCAPES,', ','));\r\n";

TEST(Statements, MySqlDoublesBackslashesAndSaysItsTextIsUtf8)
{
    CProject project;
    project.Columns = {"a"};
    project.Quotes = {"'"};
    project.Dialect = "MySQL";
    project.Encoding = "UTF-8";
    project.ColumnNames = 0;
    EXPECT_EQ(Convert(project, "ends in \\\r\n"),
              "SET NAMES utf8mb4;\r\n" + SqlMode +
                  "START TRANSACTION;\r\ninsert into `people`(`a`) values('ends in "
                  "\\\\');\r\nCOMMIT;\r\n");
    project.Quotes = {"''"}; // the general writer says the same
    EXPECT_EQ(Convert(project, "ends in \\\r\n"),
              "SET NAMES utf8mb4;\r\n" + SqlMode +
                  "START TRANSACTION;\r\ninsert into `people`(`a`) values('ends in "
                  "\\\\');\r\nCOMMIT;\r\n");
}

// In a dialect a script without COMMITs is one transaction, so that a load
// that fails part way keeps nothing; the generic script has none.
TEST(Statements, WithoutCommitsTheScriptIsOneTransaction)
{
    const struct {
        const char* Dialect;
        const char* Begin;
    } cases[] = {{"PostgreSQL", "BEGIN;\r\n"},
                 {"MySQL", "START TRANSACTION;\r\n"},
                 {"SQLite", "BEGIN;\r\n"},
                 {"SQLServer", "BEGIN TRANSACTION;\r\n"},
                 {"", nullptr}};
    for (const auto& c : cases) {
        CProject project;
        project.Columns = {"a"};
        project.Quotes = {""};
        project.ColumnNames = 0;
        project.Commit = 0;
        project.Dialect = c.Dialect;
        const std::string script = Convert(project, "1\r\n2\r\n3\r\n");
        const std::size_t rows = script.find("insert");
        if (c.Begin) {
            EXPECT_EQ(script.find(c.Begin) + std::string(c.Begin).size(), rows) << script;
        }
        EXPECT_EQ(script.find("COMMIT"), c.Begin ? script.size() - 9 : std::string::npos) << script;
    }
}

TEST(Statements, LiteralsSafeUnderAnyClientSetting)
{
    const struct {
        const char* Dialect;
        const char* Encoding;
        std::string Value;
        std::string Script; // after BEGIN, the INSERT's values; before it, the head
    } cases[] = {
        {"PostgreSQL", "", "x\\", "SET standard_conforming_strings = on;\r\nBEGIN;|'x\\'"},
        {"MySQL", "", "\xbf\\'", "SET NAMES utf8mb4;\r\n" + SqlMode + "START TRANSACTION;|X'BF5C27'"},
        {"MySQL", "UTF-8", "\xc3\xa9\\",
         "SET NAMES utf8mb4;\r\n" + SqlMode + "START TRANSACTION;|_utf8mb4 X'C3A95C'"},
        // The sqlite3 and mariadb programs read a CR LF as LF, inside literals too.
        {"SQLite", "", "\rx\r\ny'\r", "BEGIN;|''||char(13)||'x'||char(13)||'\ny'''||char(13)||''"},
        {"MySQL", "", "x\r\ny", "SET NAMES utf8mb4;\r\n" + SqlMode + "START TRANSACTION;|'x\\r\ny'"},
        {"PostgreSQL", "", "x\r\ny", "SET standard_conforming_strings = on;\r\nBEGIN;|'x\r\ny'"},
        {"SQLServer", "", "C:\\temp\\\r\nnext",
         "\xEF\xBB\xBF"
         "BEGIN TRANSACTION;|CAST('' AS NVARCHAR(MAX))+'C:\\temp\\'+NCHAR(13)+NCHAR(10)+'next'"},
        {"SQLServer", "UTF-8", "$(x) \xc3\xa9'",
         "\xEF\xBB\xBF"
         "BEGIN TRANSACTION;|CAST(N'' AS NVARCHAR(MAX))+N'$'+N'(x) \xc3\xa9'''"},
    };
    for (const auto& c : cases) {
        CProject project;
        project.Columns = {"a"};
        project.Quotes = {"'"};
        project.ColumnNames = 0;
        project.QuotedFields = 1;
        project.Dialect = c.Dialect;
        project.Encoding = c.Encoding;
        std::string quoted = "\"";
        for (const char ch : c.Value)
            quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        const std::string script = Convert(project, quoted + "\"\r\n");
        const std::size_t bar = c.Script.find('|');
        EXPECT_EQ(script.substr(0, bar + 2), c.Script.substr(0, bar) + "\r\n") << script;
        const std::size_t values = script.find(" values(") + 8;
        EXPECT_EQ(script.substr(values, c.Script.size() - bar - 1), c.Script.substr(bar + 1)) << script;
    }
}

// With CREATE TABLE the column's type decides which numbers stand bare: none
// in text (SQLite would read "1.10" as 1.1), exponents too in a floating one.
TEST(Statements, TheTypeDecidesWhichNumbersStandBare)
{
    const struct {
        const char* Dialect;
        bool CreateTable;
        const char* Quote;
        const char* Type;
        const char* Source;
        const char* Values;
    } cases[] = {
        {"SQLite", true, "", "", "1.10\r\nn/a\r\n", "('1.10'),('n/a')"},
        {"SQLite", false, "", "", "1.10\r\nn/a\r\n", "(1.10),('n/a')"},
        {"PostgreSQL", true, "", "VARCHAR(9)", "12\r\n", "('12')"},
        {"PostgreSQL", true, "", "DATE", "20240131\r\n", "('20240131')"},
        {"PostgreSQL", true, "", "NUMERIC(4,2)", "1.10\r\n", "(1.10)"},
        {"PostgreSQL", true, "'", "", "6.92E-05\r\n3\r\n-0.5e7\r\n", "(6.92E-05),\r\n(3),\r\n(-0.5e7)"},
        {"MySQL", true, "'", "DOUBLE", "6.92E-05\r\n+1\r\n", "(6.92E-05),('+1')"},
        {"PostgreSQL", false, "'", "", "6.92E-05\r\n", "('6.92E-05')"},
    };
    for (const auto& c : cases) {
        CProject project;
        project.Columns = {"a"};
        project.Quotes = {c.Quote};
        project.Types = {c.Type};
        project.ColumnNames = 0;
        project.RowsPerInsert = 10;
        project.CreateTable = c.CreateTable;
        project.Dialect = c.Dialect;
        const std::string script = Convert(project, c.Source);
        const std::size_t values = script.find(" values") + 7;
        EXPECT_EQ(script.substr(values, script.find(";\r\n", values) - values), c.Values)
            << c.Dialect << " " << c.Source;
    }
}

// An INSERT of several rows stays within 1 MiB, which every client sends
// whole; a row larger than that stands alone. Both writers, every growth of a
// value's bytes (a CR as 14 bytes in SQLite and SQL Server).
TEST(Statements, AnInsertOfSeveralRowsStaysWithinOneMebibyte)
{
    const std::size_t mebibyte = std::size_t{1} << 20;
    const std::string crs = "\"" + std::string(500, '\r') + "\"\r\n";
    const struct {
        const char* Dialect;
        bool General;
        std::string Row;
        int Rows;
        int PerInsert;
        std::size_t Statements;
    } cases[] = {
        {"", false, std::string(100, 'x') + "\r\n", 100, 1000, 1},
        {"", false, std::string(2000, 'x') + "\r\n", 1000, 10000, 2},
        {"MySQL", true, std::string(2000, 'x') + "\r\n", 1000, 10000, 2},
        {"PostgreSQL", false, std::string(mebibyte + 100, 'x') + "\r\nsmall\r\n", 1, 10000, 3},
        {"SQLite", false, crs, 200, 10000, 2},
        {"SQLServer", false, crs, 250, 1000, 2},
    };
    for (const auto& c : cases) {
        CProject project;
        project.Columns = {"a"};
        project.Quotes = {"'"};
        project.ColumnNames = 0;
        project.QuotedFields = 1;
        project.Trim = c.General; // only the general writer trims
        project.Dialect = c.Dialect;
        project.RowsPerInsert = c.PerInsert;
        std::string source = "small\r\n";
        for (int i = 0; i < c.Rows; ++i)
            source += c.Row;
        const std::string script = Convert(project, source);
        std::size_t statements = 0;
        std::size_t rows = 0;
        for (std::size_t at = script.find("insert into"); at != std::string::npos;
             at = script.find("insert into", at)) {
            const std::size_t end = script.find(";\r\n", at) + 3;
            const std::string statement = script.substr(at, end - at);
            std::size_t inStatement = 1;
            for (const char* separator : {"),(", "),\r\n("}) {
                for (std::size_t s = statement.find(separator); s != std::string::npos;
                     s = statement.find(separator, s + 1))
                    ++inStatement;
            }
            EXPECT_TRUE(statement.size() <= mebibyte || inStatement == 1)
                << c.Dialect << " statement " << statements << ": " << statement.size() << " bytes, "
                << inStatement << " rows";
            ++statements;
            rows += inStatement;
            at = end;
        }
        EXPECT_EQ(statements, c.Statements) << c.Dialect << " " << c.Row.size();
        std::size_t lines = 0; // each record ends in the only CR LF outside its quotes
        for (std::size_t at = source.find("\r\n"); at != std::string::npos; at = source.find("\r\n", at + 2))
            ++lines;
        EXPECT_EQ(rows, lines) << c.Dialect;
    }
}

TEST(Statements, PostgresCopyInItsTextFormat)
{
    CProject project;
    project.Columns = {"a", "b", "c"};
    project.Quotes = {"'", "", "'"};
    project.Dialect = "PostgreSQL";
    project.Output = "copy";
    project.QuotedFields = 1;
    project.ColumnNames = 0;
    project.Commit = 1;
    project.CommitSize = 2;
    EXPECT_EQ(Convert(project, "\"t\tab\\\",,\"x\r\ny\"\r\nshort\r\n,5,\r\n"),
              "BEGIN;\r\nCOPY people (a,b,c) FROM stdin;\r\n"
              "t\\tab\\\\\t\\N\tx\\r\\ny\r\nshort\t\\N\t\\N\r\n\\.\r\nCOMMIT;\r\n"
              "BEGIN;\r\nCOPY people (a,b,c) FROM stdin;\r\n"
              "\t5\t\r\n\\.\r\nCOMMIT;\r\n");
}

TEST(Statements, CopyIsForPostgresOnlyAndUnknownDialectsAreRefused)
{
    for (const auto& [dialect, output] : {std::pair{"SQLite", "copy"}, std::pair{"Oracle", "insert"}}) {
        TestFolder folder;
        CProject project;
        project.FileName = folder.Write("s.csv", "a\r\n");
        project.TargetName = folder.Path("s.sql");
        project.TableName = "t";
        project.Dialect = dialect;
        project.Output = output;
        CConverter converter;
        converter.Project = &project;
        EXPECT_EQ(converter.Run(), CConverter::OpenResult::SettingsFailed) << dialect;
        EXPECT_FALSE(std::filesystem::exists(project.TargetName)) << dialect;
    }
}

} // namespace
