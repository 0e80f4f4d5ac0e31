// Names and values built to break out of identifiers and literals: the script
// is loaded into a real SQLite database, statement by statement, and every
// statement must insert exactly one row holding exactly the source's values.
#include "Converter.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <memory>

using namespace robust;

namespace {

using Row = std::vector<std::string>;

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

std::string QuotedName(const std::string& name)
{
    std::string quoted = "\"";
    for (const char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

Database OpenDatabase(const std::string& table, const std::vector<std::string>& columns)
{
    sqlite3* raw = nullptr;
    EXPECT_EQ(sqlite3_open(":memory:", &raw), SQLITE_OK);
    Database db(raw);
    std::string create =
        "create table sentinel(x); insert into sentinel values(1); create table " + QuotedName(table) + "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        create += (i ? "," : "") + QuotedName(columns[i]);
    create += ");";
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db.get(), create.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
    sqlite3_free(error);
    return db;
}

// Runs the script one statement at a time: each must be a single-row INSERT or
// a COMMIT. Returns the number of INSERTs.
std::size_t LoadScript(sqlite3* db, const std::string& script)
{
    EXPECT_EQ(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), SQLITE_OK);
    std::size_t inserts = 0;
    const char* next = script.c_str();
    const char* end = script.c_str() + script.size();
    while (next < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        const int prepared = sqlite3_prepare_v2(db, next, static_cast<int>(end - next), &raw, &tail);
        Statement statement(raw);
        EXPECT_EQ(prepared, SQLITE_OK) << sqlite3_errmsg(db) << " in: " << next;
        if (prepared != SQLITE_OK || tail == next)
            break;
        std::string text(next, tail);
        text.erase(0, text.find_first_not_of(" \r\n")); // the line end of the statement before
        next = tail;
        if (!statement)
            continue; // only blanks were left
        if (text.rfind("COMMIT", 0) == 0) {
            EXPECT_EQ(sqlite3_step(statement.get()), SQLITE_DONE);
            EXPECT_EQ(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), SQLITE_OK);
            continue;
        }
        EXPECT_EQ(text.rfind("insert into ", 0), 0u) << text;
        EXPECT_EQ(sqlite3_step(statement.get()), SQLITE_DONE) << sqlite3_errmsg(db) << " in: " << text;
        EXPECT_EQ(sqlite3_changes(db), 1) << text;
        ++inserts;
    }
    EXPECT_EQ(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), SQLITE_OK);
    return inserts;
}

std::string Cell(sqlite3_stmt* statement, int column, bool& isNull)
{
    isNull = sqlite3_column_type(statement, column) == SQLITE_NULL;
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                 : std::string();
}

// The table must hold exactly the rows, in order, an empty value of an unmarked
// column as NULL; the sentinel table must be untouched.
void ExpectTable(sqlite3* db, const std::string& table, const std::vector<std::string>& marks,
                 const std::vector<Row>& rows)
{
    const std::size_t columns = marks.size();
    sqlite3_stmt* raw = nullptr;
    const std::string select = "select * from " + QuotedName(table) + " order by rowid";
    ASSERT_EQ(sqlite3_prepare_v2(db, select.c_str(), -1, &raw, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    Statement statement(raw);
    ASSERT_EQ(sqlite3_column_count(statement.get()), static_cast<int>(columns));
    std::size_t count = 0;
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        ASSERT_LT(count, rows.size());
        for (std::size_t k = 0; k < columns; ++k) {
            bool isNull = false;
            const std::string value = Cell(statement.get(), static_cast<int>(k), isNull);
            EXPECT_EQ(value, rows[count][k]) << "row " << count << " column " << k;
            EXPECT_EQ(isNull, rows[count][k].empty() && marks[k].empty())
                << "row " << count << " column " << k;
        }
        ++count;
    }
    EXPECT_EQ(count, rows.size());

    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db, "select (select count(*) from sqlite_master), (select count(*) from sentinel)",
                           -1, &check, nullptr),
        SQLITE_OK);
    Statement counts(check);
    ASSERT_EQ(sqlite3_step(counts.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(counts.get(), 0), 2) << "tables were created or dropped";
    EXPECT_EQ(sqlite3_column_int(counts.get(), 1), 1) << "the sentinel table changed";
}

