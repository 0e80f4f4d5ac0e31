#pragma once

// The C runtime's number and character rules, independent of the current locale,
// so that a project reads the same on every machine.

#include <cstddef>
#include <cstdint>
#include <string_view>

// atoi: leading white space skipped, an optional sign, the digits up to the
// first other byte; 0 without digits. Wraps like a 32-bit int instead of
// overflowing.
std::int32_t Atoi(std::string_view text);

// isdigit / isalpha / isalnum of the C locale: ASCII only, bytes 128..255 are neither.
inline bool IsAsciiDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
inline bool IsAsciiAlpha(unsigned char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
inline bool IsAsciiAlnum(unsigned char c)
{
    return IsAsciiDigit(c) || IsAsciiAlpha(c);
}

// Blanks: space and tab.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Letter case of ASCII letters only, whatever the locale: names, keys and
// SQL words compare this way, and bytes beyond ASCII stay as they are.
inline char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
inline bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// The text without the blanks around it.
inline std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}
