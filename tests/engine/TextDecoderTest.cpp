#include "TextDecoder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace {

// UTF-8 of one code point, written out here so that expectations do not come from the decoder.
std::string Utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string Utf16(const std::vector<char16_t>& units, bool bigEndian)
{
    std::string bytes;
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

struct Case {
    std::string Name;
    SourceEncoding Encoding;
    std::string Input;
    std::string Expected; // everything written, up to the invalid sequence if there is one
    bool Invalid;
    std::size_t Stop; // where the invalid sequence starts; the input's size when valid
};

Case Valid(std::string name, SourceEncoding encoding, std::string input, std::string expected)
{
    const std::size_t size = input.size();
    return {std::move(name), encoding, std::move(input), std::move(expected), false, size};
}

Case Invalid(std::string name, SourceEncoding encoding, std::string input, std::string expected,
             std::size_t stop)
{
    return {std::move(name), encoding, std::move(input), std::move(expected), true, stop};
}

std::vector<Case> Utf8Cases()
{
    const auto e = SourceEncoding::Utf8;
    return {
        Valid("empty", e, "", ""),
        Valid("ascii with nul", e, std::string("a\0b", 3), std::string("a\0b", 3)),
        Valid("two, three and four bytes", e, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z",
              "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"),
        Valid("edges of each length", e,
              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80"
              "\xF4\x8F\xBF\xBF",
              "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80"
              "\xF4\x8F\xBF\xBF"),
        Valid("long ascii run then a sequence", e, std::string(37, 'x') + "\xC3\xA9",
              std::string(37, 'x') + "\xC3\xA9"),
        Invalid("lone continuation byte", e, "ab\x80", "ab", 2),
        Invalid("c0 overlong", e, "a\xC0\x80", "a", 1),
        Invalid("c1 overlong", e, "\xC1\xBF", "", 0),
        Invalid("three-byte overlong", e, "abc\xE0\x9F\xBF", "abc", 3),
        Invalid("four-byte overlong", e, "\xF0\x8F\xBF\xBF", "", 0),
        Invalid("surrogate", e, "\xC3\xA9\xED\xA0\x80", "\xC3\xA9", 2),
        Invalid("above U+10FFFF", e, "\xF4\x90\x80\x80", "", 0),
        Invalid("f5 lead", e, "\xF5\x80\x80\x80", "", 0),
        Invalid("ff byte", e, "abcdefghij\xFF", "abcdefghij", 10),
        Invalid("lead followed by a lead", e, "\xC3\xC3\xA9", "", 0),
        Invalid("third byte no continuation", e, "\xE2\x82z", "", 0),
        Invalid("third byte no continuation with more to come", e, "\xE2\x82z1234", "", 0),
        Invalid("fourth byte no continuation", e, "\xF0\x9F\x98z1234", "", 0),
        Invalid("cut by the end", e, "ab\xE2\x82", "ab", 2),
        Invalid("four-byte sequence cut by the end", e, "\xF0\x9F\x98", "", 0),
        Invalid("invalid after a long ascii run", e, std::string(20, 'y') + "\xE0\x80\x80" + "zz",
                std::string(20, 'y'), 20),
    };
}

std::vector<Case> SingleByteCases()
{
    const auto w = SourceEncoding::Windows1252;
    const auto l = SourceEncoding::Latin1;
    std::vector<Case> cases = {
        Valid("1252 ascii", w, "Name;Price\r\n", "Name;Price\r\n"),
        Valid("1252 letters and symbols", w, "caf\xE9 \x80 5 \x93x\x94 \xA0\xFF",
              "caf\xC3\xA9 \xE2\x82\xAC 5 \xE2\x80\x9Cx\xE2\x80\x9D \xC2\xA0\xC3\xBF"),
        Valid("1252 nul", w, std::string("\0", 1), std::string("\0", 1)),
        Valid("latin1 ascii and high bytes", l, "x\x80\x81\x9F\xA0\xE9\xFF",
              "x\xC2\x80\xC2\x81\xC2\x9F\xC2\xA0\xC3\xA9\xC3\xBF"),
        Valid("latin1 nul", l, std::string("a\0", 2), std::string("a\0", 2)),
        Valid("bytes are taken as they are", SourceEncoding::Bytes, std::string("\xFF\0\x80", 3),
              std::string("\xFF\0\x80", 3)),
    };
    for (const char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
        cases.push_back(Invalid("1252 undefined byte after ascii", w,
                                "abcdefghijk" + std::string(1, undefined), "abcdefghijk", 11));
        cases.push_back(Invalid("1252 undefined byte first", w, std::string(1, undefined) + "abc", "", 0));
    }
    return cases;
}

std::vector<Case> Utf16Cases()
{
    struct Units {
        const char* Name;
        std::vector<char16_t> Input;
        std::string OddByte; // a last byte that makes the length odd
        std::string Expected;
        bool Invalid;
        std::size_t StopUnit;
    };
    const Units table[] = {
        {"ascii", {'a', ';', 'b'}, "", "a;b", false, 3},
        {"nul is a byte", {'a', 0, 'b'}, "", std::string("a\0b", 3), false, 3},
        {"two and three bytes",
         {0xE9, 0x7FF, 0x800, 0x20AC, 0xFFFF},
         "",
         "\xC3\xA9\xDF\xBF\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF",
         false,
         5},
        {"surrogate pairs",
         {'x', 0xD83D, 0xDE00, 0xD800, 0xDC00, 0xDBFF, 0xDFFF},
         "",
         "x\xF0\x9F\x98\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
         false,
         7},
        {"lone low surrogate", {'a', 0xDC00, 'b'}, "", "a", true, 1},
        {"high surrogate then a letter", {'a', 0xD83D, 'b'}, "", "a", true, 1},
        {"high surrogate then the first unit past the low ones", {0xD83D, 0xE000}, "", "", true, 0},
        {"low surrogate before a low one", {'a', 0xDC00, 0xDE00}, "", "a", true, 1},
        {"two high surrogates", {0xD83D, 0xD83D, 0xDE00}, "", "", true, 0},
        {"high surrogate at the end", {'a', 'b', 0xD83D}, "", "ab", true, 2},
        {"odd length", {'a'}, "b", "a", true, 1},
        {"high surrogate and half a unit at the end", {'a', 0xD83D}, "\xDE", "a", true, 1},
    };
    std::vector<Case> cases;
    for (const bool bigEndian : {false, true}) {
        for (const Units& units : table) {
            std::string input = Utf16(units.Input, bigEndian) + units.OddByte;
            const std::string name = std::string(bigEndian ? "be " : "le ") + units.Name;
            const auto encoding = bigEndian ? SourceEncoding::Utf16BE : SourceEncoding::Utf16LE;
            cases.push_back({name, encoding, input, units.Expected, units.Invalid, 2 * units.StopUnit});
        }
    }
    return cases;
}

std::vector<Case> DecodeCases()
{
    std::vector<Case> cases = Utf8Cases();
    for (auto more : {SingleByteCases(), Utf16Cases()})
        cases.insert(cases.end(), more.begin(), more.end());
    return cases;
}

struct Outcome {
    std::string Text;
    bool Invalid = false;
    std::uint64_t Position = 0;
};

// The chunk boundaries, as offsets into the input.
using Cuts = std::vector<std::size_t>;

// Decodes the input in the chunks the cuts make, the last one with `last`; after an invalid
// sequence every later chunk must give nothing.
Outcome DecodeInChunks(SourceEncoding encoding, const std::string& input, Cuts cuts)
{
    cuts.push_back(input.size());
    TextDecoder decoder(encoding);
    Outcome outcome;
    std::size_t start = 0;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::size_t size = cuts[i] - start;
        std::vector<char> out(TextDecoder::OutputLimit(size));
        const auto result = decoder.Decode(input.data() + start, size, i + 1 == cuts.size(), out.data());
        EXPECT_LE(result.Written, out.size());
        if (outcome.Invalid) {
            EXPECT_TRUE(result.Invalid && result.Written == 0) << "a stopped decoder went on";
        }
        outcome.Text.append(out.data(), result.Written);
        outcome.Invalid = outcome.Invalid || result.Invalid;
        start = cuts[i];
    }
    outcome.Position = decoder.Position();
    return outcome;
}

