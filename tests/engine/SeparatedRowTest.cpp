// Run writes separated lines in a single pass where the settings allow it; the
// script must be byte for byte what ReadValues and WriteRow give record by record.
#include "Converter.h"
#include "ConverterProbe.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

struct Settings {
    std::string Separator;
    std::vector<std::string> Quotes;
    bool QuotedFields = false;
    const char* Dialect = "";
    const char* Output = "insert";
    // The value keys: with any of them, a third of the fields are shaped like markers, numbers
    // and dates.
    const char* NullValues = "";
    const char* Decimal = "";
    const char* Thousands = "";
    const char* DateFormat = "";
    bool Values() const { return *NullValues || *Decimal || *Thousands || *DateFormat; }
};

void PrintTo(const Settings& settings, std::ostream* out)
{
    *out << "separator [" << settings.Separator << "], marks";
    for (const std::string& mark : settings.Quotes)
        *out << " [" << mark << "]";
    if (settings.QuotedFields)
        *out << ", quoted fields";
    *out << ", " << settings.Dialect << " " << settings.Output;
    if (settings.Values())
        *out << ", values [" << settings.NullValues << "] [" << settings.Decimal << "] ["
             << settings.Thousands << "] [" << settings.DateFormat << "]";
}

// Lines whose fields mix digits, signs, dots, apostrophes, quotes, the
// separator and letters, with lengths around the eight-byte steps; with
// quoted fields, some fields in quotes that hold the separator, doubled
// quotes and line ends. With `shaped`, a third of the fields are markers,
// numbers and dates as people write them, each digit (#) drawn, some cut short.
std::string Source(const std::string& separator, int lines, unsigned seed, bool quotedFields,
                   bool shaped = false)
{
    const std::string alphabet = "abcdefgh0123456789..--++''\"\"`` |,;\t";
    // Separated by |.
    const std::string shapeList = "NA|NAN|N/A|-|#,##|-#,#|##,#|#.###,##|#.###.###|#,###.##|# ###,#|#'###.#|"
                                  ",#|#,|0#,#|-0,0|#######,#########|#.####|##,###.####|-.###,#|+#,#|#.##|#.|"
                                  "##.##.####|#.#.##|##/##/####|##-##-##|####-##-##|##.##.##|-#.#.####|"
                                  "##.##.#### #:##|#.#.####T##:##:##.###|##.##.#### ##:##:##|"
                                  "#.#.#### #:##:##.##########|#.#.#### #:##:##:#";
    std::vector<std::string> shapes;
    for (std::size_t at = 0; at <= shapeList.size();) {
        const std::size_t bar = std::min(shapeList.find('|', at), shapeList.size());
        shapes.push_back(shapeList.substr(at, bar - at));
        at = bar + 1;
    }
    std::mt19937 random(seed);
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int fields = static_cast<int>(random() % 8);
        for (int k = 0; k <= fields; ++k) {
            if (k > 0)
                text += separator;
            if (shaped && random() % 3 == 0) {
                std::string value = shapes[random() % shapes.size()];
                for (char& c : value)
                    if (c == '#')
                        c = static_cast<char>('0' + random() % (random() % 2 ? 10 : 4));
                text += value.substr(0, random() % 8 == 0 ? random() % (value.size() + 1) : value.size());
                continue;
            }
            const int length = static_cast<int>(random() % 20);
            const bool plain = random() % 3 == 0;
            const bool quoted = quotedFields && random() % 3 == 0;
            if (quoted)
                text += '"';
            for (int j = 0; j < length; ++j) {
                const char c =
                    plain ? static_cast<char>('0' + random() % 10) : alphabet[random() % alphabet.size()];
                text += quoted && c == '"' ? std::string("\"\"") : std::string(1, c);
                if (quoted && random() % 40 == 0)
                    text += random() % 2 ? separator : std::string(random() % 2 ? "\r\n" : "\n");
            }
            if (quoted)
                text += '"';
        }
        text += "\r\n";
    }
    return text;
}

std::string ThroughRun(CProject& project)
{
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Run(), CConverter::OpenResult::Done);
    return ReadFile(project.TargetName);
}

std::string ThroughWriteRow(CProject& project)
{
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Open(true), CConverter::OpenResult::Done);
    std::vector<std::string> fields;
    ConverterProbe probe(converter);
    if (project.NullValues.empty() && project.DecimalSeparator.empty() &&
        project.ThousandsSeparator.empty() && project.DateFormat.empty())
        while (converter.ReadValues(fields))
            probe.WriteRow(fields);
    else
        probe.WriteReadValues();
    probe.WriteCommit(); // a dialect's transaction ends as the run ends it
    converter.Close(true);
    return ReadFile(project.TargetName);
}

class SinglePass : public ::testing::TestWithParam<Settings> {};

