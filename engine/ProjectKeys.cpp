#include "ProjectKeys.h"

#include "DateText.h"
#include "SourceValues.h"
#include "SqlDialect.h"
#include "TextDecoder.h"
#include "TextRules.h"
#include "Utf8Path.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <limits>

namespace {

bool IsEncodingName(std::string_view value)
{
    SourceEncoding encoding = SourceEncoding::Bytes;
    return ParseEncoding(value, encoding);
}

bool IsDialectName(std::string_view value)
{
    return FindDialect(value) != nullptr;
}

bool IsOutputName(std::string_view value)
{
    return value.empty() || SameIgnoringAsciiCase(value, "insert") || SameIgnoringAsciiCase(value, "copy");
}

bool IsDecimalSeparator(std::string_view value)
{
    return value.empty() || value == "." || value == ",";
}

bool IsThousandsSeparator(std::string_view value)
{
    char separator = 0;
    return ParseThousandsSeparator(value, separator);
}

bool IsDateFormatName(std::string_view value)
{
    DateFormat format;
    return value.empty() || ParseDateFormat(value, format);
}

constexpr std::int64_t Billion = 1000000000;

// Save's order. Numbers are whole numbers in decimal; an empty number is 0, as
// files written by hand have it.
const ProjectKey Keys[] = {
    {"FileName", KeyKind::Path, "", "", SaveRule::Always, 0, 0, nullptr, nullptr, &CProject::FileName},
    {"TargetName", KeyKind::Path, "", "", SaveRule::Always, 0, 0, nullptr, nullptr, &CProject::TargetName},
    {"TableName", KeyKind::Text, "", "", SaveRule::Always, 0, 0, nullptr, nullptr, &CProject::TableName},
    {"Separator", KeyKind::Text, "<tab>", "<tab>", SaveRule::Always, 0, 0, nullptr, nullptr,
     &CProject::Separator},
    {"SQLSep", KeyKind::Text, ";", ";", SaveRule::Always, 0, 0, nullptr, nullptr, &CProject::SQLSep},
    {"Widths", KeyKind::Text, "", "", SaveRule::Always, 0, 0, nullptr, nullptr, &CProject::Widths},
    {"Commit", KeyKind::Flag, "1", "0", SaveRule::Always, 0, 0, nullptr, nullptr, nullptr, &CProject::Commit},
    {"WithSeparators", KeyKind::Flag, "1", "1", SaveRule::Always, 0, 0, nullptr, nullptr, nullptr,
     &CProject::WithSeparators},
    {"ColumnNames", KeyKind::Flag, "1", "1", SaveRule::Always, 0, 0, nullptr, nullptr, nullptr,
     &CProject::ColumnNames},
    // A negative interval counts as its size, as it always did.
    {"CommitSize", KeyKind::Integer, "250", "250", SaveRule::Always, -Billion, Billion, nullptr, nullptr,
     nullptr, &CProject::CommitSize},
    {"QuotedFields", KeyKind::Flag, "0", "0", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, nullptr,
     &CProject::QuotedFields},
    {"Encoding", KeyKind::Choice, "", "", SaveRule::WhenUsed, 0, 0, IsEncodingName,
     "UTF-8, Windows-1252, ISO-8859-1, UTF-16LE, UTF-16BE, or empty for the bytes as they are",
     &CProject::Encoding},
    {"Trim", KeyKind::Flag, "0", "0", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, nullptr, &CProject::Trim},
    {"EmptyIsNull", KeyKind::Flag, "0", "0", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, nullptr,
     &CProject::EmptyIsNull},
    // How the source writes its lines, NULL, numbers and dates.
    {"SkipLines", KeyKind::Integer, "0", "0", SaveRule::WhenUsed, 0, 1000000, nullptr, nullptr, nullptr,
     &CProject::SkipLines},
    {"CommentPrefix", KeyKind::Text, "", "", SaveRule::WhenUsed, 0, 0, nullptr, nullptr,
     &CProject::CommentPrefix},
    {"NullValues", KeyKind::Text, "", "", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, &CProject::NullValues},
    {"DecimalSeparator", KeyKind::Choice, ".", ".", SaveRule::WhenUsed, 0, 0, IsDecimalSeparator, ". or ,",
     &CProject::DecimalSeparator},
    {"ThousandsSeparator", KeyKind::Choice, "", "", SaveRule::WhenUsed, 0, 0, IsThousandsSeparator,
     ". , ' <space>, or empty for none", &CProject::ThousandsSeparator},
    {"DateFormat", KeyKind::Choice, "YYYY-MM-DD", "YYYY-MM-DD", SaveRule::WhenUsed, 0, 0, IsDateFormatName,
     "YYYY-MM-DD, DD.MM.YYYY, DD/MM/YYYY, MM/DD/YYYY, YYYY/MM/DD, DD-MM-YY and the like (DD, MM and YYYY or "
     "YY once each, with - / or . between)",
     &CProject::DateFormat},
    {"Dialect", KeyKind::Choice, "", "", SaveRule::WhenUsed, 0, 0, IsDialectName,
     "PostgreSQL, MySQL (or MariaDB), SQLite, SQLServer, or empty for generic SQL", &CProject::Dialect},
    {"RowsPerInsert", KeyKind::Integer, "1", "1", SaveRule::WhenUsed, 1, 10000, nullptr, nullptr, nullptr,
     &CProject::RowsPerInsert},
    {"CreateTable", KeyKind::Flag, "0", "0", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, nullptr,
     &CProject::CreateTable},
    {"DropTable", KeyKind::Flag, "0", "0", SaveRule::WhenUsed, 0, 0, nullptr, nullptr, nullptr,
     &CProject::DropTable},
    {"Output", KeyKind::Choice, "insert", "insert", SaveRule::WhenUsed, 0, 0, IsOutputName,
     "insert, or copy (PostgreSQL only)", &CProject::Output},
    // The column count; a negative one, as a file may hold, means none.
    {"nColumns", KeyKind::Integer, "0", "0", SaveRule::Always, -Billion, 1000000, nullptr, nullptr, nullptr,
     nullptr},
};

constexpr std::array<const char*, 4> ColumnPrefixes = {"Column", "Quote", "Type", "Source"};

// A whole number as a file may write it: blanks around it, an optional sign, digits.
std::optional<std::int64_t> WholeNumber(std::string_view text)
{
    text = TrimBlanks(text);
    if (text.empty())
        return 0;
    const bool negative = text.front() == '-';
    if (text.front() == '+' || negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), [](char c) {
            return IsAsciiDigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    std::int64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return negative ? -value : value;
}

std::size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const bool same = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]);
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

