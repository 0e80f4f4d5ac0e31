#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

// Cuts a line into fields, calling emit(field) for each in order.
//
// Separator mode: the line is cut at every occurrence of the separator, which
// is skipped whole; an empty separator matches at every position and advances
// one byte, so splitting always ends. Nothing is trimmed and quotes mean nothing.
// Fixed-width mode: each width in turn takes the next bytes, or with
// `characters` the next UTF-8 characters (so that no character is ever cut);
// a field that starts before the line's end and reaches past it is taken up
// to the end, and one that starts at or after the end is missing (so are all
// after it).
template <class Emit>
void SplitFields(std::string_view line, bool withSeparators, std::string_view separator,
                 const std::vector<std::size_t>& widths, bool characters, Emit&& emit)
{
    if (withSeparators) {
        const std::size_t step = std::max<std::size_t>(separator.size(), 1);
        std::size_t start = 0;
        for (;;) {
            const std::size_t at = start > line.size()     ? std::string_view::npos
                                   : separator.size() == 1 ? line.find(separator[0], start)
                                                           : line.find(separator, start);
            if (at == std::string_view::npos) {
                emit(line.substr(std::min(start, line.size())));
                return;
            }
            emit(line.substr(start, at - start));
            start = at + step;
        }
    }
    std::size_t start = 0;
    for (const std::size_t width : widths) {
        if (start >= line.size())
            return;
        std::size_t end = start + width;
        if (characters) {
            end = start;
            for (std::uint16_t n = 0; n < width && end < line.size(); ++n) {
                ++end; // a character's first byte, then its continuation bytes
                while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
                    ++end;
            }
        }
        emit(line.substr(start, end - start));
        start = end;
    }
}