std::string Join(const Row& fields, const std::string& separator)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? separator : "") + fields[i];
    return line;
}

const std::vector<std::string> HostileNames = {
    "id", "na\"me", "--x", "*/y", "a;b); drop table sentinel; --", "'q'", "sp ace\rcr"};

// Each value where a number is expected, and text of every breaking kind.
// Discovery samples every line, so each column, holding text somewhere, is
// marked and all its values are literals.
const std::vector<Row> HostileRows = {
    {"12", "O'Neil", "--", "*/", ";", "\"", "plain"},
    {"1); drop table sentinel; --", "'); drop table sentinel; --", "/* open", "*/ close", "a;b;c",
     "\rCR at both ends\r", "\"\"\""},
    {"-3.5", "''", "'", "\\'", "\\", "x'); insert into sentinel values(2); --",
     "\" ; drop table sentinel; --"},
    {"", "NULL", "null", "0x1F", "1e5", "", "'; commit; begin; --"},
    {"'", "\xc3\xa9t\xc3\xa9", "\xff\xfe", "\t tab", " blank ", "GO", "COMMIT;"},
};

TEST(HostileContent, CommandLineScriptLoadsIntoSqlite)
{
    TestFolder dir;
    std::string source = Join(HostileNames, ",") + "\r\n";
    for (const Row& row : HostileRows)
        source += Join(row, ",") + "\r\n";
    WriteFile(dir / "source.csv", source);
    WriteFile(dir / "job.cvtproj", ProjectText({"Separator=,", "Commit=1", "CommitSize=2"}));
    const std::string table = "T\"; drop table sentinel; --";
    const ProgramResult result = RunConvert({"--quiet", "--source", dir / "source.csv", "--target",
                                             dir / "script.sql", "--table", table, dir / "job.cvtproj"});
    ASSERT_EQ(result.Status, 0) << result.Output;

    Database db = OpenDatabase(table, HostileNames);
    EXPECT_EQ(LoadScript(db.get(), ReadFile(dir / "script.sql")), HostileRows.size());
    const std::vector<std::string> marks(HostileNames.size(), "'");
    ExpectTable(db.get(), table, marks, HostileRows);
}

// Marks other than an apostrophe from a hand-written project, and fields that
// hold the field separator's neighbours: still one row per line, values intact.
TEST(HostileContent, OddMarksStillWriteLiterals)
{
    TestFolder dir;
    CProject project = ProjectIn(dir);
    project.ColumnNames = 0;
    project.Separator = "<tab>";
    project.Columns = {"a\nb", "c", "d", "e", "f"};
    project.Quotes = {"x", "''", "' ", "'", ""};
    const std::vector<Row> rows = {
        {"1); drop table sentinel; --", "', 'x'); drop table sentinel; --", "a,b", "x", "7"},
        {"x", "''", "' ", "--", "7x"},
        {"12", "1", "-1", ".5", "*/"},
    };
    std::string source;
    for (const Row& row : rows)
        source += Join(row, "\t") + "\n";
    WriteFile(project.FileName, source);
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done);

    Database db = OpenDatabase(project.TableName, project.Columns);
    EXPECT_EQ(LoadScript(db.get(), ReadFile(project.TargetName)), rows.size());
    ExpectTable(db.get(), project.TableName, project.Quotes, rows);
}

// A field that holds an LF in the data ends its line there: two statements,
// each with its own part, and nothing of either lost.
TEST(HostileContent, LineFeedInsideAFieldSplitsTheRecord)
{
    TestFolder dir;
    CProject project = ProjectIn(dir);
    project.ColumnNames = 0;
    project.Separator = "|";
    project.Columns = {"a"};
    project.Quotes = {"'"};
    WriteFile(project.FileName, "first'\n); drop table sentinel; --\r\n");
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done);

    Database db = OpenDatabase("T", {"a"});
    EXPECT_EQ(LoadScript(db.get(), ReadFile(project.TargetName)), 2u);
    ExpectTable(db.get(), "T", {"'"}, {{"first'"}, {"); drop table sentinel; --"}});
}

} // namespace
