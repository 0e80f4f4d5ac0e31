#pragma once

#include <cstddef>
#include <string_view>

// The most digits a bare number may have: every database reads a number of up
// to 15 digits back as the same text (a double holds 15 decimal digits).
inline constexpr std::size_t MaxBareDigits = 15;

// A number that may stand bare in SQL and reads back as the same text: the
// canonical form of ReadCanonicalNumber without an exponent, at most
// MaxBareDigits digits in all ("5", "-12", "3.25"). "+49", ".5", "5.", "-0",
// "007" and longer numbers are text: a database would read them back in other
// words or drop digits.
bool IsPlainNumber(std::string_view value);

// The same rule for a text already cut into an optional '-', the integer
// digits and, after a '.' when `point`, the fraction digits: for a pass
// that cuts the text as it copies it.
inline bool IsPlainNumberParts(bool negative, std::string_view integer, bool point, std::string_view fraction)
{
    // No zero in front of other digits: "007" would read back as 7; "5." as 5.
    if (integer.empty() || (integer.size() > 1 && integer[0] == '0') || (point && fraction.empty()) ||
        integer.size() + fraction.size() > MaxBareDigits)
        return false;
    // Minus zero reads back as 0.
    return !negative || integer[0] != '0' || fraction.find_first_not_of('0') != std::string_view::npos;
}

// What a number in its one canonical spelling holds: an optional '-', then 0
// or a digit 1-9 followed by digits, optionally '.' and at least one digit,
// optionally 'e' or 'E', an optional sign and one to four digits ("-12",
// "3.25", "6.92E-05"). "+49", ".5", "5.", "007" and any form of minus zero are
// not canonical: a database would read them back in other words.
struct NumberShape {
    std::size_t IntegerDigits = 0;
    std::size_t FractionDigits = 0;
    std::size_t SignificantDigits = 0; // from the first digit other than 0
    bool Exponent = false;
    // The power of ten of the first significant digit (0 for zero): 1.5E3 is 3, 0.02 is -2.
    int Magnitude = 0;
};
bool ReadCanonicalNumber(std::string_view value, NumberShape& shape);

// A number as people write it in many countries ("1.234,5" with decimal ',' and thousands '.')
// in the form SQL reads: the sign as it stands, the digits without thousands separators, and
// '.' before the decimals. A thousands separator (0: none) stands only between groups of three
// digits after a first group of one to three. Writes at most value.size() bytes to out and
// gives their count; 0 when the value is no such number.
std::size_t NormalizeNumber(std::string_view value, char decimal, char thousands, char* out);
