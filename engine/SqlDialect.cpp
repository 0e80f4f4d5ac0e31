#include "SqlDialect.h"

#include "ReservedWords.h"
#include "TextRules.h"

#include <algorithm>
#include <iterator>

namespace {

// clang-format off
const DialectRules Dialects[] = {
    {SqlDialect::Generic, "", nullptr, "Generic SQL",
     true, false, '"', '"', 0, false,
     '\'', false, true,
     "", "", "", 10000, false,
     // Standard SQL, where a backslash is an ordinary character.
     "", "", "", "", false, "", "",
     "values hold backslashes: for MySQL or MariaDB choose Dialect=MySQL"},
    {SqlDialect::PostgreSQL, "PostgreSQL", nullptr, "PostgreSQL",
     true, true, '"', '"', 63, true,
     '\'', false, false,
     "BEGIN", "SET client_encoding = 'UTF8'", "", 10000, true,
     // With standard_conforming_strings off a backslash would escape in '...'.
     "", "SET standard_conforming_strings = on", "", "", false, "", "", ""},
    {SqlDialect::MySQL, "MySQL", "MariaDB", "MySQL",
     false, false, '`', '`', 64, false,
     '\\', false, false,
     "START TRANSACTION", "SET NAMES utf8mb4", " DEFAULT CHARSET=utf8mb4", 10000, false,
     // Backslashes are doubled, so NO_BACKSLASH_ESCAPES goes (only that flag).
     "", "SET sql_mode = TRIM(BOTH ',' FROM REPLACE(CONCAT(',', @@sql_mode, ','), "
         "',NO_BACKSLASH_ESCAPES,', ','))",
     "_utf8mb4 X'", "X'", true, "", "\\r", ""},
    {SqlDialect::SQLite, "SQLite", nullptr, "SQLite",
     false, false, '"', '"', 0, false,
     '\'', false, false,
     "BEGIN", "", "", 10000, false,
     "", "", "", "", false, "", "'||char(13)||'", ""},
    {SqlDialect::SQLServer, "SQLServer", nullptr, "SQL Server",
     false, false, '[', ']', 128, false,
     '\'', true, false,
     "BEGIN TRANSACTION", "", "", 1000, false,
     "\xEF\xBB\xBF", "", "", "", false, "NCHAR", "", ""},
};
// clang-format on

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

const DialectRules& RulesOf(SqlDialect dialect)
{
    return Dialects[static_cast<std::size_t>(dialect)];
}

const DialectRules* DialectsBegin()
{
    return std::begin(Dialects);
}

const DialectRules* DialectsEnd()
{
    return std::end(Dialects);
}

const DialectRules* FindDialect(std::string_view name)
{
    const DialectRules* found =
        std::find_if(std::begin(Dialects), std::end(Dialects), [&](const DialectRules& d) {
            return SameIgnoringAsciiCase(name, d.Name) || (d.Alias && SameIgnoringAsciiCase(name, d.Alias));
        });
    return found != std::end(Dialects) ? found : nullptr;
}

bool ParseDialect(std::string_view name, SqlDialect& dialect)
{
    const DialectRules* rules = FindDialect(name);
    if (rules)
        dialect = rules->Id;
    return rules != nullptr;
}

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

void AppendName(std::string& out, std::string_view name, SqlDialect dialect)
{
    const DialectRules& rules = RulesOf(dialect);
    if (rules.BarePlainNames && IsPlainIdentifier(name, rules.UnderscoreInPlainNames))
        out += name;
    else
        AppendEnclosed(out, name, rules.NameOpen, rules.NameClose);
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
