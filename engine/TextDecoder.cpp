#include "TextDecoder.h"

#include "TextRules.h"

#include "FileHandle.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <stdexcept>

namespace {

using Byte = unsigned char;

// How far one pass over a chunk got: the bytes of complete, valid sequences it took and the
// bytes it wrote for them. It stops at an invalid sequence (Invalid) or at an incomplete one at
// the end (Consumed < size, not Invalid).
struct Scan {
    std::size_t Consumed = 0;
    std::size_t Written = 0;
    bool Invalid = false;
};

// Eight bytes at once are ASCII when none has its high bit set.
constexpr std::uint64_t HighBits = 0x8080808080808080u;

// memcpy, but an empty copy may name no memory at all.
inline void CopyBytes(void* to, const void* from, std::size_t size)
{
    if (size > 0)
        std::memcpy(to, from, size);
}

inline bool EightAscii(const Byte* in, std::uint64_t& word)
{
    std::memcpy(&word, in, sizeof word);
    return (word & HighBits) == 0;
}

// ---- UTF-8 validity

// The position of the first byte with its high bit set, in memory order, in a word read by
// memcpy that has one.
inline unsigned FirstHighByte(std::uint64_t highBits, const Byte* bytes)
{
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    (void)bytes;
    return static_cast<unsigned>(__builtin_ctzll(highBits)) / 8;
#else
    (void)highBits;
    unsigned i = 0;
    while (bytes[i] < 0x80)
        ++i;
    return i;
#endif
}

// What a byte >= 0x80 allows as the start of a sequence.
struct Utf8Lead {
    Byte Length = 0;              // 0: a continuation byte, C0/C1 (overlong) or F5-FF (above U+10FFFF)
    Byte Low = 0x80;              // the second byte's range, narrowed against overlongs, surrogates
    Byte High = 0xBF;             // and code points above U+10FFFF
    Byte ThirdIsContinuation = 0; // 0xC0 where the length asks for a third byte, else 0
    Byte FourthIsContinuation = 0;
};

constexpr std::array<Utf8Lead, 128> MakeUtf8Leads()
{
    std::array<Utf8Lead, 128> leads{};
    for (unsigned lead = 0xC2; lead < 0xF5; ++lead) {
        Utf8Lead& entry = leads[lead - 0x80];
        entry.Length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        entry.Low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        entry.High = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        entry.ThirdIsContinuation = entry.Length >= 3 ? 0xC0 : 0;
        entry.FourthIsContinuation = entry.Length == 4 ? 0xC0 : 0;
    }
    return leads;
}

constexpr std::array<Utf8Lead, 128> Utf8Leads = MakeUtf8Leads();

// The length of the valid sequence that starts with a byte >= 0x80 at p; 0 when it is invalid,
// -1 when the n bytes there are a valid start that the following bytes must complete.
inline int Utf8Sequence(const Byte* p, std::size_t n)
{
    const Utf8Lead& lead = Utf8Leads[p[0] - 0x80];
    if (lead.Length == 0)
        return 0;
    if (n >= 4) {
        // Every byte the longest sequence could need is there: test them all at once, masking
        // out the ones this sequence does not have.
        const unsigned bad = (static_cast<unsigned>(p[1] - lead.Low) > unsigned(lead.High - lead.Low)) |
                             ((p[2] & lead.ThirdIsContinuation) ^ (lead.ThirdIsContinuation & 0x80)) |
                             ((p[3] & lead.FourthIsContinuation) ^ (lead.FourthIsContinuation & 0x80));
        return bad ? 0 : lead.Length;
    }
    for (std::size_t i = 1; i < lead.Length; ++i) {
        if (i == n)
            return -1;
        const Byte low = i == 1 ? lead.Low : 0x80;
        const Byte high = i == 1 ? lead.High : 0xBF;
        if (p[i] < low || p[i] > high)
            return 0;
    }
    return lead.Length;
}

Scan ScanUtf8(const Byte* in, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
        if (size - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, in + i, sizeof word);
            const std::uint64_t highBits = word & HighBits;
            if (highBits == 0) {
                i += 8;
                continue;
            }
            i += FirstHighByte(highBits, in + i);
        } else if (in[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = Utf8Sequence(in + i, size - i);
        if (length <= 0)
            return {i, i, length == 0};
        i += static_cast<std::size_t>(length);
    }
    return {size, size, false};
}

// ---- Single-byte encodings

// A character's UTF-8 bytes; Length 0 marks a byte that the encoding leaves undefined.
struct Utf8Bytes {
    Byte Length = 0;
    Byte Bytes[3] = {};
};

constexpr Utf8Bytes EncodeBasic(char32_t c)
{
    Utf8Bytes out;
    if (c < 0x80) {
        out.Length = 1;
        out.Bytes[0] = static_cast<Byte>(c);
    } else if (c < 0x800) {
        out.Length = 2;
        out.Bytes[0] = static_cast<Byte>(0xC0 | (c >> 6));
        out.Bytes[1] = static_cast<Byte>(0x80 | (c & 0x3F));
    } else {
        out.Length = 3;
        out.Bytes[0] = static_cast<Byte>(0xE0 | (c >> 12));
        out.Bytes[1] = static_cast<Byte>(0x80 | ((c >> 6) & 0x3F));
        out.Bytes[2] = static_cast<Byte>(0x80 | (c & 0x3F));
    }
    return out;
}

// Windows-1252's characters for 0x80-0x9F; 0 where it defines none.
constexpr char16_t Windows1252Controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

using ByteTable = std::array<Utf8Bytes, 256>;

constexpr ByteTable MakeByteTable(bool windows1252)
{
    ByteTable table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        char32_t c = byte;
        if (windows1252 && byte >= 0x80 && byte < 0xA0) {
            c = Windows1252Controls[byte - 0x80];
            if (c == 0)
                continue;
        }
        table[byte] = EncodeBasic(c);
    }
    return table;
}

