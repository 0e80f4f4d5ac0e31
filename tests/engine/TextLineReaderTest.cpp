#include "TextLineReader.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(const std::string& path)
{
    TextLineReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadLine(line))
        lines.emplace_back(line);
    EXPECT_TRUE(line.empty());
    EXPECT_FALSE(reader.ReadLine(line)); // the end stays the end
    return lines;
}

} // namespace

TEST(TextLineReader, ReadsLinesByTheirLineEnds)
{
    using Lines = std::vector<std::string>;
    const struct {
        const char* Name;
        std::string Bytes;
        Lines Expected;
    } cases[] = {
        {"empty file", "", {}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf only", "a\nb\n", {"a", "b"}},
        {"no final line end", "a\r\nb", {"a", "b"}},
        {"lone cr stays", "a\rb\r\n", {"a\rb"}},
        {"cr only line ends", "a,b\r1,2\r3,4\r", {"a,b", "1,2", "3,4"}},
        {"one lf makes lf line ends", "a\rb\nc\rd", {"a\rb", "c\rd"}},
        {"every cr before lf goes", "a,b\r\r\n1,2\r\r\n", {"a,b", "1,2"}},
        {"empty lines", "\r\n\n\r\n", {"", "", ""}},
        {"byte 26 inside stays",
         std::string("a\r\nb\x1a"
                     "c\r\nd\r\n"),
         {"a",
          "b\x1a"
          "c",
          "d"}},
        {"byte 26 last goes", std::string("a\r\nb\x1a"), {"a", "b"}},
        {"byte 26 after the last line end goes", std::string("a\r\n\x1a"), {"a"}},
        {"byte 26 first",
         std::string("\x1a"
                     "abc"),
         {"\x1a"
          "abc"}},
        {"nul bytes stay", std::string("a\0b\r\n", 5), {std::string("a\0b", 3)}},
        {"high bytes stay", "\x80\xff\xfe\r\n", {"\x80\xff\xfe"}},
    };
    TestFolder folder;
    for (const auto& c : cases)
        EXPECT_EQ(ReadAll(folder.Write("t.txt", c.Bytes)), c.Expected) << c.Name;
}

TEST(TextLineReader, LinesCrossingAndExceedingTheBuffer)
{
    TestFolder folder;
    const std::size_t chunk = TextLineReader::ChunkSize;
    // A CR LF split across the first chunk boundary, then a line three chunks long.
    const std::string first(chunk - 1, 'a');
    const std::string longLine(3 * chunk + 17, 'b');
    const auto lines = ReadAll(folder.Write("big.txt", first + "\r\n" + longLine + "\r\nend"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "end");
}

TEST(TextLineReader, AFolderIsNoFile)
{
    TestFolder folder;
    TextLineReader reader;
    EXPECT_FALSE(reader.Open(folder.Path("")));
    EXPECT_FALSE(reader.Open(folder.Path("missing.txt")));
}

// The reader hands out lines of one chunk while the next is read: lines that
// span chunks, long and short, must come out exactly as text mode reads them.
namespace {

// The plain way: a last byte 26 goes, LF ends a line, the CRs right before it
// go, a last line without LF counts.
std::vector<std::string> TextModeLines(std::string bytes)
{
    if (!bytes.empty() && bytes.back() == '\x1a')
        bytes.pop_back();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = bytes.find('\n', start)) != std::string::npos; start = lf + 1) {
        std::string line = bytes.substr(start, lf - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

std::vector<std::string> ReadAll(TextLineReader& reader, const std::string& path)
{
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadLine(line))
        lines.emplace_back(line);
    return lines;
}

// Line lengths that put chunk boundaries everywhere: short lines, lines of
// about 64 KiB, and lines around the chunk size.
std::string Source(unsigned seed, std::size_t total)
{
    const std::size_t chunk = TextLineReader::ChunkSize;
    const std::size_t lengths[] = {0, 1, 2, 60, 65535, 65536, 65537, 70000, chunk - 1, chunk, chunk + 1};
    std::mt19937 random(seed);
    std::string bytes;
    while (bytes.size() < total) {
        std::size_t length = lengths[random() % std::size(lengths)];
        if (length > 1000 && random() % 2)
            length = random() % 200; // mostly short lines, as real sources have
        const char fill = static_cast<char>('a' + random() % 26);
        bytes.append(length, fill);
        bytes += random() % 4 == 0 ? "\n" : "\r\n";
    }
    return bytes;
}

TEST(ReadAhead, LinesAcrossChunksComeOutWhole)
{
    TestFolder folder;
    TextLineReader reader; // one reader for every file, as the engine keeps one
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        const std::string bytes = Source(seed, 5 * TextLineReader::ChunkSize);
        // A file of its own each time: the reader keeps the last one open (on Windows, not to be written).
        const std::vector<std::string> lines =
            ReadAll(reader, folder.Write("s" + std::to_string(seed) + ".txt", bytes));
        const std::vector<std::string> expected = TextModeLines(bytes);
        ASSERT_EQ(lines.size(), expected.size()) << "seed " << seed;
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lines[i], expected[i]) << "seed " << seed << ", line " << i;
    }
}

TEST(ReadAhead, FileOfWholeChunksAndOneByteMore)
{
    TestFolder folder;
    TextLineReader reader;
    const std::size_t chunk = TextLineReader::ChunkSize;
    for (const std::size_t size : {chunk - 1, chunk, chunk + 1, 2 * chunk, 2 * chunk + 1}) {
        std::string bytes(size, 'x');
        for (std::size_t i = 99; i < size; i += 100)
            bytes[i] = '\n';
        EXPECT_EQ(ReadAll(reader, folder.Write("s" + std::to_string(size) + ".txt", bytes)),
                  TextModeLines(bytes))
            << size;
    }
}

// A byte 26 is data, and noted, wherever it lies but last; last it goes, also
// when it ends a chunk (the first chunk of a file read as bytes is a third of one).
TEST(ReadAhead, Byte26IsNotedUnlessLast)
{
    TestFolder folder;
    TextLineReader reader;
    const std::size_t chunk = TextLineReader::ChunkSize;
    const std::size_t first = (chunk - 1) / 3;
    const struct {
        std::size_t Size, At; // a byte 26 at At of a file of Size bytes
        bool Noted;
    } cases[] = {
        {3 * chunk, 2 * chunk + 12345, true},
        {first + 1, first - 1, true},
        {first, first - 1, false},
        {first + chunk, first + chunk - 1, false},
        {2 * chunk, 2 * chunk - 1, false},
        {3 * chunk, 0, true},
    };
    for (const auto& c : cases) {
        std::string bytes = Source(7, c.Size).substr(0, c.Size);
        bytes[c.At] = '\x1a';
        const std::vector<std::string> lines =
            ReadAll(reader, folder.Write("s" + std::to_string(c.At) + ".txt", bytes));
        EXPECT_EQ(lines, TextModeLines(bytes)) << c.At;
        EXPECT_EQ(reader.HoldsControlZ(), c.Noted) << c.At;
        reader.Close(); // Windows keeps an open file from being written again
    }
}

// CR line ends are decided from the first 64 KiB: a CR in them and no LF.
// A watched byte is noted by the time the line holding it comes out, wherever it
// lies (in a chunk read before or after Watch), and not for lines handed out before.
TEST(ReadAhead, AWatchedByteIsNotedBeforeItsLineComesOut)
{
    TestFolder folder;
    TextLineReader reader;
    const std::size_t chunk = TextLineReader::ChunkSize;
    const std::size_t none = std::string::npos;
    const struct {
        std::size_t At;     // a backslash there, in lines of 99 bytes and LF
        std::size_t Before; // lines read before Watch
        bool Noted;         // at the end
    } cases[] = {
        {none, 0, false}, {10, 0, true},  {2 * chunk + 12345, 0, true},
        {10, 1, false},   {150, 1, true}, {chunk + 7, 3, true},
    };
    for (const auto& c : cases) {
        std::string bytes(3 * chunk, 'x');
        for (std::size_t i = 99; i < bytes.size(); i += 100)
            bytes[i] = '\n';
        if (c.At != none)
            bytes[c.At] = '\\';
        ASSERT_TRUE(reader.Open(folder.Write("w" + std::to_string(c.At) + ".txt", bytes)));
        std::string_view line;
        for (std::size_t i = 0; i < c.Before; ++i)
            ASSERT_TRUE(reader.ReadLine(line));
        reader.Watch('\\');
        while (reader.ReadLine(line)) {
            if (line.find('\\') != std::string_view::npos) {
                EXPECT_TRUE(reader.HoldsWatchedByte()) << c.At;
            }
        }
        EXPECT_EQ(reader.HoldsWatchedByte(), c.Noted) << c.At;
        reader.Close();
    }
}

TEST(ReadAhead, CrLineEndsDecidedFromTheStart)
{
    TestFolder folder;
    TextLineReader reader;
    const std::string longLine(70000, 'x');
    const struct {
        std::string Bytes;
        std::size_t Lines;
    } cases[] = {
        {"a\rb\r" + longLine + "\n" + longLine + "\r", 3}, // the LF is past 64 KiB
        {longLine + "\ra\rb", 1},                          // the first CR is past 64 KiB
        {"a\rb\nc\rd\n", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadAll(reader, folder.Write("cr.txt", c.Bytes)).size(), c.Lines);
        reader.Close(); // Windows keeps an open file from being written again
    }
}

TEST(ReadAhead, ClosingMidFileAndReopening)
{
    TestFolder folder;
    const std::string first = Source(8, 3 * TextLineReader::ChunkSize);
    const std::string second = "one\r\ntwo\r\n";
    TextLineReader reader;
    ASSERT_TRUE(reader.Open(folder.Write("a.txt", first)));
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    reader.Close();
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(ReadAll(reader, folder.Write("b.txt", second)), TextModeLines(second));
}

} // namespace

