#include "ColumnTypes.h"

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

bool NumberIn(std::string_view text, std::size_t at, std::size_t length, int low, int high)
{
    if (Digits(text, at) < length)
        return false;
    int value = 0;
    for (std::size_t i = 0; i < length; ++i)
        value = value * 10 + (text[at + i] - '0');
    return value >= low && value <= high;
}

bool IsDate(std::string_view text)
{
    return text.size() >= 10 && NumberIn(text, 0, 4, 0, 9999) && text[4] == '-' &&
           NumberIn(text, 5, 2, 1, 12) && text[7] == '-' && NumberIn(text, 8, 2, 1, 31);
}

bool IsTimestamp(std::string_view text)
{
    if (!IsDate(text) || text.size() < 19 || (text[10] != ' ' && text[10] != 'T'))
        return false;
    if (!NumberIn(text, 11, 2, 0, 23) || text[13] != ':' || !NumberIn(text, 14, 2, 0, 59) ||
        text[16] != ':' || !NumberIn(text, 17, 2, 0, 59))
        return false;
    if (text.size() == 19)
        return true;
    return text[19] == '.' && text.size() > 20 && Digits(text, 20) == text.size() - 20;
}

std::size_t Characters(std::string_view text)
{
    // Every byte but UTF-8's continuation bytes starts a character.
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace

void ColumnTypeGuess::Add(std::string_view value)
{
    if (value.empty())
        return;
    LongestText = std::max(LongestText, Characters(value));
    if (Found == Kind::Text)
        return;

    // [sign] (0 | 1-9 digits) [. digits], or [sign] . digits: a number that keeps its text.
    const std::size_t sign = value[0] == '+' || value[0] == '-' ? 1 : 0;
    const std::size_t integer = Digits(value, sign);
    const bool leadingZero = integer > 1 && value[sign] == '0';
    std::size_t fraction = 0;
    bool point = false;
    if (sign + integer < value.size() && value[sign + integer] == '.') {
        point = true;
        fraction = Digits(value, sign + integer + 1);
    }
    const bool number =
        !leadingZero && integer + fraction > 0 && sign + integer + (point ? 1 + fraction : 0) == value.size();
    Kind kind = Kind::Text;
    if (number) {
        // 18 digits always fit 64 bits; 19 may.
        const bool fits = integer < 19 || (integer == 19 && value.substr(sign, 19) <= "9223372036854775807");
        kind = !point && fits ? Kind::Integer : Kind::Decimal;
        IntegerDigits = std::max(IntegerDigits, integer);
        FractionDigits = std::max(FractionDigits, fraction);
    } else if (IsTimestamp(value)) {
        kind = Kind::Timestamp;
    } else if (IsDate(value) && value.size() == 10) {
        kind = Kind::Date;
    }

    auto numeric = [](Kind k) { return k == Kind::Integer || k == Kind::Decimal; };
    auto temporal = [](Kind k) { return k == Kind::Date || k == Kind::Timestamp; };
    if (Found == Kind::None || Found == kind)
        Found = kind;
    else if (numeric(Found) && numeric(kind))
        Found = Kind::Decimal;
    else if (temporal(Found) && temporal(kind))
        Found = Kind::Timestamp;
    else
        Found = Kind::Text;
}

std::string ColumnTypeGuess::TypeName(SqlDialect dialect) const
{
    const DialectRules& rules = RulesOf(dialect);
    switch (Found) {
    case Kind::Integer:
        return rules.IntegerType;
    case Kind::Decimal: {
        if (!rules.DecimalDigits)
            return rules.DecimalType;
        const std::size_t scale = FractionDigits;
        const std::size_t precision = std::max<std::size_t>(IntegerDigits + scale, 1);
        // Beyond what the database's decimal type holds, the values are kept as text.
        if (precision > rules.DecimalMostDigits || scale > rules.DecimalMostScale)
            break;
        return std::string(rules.DecimalType) + "(" + std::to_string(precision) + "," +
               std::to_string(scale) + ")";
    }
    case Kind::Date:
        return rules.DateType;
    case Kind::Timestamp:
        return rules.TimestampType;
    case Kind::None:
    case Kind::Text:
        break;
    }
    if (rules.TextLengthLimit == 0)
        return rules.TextType;
    const std::size_t length = std::max<std::size_t>(LongestText, 1);
    if (length > rules.TextLengthLimit)
        return rules.LongTextType;
    return std::string(rules.TextType) + "(" + std::to_string(length) + ")";
}
