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
              "DROP TABLE IF EXISTS [people]\r\nGO\r\n"
              "CREATE TABLE [people] (\r\n  [id] BIGINT,\r\n  [name] NVARCHAR(6)\r\n)\r\nGO\r\n"
              "BEGIN TRANSACTION\r\nGO\r\n"
              "insert into [people]([id],[name]) values(1,N'M\xC3\xBCller')\r\nGO\r\n"
              "COMMIT\r\nGO\r\n"
              "BEGIN TRANSACTION\r\nGO\r\n"
              "insert into [people]([id],[name]) values(2,'O''Neil'),\r\n(3,'x')\r\nGO\r\n"
              "COMMIT\r\nGO\r\n");
}

TEST(Statements, MySqlDoublesBackslashesAndSaysItsTextIsUtf8)
{
    CProject project;
    project.Columns = {"a"};
    project.Quotes = {"'"};
    project.Dialect = "MySQL";
    project.Encoding = "UTF-8";
    project.ColumnNames = 0;
    EXPECT_EQ(Convert(project, "ends in \\\r\n"),
              "SET NAMES utf8mb4;\r\ninsert into `people`(`a`) values('ends in \\\\');\r\n");
    project.Quotes = {"''"}; // the general writer says the same
    EXPECT_EQ(Convert(project, "ends in \\\r\n"),
              "SET NAMES utf8mb4;\r\ninsert into `people`(`a`) values('ends in \\\\');\r\n");
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
