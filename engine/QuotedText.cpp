#include "QuotedText.h"

#include <cstring>

namespace {

char* CopyInto(char* out, std::string_view text)
{
    if (!text.empty())
        std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Position of the first of the three bytes in text; its size when there is none.
// Each byte is looked for once: mostly all three are the apostrophe.
std::size_t FindFirst(std::string_view text, char a, char b, char c)
{
    std::size_t end = text.size();
    const char bytes[] = {a, b, c};
    for (std::size_t i = 0; i < 3 && end > 0; ++i) {
        if ((i > 0 && bytes[i] == a) || (i > 1 && bytes[i] == b))
            continue;
        if (const void* found = std::memchr(text.data(), bytes[i], end))
            end = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    }
    return end;
}

} // namespace

char* DoubleInto(char* out, std::string_view value, char markByte, char escape)
{
    const char apostrophe = '\'';
    // Most values hold nothing to double: everything before the first byte
    // that needs it goes out in one copy.
    std::size_t at = FindFirst(value, apostrophe, markByte, escape);
    out = CopyInto(out, value.substr(0, at));
    for (; at < value.size(); ++at) {
        const char c = value[at];
        *out++ = c;
        if (c == apostrophe || c == markByte || c == escape)
            *out++ = c;
    }
    return out;
}

char* QuoteInto(char* out, std::string_view value, std::string_view mark, char escape)
{
    if (mark.size() == 1) { // nearly always: no call to copy it
        *out++ = mark[0];
        out = DoubleInto(out, value, mark[0], escape);
        *out++ = mark[0];
        return out;
    }
    out = CopyInto(out, mark);
    out = DoubleInto(out, value, DoubledMarkByte(mark), escape);
    return CopyInto(out, mark);
}
