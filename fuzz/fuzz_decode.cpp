// Source decoding: in every encoding, any chunking of the input decodes as the whole input does;
// valid UTF-16 and ISO-8859-1 map back to their bytes; the UTF-8 check agrees with a plain
// validator written from the definition.
#include "FuzzSupport.h"
#include "TextDecoder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

struct Outcome {
    std::string Text; // UTF-8 written (Decode) or bytes found valid (Check)
    bool Invalid = false;
    std::uint64_t Position = 0;
};

bool operator==(const Outcome& a, const Outcome& b)
{
    return a.Text == b.Text && a.Invalid == b.Invalid && a.Position == b.Position;
}

std::string Describe(const Outcome& outcome)
{
    return std::to_string(outcome.Text.size()) + " bytes, " + (outcome.Invalid ? "invalid" : "valid") +
           " at " + std::to_string(outcome.Position);
}

// Chunk sizes from a small generator that the input seeds: tiny chunks to cross every
// sequence, larger ones for the fast paths, now and then an empty one.
class Chunking {
  public:
    explicit Chunking(std::uint32_t seed) : State(seed | 1) {}

    std::vector<std::size_t> Sizes(std::size_t total)
    {
        const std::size_t largest = std::size_t{1} << (Next() % 8);
        std::vector<std::size_t> sizes;
        while (total > 0) {
            const std::size_t size = std::min<std::size_t>(total, Next() % (largest + 1));
            sizes.push_back(size);
            total -= size;
        }
        if (Next() % 2 == 0)
            sizes.push_back(0); // the end told by a call without bytes
        return sizes;
    }

  private:
    std::uint32_t Next()
    {
        State ^= State << 13;
        State ^= State >> 17;
        State ^= State << 5;
        return State;
    }

    std::uint32_t State;
};

// Decodes in the given chunks, each into a buffer of exactly OutputLimit bytes, so that the
// sanitizer catches a write past the limit.
Outcome Decode(SourceEncoding encoding, const std::string& bytes, const std::vector<std::size_t>& sizes)
{
    TextDecoder decoder(encoding);
    Outcome outcome;
    std::size_t start = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        std::vector<char> out(TextDecoder::OutputLimit(sizes[i]));
        const auto result = decoder.Decode(bytes.data() + start, sizes[i], i + 1 == sizes.size(), out.data());
        fuzz::Check(result.Written <= out.size(), "Decode wrote past the limit");
        if (outcome.Invalid)
            fuzz::Check(result.Invalid && result.Written == 0, "Decode went on after an invalid sequence");
        outcome.Text.append(out.data(), result.Written);
        outcome.Invalid = outcome.Invalid || result.Invalid;
        start += sizes[i];
    }
    outcome.Position = decoder.Position();
    return outcome;
}

// Checks in the given chunks as a caller does: the bytes Check leaves go in front of the next chunk.
Outcome Check(SourceEncoding encoding, const std::string& bytes, const std::vector<std::size_t>& sizes)
{
    TextDecoder decoder(encoding);
    Outcome outcome;
    std::string pending;
    std::size_t start = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        pending.append(bytes, start, sizes[i]);
        const auto result = decoder.Check(pending.data(), pending.size(), i + 1 == sizes.size());
        fuzz::Check(result.Written <= pending.size(), "Check passed more than it was given");
        fuzz::Check(result.Invalid || pending.size() - result.Written <= 3,
                    "Check left more than a sequence");
        if (outcome.Invalid)
            fuzz::Check(result.Invalid && result.Written == 0, "Check went on after an invalid sequence");
        outcome.Text.append(pending, 0, result.Written);
        outcome.Invalid = outcome.Invalid || result.Invalid;
        pending.erase(0, result.Written);
        start += sizes[i];
    }
    outcome.Position = decoder.Position();
    return outcome;
}

// ---- A plain UTF-8 validator, one byte at a time, from the definition: a lead byte gives
// the length, continuation bytes the value, and the value must be one that needs exactly that
// length and is no surrogate.

struct Utf8Verdict {
    std::size_t ValidBytes = 0; // complete, valid sequences from the start
    enum { Valid, Incomplete, Invalid } End = Valid;
};

bool Allowed(std::uint32_t low, std::uint32_t high, std::size_t length)
{
    // Some value in [low, high] is a code point that this length encodes.
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    const std::uint32_t most[] = {0, 0x7F, 0x7FF, 0xFFFF, 0x10FFFF};
    low = std::max(low, least[length]);
    high = std::min(high, most[length]);
    if (low > high)
        return false;
    return !(low >= 0xD800 && high <= 0xDFFF);
}

Utf8Verdict ReferenceUtf8(std::string_view text)
{
    Utf8Verdict verdict;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned lead = static_cast<unsigned char>(text[i]);
        std::size_t length;
        std::uint32_t value;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            verdict.End = Utf8Verdict::Invalid;
            return verdict;
        }
        std::size_t have = 1;
        for (; have < length && i + have < text.size(); ++have) {
            const unsigned next = static_cast<unsigned char>(text[i + have]);
            if ((next & 0xC0) != 0x80) {
                verdict.End = Utf8Verdict::Invalid;
                return verdict;
            }
            value = value << 6 | (next & 0x3F);
        }
        // The bytes still missing could give any value in [low, high].
        const unsigned missingBits = 6 * static_cast<unsigned>(length - have);
        const std::uint32_t low = value << missingBits;
        const std::uint32_t high = low | ((std::uint32_t{1} << missingBits) - 1);
        if (!Allowed(low, high, length)) {
            verdict.End = Utf8Verdict::Invalid;
            return verdict;
        }
        if (have < length) {
            verdict.End = Utf8Verdict::Incomplete;
            return verdict;
        }
        i += length;
        verdict.ValidBytes = i;
    }
    return verdict;
}

