// Values as each database reads them: sources converted with CREATE TABLE,
// loaded by the database's own client and read back, value by value.
#include "DatabaseServers.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A source and what a database reads back from it: the column names, then the
// rows, one a line, the values parted by "|", NULL as NULL. Empty: the
// source's own lines.
struct ValueCase {
    const char* What;
    std::string Source; // comma separated, a header line first
    std::string Postgres;
    std::string Mariadb;
    std::string Sqlite;
    bool Bytes = false;               // without an encoding; the clients read Latin-1
    std::string Keys = std::string(); // more project keys, one a line
};

const std::string Long(6000, 'x');
const std::string Emoji = "\xF0\x9F\x98\x80";
const std::string A63(63, 'a');

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

const std::vector<ValueCase> Cases = {
    {"1: only the canonical number stands bare", "v\n+49\n.5\n5.\n-0\n12\n", "", "", ""},
    {"2: a text column's numbers as literals", "v\n" + Repeated("1.10\n", 1000) + "n/a\n", "", "", ""},
    {"3: a date only if the calendar has it", "v\n2024-02-29\n2024-02-30\n", "", "", ""},
    {"3: year 0", "v\n0000-01-01\n2024-01-01\n", "", "", ""},
    {"4: fractions of a second",
     "t,d\n2015-03-17 11:50:46.150000,11:50:46.125\n2015-03-17 11:50:47,08:00:00\n",
     "t|d\n2015-03-17 11:50:46.15|11:50:46.125\n2015-03-17 11:50:47|08:00:00",
     "t|d\n2015-03-17 11:50:46.150000|11:50:46.125\n2015-03-17 11:50:47.000000|08:00:00.000", ""},
    {"4: more than 6 digits of a second are text", "t\n2015-03-17 11:50:46.1234567\n", "", "", ""},
    {"5: more than 15 significant digits", "d\n12345678901234567890.5\n1.25\n",
     "d\n12345678901234567890.50\n1.25", "d\n12345678901234567890.50\n1.25", ""},
    {"6: wide text columns",
     "a,b,c\n" + Long + "," + Long + "," + Long + "\n" + Emoji + "," + Emoji + "," + Emoji + "\n", "", "",
     ""},
    {"6: bytes 0x80-0xBF are characters without an encoding", "v\n\xA9\xB0\xBD\xBC\n1\n", "", "", "", true},
    {"8: numbers with an exponent", "f\n6.92E-05\n9.75e-06\n3\n", "f\n6.92e-05\n9.75e-06\n3",
     "f\n0.0000692\n0.00000975\n3", "f\n6.92e-05\n9.75e-06\n3.0"},
    {"10: names every database takes",
     " NAME ,\xC3\x89,\xC3\xA9," + A63 + "x," + A63 + "y," + Emoji + "\n1,2,3,4,5,6\n",
     "name|\xC3\x89|\xC3\xA9|" + A63 + "|" + A63.substr(2) + "_2|" + Emoji + "\n1|2|3|4|5|6",
     "NAME|\xC3\x89|\xC3\xA9_2|" + A63 + "x|" + A63 + "y|_\n1|2|3|4|5|6",
     "NAME|\xC3\x89|\xC3\xA9|" + A63 + "x|" + A63 + "y|" + Emoji + "\n1|2|3|4|5|6"},
    {"10: a name cut before a blank", A63 + " tail\n1\n", A63 + "\n1", A63 + "\n1", ""},
    {"11: CR LF inside a value", "v\n\"x\r\ny\"\n\"\r\"\n", "v\nx\r\ny\n\r", "v\nx\r\ny\n\r", "v\nx\r\ny\n\r",
     false, "QuotedFields=1\r\n"},
    {"11: CR LF inside a value, the general writer", "v,n\n\"x\r\ny\",1\n", "v|n\nx\r\ny|1", "v|n\nx\r\ny|1",
     "v|n\nx\r\ny|1", false, "QuotedFields=1\r\n"},
    {"decimal comma and thousands", "n,m\n\"1.234,5\",\"-0,25\"\n\"2,0\",3\n", "n|m\n1234.5|-0.25\n2.0|3.00",
     "n|m\n1234.5|-0.25\n2.0|3.00", "n|m\n1234.5|-0.25\n2|3", false,
     "QuotedFields=1\r\nDecimalSeparator=,\r\nThousandsSeparator=.\r\n"},
    {"NA among numbers", "v,w\n1,NA\nNA,2.5\n3,x\n", "v|w\n1|NULL\nNULL|2.5\n3|x",
     "v|w\n1|NULL\nNULL|2.5\n3|x", "v|w\n1|NULL\nNULL|2.5\n3|x", false, "NullValues=NA\r\n"},
    {"day-first dates", "d,t\n31.12.2024,1.2.2024 13:05\n29.02.2024,31.12.1999 23:59:59\n",
     "d|t\n2024-12-31|2024-02-01 13:05:00\n2024-02-29|1999-12-31 23:59:59",
     "d|t\n2024-12-31|2024-02-01 13:05:00\n2024-02-29|1999-12-31 23:59:59",
     "d|t\n2024-12-31|2024-02-01 13:05:00\n2024-02-29|1999-12-31 23:59:59", false,
     "DateFormat=DD.MM.YYYY\r\n"},
    // The MariaDB server takes at most 1 MiB a statement (DatabaseServers): its default 16 MiB, in small.
    {"12: an INSERT of many long rows", "v\n" + Repeated(std::string(2000, 'x') + "\n", 1200), "", "", "",
     false, "RowsPerInsert=10000\r\n"},
    {"title lines", "Report\nas of today\nv\n1\n2\n", "v\n1\n2", "v\n1\n2", "v\n1\n2", false,
     "SkipLines=2\r\n"},
};