// Checks the input in chunks as a caller does: the bytes Check leaves go in front of the next chunk.
Outcome CheckInChunks(SourceEncoding encoding, const std::string& input, Cuts cuts)
{
    cuts.push_back(input.size());
    TextDecoder decoder(encoding);
    Outcome outcome;
    std::string pending;
    std::size_t start = 0;
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        pending += input.substr(start, cuts[i] - start);
        const auto result = decoder.Check(pending.data(), pending.size(), i + 1 == cuts.size());
        EXPECT_LE(result.Written, pending.size());
        if (outcome.Invalid) {
            EXPECT_TRUE(result.Invalid && result.Written == 0) << "a stopped check went on";
        }
        outcome.Text += pending.substr(0, result.Written);
        outcome.Invalid = outcome.Invalid || result.Invalid;
        pending.erase(0, result.Written);
        start = cuts[i];
    }
    outcome.Position = decoder.Position();
    return outcome;
}

void ExpectOutcome(const Outcome& outcome, const Case& c, const std::string& how)
{
    EXPECT_EQ(outcome.Text, c.Expected) << c.Name << how;
    EXPECT_EQ(outcome.Invalid, c.Invalid) << c.Name << how;
    EXPECT_EQ(outcome.Position, c.Stop) << c.Name << how;
}

