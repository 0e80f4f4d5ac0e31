#include "SqlDialect.h"

#include "ReservedWords.h"
#include "TextRules.h"

#include <algorithm>
#include <iterator>

namespace {

// clang-format off
const DialectRules Dialects[] = {
    {SqlDialect::Generic, "", nullptr, "Generic SQL",
     true, false, '"', '"',
     {false, NoLimit, NoLimit, NoLimit, false, false, NameComparison::AsciiCase},
     '\'', false, true,
     "", "", "", 10000, false, false,
     // Standard SQL, where a backslash is an ordinary character.
     "", "", "", "", false, "", "",
     "values hold backslashes: for MySQL or MariaDB choose Dialect=MySQL",
     {"BIGINT", "NUMERIC", 1000, 1000, NoLimit, "DOUBLE PRECISION", "DATE", "TIMESTAMP", "TIME",
      false, 6, nullptr, "VARCHAR", NoLimit, nullptr, false, false}},
    {SqlDialect::PostgreSQL, "PostgreSQL", nullptr, "PostgreSQL",
     true, true, '"', '"',
     {true, 63, NoLimit, NoLimit, false, true, NameComparison::AsciiCase},
     '\'', false, false,
     "BEGIN", "SET client_encoding = 'UTF8'", "", 10000, true, true,
     // With standard_conforming_strings off a backslash would escape in '...'.
     "", "SET standard_conforming_strings = on", "", "", false, "", "", "",
     {"BIGINT", "NUMERIC", 1000, 1000, NoLimit, "DOUBLE PRECISION", "DATE", "TIMESTAMP", "TIME",
      false, 6, "TEXT", nullptr, 0, nullptr, false, false}},
    {SqlDialect::MySQL, "MySQL", "MariaDB", "MySQL",
     false, false, '`', '`',
     {true, NoLimit, 64, NoLimit, true, false, NameComparison::CaseAndAccents},
     '\\', false, false,
     "START TRANSACTION", "SET NAMES utf8mb4", " DEFAULT CHARSET=utf8mb4", 10000, false, true,
     // Backslashes are doubled, so NO_BACKSLASH_ESCAPES goes (only that flag).
     "", "SET sql_mode = TRIM(BOTH ',' FROM REPLACE(CONCAT(',', @@sql_mode, ','), "
         "',NO_BACKSLASH_ESCAPES,', ','))",
     "_utf8mb4 X'", "X'", true, "", "\\r", "",
     // Text up to 16,383 characters of 4 bytes is a VARCHAR; longer, MEDIUMTEXT or LONGTEXT.
     {"BIGINT", "DECIMAL", 65, 30, NoLimit, "DOUBLE", "DATE", "DATETIME", "TIME",
      true, 6, nullptr, "VARCHAR", 16383, nullptr, false, true}},
    {SqlDialect::SQLite, "SQLite", nullptr, "SQLite",
     false, false, '"', '"',
     {true, NoLimit, NoLimit, NoLimit, false, false, NameComparison::AsciiCase},
     '\'', false, false,
     "BEGIN", "", "", 10000, false, true,
     "", "", "", "", false, "", "'||char(13)||'", "",
     // A decimal of more than 15 significant digits would be read as a double.
     {"INTEGER", "NUMERIC", 0, 0, 15, "REAL", "TEXT", "TEXT", "TEXT",
      false, NoLimit, "TEXT", nullptr, 0, nullptr, false, false}},
    {SqlDialect::SQLServer, "SQLServer", nullptr, "SQL Server",
     false, false, '[', ']',
     {true, NoLimit, NoLimit, 128, false, false, NameComparison::Case},
     '\'', true, false,
     "BEGIN TRANSACTION", "", "", 1000, false, false,
     "\xEF\xBB\xBF", "", "", "", false, "NCHAR", "", "",
     {"BIGINT", "NUMERIC", 38, 38, NoLimit, "FLOAT", "DATE", "DATETIME2", "TIME",
      false, 7, nullptr, "NVARCHAR", 4000, "NVARCHAR(MAX)", true, false}},
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