std::string SourceLines(const std::string& source)
{
    std::string lines = source;
    std::replace(lines.begin(), lines.end(), ',', '|');
    while (!lines.empty() && lines.back() == '\n')
        lines.pop_back();
    return lines;
}

// Rows read back with 0x1F between values and 0x1E after each row, as "|" and lines.
std::string Rows(std::string output)
{
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    std::string rows;
    for (std::size_t i = 0; i < output.size(); ++i) {
        const char c = output[i];
        if (c == '\x1e') {
            if (i + 1 < output.size() && output[i + 1] == '\n')
                ++i; // the client's own line end
            if (i + 1 < output.size())
                rows += '\n';
        } else {
            rows += c == '\x1f' ? '|' : c;
        }
    }
    return rows;
}

struct Database {
    const char* Dialect;
    // Loads the script into a fresh database; gives the problem, or nothing.
    std::string (*Load)(const std::string& script, bool bytes, const std::string& folder);
    // The column names and every row of table t.
    std::string (*Read)(bool bytes, const std::string& folder);
    std::string ValueCase::*Expected;
};

void ConvertLoadAndRead(const Database& database, const ValueCase& c)
{
    SCOPED_TRACE(c.What);
    TestFolder folder;
    const std::string source = folder.Write("values.csv", c.Source);
    const std::string script = folder.Path("values.sql");
    // A project of its own: no detection of a new project's settings in between.
    const std::string project =
        folder.Write("values.cvtproj",
                     std::string("[General]\r\nTableName=t\r\nSeparator=,\r\nCommit=0\r\nCreateTable=1\r\n"
                                 "DropTable=1\r\nDialect=") +
                         database.Dialect + "\r\nEncoding=" + (c.Bytes ? "" : "UTF-8") + "\r\n" + c.Keys);
    const std::vector<std::string> arguments = {"--quiet", "--source", source, "--target", script, project};
    const ProgramResult conversion = RunConvert(arguments);
    ASSERT_EQ(conversion.Status, 0) << conversion.Output;
    const std::string problem = database.Load(script, c.Bytes, folder.Root().string());
    ASSERT_TRUE(problem.empty()) << problem << "\n" << ReadFile(script).substr(0, 2000);
    const std::string& expected = c.*database.Expected;
    EXPECT_EQ(database.Read(c.Bytes, folder.Root().string()),
              expected.empty() ? SourceLines(c.Source) : expected)
        << ReadFile(script).substr(0, 2000);
}