// Every split into two chunks, then one byte per chunk.
std::vector<Cuts> Chunkings(std::size_t size)
{
    std::vector<Cuts> chunkings;
    for (std::size_t cut = 0; cut <= size; ++cut)
        chunkings.push_back({cut});
    Cuts everyByte;
    for (std::size_t cut = 0; cut <= size; ++cut)
        everyByte.push_back(cut); // begins with an empty chunk, as a caller may pass one
    chunkings.push_back(everyByte);
    return chunkings;
}

std::string Describe(const Cuts& cuts)
{
    std::string text = " cut at";
    for (const std::size_t cut : cuts)
        text += " " + std::to_string(cut);
    return text;
}

} // namespace

TEST(TextDecoder, DecodesWholeInput)
{
    for (const Case& c : DecodeCases())
        ExpectOutcome(DecodeInChunks(c.Encoding, c.Input, {}), c, " (whole)");
}

TEST(TextDecoder, DecodesInputSplitAnywhere)
{
    for (const Case& c : DecodeCases()) {
        for (const Cuts& cuts : Chunkings(c.Input.size()))
            ExpectOutcome(DecodeInChunks(c.Encoding, c.Input, cuts), c, Describe(cuts));
    }
}

TEST(TextDecoder, ChecksUtf8WholeAndSplitAnywhere)
{
    std::vector<Case> cases = Utf8Cases();
    cases.push_back(Valid("bytes are all valid", SourceEncoding::Bytes, "\xFF\xC0\x80\xED\xA0\x80\xE2\x82",
                          "\xFF\xC0\x80\xED\xA0\x80\xE2\x82"));
    for (const Case& c : cases) {
        ExpectOutcome(CheckInChunks(c.Encoding, c.Input, {}), c, " (whole)");
        for (const Cuts& cuts : Chunkings(c.Input.size()))
            ExpectOutcome(CheckInChunks(c.Encoding, c.Input, cuts), c, Describe(cuts));
    }
}

TEST(TextDecoder, CheckLeavesAnIncompleteSequenceToTheCaller)
{
    TextDecoder decoder(SourceEncoding::Utf8);
    const auto first = decoder.Check("ab\xF0\x9F", 4, false);
    EXPECT_EQ(first.Written, 2u);
    EXPECT_FALSE(first.Invalid);
    EXPECT_EQ(decoder.Position(), 2u);
    const auto second = decoder.Check("\xF0\x9F\x98\x80", 4, true);
    EXPECT_EQ(second.Written, 4u);
    EXPECT_FALSE(second.Invalid);
    EXPECT_EQ(decoder.Position(), 6u);
}

