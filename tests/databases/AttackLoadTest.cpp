// Scripts made to break out of their literals or to load half, loaded by the
// real clients under the client and server settings each attack needs: a
// victim table beside the target survives, and every value comes back exact
// or nothing of a failed run is kept.
#include "DatabaseServers.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// How one client loads a script from standard input and reads a number back.
struct Client {
    const char* Name;
    const char* Dialect;                        // for tabulon-convert
    std::string (*Start)();                     // empty when the server runs
    std::string (*Command)(const std::string&); // the client running SQL given as text, or reading stdin
};

std::string SqliteFile()
{
    return ::testing::TempDir() + "tabulon-attack-" + std::to_string(::getpid()) + ".db";
}

std::string NoServer()
{
    return std::string();
}

std::string StartPostgres()
{
    return Servers().StartPostgres() ? std::string() : Servers().Problem;
}

std::string StartMariadb()
{
    return Servers().StartMariadb() ? std::string() : Servers().Problem;
}

std::string Psql(const std::string& sql)
{
    return Servers().Psql() + " -A -t" + (sql.empty() ? std::string() : " -c " + ShellQuoted(sql));
}

std::string Mariadb(const std::string& sql)
{
    return Servers().Mariadb() + " -N" + (sql.empty() ? std::string() : " -e " + ShellQuoted(sql));
}

std::string Sqlite(const std::string& sql)
{
    // Without waiting for the disk after each statement of a script without transactions.
    return "sqlite3 -cmd 'PRAGMA synchronous=OFF' " + ShellQuoted(SqliteFile()) +
           (sql.empty() ? std::string() : " " + ShellQuoted(sql));
}

const Client Clients[] = {
    {"psql", "PostgreSQL", StartPostgres, Psql},
    {"mariadb", "MySQL", StartMariadb, Mariadb},
    {"sqlite3", "SQLite", NoServer, Sqlite},
    {"sqlite3 generic", "", NoServer, Sqlite},
};

// A fresh table t(a, b) of text (or as `table` says) and a victim table with one row.
std::string MakeTables(const Client& client, const std::string& table = "create table t(a text, b text)")
{
    RunShell("rm -f " + ShellQuoted(SqliteFile()));
    const ProgramResult made =
        RunShell(client.Command("drop table if exists t; drop table if exists victim; " + table +
                                "; create table victim(v int); insert into victim values(1)") +
                 " 2>&1");
    return made.Status == 0 ? std::string() : made.Output;
}

std::string Count(const Client& client, const char* table)
{
    return RunShell(client.Command(std::string("select count(*) from ") + table) + " 2>&1").Output;
}

// A run into a pipe that stops part way (a NUL byte after 5,000 rows and more
// than a buffer of script, in the middle of an INSERT of three rows): the
// client reports an error, no partial statement runs, and in a dialect nothing
// of the run is kept.
TEST(AttackLoad, FailedRunIntoAPipeKeepsNothingHalf)
{
    TestFolder folder;
    std::string source = "a,b\n";
    for (int i = 0; i < 5000; ++i)
        source += std::to_string(i) + "," + std::string(300, 'x') + "\n";
    source += std::string("1,\0\n", 4);
    const std::string file = folder.Write("s.csv", source);
    for (const Client& client : Clients) {
        SCOPED_TRACE(client.Name);
        const std::string problem = client.Start();
        ASSERT_EQ(problem, "");
        ASSERT_EQ(MakeTables(client), "");
        for (const char* output : {"insert", "copy"}) {
            if (std::string(output) == "copy" && std::string(client.Dialect) != "PostgreSQL")
                continue;
            const ProgramResult load = RunShell(
                ShellQuoted(TABULON_CONVERT) + " --quiet --source " + ShellQuoted(file) +
                " --target - --table t --set Separator=, --set RowsPerInsert=3 --set Output=" + output +
                " --set Dialect=" + client.Dialect + " 2>/dev/null | " + client.Command("") + " 2>&1");
            EXPECT_NE(load.Status, 0) << load.Output;
            EXPECT_NE(load.Output.find("failed after 5000 rows"), std::string::npos) << load.Output;
            // 5,000 = 3 * 1,666 + 2: the generic script loads its whole statements only.
            EXPECT_EQ(Count(client, "t"), *client.Dialect ? "0\n" : "4998\n") << output;
            EXPECT_EQ(Count(client, "victim"), "1\n");
        }
    }
    RunShell("rm -f " + ShellQuoted(SqliteFile()));
}

