#include "SourceValues.h"

#include "NumberText.h"
#include "TextRules.h"

bool ParseThousandsSeparator(std::string_view text, char& separator)
{
    if (text.empty() || SameIgnoringAsciiCase(text, "<space>")) {
        separator = text.empty() ? 0 : ' ';
        return true;
    }
    if (text.size() == 1 && (text[0] == '.' || text[0] == ',' || text[0] == '\'')) {
        separator = text[0];
        return true;
    }
    return false;
}

ReadValue SourceValueReader::Read(std::string_view value)
{
    if (value.empty())
        return {value};
    for (const std::string& marker : Rules.NullValues) {
        if (value == marker)
            return {value, true};
    }
    const unsigned char first = static_cast<unsigned char>(value[0]);
    const bool digitFirst = IsAsciiDigit(first);
    if ((Rules.Decimal != '.' || Rules.Thousands != 0) &&
        (digitFirst || first == '-' || first == '+' || value[0] == Rules.Decimal)) {
        if (Number.size() < value.size())
            Number.resize(value.size());
        if (const std::size_t n = NormalizeNumber(value, Rules.Decimal, Rules.Thousands, Number.data()))
            return {std::string_view(Number.data(), n)};
    }
    if (Rules.Dates && digitFirst) {
        bool hasTime = false;
        if (const std::size_t n = ReadDate(value, Rules.DateForm, Iso, hasTime))
            return {std::string_view(Iso, n)};
    }
    return {value};
}