const ProjectKey* ProjectKeysBegin()
{
    return std::begin(Keys);
}

const ProjectKey* ProjectKeysEnd()
{
    return std::end(Keys);
}

const ProjectKey* FindProjectKey(std::string_view name)
{
    const ProjectKey* found = std::find_if(std::begin(Keys), std::end(Keys), [&](const ProjectKey& key) {
        return SameIgnoringAsciiCase(name, key.Name);
    });
    return found != std::end(Keys) ? found : nullptr;
}

std::string ColumnKeyName(ColumnKey key, std::size_t index)
{
    return ColumnPrefixes[static_cast<std::size_t>(key)] + std::to_string(index);
}

bool IsColumnKeyName(std::string_view name)
{
    for (const char* prefix : ColumnPrefixes) {
        const std::string_view start(prefix);
        if (name.size() <= start.size() || !SameIgnoringAsciiCase(name.substr(0, start.size()), start))
            continue;
        const std::string_view index = name.substr(start.size());
        if (std::all_of(index.begin(), index.end(),
                        [](char c) { return IsAsciiDigit(static_cast<unsigned char>(c)); }))
            return true;
    }
    return false;
}

std::optional<std::string> CheckKeyValue(const ProjectKey& key, std::string_view text)
{
    switch (key.Kind) {
    case KeyKind::Text:
    case KeyKind::Path:
        return std::nullopt;
    case KeyKind::Flag:
        if (WholeNumber(text))
            return std::nullopt;
        return std::string("write 1 (on) or 0 (off)");
    case KeyKind::Integer: {
        const std::optional<std::int64_t> number = WholeNumber(text);
        if (number && *number >= key.Min && *number <= key.Max)
            return std::nullopt;
        return "write a whole number from " + std::to_string(key.Min) + " to " + std::to_string(key.Max) +
               " (without it: " + key.MissingDefault + ")";
    }
    case KeyKind::Choice:
        if (key.IsChoice(TrimBlanks(text)))
            return std::nullopt;
        return std::string("write one of ") + key.Choices;
    }
    return std::nullopt;
}

std::optional<std::string> CheckSetting(std::string_view name, std::string_view text)
{
    if (const ProjectKey* key = FindProjectKey(name)) {
        if (const std::optional<std::string> reason = CheckKeyValue(*key, text))
            return std::string(name) + "=" + std::string(text) + " cannot be used: " + *reason;
        return std::nullopt;
    }
    if (IsColumnKeyName(name))
        return std::nullopt;
    const ProjectKey* nearest =
        std::min_element(std::begin(Keys), std::end(Keys), [&](const ProjectKey& a, const ProjectKey& b) {
            return EditDistance(name, a.Name) < EditDistance(name, b.Name);
        });
    std::string reason = std::string(name) + " is no project key";
    if (EditDistance(name, nearest->Name) <= std::max<std::size_t>(2, name.size() / 3))
        reason += std::string(" (did you mean ") + nearest->Name + "?)";
    return reason + "; the keys are listed in the README and the help";
}

void ApplyKeyValue(const ProjectKey& key, std::string_view text, CProject& project)
{
    switch (key.Kind) {
    case KeyKind::Text:
        project.*key.Text = std::string(text);
        return;
    case KeyKind::Path:
        project.*key.Text = StoredPathAsUtf8(std::string(text));
        return;
    case KeyKind::Choice:
        project.*key.Text = std::string(TrimBlanks(text));
        return;
    case KeyKind::Flag:
    case KeyKind::Integer:
        if (key.Number) {
            const std::int64_t number = WholeNumber(text).value_or(0);
            project.*key.Number = static_cast<std::int32_t>(std::clamp<std::int64_t>(
                number, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
        }
        return;
    }
}

std::string KeyValueText(const ProjectKey& key, const CProject& project)
{
    if (key.Text)
        return project.*key.Text;
    if (key.Number)
        return std::to_string(project.*key.Number);
    return std::to_string(project.Columns.size()); // nColumns
}