// Attacks through the client's or the server's own settings: each source is
// converted for its dialect and loaded by the client under the setting it needs;
// the victim table survives, no shell command ran, and the values come back exact.
TEST(AttackLoad, ClientSettingsInjectNothing)
{
    const struct {
        const char* Name;
        const Client* Via;
        std::string Source;            // columns a and b, tab separated, a header line
        std::vector<std::string> Sets; // --set KEY=VALUE for the run
        std::string ClientSetting;     // before (environment) or after (options) the client's name
        std::string Rows;              // hex(a)|hex(b), one line per row
        std::string Table = "create table t(a text, b text)";
    } attacks[] = {
        {"PostgreSQL with standard_conforming_strings off",
         &Clients[0],
         "a\tb\nx\\\t\"\n\\! touch PWN\n,0);drop table victim;-- \"\n",
         {"QuotedFields=1"},
         "PGOPTIONS='-c standard_conforming_strings=off' ",
         Hex("x\\") + "|" + Hex("\n\\! touch PWN\n,0);drop table victim;-- ") + "\n"},
        {"MySQL in byte mode read by a GBK client",
         &Clients[1],
         "a\tb\n\xbf\\'\t);drop table victim;-- \n",
         {},
         " --default-character-set=gbk",
         "BF5C27|" + Hex(");drop table victim;-- ") + "\n"},
        {"MySQL from UTF-8 read by a GBK client",
         &Clients[1],
         "a\tb\n\xe4\xbd\xa0\\\t'; drop table victim; -- \n",
         {"Encoding=UTF-8"},
         " --default-character-set=gbk",
         "E4BDA05C|" + Hex("'; drop table victim; -- ") + "\n",
         "create table t(a text, b text) default charset=utf8mb4"},
        {"MySQL under NO_BACKSLASH_ESCAPES",
         &Clients[1],
         "a\tb\nC:\\dir\\\t\\'\n",
         {},
         " --init-command=\"SET sql_mode='NO_BACKSLASH_ESCAPES'\"",
         Hex("C:\\dir\\") + "|" + Hex("\\'") + "\n"},
    };
    for (const auto& attack : attacks) {
        SCOPED_TRACE(attack.Name);
        const Client& client = *attack.Via;
        ASSERT_EQ(client.Start(), "");
        ASSERT_EQ(MakeTables(client, attack.Table), "");
        TestFolder folder;
        const std::string source = folder.Write("s.txt", attack.Source);
        const std::string script = folder.Path("s.sql");
        std::vector<std::string> arguments = {
            "--quiet",  "--source", source,
            "--target", script,     "--table",
            "t",        "--set",    std::string("Dialect=") + client.Dialect};
        for (const std::string& setting : attack.Sets) {
            arguments.push_back("--set");
            arguments.push_back(setting);
        }
        const ProgramResult conversion = RunConvert(arguments);
        ASSERT_EQ(conversion.Status, 0) << conversion.Output;
        std::string command = client.Command("");
        if (!attack.ClientSetting.empty() && attack.ClientSetting[0] == ' ')
            command += attack.ClientSetting;
        else
            command = attack.ClientSetting + command;
        const ProgramResult load =
            RunShell("cd " + ShellQuoted(folder.Root().string()) + " && " + command + " < s.sql 2>&1");
        EXPECT_EQ(load.Status, 0) << load.Output << ReadFile(script);
        EXPECT_FALSE(std::filesystem::exists(folder.Root() / "PWN"));
        EXPECT_EQ(Count(client, "victim"), "1\n");
        const std::string hex = std::string(client.Dialect) == "PostgreSQL"
                                    ? "upper(encode(convert_to(a, 'UTF8'), 'hex')) || '|' || "
                                      "upper(encode(convert_to(b, 'UTF8'), 'hex'))"
                                    : "concat(hex(a), '|', hex(b))";
        EXPECT_EQ(RunShell(client.Command("select " + hex + " from t") + " 2>&1").Output, attack.Rows)
            << ReadFile(script);
    }
}

// A source on standard input holding four-byte characters loads exact into
// MariaDB: the script says how its text is to be read.
TEST(AttackLoad, StandardInputLoadsFourByteCharacters)
{
    const Client& client = Clients[1];
    ASSERT_EQ(client.Start(), "");
    ASSERT_EQ(MakeTables(client, "create table t(a text, b text) default charset=utf8mb4"), "");
    const ProgramResult load = RunShell(
        "printf 'a\\tb\\n\\360\\237\\230\\200\\tx\\n' | " + ShellQuoted(TABULON_CONVERT) +
        " --quiet --source - --target - --table t --set Dialect=MySQL | " + client.Command("") + " 2>&1");
    EXPECT_EQ(load.Status, 0) << load.Output;
    EXPECT_EQ(RunShell(client.Command("select concat(hex(a), '|', hex(b)) from t") + " 2>&1").Output,
              "F09F9880|78\n");
}

// The generic script keeps its output; a text value with a backslash is named
// after the summary, since MySQL and MariaDB would read it as an escape.
TEST(AttackLoad, GenericScriptNamesBackslashes)
{
    TestFolder folder;
    for (const auto& [source, noted] :
         {std::pair<std::string, bool>{"a\tb\nx\\\t,0x41);drop table victim;-- \n", true},
          {"a\tb\n1\tplain\n", false}}) {
        const std::string file = folder.Write("s.txt", source);
        const ProgramResult conversion =
            RunConvert({"--source", file, "--target", folder.Path("s.sql"), "--table", "t"});
        EXPECT_EQ(conversion.Status, 0) << conversion.Output;
        EXPECT_EQ(
            conversion.Output.find("values hold backslashes: for MySQL or MariaDB choose Dialect=MySQL") !=
                std::string::npos,
            noted)
            << conversion.Output;
    }
}

} // namespace
