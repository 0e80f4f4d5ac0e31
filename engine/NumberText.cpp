#include "NumberText.h"

#include "TextRules.h"

namespace {

std::size_t SkipDigits(std::string_view value, std::size_t i)
{
    while (i < value.size() && IsAsciiDigit(static_cast<unsigned char>(value[i])))
        ++i;
    return i;
}

} // namespace

bool IsPlainNumber(std::string_view value)
{
    const std::size_t sign = !value.empty() && value[0] == '-' ? 1 : 0;
    const std::size_t integerEnd = SkipDigits(value, sign);
    const bool point = integerEnd < value.size() && value[integerEnd] == '.';
    const std::size_t fractionEnd = point ? SkipDigits(value, integerEnd + 1) : integerEnd;
    return fractionEnd == value.size() &&
           IsPlainNumberParts(sign != 0, value.substr(sign, integerEnd - sign), point,
                              point ? value.substr(integerEnd + 1, fractionEnd - integerEnd - 1)
                                    : std::string_view());
}

bool ReadCanonicalNumber(std::string_view value, NumberShape& shape)
{
    shape = NumberShape();
    const std::size_t sign = !value.empty() && value[0] == '-' ? 1 : 0;
    std::size_t i = SkipDigits(value, sign);
    shape.IntegerDigits = i - sign;
    if (shape.IntegerDigits == 0 || (shape.IntegerDigits > 1 && value[sign] == '0'))
        return false;
    if (i < value.size() && value[i] == '.') {
        const std::size_t start = ++i;
        i = SkipDigits(value, i);
        shape.FractionDigits = i - start;
        if (shape.FractionDigits == 0)
            return false;
    }
    const std::size_t mantissaEnd = i;
    int exponent = 0;
    if (i < value.size() && (value[i] == 'e' || value[i] == 'E')) {
        shape.Exponent = true;
        ++i;
        const bool negative = i < value.size() && value[i] == '-';
        if (i < value.size() && (value[i] == '-' || value[i] == '+'))
            ++i;
        const std::size_t start = i;
        i = SkipDigits(value, i);
        if (i == start || i - start > 4)
            return false;
        for (std::size_t k = start; k < i; ++k)
            exponent = exponent * 10 + (value[k] - '0');
        exponent = negative ? -exponent : exponent;
    }
    if (i != value.size())
        return false;
    // The first digit that is not 0, counted from the start of the mantissa.
    std::size_t first = sign;
    while (first < mantissaEnd && (value[first] == '0' || value[first] == '.'))
        ++first;
    if (first == mantissaEnd)
        return sign == 0; // zero: minus zero reads back as 0
    const std::size_t point = sign + shape.IntegerDigits;
    shape.SignificantDigits = mantissaEnd - first - (first < point && shape.FractionDigits > 0 ? 1 : 0);
    const int position =
        first < point ? static_cast<int>(point - first) - 1 : -static_cast<int>(first - point);
    shape.Magnitude = position + exponent;
    return true;
}

std::size_t NormalizeNumber(std::string_view value, char decimal, char thousands, char* out)
{
    std::size_t i = 0;
    std::size_t n = 0;
    if (!value.empty() && (value[0] == '+' || value[0] == '-'))
        out[n++] = value[i++];
    // The integer part: digits, with thousands separators between groups of three.
    std::size_t group = 0;  // digits since the last separator
    bool grouped = false;   // a thousands separator was met
    std::size_t digits = 0; // of the integer part
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (IsAsciiDigit(static_cast<unsigned char>(c))) {
            out[n++] = c;
            ++group;
            ++digits;
        } else if (thousands != 0 && c == thousands) {
            if (group == 0 || group > 3 || (grouped && group != 3))
                return 0;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (grouped && group != 3)
        return 0;
    if (i < value.size() && value[i] == decimal) {
        out[n++] = '.';
        const std::size_t start = ++i;
        i = SkipDigits(value, i);
        for (std::size_t k = start; k < i; ++k)
            out[n++] = value[k];
        if (digits == 0 && i == start)
            return 0; // a lone decimal separator
    } else if (digits == 0) {
        return 0;
    }
    return i == value.size() ? n : 0;
}
