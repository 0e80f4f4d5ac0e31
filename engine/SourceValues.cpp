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
    if (value.empty() || !Rules.MayChange(value[0]))
        return {value};
    const unsigned char first = static_cast<unsigned char>(value[0]);
    if (Rules.NullStarts[first]) {
        for (const std::string& marker : Rules.NullValues) {
            if (value == marker)
                return {value, true};
        }
    }
    const bool digitFirst = IsAsciiDigit(first);
    auto holds = [&](char c) { return c != 0 && value.find(c) != std::string_view::npos; };
    // Only a number with the decimal separator or a thousands separator changes.
    if ((Rules.Decimal != '.' || Rules.Thousands != 0) &&
        (digitFirst || first == '-' || first == '+' || value[0] == Rules.Decimal) &&
        (holds(Rules.Decimal) || holds(Rules.Thousands))) {
        if (Number.size() < value.size())
            Number.resize(value.size());
        if (const std::size_t n = NormalizeNumber(value, Rules.Decimal, Rules.Thousands, Number.data()))
            return {std::string_view(Number.data(), n)};
    }
    if (Rules.Dates && digitFirst && holds(Rules.DateForm.Between)) {
        bool hasTime = false;
        if (const std::size_t n = ReadDate(value, Rules.DateForm, Iso, hasTime))
            return {std::string_view(Iso, n)};
    }
    return {value};
}
