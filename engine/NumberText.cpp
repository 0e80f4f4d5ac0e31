#include "NumberText.h"

#include "CRuntime.h"

namespace {

struct NumberShape {
    bool Numeric;  // LooksNumeric
    bool HasDigit; // at least one digit
};

NumberShape Examine(std::string_view value)
{
    std::size_t i = 0;
    if (!value.empty() && (value[0] == '+' || value[0] == '-'))
        ++i;
    bool digit = false;
    bool dotSeen = false;
    for (; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (IsAsciiDigit(c))
            digit = true;
        else if (c == '.' && !dotSeen)
            dotSeen = true;
        else
            return {false, digit};
    }
    return {true, digit};
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
