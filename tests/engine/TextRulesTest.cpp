#include "TextRules.h"

#include <gtest/gtest.h>

TEST(Atoi, FollowsTheCRuntimeRule)
{
    const struct {
        const char* Text;
        std::int32_t Expected;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"42", 42},
        {"  \t42", 42},
        {"+7", 7},
        {"-5", -5},
        {"0250", 250},
        {"12ab", 12},
        {"- 5", 0},
        {"--1", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"\n\v\f\r9", 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Atoi(c.Text), c.Expected) << '"' << c.Text << '"';
}

TEST(CharacterTests, AreAsciiOnlyWhateverTheLocale)
{
    for (int c = 0; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        EXPECT_EQ(IsAsciiDigit(static_cast<unsigned char>(c)), digit) << c;
        EXPECT_EQ(IsAsciiAlpha(static_cast<unsigned char>(c)), alpha) << c;
        EXPECT_EQ(IsAsciiAlnum(static_cast<unsigned char>(c)), digit || alpha) << c;
    }
}