TEST(TextDecoder, WindowsCodePageDefinesTwentySevenOfTheControlBytes)
{
    // 0x80-0x9F in Windows-1252; 0 where the code page defines nothing.
    const char32_t controls[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (unsigned byte = 0; byte < 256; ++byte) {
        const bool control = byte >= 0x80 && byte < 0xA0;
        const char32_t expected = control ? controls[byte - 0x80] : byte;
        const bool undefined = control && expected == 0;
        const std::string input(1, static_cast<char>(byte));
        const Outcome windows = DecodeInChunks(SourceEncoding::Windows1252, input, {});
        EXPECT_EQ(windows.Invalid, undefined) << byte;
        EXPECT_EQ(windows.Text, undefined ? "" : Utf8Of(expected)) << byte;
        const Outcome latin = DecodeInChunks(SourceEncoding::Latin1, input, {});
        EXPECT_FALSE(latin.Invalid) << byte;
        EXPECT_EQ(latin.Text, Utf8Of(byte)) << byte;
    }
}

TEST(TextDecoder, StaysStoppedAfterAnInvalidSequence)
{
    char out[16];
    TextDecoder decoder(SourceEncoding::Windows1252);
    const auto bad = decoder.Decode("ab\x81"
                                    "cd",
                                    5, false, out);
    EXPECT_TRUE(bad.Invalid);
    EXPECT_EQ(std::string(out, bad.Written), "ab");
    const auto later = decoder.Decode("ef", 2, true, out);
    EXPECT_TRUE(later.Invalid);
    EXPECT_EQ(later.Written, 0u);
    EXPECT_EQ(decoder.Position(), 2u);

    TextDecoder checker(SourceEncoding::Utf8);
    EXPECT_TRUE(checker.Check("\xFF", 1, false).Invalid);
    const auto checkedLater = checker.Check("ef", 2, true);
    EXPECT_TRUE(checkedLater.Invalid);
    EXPECT_EQ(checkedLater.Written, 0u);
}

TEST(TextDecoder, OnlyBytesAndUtf8AreUsedWhereTheyLie)
{
    for (const auto encoding : {SourceEncoding::Bytes, SourceEncoding::Utf8})
        EXPECT_FALSE(TextDecoder(encoding).Transforms()) << EncodingName(encoding);
    for (const auto encoding : {SourceEncoding::Windows1252, SourceEncoding::Latin1, SourceEncoding::Utf16LE,
                                SourceEncoding::Utf16BE}) {
        TextDecoder decoder(encoding);
        EXPECT_TRUE(decoder.Transforms()) << EncodingName(encoding);
        EXPECT_THROW(decoder.Check("a", 1, true), std::logic_error) << EncodingName(encoding);
    }
}

TEST(TextDecoder, WorstCaseOutputFitsTheLimit)
{
    // Each Windows-1252 byte 0x80 becomes three bytes; a UTF-16 pair completed by its last
    // byte writes four bytes for one input byte, a unit completed so three.
    const struct {
        SourceEncoding Encoding;
        std::string Input;
        Cuts At;
    } cases[] = {
        {SourceEncoding::Windows1252, std::string(100, '\x80'), {}},
        {SourceEncoding::Utf16LE, Utf16({0xD83D, 0xDE00}, false), {3}},
        {SourceEncoding::Utf16BE, Utf16({0xFFFF}, true), {1}},
    };
    for (const auto& c : cases) {
        const Outcome outcome = DecodeInChunks(c.Encoding, c.Input, c.At);
        EXPECT_FALSE(outcome.Invalid);
        EXPECT_EQ(outcome.Position, c.Input.size());
    }
}

TEST(SourceEncoding, NamesRoundTripWithoutRegardToCase)
{
    const struct {
        const char* Name;
        bool Known;
        SourceEncoding Encoding;
    } cases[] = {
        {"", true, SourceEncoding::Bytes},
        {"UTF-8", true, SourceEncoding::Utf8},
        {"utf-8", true, SourceEncoding::Utf8},
        {"Windows-1252", true, SourceEncoding::Windows1252},
        {"WINDOWS-1252", true, SourceEncoding::Windows1252},
        {"ISO-8859-1", true, SourceEncoding::Latin1},
        {"iso-8859-1", true, SourceEncoding::Latin1},
        {"UTF-16LE", true, SourceEncoding::Utf16LE},
        {"utf-16be", true, SourceEncoding::Utf16BE},
        {"UTF8", false, {}},
        {"UTF-16", false, {}},
        {"latin1", false, {}},
        {"UTF-8 ", false, {}},
    };
    for (const auto& c : cases) {
        SourceEncoding encoding = SourceEncoding::Latin1;
        EXPECT_EQ(ParseEncoding(c.Name, encoding), c.Known) << c.Name;
        EXPECT_EQ(encoding, c.Known ? c.Encoding : SourceEncoding::Latin1) << c.Name;
        if (c.Known) {
            SourceEncoding again = SourceEncoding::Latin1;
            EXPECT_TRUE(ParseEncoding(EncodingName(c.Encoding), again));
            EXPECT_EQ(again, c.Encoding) << c.Name;
        }
    }
}

TEST(SourceEncoding, ByteOrderMarks)
{
    const struct {
        std::string Start;
        std::size_t Length;
        SourceEncoding Encoding;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "abc",
         3, SourceEncoding::Utf8},
        {"\xFF\xFE", 2, SourceEncoding::Utf16LE},
        {std::string("\xFE\xFF\0a", 4), 2, SourceEncoding::Utf16BE},
        {"\xEF\xBB", 0, SourceEncoding::Latin1},
        {"\xFE", 0, SourceEncoding::Latin1},
        {"abc", 0, SourceEncoding::Latin1},
        {"", 0, SourceEncoding::Latin1},
    };
    for (const auto& c : cases) {
        SourceEncoding encoding = SourceEncoding::Latin1;
        EXPECT_EQ(ByteOrderMark(c.Start, encoding), c.Length) << c.Start;
        EXPECT_EQ(encoding, c.Encoding) << c.Start;
    }
}

