#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The database a script is written for: how it writes names, literals and
// transactions. Generic is the script the program always wrote.
enum class SqlDialect { Generic, PostgreSQL, MySQL, SQLite, SQLServer };

// No limit of a database's (a name's length, a type's digits).
constexpr std::size_t NoLimit = static_cast<std::size_t>(-1);

// How a database compares two names: without letter case in ASCII (SQLite;
// PostgreSQL reads unquoted names so), in any alphabet (SQL Server's usual
// collation), or without accents too (MariaDB).
enum class NameComparison { AsciiCase, Case, CaseAndAccents };

// What a database takes as a column name (ColumnNames.cpp fits names to it).
struct NameRules {
    bool Fit;                  // false: names are written as they are (Generic)
    std::size_t MostBytes;     // PostgreSQL cuts a name at 63 bytes
    std::size_t MostCharacter; // MySQL: 64 characters
    std::size_t MostUtf16;     // SQL Server: 128 UTF-16 code units
    bool BmpOnly;              // MariaDB keeps names in 3-byte UTF-8: no emoji
    bool BareInLowerCase;      // an unquoted name is read in lower case (PostgreSQL)
    NameComparison Compared;
};

// How CREATE TABLE spells each type and what the types hold (ColumnTypes.cpp).
// A value that its type would not keep as it is makes the column text.
struct TypeRules {
    const char* Integer;
    const char* Decimal; // followed by (p,s), unless DecimalDigits is 0
    std::size_t DecimalDigits;
    std::size_t DecimalScale;
    std::size_t Significant; // the most significant digits a decimal keeps (SQLite reads a double)
    const char* Floating;
    const char* Date;
    const char* Timestamp;
    const char* Time;
    bool FractionInType;         // DATETIME(n), TIME(n): no fraction of a second without it
    std::size_t SecondsFraction; // the most digits of a second kept
    const char* Text;            // unsized text; nullptr: sized by the longest value
    const char* SizedText;       // followed by (n)
    std::size_t MostSized;       // the longest sized text; beyond it LongText
    const char* LongText;        // nullptr: MEDIUMTEXT or LONGTEXT by the length (MariaDB)
    bool Utf16Length;            // lengths in UTF-16 code units, not characters
    bool RowLimit;               // MariaDB's row of at most 65,535 bytes: wide text becomes TEXT
};

// Everything the script writer and the front ends know of one database, as
// data: one row per dialect in SqlDialect.cpp. A new rule is a new field.
struct DialectRules {
    SqlDialect Id;
    const char* Name;    // as a project file names it ("" for Generic)
    const char* Alias;   // another name a project file may use, or null
    const char* Caption; // as the user reads it

    // Names: a plain identifier (a letter first, then letters and digits, no
    // reserved word) stands bare where BarePlainNames; any other is enclosed
    // in NameOpen ... NameClose, the closing mark doubled inside.
    bool BarePlainNames;
    bool UnderscoreInPlainNames; // "_" counts as a letter in a plain identifier
    char NameOpen;
    char NameClose;
    NameRules Names;

    // Literals: text between apostrophes, the apostrophe doubled.
    char EscapeByte;         // doubled too (MySQL's backslash); the apostrophe where none
    bool UnicodePrefix;      // text beyond ASCII as N'...'
    bool DoubleQuotedValues; // a column marked " keeps its double quotes (else apostrophes)

    // Statements.
    const char* BeginTransaction; // opens a transaction before the rows; "" where none is written
    const char* Utf8Statement;    // tells the client the script is UTF-8; "" where none is needed
    const char* Utf8TableOption;  // after CREATE TABLE's ")" for UTF-8 text; ""
    int MaxRowsPerInsert;         // the most rows one INSERT may hold
    bool Copy;                    // reads COPY ... FROM stdin
    // The rows of an INSERT on one line: the sqlite3 program reads all of a
    // statement again at each of its lines (3x slower over 500 lines); psql
    // loads 1,000,000 rows 8% faster so. The generic script keeps a row a line.
    bool RowsOnOneLine;

    // What keeps the script exact whatever the client's or the server's settings.
    // Bytes the script starts with (SQL Server's UTF-8 byte order mark, so that
    // sqlcmd reads it as UTF-8).
    const char* ScriptStart;
    // Written before the first INSERT: the session setting its literals are
    // written for (PostgreSQL's standard strings, MySQL's backslash escapes).
    const char* LiteralStatement;
    // A text value holding bytes 0x80-0xFF is written as this prefix, its bytes
    // in hexadecimal and "'", so that no client character set can read a quote
    // into a character: for UTF-8 text (HexText) and in byte mode (HexBytes).
    const char* HexText;
    const char* HexBytes;
    // The UTF-8 statement also in byte mode, when the names are UTF-8 (the
    // values beyond ASCII being hexadecimal, the rest of the script is ASCII).
    bool Utf8StatementForBytes;
    // No literal spans lines, and none holds "$(": CR and LF are written as
    // CharFunction(13) and CharFunction(10) joined by "+", and "$(" is cut in two
    // (sqlcmd's line continuation after a backslash and its variables).
    const char* CharFunction;
    // Written for a CR inside a literal, where the client would read a CR LF
    // as LF (the sqlite3 and mariadb programs): MySQL's escape, or SQLite's
    // literal closed, joined with char(13) and opened again. "": as it is.
    const char* CarriageReturn;
    // Said after a run whose text values hold a backslash; "" where none is.
    const char* BackslashNote;

    // CREATE TABLE's types.
    TypeRules Types;
};

// The rules of a dialect.
const DialectRules& RulesOf(SqlDialect dialect);
// Every dialect, in the order the user is offered them (Generic first).
const DialectRules* DialectsBegin();
const DialectRules* DialectsEnd();
// The dialect a project file names: its name or alias in any letter case
// ("postgresql", "MariaDB"); null for any other name.
const DialectRules* FindDialect(std::string_view name);

// FindDialect for callers that keep the id: false (dialect unchanged) for an unknown name.
bool ParseDialect(std::string_view name, SqlDialect& dialect);

// A name that stands unquoted: a letter (or "_", where `underscore`) first,
// then letters, digits (and "_"), and no reserved word. The empty name too.
bool IsPlainIdentifier(std::string_view name, bool underscore);

// Appends a table or column name as the dialect needs it.
void AppendName(std::string& out, std::string_view name, SqlDialect dialect);
// A table name whose dots part schema and table: each part by AppendName.
void AppendQualifiedName(std::string& out, std::string_view name, SqlDialect dialect);
