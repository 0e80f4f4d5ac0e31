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

TEST(TextLineReader, ReadsLinesAsTextModeDoes)
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
        {"cr only line ends are one line", "a\rb\rc\r", {"a\rb\rc\r"}},
        {"only the cr before lf goes", "a\r\r\n", {"a\r"}},
        {"empty lines", "\r\n\n\r\n", {"", "", ""}},
        {"byte 26 ends the file",
         std::string("a\r\nb\x1a"
                     "c\r\nd\r\n"),
         {"a", "b"}},
        {"byte 26 first",
         std::string("\x1a"
                     "abc"),
         {}},
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

// Text mode, the plain way: byte 26 ends the file, LF ends a line, a CR
// right before it goes, a last line without LF counts.
std::vector<std::string> TextModeLines(std::string bytes)
{
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t lf; (lf = bytes.find('\n', start)) != std::string::npos; start = lf + 1) {
        std::string line = bytes.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r')
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
        const std::vector<std::string> lines = ReadAll(reader, folder.Write("s.txt", bytes));
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
        EXPECT_EQ(ReadAll(reader, folder.Write("s.txt", bytes)), TextModeLines(bytes)) << size;
    }
}

TEST(ReadAhead, Byte26InALaterChunkEndsTheFile)
{
    TestFolder folder;
    TextLineReader reader;
    std::string bytes = Source(7, 3 * TextLineReader::ChunkSize);
    bytes[2 * TextLineReader::ChunkSize + 12345] = '\x1a';
    const std::vector<std::string> lines = ReadAll(reader, folder.Write("s.txt", bytes));
    EXPECT_EQ(lines, TextModeLines(bytes));
    std::string without = bytes;
    without[2 * TextLineReader::ChunkSize + 12345] = 'x';
    EXPECT_LT(lines.size(), TextModeLines(without).size());
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
