#include "Converter.h"
#include "TestFiles.h"
#include "TextLineReader.h"

#include <gtest/gtest.h>

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
        {"high bytes stay", "\xff\xfe\x80\r\n", {"\xff\xfe\x80"}},
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

TEST(Converter, BytesReadCountsTwoPerLineEndAndTwoAtTheEnd)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Write("s.txt", "ab\r\ncd\r\nef\r\n");
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Open(false), 0);
    EXPECT_EQ(converter.SourceSize, 12u);
    std::string line;
    int calls = 0;
    while (converter.ReadLine(line))
        ++calls;
    ++calls;
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(converter.BytesRead, 14u);
    EXPECT_EQ(converter.Close(false), 0);
}
