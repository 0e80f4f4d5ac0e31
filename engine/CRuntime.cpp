#include "CRuntime.h"

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

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}