// Code points of text that the reference calls valid.
std::vector<std::uint32_t> CodePoints(std::string_view text)
{
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            value = value << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(value);
        i += length;
    }
    return points;
}

std::string EncodeUtf16(const std::vector<std::uint32_t>& points, bool bigEndian)
{
    std::string bytes;
    auto unit = [&](std::uint32_t u) {
        const char high = static_cast<char>(u >> 8);
        const char low = static_cast<char>(u & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    for (const std::uint32_t point : points) {
        if (point < 0x10000) {
            unit(point);
        } else {
            unit(0xD800 + ((point - 0x10000) >> 10));
            unit(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

std::string EncodeLatin1(const std::vector<std::uint32_t>& points)
{
    std::string bytes;
    for (const std::uint32_t point : points) {
        fuzz::Check(point <= 0xFF, "ISO-8859-1 gave a character above U+00FF");
        bytes += static_cast<char>(point);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Chunking chunking(input.ConsumeIntegral<std::uint32_t>());
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const std::vector<std::size_t> whole = {bytes.size()};

    for (const SourceEncoding encoding :
         {SourceEncoding::Bytes, SourceEncoding::Utf8, SourceEncoding::Windows1252, SourceEncoding::Latin1,
          SourceEncoding::Utf16LE, SourceEncoding::Utf16BE}) {
        const char* name = EncodingName(encoding);
        const Outcome once = Decode(encoding, bytes, whole);
        const Outcome chunked = Decode(encoding, bytes, chunking.Sizes(bytes.size()));
        fuzz::Check(chunked == once, "chunked decoding differs",
                    std::string(name) + ": " + Describe(chunked) + " instead of " + Describe(once));
        fuzz::Check(once.Invalid ? once.Position < bytes.size() : once.Position == bytes.size(),
                    "position of the end or the invalid sequence", name);
        if (encoding != SourceEncoding::Bytes)
            fuzz::Check(ReferenceUtf8(once.Text).End == Utf8Verdict::Valid, "decoded text is no valid UTF-8",
                        name);

        const std::string decodedBytes = bytes.substr(0, once.Position);
        switch (encoding) {
        case SourceEncoding::Bytes:
            fuzz::Check(!once.Invalid && once.Text == bytes, "bytes changed");
            break;
        case SourceEncoding::Utf8: {
            const Utf8Verdict verdict = ReferenceUtf8(bytes);
            fuzz::Check(once.Text == bytes.substr(0, verdict.ValidBytes),
                        "UTF-8 copy differs from its valid part");
            fuzz::Check(once.Invalid == (verdict.End != Utf8Verdict::Valid), "UTF-8 validity differs");
            break;
        }
        case SourceEncoding::Latin1:
            fuzz::Check(!once.Invalid, "ISO-8859-1 has no invalid byte");
            fuzz::Check(EncodeLatin1(CodePoints(once.Text)) == bytes, "ISO-8859-1 does not map back");
            break;
        case SourceEncoding::Utf16LE:
        case SourceEncoding::Utf16BE: {
            const bool bigEndian = encoding == SourceEncoding::Utf16BE;
            fuzz::Check(EncodeUtf16(CodePoints(once.Text), bigEndian) == decodedBytes,
                        "UTF-16 does not map back", name);
            break;
        }
        case SourceEncoding::Windows1252:
            break; // its table is tested byte by byte
        }
    }

    // The check where the text lies, against the plain validator, whole and chunked.
    const Utf8Verdict verdict = ReferenceUtf8(bytes);
    const Outcome expected = {bytes.substr(0, verdict.ValidBytes), verdict.End != Utf8Verdict::Valid,
                              verdict.ValidBytes};
    const Outcome checked = Check(SourceEncoding::Utf8, bytes, whole);
    fuzz::Check(checked == expected, "Check differs from the reference",
                Describe(checked) + " instead of " + Describe(expected));
    const Outcome checkedInChunks = Check(SourceEncoding::Utf8, bytes, chunking.Sizes(bytes.size()));
    fuzz::Check(checkedInChunks == expected, "chunked Check differs from the reference",
                Describe(checkedInChunks) + " instead of " + Describe(expected));
    TextDecoder open(SourceEncoding::Utf8);
    const auto notLast = open.Check(bytes.data(), bytes.size(), false);
    fuzz::Check(notLast.Written == verdict.ValidBytes &&
                    notLast.Invalid == (verdict.End == Utf8Verdict::Invalid),
                "Check before the end differs from the reference");
    const Outcome bytesChecked = Check(SourceEncoding::Bytes, bytes, chunking.Sizes(bytes.size()));
    fuzz::Check(!bytesChecked.Invalid && bytesChecked.Text == bytes, "bytes found invalid");
    return 0;
}