// With a limit each line is its first bytes (a shorter one whole), whatever its length,
// and the lines after a cut one come out as they are.
TEST(ReadAhead, LimitedLinesKeepTheirStart)
{
    TestFolder folder;
    const std::size_t chunk = TextLineReader::ChunkSize;
    // Over what a chunk and the room before it hold, so that every longer line is cut.
    const std::size_t limit = chunk + (std::size_t{1} << 16) + 100;
    const struct {
        std::size_t Length;
        bool Cut;
    } cases[] = {{10, false}, {limit, false}, {limit + 1, true}, {5 * chunk + 3, true}, {chunk - 1, false}};
    std::string bytes;
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        const std::string line = Source(static_cast<unsigned>(c.Length), c.Length + 1).substr(0, c.Length);
        std::string plain = line;
        for (char& ch : plain)
            ch = ch == '\n' || ch == '\r' ? 'x' : ch;
        bytes += plain + "\n";
        expected.push_back(plain.substr(0, c.Cut ? limit : plain.size()));
    }
    bytes += std::string(3 * chunk, 'z'); // a last line without a line end, cut as well
    expected.push_back(std::string(limit, 'z'));
    TextLineReader reader;
    reader.LimitLines(limit);
    const std::vector<std::string> lines = ReadAll(reader, folder.Write("limited.txt", bytes));
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i] == expected[i]) << i << ": " << lines[i].size() << " for " << expected[i].size();
    EXPECT_EQ(reader.LinesCut(), 3u);
}