TEST(SourceEncoding, DetectedFromTheWholeFile)
{
    const std::size_t sample = 64 * 1024;
    const std::size_t chunk = 1024 * 1024;
    const struct {
        const char* Name;
        std::string Bytes;
        SourceEncoding Expected;
    } cases[] = {
        {"utf-8 mark over invalid text",
         "\xEF\xBB\xBF"
         "caf\xE9",
         SourceEncoding::Utf8},
        {"utf-16le mark",
         std::string("\xFF\xFE"
                     "a\0",
                     4),
         SourceEncoding::Utf16LE},
        {"utf-16be mark", std::string("\xFE\xFF\0a", 4), SourceEncoding::Utf16BE},
        {"empty", "", SourceEncoding::Utf8},
        {"valid utf-8", "caf\xC3\xA9;\xE2\x82\xAC 5\r\n", SourceEncoding::Utf8},
        {"sequence cut at 64 KiB", std::string(sample - 1, 'a') + "\xE2\x82\xAC;b\r\n", SourceEncoding::Utf8},
        {"sequence cut by the end of the file", "abc\xE2\x82", SourceEncoding::Windows1252},
        {"sequence cut by the end at 64 KiB", std::string(sample - 1, 'a') + "\xE2",
         SourceEncoding::Windows1252},
        // A regular file is checked whole, across the chunks it is read in.
        {"invalid only past 64 KiB", std::string(sample, 'a') + "\xFF", SourceEncoding::Windows1252},
        {"sequence cut at 1 MiB", std::string(chunk - 1, 'a') + "\xE2\x82\xAC;b\r\n", SourceEncoding::Utf8},
        {"invalid byte late in the file", std::string(3 * chunk, 'a') + "caf\xE9\r\n",
         SourceEncoding::Windows1252},
        {"windows-1252 text", "caf\xE9;\x80 5\r\n", SourceEncoding::Windows1252},
    };
    TestFolder folder;
    for (const auto& c : cases)
        EXPECT_EQ(DetectEncoding(folder.Write("source.txt", c.Bytes)), c.Expected) << c.Name;
}

TEST(SourceEncoding, NotDetectedForAFileThatCannotBeRead)
{
    TestFolder folder;
    errno = 0;
    EXPECT_EQ(DetectEncoding(folder.Path("missing.txt")), SourceEncoding::Bytes);
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_EQ(DetectEncoding(folder.Path("")), SourceEncoding::Bytes);
    EXPECT_EQ(errno, EISDIR);
}

TEST(SourceEncoding, NotDetectedWhenReadingFails)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file that opens but cannot be read, as Linux's /proc/self/mem";
#endif
    // Reading the process's own memory from address 0 fails, like a broken disk.
    const std::string unreadable = "/proc/self/mem";
    if (!std::filesystem::exists(unreadable))
        GTEST_SKIP() << "no /proc here";
    errno = 0;
    EXPECT_EQ(DetectEncoding(unreadable), SourceEncoding::Bytes);
    EXPECT_EQ(errno, EIO);
}
