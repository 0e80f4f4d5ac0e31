#include "NumberText.h"

#include "TextRules.h"

namespace {

const char* SkipDigits(const char* p, const char* end)
{
    while (p != end && IsAsciiDigit(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

} // namespace

bool IsPlainNumber(std::string_view value)
{
    const char* p = value.data();
    const char* const end = p + value.size();
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    const char* const integer = p;
    p = SkipDigits(p, end);
    const std::size_t integerDigits = static_cast<std::size_t>(p - integer);
    std::size_t fractionDigits = 0;
    if (p != end && *p == '.') {
        const char* const fraction = ++p;
        p = SkipDigits(p, end);
        fractionDigits = static_cast<std::size_t>(p - fraction);
    }
    return p == end && IsPlainNumberShape(integerDigits, integerDigits > 0 ? *integer : '\0', fractionDigits);
}
