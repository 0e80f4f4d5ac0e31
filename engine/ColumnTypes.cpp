#include "ColumnTypes.h"

#include "NumberText.h"
#include "TextRules.h"

#include <algorithm>
#include <cstdint>

namespace {

std::size_t Digits(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && IsAsciiDigit(static_cast<unsigned char>(text[end])))
        ++end;
    return end - at;
}

// The number of `length` digits at `at`; -1 when they are not all digits.
int NumberAt(std::string_view text, std::size_t at, std::size_t length)
{
    if (at + length > text.size() || Digits(text, at) < length)
        return -1;
    int value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = value * 10 + (text[at + i] - '0');
    return value;
}

// YYYY-MM-DD at the start of the text, a day the calendar has (years 1 to 9999).
bool StartsWithDate(std::string_view text)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return false;
    const int year = NumberAt(text, 0, 4);
    const int month = NumberAt(text, 5, 2);
    const int day = NumberAt(text, 8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= days[month - 1] + (month == 2 && leap ? 1 : 0);
}

// hh:mm:ss, and "." and the digits of a fraction of a second, at `at` to the
// text's end; the fraction's digits go into `fraction`.
bool IsTimeOfDay(std::string_view text, std::size_t at, std::size_t& fraction)
{
    if (text.size() < at + 8 || text[at + 2] != ':' || text[at + 5] != ':')
        return false;
    const int hour = NumberAt(text, at, 2);
    const int minute = NumberAt(text, at + 3, 2);
    const int second = NumberAt(text, at + 6, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    const std::size_t end = at + 8;
    fraction = 0;
    if (text.size() == end)
        return true;
    fraction = text.size() - end - 1;
    return text[end] == '.' && fraction > 0 && Digits(text, end + 1) == fraction;
}

std::size_t Characters(std::string_view text)
{
    // Every byte but UTF-8's continuation bytes starts a character.
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::size_t FourByteCharacters(std::string_view text)
{
    // Beyond the Basic Multilingual Plane: two UTF-16 code units.
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xF0; }));
}

} // namespace

void ColumnTypeGuess::Add(std::string_view value)
{
    if (value.empty())
        return;
    const std::size_t characters = Characters(value);
    LongestCharacters = std::max(LongestCharacters, characters);
    LongestUtf16 = std::max(LongestUtf16, characters + FourByteCharacters(value));
    LongestBytes = std::max(LongestBytes, value.size());
    if (Found == Kind::Text)
        return;

    Kind kind = Kind::Text;
    NumberShape number;
    std::size_t fraction = 0;
    if (ReadCanonicalNumber(value, number)) {
        // 18 digits always fit 64 bits; 19 may.
        const bool negative = value[0] == '-';
        const std::size_t integer = number.IntegerDigits;
        const bool fits =
            integer < 19 || (integer == 19 && value.substr(negative ? 1 : 0, 19) <= "9223372036854775807");
        kind = number.Exponent                      ? Kind::Floating
               : number.FractionDigits == 0 && fits ? Kind::Integer
                                                    : Kind::Decimal;
        if (kind == Kind::Floating && (number.Magnitude < -307 || number.Magnitude > 307))
            kind = Kind::Text; // beyond what a double holds
        IntegerDigits = std::max(IntegerDigits, number.Exponent ? 0 : integer);
        FractionDigits = std::max(FractionDigits, number.Exponent ? 0 : number.FractionDigits);
        SignificantDigits = std::max(SignificantDigits, number.SignificantDigits);
    } else if (StartsWithDate(value) && value.size() == 10) {
        kind = Kind::Date;
    } else if (StartsWithDate(value) && (value[10] == ' ' || value[10] == 'T') &&
               IsTimeOfDay(value, 11, fraction)) {
        kind = Kind::Timestamp;
    } else if (IsTimeOfDay(value, 0, fraction)) {
        kind = Kind::Time;
    }

    auto numeric = [](Kind k) { return k == Kind::Integer || k == Kind::Decimal || k == Kind::Floating; };
    auto rank = [](Kind k) { return k == Kind::Integer ? 0 : k == Kind::Decimal ? 1 : 2; };
    auto dated = [](Kind k) { return k == Kind::Date || k == Kind::Timestamp; };
    if (Found == Kind::None || Found == kind)
        Found = kind;
    else if (numeric(Found) && numeric(kind))
        Found = rank(Found) > rank(kind) ? Found : kind;
    else if (dated(Found) && dated(kind))
        Found = Kind::Timestamp;
    else
        Found = Kind::Text;
    if (Found == Kind::Timestamp || Found == Kind::Time)
        FractionDigits = std::max(FractionDigits, fraction);
}

