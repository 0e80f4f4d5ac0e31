#include "Converter.h"

#include <gtest/gtest.h>

namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string& separator, const std::string& line)
{
    CProject project;
    project.Separator = separator;
    CConverter converter;
    converter.Project = &project;
    Fields fields{"stale", "stale", "stale", "stale", "stale", "stale", "stale"};
    converter.SplitLine(line, fields);
    return fields;
}

Fields SplitFixed(const std::string& widths, const std::string& line)
{
    CProject project;
    project.WithSeparators = 0;
    project.Widths = widths;
    project.ParseWidths();
    CConverter converter;
    converter.Project = &project;
    Fields fields{"stale", "stale", "stale"};
    converter.SplitLine(line, fields);
    return fields;
}

} // namespace

TEST(SplitLine, AtASeparator)
{
    const struct {
        const char* Separator;
        std::string Line;
        Fields Expected;
    } cases[] = {
        {"<tab>", "a\tb\tc", {"a", "b", "c"}},
        {"<TAB>", "a<TAB>b\tc", {"a", "b\tc"}}, // only the exact spelling means a tab
        {",", "a,,b,", {"a", "", "b", ""}},
        {",", "no separator", {"no separator"}},
        {",", "", {""}},
        {",", "\"x,y\"", {"\"x", "y\""}},     // quotes mean nothing
        {"|", " a | b ", {" a ", " b "}},     // nothing is trimmed
        {"::", "a::b:::c", {"a", "b", ":c"}}, // a longer separator is skipped whole
        {"", "abc", {"", "", "", "", ""}},    // empty: n + 2 empty fields
        {"", "", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Split(c.Separator, c.Line), c.Expected)
            << '"' << c.Separator << "\" on \"" << c.Line << '"';
}

TEST(SplitLine, NoFieldIsCut)
{
    const std::string longText(5000, 'x');
    EXPECT_EQ(Split(",", "a," + longText), (Fields{"a", longText}));
    EXPECT_EQ(Split(",", longText + ",b"), (Fields{longText, "b"}));
}

TEST(SplitLine, AtFixedWidths)
{
    const struct {
        const char* Widths;
        std::string Line;
        Fields Expected;
    } cases[] = {
        {"3,3", "AAABBB", {"AAA", "BBB"}},
        {"3,3", "AAABB", {"AAA", "BB"}}, // a field cut short by the line's end is taken as far as it goes
        {"3,3", "AAABBBCC", {"AAA", "BBB"}},
        {"3,3", "", {}},
        {"3,0,3", "AAABBB", {"AAA", "", "BBB"}},
        {"5,1", "AAA", {"AAA"}},  // a field that starts at the line's end is missing
        {"3", "AAABBB", {"AAA"}}, // a single width is one width
        {"3,3,3", "AAABBB", {"AAA", "BBB"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFixed(c.Widths, c.Line), c.Expected) << c.Widths << " on \"" << c.Line << '"';
}

TEST(DetectQuote, NumbersStandBareEverythingElseIsText)
{
    for (const char* number : {"123", "-12.5", "+7", "12.", "", ".5", "0", "-0.25", "999999999999999"})
        EXPECT_EQ(CConverter::DetectQuote(number), "") << number;
    // Numbers that a database would read back as other text stay text: zeros in
    // front, more than 15 digits.
    for (const char* text : {"1.2.3", "1e5", " 12", "12-", "1,5", "--1", "+-1", "abc", "1 ", "\xd9", "-", ".",
                             "007", "00501", "-007", "0123.5", "12345678901234567", "1234567890.123456"})
        EXPECT_EQ(CConverter::DetectQuote(text), "'") << text;
}