void LoadAndReadEveryCase(const Database& database)
{
    for (const ValueCase& c : Cases)
        ConvertLoadAndRead(database, c);
}

// 0x1F between values, 0x1E after each row, in any shell.
const char* Separators = " -F \"$(printf '\\037')\" -R \"$(printf '\\036')\"";

std::string PsqlIn(bool bytes)
{
    return (bytes ? "PGCLIENTENCODING=LATIN1 " : "") + Servers().Psql();
}

TEST(DatabaseValues, PostgreSQL)
{
    const Database postgres{"PostgreSQL",
                            [](const std::string& script, bool bytes, const std::string&) {
                                if (!Servers().StartPostgres())
                                    return Servers().Problem;
                                const ProgramResult load =
                                    RunShell(PsqlIn(bytes) + " -f " + ShellQuoted(script) + " 2>&1");
                                return load.Status == 0 ? std::string() : "psql failed: " + load.Output;
                            },
                            [](bool bytes, const std::string&) {
                                return Rows(RunShell(PsqlIn(bytes) + " -A -P footer=off -P null=NULL" +
                                                     Separators + " -c 'select * from t'")
                                                .Output);
                            },
                            &ValueCase::Postgres};
    LoadAndReadEveryCase(postgres);
}

std::string MariadbIn(bool bytes)
{
    return Servers().Mariadb() + " --default-character-set=" + (bytes ? "latin1" : "utf8mb4");
}

TEST(DatabaseValues, MariaDB)
{
    const Database mariadb{
        "MySQL",
        [](const std::string& script, bool bytes, const std::string&) {
            if (!Servers().StartMariadb())
                return Servers().Problem;
            const ProgramResult load = RunShell(MariadbIn(bytes) + " < " + ShellQuoted(script) + " 2>&1");
            return load.Status == 0 ? std::string() : "mariadb failed: " + load.Output;
        },
        [](bool bytes, const std::string&) {
            // Every column by name, NULL as NULL, the rows parted as psql parts them.
            auto names = [bytes](const std::string& form, const char* separator) {
                const std::string output =
                    RunShell(MariadbIn(bytes) + " -N -e " +
                             ShellQuoted("select group_concat(" + form +
                                         " order by ordinal_position separator '" + separator +
                                         "') from information_schema.columns where table_schema = 't' and "
                                         "table_name = 't'"))
                        .Output;
                return output.substr(0, output.find('\n'));
            };
            const std::string query =
                "select concat(concat_ws(char(31), " +
                names("concat('coalesce(`', replace(column_name, '`', '``'), '`, \\'NULL\\')')", ",") +
                "), char(30)) from t";
            return Rows(names("column_name", "\x1f") + "\x1e" +
                        RunShell(MariadbIn(bytes) + " -N -e " + ShellQuoted(query)).Output);
        },
        &ValueCase::Mariadb};
    LoadAndReadEveryCase(mariadb);
}

TEST(DatabaseValues, SQLite)
{
    const Database sqlite{
        "SQLite",
        [](const std::string& script, bool, const std::string& folder) {
            const ProgramResult load = RunShell("sqlite3 -bail " + ShellQuoted(folder + "/t.db") + " < " +
                                                ShellQuoted(script) + " 2>&1");
            return load.Status == 0 ? std::string() : "sqlite3 failed: " + load.Output;
        },
        [](bool, const std::string& folder) {
            return Rows(RunShell("sqlite3 -header -separator \"$(printf '\\037')\" -newline "
                                 "\"$(printf '\\036')\" -nullvalue NULL " +
                                 ShellQuoted(folder + "/t.db") + " 'select * from t'")
                            .Output);
        },
        &ValueCase::Sqlite};
    LoadAndReadEveryCase(sqlite);
}

} // namespace