std::size_t ColumnTypeGuess::Length(SqlDialect dialect, bool bytesAsText) const
{
    const std::size_t length = bytesAsText                          ? LongestBytes
                               : RulesOf(dialect).Types.Utf16Length ? LongestUtf16
                                                                    : LongestCharacters;
    return std::max<std::size_t>(length, 1);
}

std::string ColumnTypeGuess::TypeName(SqlDialect dialect, bool bytesAsText) const
{
    const TypeRules& rules = RulesOf(dialect).Types;
    auto withDigits = [](const char* type, std::size_t digits) {
        return std::string(type) + "(" + std::to_string(digits) + ")";
    };
    switch (Found) {
    case Kind::Integer:
        return rules.Integer;
    case Kind::Decimal: {
        if (SignificantDigits > rules.Significant)
            break;
        if (rules.DecimalDigits == 0)
            return rules.Decimal;
        const std::size_t scale = FractionDigits;
        const std::size_t precision = std::max<std::size_t>(IntegerDigits + scale, 1);
        if (precision > rules.DecimalDigits || scale > rules.DecimalScale)
            break;
        return std::string(rules.Decimal) + "(" + std::to_string(precision) + "," + std::to_string(scale) +
               ")";
    }
    case Kind::Floating:
        // A double keeps 15 significant digits; a number with more is text.
        if (SignificantDigits > MaxBareDigits)
            break;
        return rules.Floating;
    case Kind::Date:
        return rules.Date;
    case Kind::Timestamp:
    case Kind::Time: {
        if (FractionDigits > rules.SecondsFraction)
            break;
        const char* type = Found == Kind::Time ? rules.Time : rules.Timestamp;
        return rules.FractionInType && FractionDigits > 0 ? withDigits(type, FractionDigits) : type;
    }
    case Kind::None:
    case Kind::Text:
        break;
    }
    if (rules.Text)
        return rules.Text;
    const std::size_t length = Length(dialect, bytesAsText);
    if (length <= rules.MostSized)
        return withDigits(rules.SizedText, length);
    if (rules.LongText)
        return rules.LongText;
    // MariaDB: TEXT holds 65,535 bytes, MEDIUMTEXT 16,777,215, at 4 bytes a character.
    return length <= 16777215 / 4 ? "MEDIUMTEXT" : "LONGTEXT";
}

namespace {

// What a column of this type takes of a MariaDB row: in all (at most 65,535
// bytes) and stored in the row itself (at most 8,126 bytes, where a column
// longer than 255 bytes may be a 20-byte reference to the rest).
struct RowShare {
    std::size_t Whole;
    std::size_t InRow;
};

// The characters of a sized text type ("VARCHAR(300)"); 0 for any other type.
std::size_t SizedTextLength(std::string type)
{
    for (char& c : type)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const std::size_t open = type.find("CHAR(");
    if (open == std::string::npos)
        return 0;
    std::size_t length = 0;
    for (std::size_t i = open + 5; i < type.size() && IsAsciiDigit(static_cast<unsigned char>(type[i])); ++i)
        length = std::min<std::size_t>(length * 10 + static_cast<std::size_t>(type[i] - '0'), 1u << 24);
    return length;
}

RowShare MariadbRowShare(const std::string& type)
{
    if (const std::size_t length = SizedTextLength(type)) {
        const std::size_t bytes = 4 * length;
        return {bytes + 2, bytes <= 255 ? bytes + 1 : 22};
    }
    if (type.find("TEXT") != std::string::npos || type.find("BLOB") != std::string::npos)
        return {12, 22};
    return {32, 32}; // more than any number or date takes
}

} // namespace

