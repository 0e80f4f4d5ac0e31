#include "OutputFile.h"
#include "FileError.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

namespace {

// Every way of appending, across several buffers, one of them at once larger than a buffer.
std::string WriteMixed(OutputFile& file)
{
    std::string expected;
    for (int i = 0; i < 300000; ++i) {
        const std::string text = "row " + std::to_string(i) + " it's";
        switch (i % 4) {
        case 0:
            file.Append(text);
            expected += text;
            break;
        case 1:
            file.Put('#');
            expected += '#';
            break;
        case 2: {
            char* out = file.Reserve(text.size());
            EXPECT_NE(out, nullptr) << "at " << i;
            if (!out)
                return expected;
            std::memcpy(out, text.data(), text.size());
            file.Advance(out + text.size());
            expected += text;
            break;
        }
        default:
            for (const char c : text)
                file.Put(c);
            expected += text;
            break;
        }
        if (i == 150000) {
            const std::string large(OutputFile::BufferSize + 12345, 'L');
            file.Append(large);
            expected += large;
        }
    }
    return expected;
}

TEST(OutputFile, WritesEveryByteInOrder)
{
    TestFolder folder;
    OutputFile file;
    ASSERT_TRUE(file.Open(folder.Path("out.txt")));
    const std::string expected = WriteMixed(file);
    file.Close();
    ASSERT_GT(expected.size(), 3 * OutputFile::BufferSize);
    EXPECT_EQ(ReadFile(folder.Path("out.txt")), expected);
}

TEST(OutputFile, ReserveRefusesMoreThanABuffer)
{
    TestFolder folder;
    OutputFile file;
    ASSERT_TRUE(file.Open(folder.Path("out.txt")));
    EXPECT_EQ(file.Reserve(OutputFile::BufferSize + 1), nullptr);
    EXPECT_NE(file.Reserve(OutputFile::BufferSize), nullptr);
    file.Close();
    EXPECT_EQ(ReadFile(folder.Path("out.txt")), "");
}

TEST(OutputFile, FailedBackgroundWriteIsReported)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    OutputFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    EXPECT_THROW(
        {
            const std::string block(OutputFile::BufferSize / 2, 'x');
            for (int i = 0; i < 8; ++i)
                file.Append(block);
            file.Close();
        },
        FileError);
    file.Abandon();
    EXPECT_FALSE(file.IsOpen());
}

TEST(OutputFile, ReopenAfterAbandonStartsEmpty)
{
    TestFolder folder;
    OutputFile file;
    ASSERT_TRUE(file.Open(folder.Path("a.txt")));
    file.Append(std::string(OutputFile::BufferSize + 10, 'a'));
    file.Append("tail");
    file.Abandon();
    EXPECT_FALSE(std::filesystem::exists(folder.Path("a.txt"))); // an abandoned script is dropped
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Root()), {}), 0);
    ASSERT_TRUE(file.Open(folder.Path("b.txt")));
    file.Append("b");
    file.Close();
    EXPECT_EQ(ReadFile(folder.Path("b.txt")), "b");
}

} // namespace
