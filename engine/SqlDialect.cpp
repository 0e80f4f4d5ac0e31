#include "SqlDialect.h"

#include "ReservedWords.h"
#include "TextRules.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    }
    return true;
}

} // namespace

bool IsPlainIdentifier(std::string_view name, bool underscore)
{
    if (name.empty())
        return true; // nothing to quote
    auto allowed = [underscore](char c, bool first) {
        const unsigned char u = static_cast<unsigned char>(c);
        return IsAsciiAlpha(u) || (!first && IsAsciiDigit(u)) || (underscore && c == '_');
    };
    if (!allowed(name[0], true))
        return false;
    for (const char c : name.substr(1)) {
        if (!allowed(c, false))
            return false;
    }
    return !IsReservedWord(name);
}

namespace {

void AppendEnclosed(std::string& out, std::string_view name, char open, char close)
{
    out += open;
    for (const char c : name) {
        out += c;
        if (c == close)
            out += close;
    }
    out += close;
}

} // namespace

bool ParseDialect(std::string_view name, SqlDialect& dialect)
{
    const struct {
        const char* Name;
        SqlDialect Dialect;
    } names[] = {{"", SqlDialect::Generic},      {"PostgreSQL", SqlDialect::PostgreSQL},
                 {"MySQL", SqlDialect::MySQL},   {"MariaDB", SqlDialect::MySQL},
                 {"SQLite", SqlDialect::SQLite}, {"SQLServer", SqlDialect::SQLServer}};
    for (const auto& entry : names) {
        if (SameIgnoringCase(name, entry.Name)) {
            dialect = entry.Dialect;
            return true;
        }
    }
    return false;
}

void AppendName(std::string& out, std::string_view name, SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::Generic:
    case SqlDialect::PostgreSQL:
        if (IsPlainIdentifier(name, dialect == SqlDialect::PostgreSQL))
            out += name;
        else
            AppendEnclosed(out, name, '"', '"');
        return;
    case SqlDialect::MySQL:
        AppendEnclosed(out, name, '`', '`');
        return;
    case SqlDialect::SQLite:
        AppendEnclosed(out, name, '"', '"');
        return;
    case SqlDialect::SQLServer:
        AppendEnclosed(out, name, '[', ']');
        return;
    }
}

void AppendQualifiedName(std::string& out, std::string_view name, SqlDialect dialect)
{
    for (;;) {
        const std::size_t dot = name.find('.');
        AppendName(out, name.substr(0, dot), dialect);
        if (dot == std::string_view::npos)
            return;
        out += '.';
        name.remove_prefix(dot + 1);
    }
}

std::string_view BeginTransaction(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::PostgreSQL:
    case SqlDialect::SQLite:
        return "BEGIN";
    case SqlDialect::MySQL:
        return "START TRANSACTION";
    case SqlDialect::SQLServer:
        return "BEGIN TRANSACTION";
    case SqlDialect::Generic:
        break;
    }
    return {};
}

std::string_view Utf8Statement(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::PostgreSQL:
        return "SET client_encoding = 'UTF8'";
    case SqlDialect::MySQL:
        return "SET NAMES utf8mb4";
    default:
        return {};
    }
}

int MaxRowsPerInsert(SqlDialect dialect)
{
    return dialect == SqlDialect::SQLServer ? 1000 : 10000;
}

const LiteralSafety& SafetyOf(SqlDialect dialect)
{
    static const LiteralSafety rows[] = {
        // Generic: standard SQL, where a backslash is an ordinary character.
        {"", "", "", "", false, "", "values hold backslashes: for MySQL or MariaDB choose Dialect=MySQL"},
        // PostgreSQL: with standard_conforming_strings off a backslash would escape in '...'.
        {"", "SET standard_conforming_strings = on", "", "", false, "", ""},
        // MySQL: backslashes are doubled, so NO_BACKSLASH_ESCAPES goes (only that flag).
        {"",
         "SET sql_mode = TRIM(BOTH ',' FROM REPLACE(CONCAT(',', @@sql_mode, ','), ',NO_BACKSLASH_ESCAPES,', "
         "','))",
         "_utf8mb4 X'", "X'", true, "", ""},
        {"", "", "", "", false, "", ""},                  // SQLite
        {"\xEF\xBB\xBF", "", "", "", false, "NCHAR", ""}, // SQL Server
    };
    return rows[static_cast<int>(dialect)];
}
