#include "NumberText.h"

#include "CRuntime.h"

namespace {

// Counts the digits of a numeric-looking value; -1 when it is not one.
int CountDigitsIfNumeric(std::string_view value)
{
    int digits = 0;
    bool dotSeen = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (IsAsciiDigit(c))
            ++digits;
        else if (i == 0 && (c == '+' || c == '-'))
            continue;
        else if (c == '.' && !dotSeen)
            dotSeen = true;
        else
            return -1;
    }
    return digits;
}

} // namespace

bool LooksNumeric(std::string_view value)
{
    return CountDigitsIfNumeric(value) >= 0;
}

bool IsPlainNumber(std::string_view value)
{
    return CountDigitsIfNumeric(value) > 0;
}