std::vector<std::string> TableTypeNames(const std::vector<ColumnTypeGuess>& guesses, SqlDialect dialect,
                                        bool bytesAsText, const std::vector<std::string>& chosen,
                                        const std::vector<bool>& leftOut)
{
    std::vector<std::string> types;
    std::vector<std::size_t> inferredText; // columns whose inferred VARCHAR may become TEXT
    for (std::size_t k = 0; k < guesses.size(); ++k) {
        const bool isChosen = k < chosen.size() && !chosen[k].empty();
        types.push_back(isChosen ? chosen[k] : guesses[k].TypeName(dialect, bytesAsText));
        const bool kept = k >= leftOut.size() || !leftOut[k];
        if (kept && !isChosen && SizedTextLength(types[k]) > 0)
            inferredText.push_back(k);
    }
    if (!RulesOf(dialect).Types.RowLimit)
        return types;

    std::size_t columns = 0;
    RowShare sum = {0, 0};
    for (std::size_t k = 0; k < types.size(); ++k) {
        if (k < leftOut.size() && leftOut[k])
            continue;
        ++columns;
        const RowShare share = MariadbRowShare(types[k]);
        sum.Whole += share.Whole;
        sum.InRow += share.InRow;
    }
    // The bits that mark NULL values; and the row's own header in the row.
    const std::size_t nullBits = (columns + 7) / 8;
    std::stable_sort(inferredText.begin(), inferredText.end(), [&](std::size_t a, std::size_t b) {
        return SizedTextLength(types[a]) > SizedTextLength(types[b]);
    });
    for (const std::size_t k : inferredText) {
        const RowShare share = MariadbRowShare(types[k]);
        const bool tooLong = sum.Whole + nullBits > 65535;
        const bool tooWide = sum.InRow + nullBits + 30 > 8126 && share.InRow > 22;
        if (!tooLong && !tooWide)
            continue;
        types[k] = "TEXT";
        sum.Whole = sum.Whole - share.Whole + 12;
        sum.InRow = sum.InRow - share.InRow + 22;
    }
    return types;
}

BareNumbers NumbersOfType(std::string_view type)
{
    // The type's first word, as the databases spell their number types.
    static const struct {
        const char* Word;
        BareNumbers Numbers;
    } words[] = {
        {"INT", BareNumbers::Plain},        {"INTEGER", BareNumbers::Plain},
        {"BIGINT", BareNumbers::Plain},     {"SMALLINT", BareNumbers::Plain},
        {"TINYINT", BareNumbers::Plain},    {"MEDIUMINT", BareNumbers::Plain},
        {"INT2", BareNumbers::Plain},       {"INT4", BareNumbers::Plain},
        {"INT8", BareNumbers::Plain},       {"NUMERIC", BareNumbers::Plain},
        {"DECIMAL", BareNumbers::Plain},    {"DEC", BareNumbers::Plain},
        {"NUMBER", BareNumbers::Plain},     {"MONEY", BareNumbers::Plain},
        {"SMALLMONEY", BareNumbers::Plain}, {"SERIAL", BareNumbers::Plain},
        {"BIGSERIAL", BareNumbers::Plain},  {"SMALLSERIAL", BareNumbers::Plain},
        {"DOUBLE", BareNumbers::Floating},  {"FLOAT", BareNumbers::Floating},
        {"FLOAT4", BareNumbers::Floating},  {"FLOAT8", BareNumbers::Floating},
        {"REAL", BareNumbers::Floating},
    };
    const std::string_view trimmed = TrimBlanks(type);
    std::size_t end = 0;
    while (end < trimmed.size() && IsAsciiAlnum(static_cast<unsigned char>(trimmed[end])))
        ++end;
    const std::string_view word = trimmed.substr(0, end);
    for (const auto& w : words) {
        if (SameIgnoringAsciiCase(word, w.Word))
            return w.Numbers;
    }
    return BareNumbers::None;
}
