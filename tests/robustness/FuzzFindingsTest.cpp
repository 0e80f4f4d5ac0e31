// Inputs the fuzzers found, reduced to what broke, with the script they must give now.
#include "Converter.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

using namespace robust;

namespace {

struct Finding {
    const char* Name;
    std::vector<std::string> Quotes;
    std::string Source; // one line, fields separated by tabs
    std::string Script;
};

void PrintTo(const Finding& finding, std::ostream* out)
{
    *out << finding.Name;
}

class FuzzFinding : public ::testing::TestWithParam<Finding> {};

TEST_P(FuzzFinding, WritesTheExpectedScript)
{
    TestFolder dir;
    CProject project = ProjectIn(dir);
    project.ColumnNames = 0;
    project.Columns = {"a", "b"};
    project.Quotes = GetParam().Quotes;
    WriteFile(project.FileName, GetParam().Source);
    CConverter converter;
    converter.Project = &project;
    ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done);
    EXPECT_EQ(ReadFile(project.TargetName), GetParam().Script);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FuzzFinding,
    ::testing::Values(
        // A mark of several bytes was written around the value as it stood, so
        // the value was no literal at all; any mark but ' and " is now an apostrophe.
        Finding{"MarkOfSeveralBytes",
                {"\xffid", "''"},
                "O'N\x96il;--\t1); drop table t; --\n",
                "insert into T(a,b) values('O''N\x96il;--','1); drop table t; --');\r\n"},
        Finding{
            "MarkThatIsALetter", {"x", "x"}, "x);--\tax\n", "insert into T(a,b) values('x);--','ax');\r\n"},
        Finding{"DoubleQuoteMarkStays",
                {"\"", "'"},
                "say \"hi\" it's\tit's\n",
                "insert into T(a,b) values(\"say \"\"hi\"\" it''s\",'it''s');\r\n"}),
    [](const ::testing::TestParamInfo<Finding>& instance) { return std::string(instance.param.Name); });

} // namespace

// A column name from a source may hold a NUL byte. Loading took the name's C
// string as the default source name, so the name read back cut at the NUL and
// the column no longer counted as its source's own on the next discovery.
TEST(FuzzFindingProject, ColumnNameWithNulReadsBackAsItsOwnSourceName)
{
    using namespace std::string_literals;
    TestFolder dir;
    CProject saved;
    saved.ProjectPath = dir / "p.cvtproj";
    saved.Columns = {"id\0x"s, "name"};
    saved.Quotes = {"", "'"};
    ASSERT_TRUE(saved.Save());

    CProject loaded;
    loaded.ProjectPath = saved.ProjectPath;
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.Columns, saved.Columns);
    ASSERT_EQ(loaded.SourceColumns.size(), 2u);
    EXPECT_EQ(loaded.SourceColumnName(0), "id\0x"s);
    EXPECT_EQ(ReadFile(saved.ProjectPath).find("Source"), std::string::npos);
}
