// Scripts of every dialect and statement form, loaded into real databases by
// their own clients (psql, mariadb, sqlite3): every row and value in the table
// is what the source means, hostile text, Unicode, backslashes, empty values,
// ragged and blank lines included.
#include "DatabaseServers.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Value = std::optional<std::string>; // nullopt: NULL

struct Row {
    std::string Id;
    Value Name, Note, Amount;
};

// The source: a header, quoted fields where spreadsheets put them, CR LF and LF
// line ends, blank lines, a short and a long line.
const char* const Source = "id,name,note,amount\r\n"
                           "1,O'Neil,\"Z\xC3\xBCrich, \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80\",5\r\n"
                           "2,1); drop table sentinel; --,'); drop table sentinel; --,-12\n"
                           "\r\n"
                           "3,back\\,\\,0\r\n"
                           "4,\"say \"\"hi\"\"\",\"two\nlines and a lone\rCR\",\r\n"
                           "5,,NULL,7\r\n"
                           "6,x'); insert into sentinel values(2); --,/* open,-0.5\r\n"
                           "7,\ttab\t,\"a;b;c\",\r\n"
                           "8,short\r\n"
                           "9,long,extra,8,and more,fields\r\n"
                           "\n";

// What it means, row by row (the amount column holds numbers, so its empty values are NULL).
const std::vector<Row> Meaning = {
    {"1", "O'Neil", "Z\xC3\xBCrich, \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80", "5"},
    {"2", "1); drop table sentinel; --", "'); drop table sentinel; --", "-12"},
    {"3", "back\\", "\\", "0"},
    {"4", "say \"hi\"", "two\nlines and a lone\rCR", std::nullopt},
    {"5", "", "NULL", "7"},
    {"6", "x'); insert into sentinel values(2); --", "/* open", "-0.5"},
    {"7", "\ttab\t", "a;b;c", std::nullopt},
    {"8", "short", std::nullopt, std::nullopt},
    {"9", "long", "extra", "8"},
};

