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
    std::size_t i = SkipDigits(value, sign);
    const std::size_t integerDigits = i - sign;
    // No zero in front of other digits: "007" would read back as 7.
    if (integerDigits == 0 || (integerDigits > 1 && value[sign] == '0'))
        return false;
    std::size_t fractionDigits = 0;
    if (i < value.size() && value[i] == '.') {
        const std::size_t fractionStart = ++i;
        i = SkipDigits(value, i);
        fractionDigits = i - fractionStart;
        if (fractionDigits == 0)
            return false; // "5." would read back as 5
    }
    if (i != value.size() || integerDigits + fractionDigits > MaxBareDigits)
        return false;
    // Minus zero reads back as 0.
    return sign == 0 || value.find_first_not_of("0.", 1) != std::string_view::npos;
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
