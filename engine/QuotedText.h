#pragma once

#include <cstddef>
#include <string_view>

// A value as quoted SQL text: the mark, the value with every apostrophe
// doubled, the mark. A one-byte mark other than the apostrophe is doubled
// inside the value as well, so that the value cannot close it.

// The most bytes QuoteInto writes for a value of `size` bytes: every byte
// doubled, and both marks.
inline std::size_t QuotedSizeLimit(std::size_t size, std::size_t markSize)
{
    return 2 * size + 2 * markSize;
}

// Writes the quoted value at `out`, which has room for QuotedSizeLimit bytes;
// returns the end of what it wrote. `escape` is doubled too (MySQL's
// backslash; an apostrophe where there is none).
char* QuoteInto(char* out, std::string_view value, std::string_view mark, char escape = '\'');

// The byte doubled inside a value besides the apostrophe: a one-byte mark.
inline char DoubledMarkByte(std::string_view mark)
{
    return mark.size() == 1 ? mark[0] : '\'';
}

// Writes the value alone with every apostrophe, every `markByte` and every
// `escape` doubled; `out` has room for twice the value. Returns the end of what it wrote.
char* DoubleInto(char* out, std::string_view value, char markByte, char escape = '\'');