std::vector<std::string> ExpectedLines()
{
    std::vector<std::string> lines;
    auto cell = [](const Value& value) { return value ? Hex(*value) : std::string("NULL"); };
    for (const Row& row : Meaning)
        lines.push_back(row.Id + "|" + cell(row.Name) + "|" + cell(row.Note) + "|" + cell(row.Amount));
    return lines;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

struct Form {
    const char* Name;
    std::vector<std::string> Settings;
    bool CreatesTable;
};

// How one database is set up, loaded and read back.
struct Database {
    const char* Dialect;
    std::string (*Load)(const std::string& script, bool createTable, std::string& output);
    std::string (*Read)();
};

// Converts the source with the form's settings and loads the script; gives the rows read back.
void ConvertLoadAndCompare(const Database& database, const Form& form)
{
    SCOPED_TRACE(form.Name);
    TestFolder folder;
    const std::string source = folder.Write("people.csv", Source);
    const std::string script = folder.Path("people.sql");
    std::vector<std::string> arguments = {"--quiet",
                                          "--source",
                                          source,
                                          "--target",
                                          script,
                                          "--table",
                                          "people",
                                          "--set",
                                          "Separator=,",
                                          "--set",
                                          "QuotedFields=1",
                                          "--set",
                                          std::string("Dialect=") + database.Dialect};
    for (const std::string& setting : form.Settings) {
        arguments.push_back("--set");
        arguments.push_back(setting);
    }
    const ProgramResult conversion = RunConvert(arguments);
    ASSERT_EQ(conversion.Status, 0) << conversion.Output;
    std::string output;
    const std::string problem = database.Load(script, form.CreatesTable, output);
    ASSERT_TRUE(problem.empty()) << problem << "\n" << output << "\n" << ReadFile(script);
    EXPECT_EQ(Lines(database.Read()), ExpectedLines());
}

const std::vector<Form> InsertForms = {
    {"one row per INSERT", {}, false},
    {"three rows per INSERT, COMMIT every 4", {"RowsPerInsert=3", "Commit=1", "CommitSize=4"}, false},
    {"CREATE TABLE", {"CreateTable=1", "DropTable=1"}, true},
    {"CREATE TABLE, 500 rows per INSERT, COMMIT every 2",
     {"CreateTable=1", "DropTable=1", "RowsPerInsert=500", "Commit=1", "CommitSize=2"},
     true},
};

// ---- PostgreSQL through psql

std::string LoadPostgres(const std::string& script, bool createTable, std::string& output)
{
    if (!Servers().StartPostgres())
        return Servers().Problem;
    if (!createTable) {
        const ProgramResult created = RunShell(
            Servers().Psql() + " -c 'drop table if exists people; create table people(id bigint, name text, "
                               "note text, amount numeric)' 2>&1");
        if (created.Status != 0)
            return "create table: " + created.Output;
    }
    const ProgramResult load = RunShell(Servers().Psql() + " -f " + ShellQuoted(script) + " 2>&1");
    output = load.Output;
    return load.Status == 0 ? std::string() : "psql failed";
}

std::string ReadPostgres()
{
    auto hex = [](const char* column) {
        return std::string("coalesce(upper(encode(convert_to(") + column +
               "::text, 'UTF8'), 'hex')), 'NULL')";
    };
    return RunShell(Servers().Psql() + " -A -t -c \"select id || '|' || " + hex("name") + " || '|' || " +
                    hex("note") + " || '|' || " + hex("trim_scale(amount)") + " from people order by id\"")
        .Output;
}

TEST(DatabaseLoad, PostgreSQL)
{
    const Database postgres{"PostgreSQL", LoadPostgres, ReadPostgres};
    std::vector<Form> forms = InsertForms;
    forms.push_back({"COPY", {"Output=copy"}, false});
    forms.push_back({"CREATE TABLE, COPY, COMMIT every 3",
                     {"Output=copy", "CreateTable=1", "DropTable=1", "Commit=1", "CommitSize=3"},
                     true});
    for (const Form& form : forms)
        ConvertLoadAndCompare(postgres, form);
}

// ---- MariaDB through the mariadb client

std::string LoadMariadb(const std::string& script, bool createTable, std::string& output)
{
    if (!Servers().StartMariadb())
        return Servers().Problem;
    if (!createTable) {
        const ProgramResult created =
            RunShell(Servers().Mariadb() +
                     " -e 'drop table if exists people; create table people(id bigint, "
                     "name text, note text, amount decimal(10,2)) default charset=utf8mb4' 2>&1");
        if (created.Status != 0)
            return "create table: " + created.Output;
    }
    const ProgramResult load = RunShell(Servers().Mariadb() + " < " + ShellQuoted(script) + " 2>&1");
    output = load.Output;
    return load.Status == 0 ? std::string() : "mariadb failed";
}

std::string ReadMariadb()
{
    auto hex = [](const char* column) {
        return std::string("coalesce(hex(cast(") + column + " as char)), 'NULL')";
    };
    // Read back in utf8mb4 whatever the client's default: the script itself must say how it is written.
    return RunShell(
               Servers().Mariadb() + " --default-character-set=utf8mb4 -N -e \"select concat_ws('|', id, " +
               hex("name") + ", " + hex("note") + ", " +
               hex("trim(trailing '.' from trim(trailing '0' from amount))") + ") from people order by id\"")
        .Output;
}

TEST(DatabaseLoad, MariaDB)
{
    const Database mariadb{"MySQL", LoadMariadb, ReadMariadb};
    for (const Form& form : InsertForms)
        ConvertLoadAndCompare(mariadb, form);
}

// ---- SQLite through the sqlite3 program

std::string SqliteFile()
{
    return ::testing::TempDir() + "tabulon-load-" + std::to_string(::getpid()) + ".db";
}

std::string LoadSqlite(const std::string& script, bool createTable, std::string& output)
{
    const std::string db = ShellQuoted(SqliteFile());
    RunShell("rm -f " + db);
    if (!createTable)
        RunShell("sqlite3 " + db +
                 " 'create table people(id integer, name text, note text, amount numeric)'");
    // -bail: the first failing statement (a COMMIT without a transaction, say) fails the load.
    const ProgramResult load = RunShell("sqlite3 -bail " + db + " < " + ShellQuoted(script) + " 2>&1");
    output = load.Output;
    return load.Status == 0 ? std::string() : "sqlite3 failed";
}

std::string ReadSqlite()
{
    auto hex = [](const char* column) { // SQLite's hex of NULL is empty
        return std::string("case when ") + column + " is null then 'NULL' else hex(cast(" + column +
               " as text)) end";
    };
    const std::string db = ShellQuoted(SqliteFile());
    const std::string rows =
        RunShell("sqlite3 " + db + " \"select id || '|' || " + hex("name") + " || '|' || " + hex("note") +
                 " || '|' || " + hex("amount") + " from people order by id\"")
            .Output;
    RunShell("rm -f " + db);
    return rows;
}

TEST(DatabaseLoad, SQLite)
{
    const Database sqlite{"SQLite", LoadSqlite, ReadSqlite};
    for (const Form& form : InsertForms)
        ConvertLoadAndCompare(sqlite, form);
}

class StopServers : public ::testing::Environment {
  public:
    void TearDown() override { Servers().Stop(); }
};

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new StopServers);

} // namespace
