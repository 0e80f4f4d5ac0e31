#include "QuotedText.h"

#include <cstring>

namespace {

char* CopyInto(char* out, std::string_view text)
{
    if (!text.empty())
        std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Position of the first `a` or `b` in text; its size when there is none.
std::size_t FindEither(std::string_view text, char a, char b)
{
    if (text.empty())
        return 0;
    const void* first = std::memchr(text.data(), a, text.size());
    std::size_t end =
        first ? static_cast<std::size_t>(static_cast<const char*>(first) - text.data()) : text.size();
    if (b != a && end > 0) {
        const void* other = std::memchr(text.data(), b, end);
        if (other)
            end = static_cast<std::size_t>(static_cast<const char*>(other) - text.data());
    }
    return end;
}

} // namespace

char* DoubleInto(char* out, std::string_view value, char markByte)
{
    const char apostrophe = '\'';
    // Most values hold nothing to double: everything before the first byte
    // that needs it goes out in one copy.
    std::size_t at = FindEither(value, apostrophe, markByte);
    out = CopyInto(out, value.substr(0, at));
    for (; at < value.size(); ++at) {
        const char c = value[at];
        *out++ = c;
        if (c == apostrophe || c == markByte)
            *out++ = c;
    }
    return out;
}

char* QuoteInto(char* out, std::string_view value, std::string_view mark)
{
    if (mark.size() == 1) { // nearly always: no call to copy it
        *out++ = mark[0];
        out = DoubleInto(out, value, mark[0]);
        *out++ = mark[0];
        return out;
    }
    out = CopyInto(out, mark);
    out = DoubleInto(out, value, DoubledMarkByte(mark));
    return CopyInto(out, mark);
}
