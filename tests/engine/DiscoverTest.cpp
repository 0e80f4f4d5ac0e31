#include "Converter.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

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
