#pragma once

#include <cstddef>
#include <string_view>

// The most digits a bare number may have: every database reads a number of up
// to 15 digits back as the same text (a double holds 15 decimal digits).
inline constexpr std::size_t MaxBareDigits = 15;

// A number that may stand bare in SQL and reads back as the same text: an
// optional sign, then 0 or a digit 1-9 followed by digits, optionally a '.'
// and digits ("5", "-12", "3.25", "12."), or an optional sign, '.' and digits
// (".5"); at most MaxBareDigits digits in all. "007", "00501" and longer
// numbers are text: a database would drop their zeros or digits.
bool IsPlainNumber(std::string_view value);

// The same rule for a text already known to be [sign] digits [. digits],
// given its counts of integer and fraction digits and the first integer
// digit: for a pass that counts them while it copies the bytes.
inline bool IsPlainNumberShape(std::size_t integerDigits, char firstDigit, std::size_t fractionDigits)
{
    const std::size_t digits = integerDigits + fractionDigits;
    return digits > 0 && digits <= MaxBareDigits && !(integerDigits > 1 && firstDigit == '0');
}
