#include "Converter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace {

using Texts = std::vector<std::string>;

struct Discovery {
    Texts Names;
    Texts Quotes;
};

Discovery Discover(const std::string& source, int columnNames = 1, const std::string& separator = ",")
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Write("s.csv", source);
    project.ColumnNames = columnNames;
    project.Separator = separator;
    CConverter converter;
    converter.Project = &project;
    Discovery found{{"old"}, {"old", "old"}};
    converter.DiscoverColumns(found.Names, &found.Quotes);
    return found;
}

} // namespace

TEST(DiscoverColumns, NamesFromTheFirstLineMarksFromTheSampledLines)
{
    const struct {
        const char* Name;
        std::string Source;
        int ColumnNames;
        Texts Names;
        Texts Quotes;
    } cases[] = {
        {"header and sample", "id,name\r\n1,Smith\r\n", 1, {"id", "name"}, {"", "'"}},
        {"no header: the first line is sampled too",
         "a,1,x\r\n2,3.5,y\r\n",
         0,
         {"N0", "N1", "N2"},
         {"'", "", "'"}},
        {"no header: as many columns as the widest sampled line",
         "569,30\r\n1.5,2,x\r\n3,4\r\n",
         0,
         {"N0", "N1", "N2"},
         {"", "", "'"}},
        {"one line: no values, no marks", "id,name\r\n", 1, {"id", "name"}, {"", ""}},
        {"empty source", "", 1, {}, {}},
        {"short sample", "a,b,c\r\n1\r\n", 1, {"a", "b", "c"}, {"", "", ""}},
        {"long sample", "a\r\n1,x,y\r\n", 1, {"a"}, {""}},
        {"empty sample value", "a,b\r\n,x\r\n", 1, {"a", "b"}, {"", "'"}},
        {"a later value decides", "a,b\r\n1,2\r\n3,x\r\n007,4\r\n", 1, {"a", "b"}, {"'", "'"}},
        {"blank lines before the header", "\r\n\r\na,b\r\n\r\n1,2\r\n", 1, {"a", "b"}, {"", ""}},
        {"empty and repeated names",
         "a,,A,b,a_2,a\r\n",
         1,
         {"a", "N1", "A_2", "b", "a_2_2", "a_3"},
         {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        const Discovery found = Discover(c.Source, c.ColumnNames);
        EXPECT_EQ(found.Names, c.Names) << c.Name;
        EXPECT_EQ(found.Quotes, c.Quotes) << c.Name;
    }
}

// Only the first 1,000 data lines are sampled: text after them does not mark a column.
TEST(DiscoverColumns, SamplesTheFirstThousandDataLines)
{
    std::string source = "n\r\n";
    for (int i = 0; i < CConverter::SampleRecords; ++i)
        source += std::to_string(i) + "\r\n";
    EXPECT_EQ(Discover(source + "text\r\n").Quotes, Texts{""});
    EXPECT_EQ(Discover(source.substr(0, source.size() - 5) + "text\r\n").Quotes, Texts{"'"});
}

TEST(DiscoverColumns, TranslatesTheTabSeparatorAndLeavesTheSourceClosed)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Write("s.txt", "A\tB\tC\r\n1\t2\tx\r\n");
    CConverter converter;
    converter.Project = &project;
    Texts names;
    converter.DiscoverColumns(names, nullptr);
    EXPECT_EQ(names, (Texts{"A", "B", "C"}));
    EXPECT_TRUE(project.Columns.empty()); // the caller's lists only
}

TEST(DiscoverColumns, AMissingSourceEmptiesBothLists)
{
    CProject project;
    project.FileName = "/nonexistent/source.csv";
    CConverter converter;
    converter.Project = &project;
    Texts names{"x"}, quotes{"'"};
    converter.DiscoverColumns(names, &quotes);
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(quotes.empty());
}

TEST(DiscoverProjectColumns, KeepsWhatTheUserChoseForColumnsStillThere)
{
    TestFolder folder;
    CProject project;
    project.Separator = ",";
    project.FileName = folder.Write("s.csv", "id,name,city\r\n1,Ann,Cork\r\n");
    CConverter converter;
    converter.Project = &project;
    converter.DiscoverProjectColumns();
    EXPECT_EQ(project.Columns, (Texts{"id", "name", "city"}));
    EXPECT_EQ(project.Quotes, (Texts{"", "'", "'"}));

    project.Columns[1] = "full_name";
    project.Quotes[0] = "'";
    WriteFile(project.FileName, "city,name,zip\r\nCork,Ann,12\r\n");
    converter.DiscoverProjectColumns();
    EXPECT_EQ(project.SourceColumns, (Texts{"city", "name", "zip"}));
    EXPECT_EQ(project.Columns, (Texts{"city", "full_name", "zip"}));
    EXPECT_EQ(project.Quotes, (Texts{"'", "'", ""}));
}

namespace {

using Fields = std::vector<std::string>;

// The values the run reads from a source of this one line.
Fields ReadLineValues(CProject& project, const std::string& line)
{
    TestFolder folder;
    project.FileName = folder.Write("line.txt", line);
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Open(false), CConverter::OpenResult::Done);
    Fields fields{"stale", "stale", "stale", "stale", "stale", "stale", "stale"};
    if (!converter.ReadValues(fields))
        fields.clear();
    converter.Close(false);
    return fields;
}

Fields Split(const std::string& separator, const std::string& line)
{
    CProject project;
    project.Separator = separator;
    return ReadLineValues(project, line);
}

Fields SplitFixed(const std::string& widths, const std::string& line)
{
    CProject project;
    project.WithSeparators = 0;
    project.Widths = widths;
    return ReadLineValues(project, line);
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
        {",", "\"x,y\"", {"\"x", "y\""}},     // quotes mean nothing
        {"|", " a | b ", {" a ", " b "}},     // nothing is trimmed
        {"::", "a::b:::c", {"a", "b", ":c"}}, // a longer separator is skipped whole
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
        {"5,1", "AAA", {"AAA"}},  // a field that starts at the line's end is missing
        {"3", "AAABBB", {"AAA"}}, // a single width is one width
        {"3,3,3", "AAABBB", {"AAA", "BBB"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFixed(c.Widths, c.Line), c.Expected) << c.Widths << " on \"" << c.Line << '"';
}

TEST(DetectQuote, NumbersStandBareEverythingElseIsText)
{
    for (const char* number : {"123", "-12.5", "", "0", "-0.25", "0.0", "999999999999999"})
        EXPECT_EQ(CConverter::DetectQuote(number), "") << number;
    // Numbers that a database would read back as other text stay text: zeros in
    // front, more than 15 digits, a sign or point that it drops, minus zero.
    for (const char* text : {"1.2.3", "1e5", " 12", "12-", "1,5", "--1", "+-1", "abc", "1 ", "\xd9", "-", ".",
                             "007", "00501", "-007", "0123.5", "12345678901234567", "1234567890.123456"})
        EXPECT_EQ(CConverter::DetectQuote(text), "'") << text;
    for (const char* text : {"+7", "12.", ".5", "-.5", "-0", "-0.00"})
        EXPECT_EQ(CConverter::DetectQuote(text), "'") << text;
}

TEST(Converter, BytesReadCountsTwoPerLineEndAndTwoAtTheEnd)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Write("s.txt", "ab\r\ncd\r\nef\r\n");
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Open(false), CConverter::OpenResult::Done);
    EXPECT_EQ(converter.SourceSize, 12u);
    std::vector<std::string> values;
    int records = 0;
    while (converter.ReadValues(values))
        ++records;
    EXPECT_EQ(records, 3);
    EXPECT_EQ(converter.BytesRead, 14u);
    converter.Close(false);
}

// A record that goes on over line ends inside quotes counts its lines as they
// are counted one by one; a CR LF inside the quotes was counted one byte too many.
TEST(Converter, BytesReadOfARecordJoinedOverLineEndsCountsEachLineOnce)
{
    TestFolder folder;
    CProject project;
    project.QuotedFields = 1;
    project.Separator = ",";
    for (const char* source : {"a,\"b\r\nc\r\nd\"\r\ne\r\n", "a,\"b\nc\nd\"\ne\n", "\"b\r\n\nc\"\n"}) {
        project.FileName = folder.Write("s.csv", source);
        CConverter converter;
        converter.Project = &project;
        ASSERT_EQ(converter.Open(false), CConverter::OpenResult::Done);
        std::vector<std::string> values;
        while (converter.ReadValues(values)) {
        }
        // Each line counts its length plus 2, and the read that meets the end 2 more.
        const std::string_view text(source);
        const std::uint64_t lineByLine =
            text.size() - static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\r')) +
            static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n')) + 2;
        EXPECT_EQ(converter.BytesRead, lineByLine) << source;
        converter.Close(false);
    }
}