TEST_P(SinglePass, RunWritesWhatWriteRowWrites)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Path("source.txt");
    project.TargetName = folder.Path("target.sql");
    project.TableName = "T";
    project.ColumnNames = 0;
    project.Commit = 0;
    project.Separator = GetParam().Separator;
    project.Quotes = GetParam().Quotes;
    project.QuotedFields = GetParam().QuotedFields ? 1 : 0;
    project.Dialect = GetParam().Dialect;
    project.Output = GetParam().Output;
    project.Columns.assign(project.Quotes.size(), "c");
    project.NullValues = GetParam().NullValues;
    project.DecimalSeparator = GetParam().Decimal;
    project.ThousandsSeparator = GetParam().Thousands;
    project.DateFormat = GetParam().DateFormat;
    const std::string separator = project.Separator == "<tab>" ? "\t" : project.Separator;
    for (const unsigned seed : {1u, 2u, 3u}) {
        WriteFile(project.FileName,
                  Source(separator, 3000, seed, GetParam().QuotedFields, GetParam().Values()));
        const std::string expected = ThroughWriteRow(project);
        ASSERT_GT(expected.size(), 3000u);
        ASSERT_EQ(ThroughRun(project), expected) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SinglePass,
    ::testing::Values(
        Settings{",", {}}, Settings{",", {"", "'", "", "'", "'"}}, Settings{"<tab>", {"'", ""}},
        Settings{"|", {"\"", "`", "", "'"}}, Settings{";", {"'", "'", "'", "'", "'", "'", "'", "'"}},
        Settings{"'", {"", "'", "\""}}, Settings{"\"", {"\"", ""}}, Settings{" ", {"", "", ""}},
        Settings{",", {"", "'", "\"", ""}, true}, Settings{"<tab>", {"'", ""}, true}, Settings{";", {}, true},
        Settings{",", {"", "'", "\"", ""}, true, "PostgreSQL", "copy"},
        Settings{"|", {"'", ""}, false, "PostgreSQL", "copy"},
        Settings{",", {"", "'", "\"", ""}, true, "MySQL"}, Settings{",", {"", "'", "\"", ""}, true, "SQLite"},
        Settings{";", {"'", ""}, true, "SQLite"}, Settings{",", {"'", ""}, true, "SQLServer"},
        Settings{";", {"", "", "'", "\""}, false, "", "insert", "NA,N/A,-", ",", "", "DD.MM.YYYY"},
        Settings{"|", {"", "'"}, false, "MySQL", "insert", "NA", ",", ".", "MM/DD/YY"},
        Settings{"\t", {"'", "", ""}, false, "", "insert", "", ".", ",", "YYYY-MM-DD"},
        Settings{";", {"", ""}, false, "", "insert", "NAN", ",", "<space>", "DD-MM-YY"},
        Settings{",", {"", "'"}, false, "", "insert", "", ".", "'", "YYYY/MM/DD"},
        Settings{";", {"", "'"}, false, "", "insert", "", ".", "", "DD.MM.YYYY"},
        // Settings the single pass leaves to the general writer:
        Settings{".", {"", "'"}}, Settings{"5", {"", "'"}}, Settings{"-", {""}},
        Settings{",", {"", "''", "[x]"}}, Settings{",,", {"", "'"}}, Settings{",,", {"", "'"}, true},
        Settings{"-", {"", "'"}, true}));

TEST(SinglePass, LineLongerThanTheOutputBuffer)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Path("source.txt");
    project.TargetName = folder.Path("target.sql");
    project.TableName = "T";
    project.ColumnNames = 0;
    project.Separator = ",";
    project.Quotes = {"", "'", "\""};
    project.Columns = {"a", "b", "c"};
    std::string longText(3 << 20, 'x');
    for (std::size_t i = 0; i < longText.size(); i += 1000)
        longText[i] = i % 3000 == 0 ? '\'' : '"';
    WriteFile(project.FileName, "1," + longText + "," + longText + ",7\r\n2,a,b\r\n" + longText + "\r\n");
    const std::string expected = ThroughWriteRow(project);
    ASSERT_GT(expected.size(), 3 * longText.size());
    EXPECT_EQ(ThroughRun(project), expected);
}

} // namespace

// A quote left open by the file's last line takes the value to the end of the
// file, in the single pass as in the general writer.
TEST(SinglePass, AQuoteOpenAtTheEndOfTheFileTakesTheRest)
{
    TestFolder folder;
    CProject project;
    project.FileName = folder.Write("source.txt", "1,\"a\r\nb,c\r\n");
    project.TargetName = folder.Path("target.sql");
    project.TableName = "T";
    project.ColumnNames = 0;
    project.Separator = ",";
    project.QuotedFields = 1;
    project.Columns = {"x", "y"};
    for (const std::vector<std::string>& quotes : {std::vector<std::string>{"", "'"}, {"", "''"}}) {
        project.Quotes = quotes; // the single pass, then the general writer
        EXPECT_EQ(ThroughRun(project), "insert into T(x,y) values(1,'a\r\nb,c');\r\n") << quotes[1];
    }
}
