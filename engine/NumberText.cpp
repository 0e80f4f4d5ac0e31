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
    std::size_t i = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
    const std::size_t integerStart = i;
    i = SkipDigits(value, i);
    const std::size_t integerDigits = i - integerStart;
    // No zero in front of other digits: "007" would read back as 7.
    if (integerDigits > 1 && value[integerStart] == '0')
        return false;
    std::size_t fractionDigits = 0;
    if (i < value.size() && value[i] == '.') {
        const std::size_t fractionStart = ++i;
        i = SkipDigits(value, i);
        fractionDigits = i - fractionStart;
        if (integerDigits == 0 && fractionDigits == 0)
            return false; // a lone '.'
    } else if (integerDigits == 0) {
        return false;
    }
    return i == value.size() && integerDigits + fractionDigits <= MaxBareDigits;
}
