#pragma once

#include <string>
#include <string_view>

// The database a script is written for: how it writes names, literals and
// transactions. Generic is the script the program always wrote.
enum class SqlDialect { Generic, PostgreSQL, MySQL, SQLite, SQLServer };

// The project file's names: "" (Generic), "PostgreSQL", "MySQL", "SQLite", "SQLServer",
// compared without regard to letter case ("MariaDB" is MySQL). False for any other name.
bool ParseDialect(std::string_view name, SqlDialect& dialect);

// A name that stands unquoted: a letter (or "_", where `underscore`) first,
// then letters, digits (and "_"), and no reserved word. The empty name too.
bool IsPlainIdentifier(std::string_view name, bool underscore);

// Appends a table or column name as the dialect needs it: Generic and
// PostgreSQL quote only names that are no plain identifier (PostgreSQL allows
// "_" in one), MySQL always in backticks, SQLite in double quotes, SQL Server
// in brackets; the closing mark inside a name is doubled.
void AppendName(std::string& out, std::string_view name, SqlDialect dialect);
// A table name whose dots part schema and table: each part by AppendName.
void AppendQualifiedName(std::string& out, std::string_view name, SqlDialect dialect);

// The statement that opens a transaction; empty for Generic, which writes none.
std::string_view BeginTransaction(SqlDialect dialect);
// The statement that tells the client the script's text is UTF-8; empty where none is needed.
std::string_view Utf8Statement(SqlDialect dialect);
// The most rows one INSERT statement may hold.
int MaxRowsPerInsert(SqlDialect dialect);

// What keeps a dialect's script exact whatever the client's or the server's
// settings: one row per dialect in SqlDialect.cpp.
struct LiteralSafety {
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
    // Said after a run whose text values hold a backslash; "" where none is.
    const char* BackslashNote;
};
const LiteralSafety& SafetyOf(SqlDialect dialect);
