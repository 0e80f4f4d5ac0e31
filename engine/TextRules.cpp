#include "TextRules.h"

std::int32_t Atoi(std::string_view text)
{
    std::size_t pos = 0;
    // isspace of the C locale: blank, tab, LF, VT, FF, CR.
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::uint32_t value = 0;
    while (pos < text.size() && IsAsciiDigit(static_cast<unsigned char>(text[pos]))) {
        value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
        ++pos;
    }
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}
