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
