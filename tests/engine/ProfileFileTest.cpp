#include "ProfileFile.h"

#include <gtest/gtest.h>

TEST(ProfileFile, ReaderTrimsBlanksAndOnePairOfQuotes)
{
    const struct {
        const char* Raw;
        const char* Value;
    } cases[] = {
        {"  plain  ", "plain"},   {"\"quoted\"", "quoted"},
        {"'single'", "single"},   {"\"\"x\"\"", "\"x\""},
        {"'mixed\"", "'mixed\""}, {"'", "'"},
        {" \" a \" ", " a "},     {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileFile::DecodeValue(c.Raw), c.Value) << c.Raw;
}
