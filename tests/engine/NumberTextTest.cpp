#include "NumberText.h"

#include <gtest/gtest.h>

#include <string>

TEST(NumberText, NormalizesNumbersAsPeopleWriteThem)
{
    const struct {
        const char* Value;
        char Decimal;
        char Thousands;
        const char* Expected; // empty: no such number
    } cases[] = {
        {"1.234,5", ',', '.', "1234.5"},
        {"0,25", ',', 0, "0.25"},
        {"-1.234.567,89", ',', '.', "-1234567.89"},
        {"+12", ',', '.', "+12"},
        {",5", ',', 0, ".5"},
        {"12,", ',', 0, "12."},
        {"1 234,5", ',', ' ', "1234.5"},
        {"1'234.50", '.', '\'', "1234.50"},
        {"1,234.5", '.', ',', "1234.5"},
        {"3.25", '.', 0, "3.25"},
        {"1.234,5", ',', 0, ""},
        {"1.23,5", ',', '.', ""},
        {"1234.567,5", ',', '.', ""},
        {".234,5", ',', '.', ""},
        {"1.2345", ',', '.', ""},
        {"3.25", ',', 0, ""},
        {",", ',', 0, ""},
        {"", ',', 0, ""},
        {"-", ',', 0, ""},
        {"12a", ',', 0, ""},
        {"1.234", ',', '.', "1234"},
        {"007", ',', 0, "007"},
    };
    for (const auto& c : cases) {
        const std::string value = c.Value;
        std::string out(value.size(), '?');
        const std::size_t n = NormalizeNumber(value, c.Decimal, c.Thousands, out.data());
        EXPECT_EQ(out.substr(0, n), c.Expected) << c.Value;
    }
}
