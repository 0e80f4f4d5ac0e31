#include "NumberText.h"

#include "TextRules.h"

namespace {

struct NumberShape {
    bool Numeric;  // LooksNumeric
    bool HasDigit; // at least one digit
};

std::size_t SkipDigits(std::string_view value, std::size_t i)
{
    while (i < value.size() && IsAsciiDigit(static_cast<unsigned char>(value[i])))
        ++i;
    return i;
}

NumberShape Examine(std::string_view value)
{
    // [sign] digits [. digits]
    const std::size_t begin = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
    std::size_t i = SkipDigits(value, begin);
    std::size_t digits = i - begin;
    if (i < value.size() && value[i] == '.') {
        const std::size_t fraction = i + 1;
        i = SkipDigits(value, fraction);
        digits += i - fraction;
    }
    return {i == value.size(), digits > 0};
}

} // namespace

bool LooksNumeric(std::string_view value)
{
    return Examine(value).Numeric;
}

bool IsPlainNumber(std::string_view value)
{
    const NumberShape shape = Examine(value);
    return shape.Numeric && shape.HasDigit;
}