constexpr ByteTable Windows1252Table = MakeByteTable(true);
constexpr ByteTable Latin1Table = MakeByteTable(false);

// Writes one byte's character; false for an undefined byte.
inline bool PutByte(const ByteTable& table, Byte byte, char* out, std::size_t& written)
{
    const Utf8Bytes& character = table[byte];
    std::memcpy(out + written, character.Bytes, sizeof character.Bytes);
    written += character.Length;
    return character.Length != 0;
}

Scan DecodeSingleBytes(const ByteTable& table, const Byte* in, std::size_t size, char* out)
{
    std::size_t i = 0;
    std::size_t written = 0;
    while (size - i >= 8) {
        std::uint64_t word;
        if (EightAscii(in + i, word)) {
            std::memcpy(out + written, &word, sizeof word);
            written += 8;
            i += 8;
            continue;
        }
        for (const std::size_t end = i + 8; i < end; ++i) {
            if (!PutByte(table, in[i], out, written))
                return {i, written, true};
        }
    }
    for (; i < size; ++i) {
        if (!PutByte(table, in[i], out, written))
            return {i, written, true};
    }
    return {size, written, false};
}

// ---- UTF-16

template <bool BigEndian> inline unsigned Unit(const Byte* p)
{
    return static_cast<unsigned>(BigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
}

template <bool BigEndian> Scan DecodeUtf16(const Byte* in, std::size_t size, char* out)
{
    std::size_t i = 0;
    std::size_t written = 0;
    while (size - i >= 2) {
        const unsigned unit = Unit<BigEndian>(in + i);
        if (unit < 0x80) {
            out[written++] = static_cast<char>(unit);
            i += 2;
        } else if (unit < 0x800) {
            out[written++] = static_cast<char>(0xC0 | (unit >> 6));
            out[written++] = static_cast<char>(0x80 | (unit & 0x3F));
            i += 2;
        } else if (unit < 0xD800 || unit >= 0xE000) {
            out[written++] = static_cast<char>(0xE0 | (unit >> 12));
            out[written++] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out[written++] = static_cast<char>(0x80 | (unit & 0x3F));
            i += 2;
        } else if (unit >= 0xDC00) {
            return {i, written, true}; // a low surrogate without a high one
        } else {
            if (size - i < 4)
                return {i, written, false}; // the low surrogate may come with the next chunk
            const unsigned next = Unit<BigEndian>(in + i + 2);
            if (next < 0xDC00 || next >= 0xE000)
                return {i, written, true};
            const char32_t c = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
            out[written++] = static_cast<char>(0xF0 | (c >> 18));
            out[written++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[written++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[written++] = static_cast<char>(0x80 | (c & 0x3F));
            i += 4;
        }
    }
    return {i, written, false};
}

Scan DecodeSome(SourceEncoding encoding, const Byte* in, std::size_t size, char* out)
{
    switch (encoding) {
    case SourceEncoding::Bytes:
        CopyBytes(out, in, size);
        return {size, size, false};
    case SourceEncoding::Utf8: {
        const Scan scan = ScanUtf8(in, size);
        CopyBytes(out, in, scan.Consumed);
        return scan;
    }
    case SourceEncoding::Windows1252:
        return DecodeSingleBytes(Windows1252Table, in, size, out);
    case SourceEncoding::Latin1:
        return DecodeSingleBytes(Latin1Table, in, size, out);
    case SourceEncoding::Utf16LE:
        return DecodeUtf16<false>(in, size, out);
    case SourceEncoding::Utf16BE:
        return DecodeUtf16<true>(in, size, out);
    }
    throw std::logic_error("TextDecoder: unknown encoding");
}

constexpr SourceEncoding AllEncodings[] = {SourceEncoding::Bytes,       SourceEncoding::Utf8,
                                           SourceEncoding::Windows1252, SourceEncoding::Latin1,
                                           SourceEncoding::Utf16LE,     SourceEncoding::Utf16BE};

} // namespace

bool ParseEncoding(std::string_view name, SourceEncoding& encoding)
{
    for (const SourceEncoding candidate : AllEncodings) {
        if (SameIgnoringAsciiCase(name, EncodingName(candidate))) {
            encoding = candidate;
            return true;
        }
    }
    return false;
}

const char* EncodingName(SourceEncoding encoding)
{
    switch (encoding) {
    case SourceEncoding::Bytes:
        return "";
    case SourceEncoding::Utf8:
        return "UTF-8";
    case SourceEncoding::Windows1252:
        return "Windows-1252";
    case SourceEncoding::Latin1:
        return "ISO-8859-1";
    case SourceEncoding::Utf16LE:
        return "UTF-16LE";
    case SourceEncoding::Utf16BE:
        return "UTF-16BE";
    }
    return "";
}

std::size_t ByteOrderMark(std::string_view start, SourceEncoding& encoding)
{
    static constexpr struct {
        std::string_view Mark;
        SourceEncoding Encoding;
    } marks[] = {
        {"\xEF\xBB\xBF", SourceEncoding::Utf8},
        {"\xFF\xFE", SourceEncoding::Utf16LE},
        {"\xFE\xFF", SourceEncoding::Utf16BE},
    };
    for (const auto& mark : marks) {
        if (start.substr(0, mark.Mark.size()) == mark.Mark) {
            encoding = mark.Encoding;
            return mark.Mark.size();
        }
    }
    return 0;
}

SourceEncoding DetectEncoding(const std::string& path, EncodingEvidence* evidence,
                              const std::atomic<bool>* stop)
{
    EncodingEvidence found;
    if (!evidence)
        evidence = &found;
    *evidence = EncodingEvidence();
    const FileHandle file = OpenUnbuffered(path, "rb");
    if (!file)
        return SourceEncoding::Bytes;
    // A regular file is checked whole (UTF-8 is checked far faster than it is read); anything
    // else only as far as the first 64 KiB, as it cannot be read again.
    const bool regular = IsRegularFile(file.get());
    constexpr std::size_t Sample = std::size_t{64} << 10;
    const std::size_t chunk = regular ? std::size_t{1} << 20 : Sample;
    // One byte past each chunk tells whether a sequence at its end is cut by the chunk's
    // boundary or by the end of the file; a cut one is carried into the next chunk.
    std::string buffer(chunk + 4, '\0');
    std::size_t kept = 0; // bytes carried over from the last chunk
    TextDecoder checker(SourceEncoding::Utf8);
    bool first = true;
    for (;;) {
        if (stop && *stop)
            return SourceEncoding::Bytes;
        const std::size_t got = std::fread(buffer.data() + kept, 1, chunk + 1 - kept, file.get());
        if (std::ferror(file.get()))
            return SourceEncoding::Bytes;
        const std::size_t size = kept + got;
        if (first) {
            first = false;
            SourceEncoding encoding = SourceEncoding::Bytes;
            const std::size_t mark = ByteOrderMark(std::string_view(buffer.data(), size), encoding);
            if (mark > 0) {
                evidence->ByteOrderMark = true;
                evidence->BytesRead = mark;
                return encoding;
            }
        }
        const bool last = size <= chunk;
        const std::size_t checked = last ? size : chunk;
        const TextDecoder::Result result = checker.Check(buffer.data(), checked, last);
        evidence->BytesRead = checker.Position();
        if (result.Invalid) {
            evidence->InvalidAt = checker.Position();
            evidence->InvalidByte = static_cast<unsigned char>(buffer[result.Written]);
            evidence->WholeFile = regular;
            return SourceEncoding::Windows1252;
        }
        if (last || !regular) {
            evidence->WholeFile = last;
            return SourceEncoding::Utf8;
        }
        // The bytes of a cut sequence and the one byte read ahead go before the next chunk.
        kept = size - result.Written;
        std::memmove(buffer.data(), buffer.data() + result.Written, kept);
    }
}

bool TextDecoder::Transforms() const
{
    return Encoding != SourceEncoding::Bytes && Encoding != SourceEncoding::Utf8;
}

TextDecoder::Result TextDecoder::Decode(const char* in, std::size_t size, bool last, char* out)
{
    if (Failed)
        return {0, true};
    const Byte* bytes = reinterpret_cast<const Byte*>(in);
    std::size_t written = 0;
    if (CarriedSize > 0) {
        // Four bytes finish any sequence: decode the carried ones with enough of the chunk.
        Byte joined[4];
        const std::size_t taken = std::min(size, sizeof joined - CarriedSize);
        std::memcpy(joined, Carried, CarriedSize);
        CopyBytes(joined + CarriedSize, bytes, taken);
        const std::size_t joinedSize = CarriedSize + taken;
        const Scan scan = DecodeSome(Encoding, joined, joinedSize, out);
        written = scan.Written;
        if (scan.Consumed < CarriedSize) {
            if (scan.Invalid || last) {
                Failed = true;
                return {written, true};
            }
            // Still incomplete: the whole chunk joined the carried bytes.
            assert(scan.Consumed == 0 && taken == size && joinedSize <= MaxCarried);
            std::memcpy(Carried, joined, joinedSize);
            CarriedSize = joinedSize;
            return {written, false};
        }
        Accepted += scan.Consumed;
        if (scan.Invalid) {
            Failed = true;
            return {written, true};
        }
        const std::size_t used = scan.Consumed - CarriedSize;
        CarriedSize = 0;
        bytes += used;
        size -= used;
    }
    const Scan scan = DecodeSome(Encoding, bytes, size, out + written);
    written += scan.Written;
    Accepted += scan.Consumed;
    const std::size_t rest = size - scan.Consumed;
    if (scan.Invalid || (rest > 0 && last)) {
        Failed = true;
        return {written, true};
    }
    assert(rest <= MaxCarried);
    CopyBytes(Carried, bytes + scan.Consumed, rest);
    CarriedSize = rest;
    return {written, false};
}

TextDecoder::Result TextDecoder::Check(const char* in, std::size_t size, bool last)
{
    if (Transforms())
        throw std::logic_error(std::string("TextDecoder::Check: ") + EncodingName(Encoding) +
                               " text must be decoded");
    if (Failed)
        return {0, true};
    if (Encoding == SourceEncoding::Bytes) {
        Accepted += size;
        return {size, false};
    }
    const Scan scan = ScanUtf8(reinterpret_cast<const Byte*>(in), size);
    Accepted += scan.Consumed;
    if (scan.Invalid || (last && scan.Consumed < size)) {
        Failed = true;
        return {scan.Consumed, true};
    }
    return {scan.Consumed, false};
}
