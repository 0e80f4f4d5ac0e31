#include "Project.h"

#include <gtest/gtest.h>

TEST(Project, NewRecordHasTheDefaults)
{
    const CProject project;
    EXPECT_TRUE(project.FileName.empty());
    EXPECT_TRUE(project.TargetName.empty());
    EXPECT_TRUE(project.TableName.empty());
    EXPECT_TRUE(project.ProjectPath.empty());
    EXPECT_EQ(project.ColumnNames, 1);
    EXPECT_EQ(project.WithSeparators, 1);
    EXPECT_EQ(project.Commit, 0);
    EXPECT_EQ(project.CommitSize, 250);
    EXPECT_EQ(project.Separator, "<tab>");
    EXPECT_EQ(project.SQLSep, ";");
    EXPECT_TRUE(project.Widths.empty());
    EXPECT_TRUE(project.Columns.empty());
    EXPECT_TRUE(project.Quotes.empty());
    EXPECT_TRUE(project.WidthList.empty());
}

TEST(Project, ResetDefaultsKeepsWidthsAndColumns)
{
    CProject project;
    project.FileName = "a.csv";
    project.ProjectPath = "p.cvtproj";
    project.Commit = 1;
    project.Separator = ",";
    project.Widths = "5,10";
    project.ParseWidths();
    project.Columns = {"a", "b", "c"};
    project.Quotes = {"", "'", ""};

    project.ResetDefaults();

    EXPECT_TRUE(project.FileName.empty());
    EXPECT_TRUE(project.ProjectPath.empty());
    EXPECT_EQ(project.Commit, 0);
    EXPECT_EQ(project.Separator, "<tab>");
    EXPECT_EQ(project.Widths, "5,10");
    EXPECT_EQ(project.Columns.size(), 3u);
    EXPECT_EQ(project.Quotes.size(), 3u);
    EXPECT_EQ(project.WidthList, (std::vector<std::uint16_t>{5, 10}));
}

struct WidthsCase {
    const char* Text;
    std::vector<std::uint16_t> Expected;
};

class ParseWidthsTest : public ::testing::TestWithParam<WidthsCase> {};

TEST_P(ParseWidthsTest, BuildsTheWidthList)
{
    CProject project;
    project.Widths = GetParam().Text;
    project.ParseWidths();
    EXPECT_EQ(project.WidthList, GetParam().Expected);
    project.ParseWidths(); // a second parse rebuilds, it does not append
    EXPECT_EQ(project.WidthList, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseWidthsTest,
                         ::testing::Values(WidthsCase{"10,20,30", {10, 20, 30}}, WidthsCase{"10", {10}},
                                           WidthsCase{"", {}}, WidthsCase{",10,20", {}},
                                           WidthsCase{"10,20,", {10, 20, 0}},
                                           WidthsCase{"10,,30", {10, 0, 30}},
                                           WidthsCase{" 7, 8 ,9x", {7, 8, 9}},
                                           WidthsCase{"-1,65537", {65535, 1}}));
