// Files as people really have them (spreadsheet CSV with quoted fields, byte
// order marks, Windows-1252 and UTF-16 text, blank and ragged lines) converted
// by tabulon-convert and loaded into SQLite by the sqlite3 program: every value
// in the table is what the source means.
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace robust {
namespace {

using Value = std::optional<std::string>; // nullopt: NULL
using Rows = std::vector<std::vector<Value>>;

// The code points of UTF-8 text (the test's own text is valid).
std::vector<char32_t> CodePoints(const std::string& text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char first = static_cast<unsigned char>(text[i]);
        const std::size_t length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? first : static_cast<char32_t>(first & (0xFFu >> (length + 1)));
        for (std::size_t k = 1; k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        points.push_back(point);
        i += length;
    }
    return points;
}

std::string Utf16(const std::string& text, bool littleEndian)
{
    std::string bytes;
    auto unit = [&](char32_t u) {
        const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
        bytes += littleEndian ? std::string{low, high} : std::string{high, low};
    };
    for (char32_t point : CodePoints(text)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            unit(0xD800 + (point >> 10));
            unit(0xDC00 + (point & 0x3FF));
        } else {
            unit(point);
        }
    }
    return bytes;
}

std::string Windows1252(const std::string& text)
{
    std::string bytes;
    for (const char32_t point : CodePoints(text)) {
        if (point == 0x20AC)
            bytes += '\x80'; // the euro sign
        else if (point == 0x2019)
            bytes += '\x92'; // the right single quotation mark
        else
            bytes += static_cast<char>(point); // Latin-1 letters keep their number
    }
    return bytes;
}

// A spreadsheet's CSV: a field in quotes when it holds a comma, a quote or a line end.
std::string Csv(const std::vector<std::vector<std::string>>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        for (std::size_t k = 0; k < line.size(); ++k) {
            const std::string& field = line[k];
            text += k > 0 ? "," : "";
            if (field.find_first_of(",\"\r\n") == std::string::npos) {
                text += field;
                continue;
            }
            text += '"';
            for (const char c : field)
                text += c == '"' ? std::string("\"\"") : std::string(1, c);
            text += '"';
        }
        text += "\r\n";
    }
    return text;
}

// Converts the source without a project file, loads the script into a fresh
// table t(id, name, city, code) with the sqlite3 program, and gives its rows,
// each value as the hex of its text, or "NULL".
std::vector<std::string> LoadedRows(const TestFolder& dir, const std::string& source,
                                    const std::vector<std::string>& settings, ProgramResult& conversion)
{
    const std::string path = dir.Write("source.csv", source);
    std::vector<std::string> arguments = {"--quiet", "--source", path,    "--target",   dir / "t.sql",
                                          "--table", "t",        "--set", "Separator=,"};
    for (const std::string& setting : settings) {
        arguments.push_back("--set");
        arguments.push_back(setting);
    }
    conversion = RunConvert(arguments);
    const std::string db = ShellQuoted(dir / "t.db");
    const ProgramResult load =
        RunShell("sqlite3 -bail " + db + " 'create table t(id, name, city, code)' && sqlite3 -bail " + db +
                 " < " + ShellQuoted(dir / "t.sql") + " 2>&1");
    EXPECT_EQ(load.Status, 0) << load.Output;
    std::string select = "select ";
    for (const char* column : {"id", "name", "city", "code"})
        select += std::string(select.size() > 7 ? "||'|'||" : "") + "case when " + column +
                  " is null then 'NULL' else hex(" + column + ") end";
    const ProgramResult rows = RunShell("sqlite3 " + db + " \"" + select + " from t order by rowid\"");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < rows.Output.size();) {
        const std::size_t end = rows.Output.find('\n', start);
        lines.push_back(rows.Output.substr(start, end - start));
        start = end == std::string::npos ? rows.Output.size() : end + 1;
    }
    return lines;
}

std::vector<std::string> Expected(const Rows& rows)
{
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k)
            line += (k > 0 ? "|" : "") + (row[k] ? Hex(*row[k]) : std::string("NULL"));
        lines.push_back(line);
    }
    return lines;
}

const std::vector<std::string> Header = {"id", "name", "city", "code"};

// Values every encoding below can hold: separators, quotes and line ends in
// fields, apostrophes, accented letters, the euro sign, codes with zeros in front.
// (The sqlite3 program turns every CR LF it reads into LF, inside literals too,
// so a cell's line end here is the LF that spreadsheets write.)
const std::vector<std::vector<std::string>> Latin = {
    {"1", "Smith, John", "Z\xC3\xBCrich", "00501"},
    {"2", "O'Brien \"Bob\"", "S\xC3\xA3o Paulo", "007"},
    {"3", "two\nlines",
     "Montr\xC3\xA9"
     "al \xE2\x82\xAC",
     ""}, // a spreadsheet's line end in a cell
    {"-12", "it\xE2\x80\x99s", "", "12345"},
};
// And what only Unicode encodings hold: characters beyond the Basic Multilingual Plane, CJK.
const std::vector<std::vector<std::string>> Unicode = {
    {"4", "\xF0\x9F\x98\x80 smile", "\xE6\x9D\xB1\xE4\xBA\xAC", "0.5"},
};

Rows Meaning(const std::vector<std::vector<std::string>>& lines)
{
    Rows rows;
    for (const auto& line : lines) {
        std::vector<Value> row(line.begin(), line.end());
        rows.push_back(row);
    }
    return rows;
}

struct EncodingCase {
    const char* Name;
    std::string (*Encode)(const std::string& utf8);
    std::vector<std::string> Settings; // beyond quoted fields
    bool Unicode;                      // holds the Unicode rows too
};

void PrintTo(const EncodingCase& c, std::ostream* out)
{
    *out << c.Name;
}

class SpreadsheetSource : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(SpreadsheetSource, LoadsEveryValueAsTheSourceMeansIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "loads the script with the sqlite3 program through a POSIX shell";
#endif
    const EncodingCase& c = GetParam();
    std::vector<std::vector<std::string>> lines = {Header};
    lines.insert(lines.end(), Latin.begin(), Latin.end());
    if (c.Unicode)
        lines.insert(lines.end(), Unicode.begin(), Unicode.end());
    std::vector<std::string> settings = c.Settings;
    settings.push_back("QuotedFields=1");
    TestFolder dir;
    ProgramResult conversion;
    const std::vector<std::string> loaded = LoadedRows(dir, c.Encode(Csv(lines)), settings, conversion);
    ASSERT_EQ(conversion.Status, 0) << conversion.Output;
    EXPECT_EQ(loaded, Expected(Meaning({lines.begin() + 1, lines.end()})));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SpreadsheetSource,
    ::testing::Values(EncodingCase{"Utf8", [](const std::string& text) { return text; }, {}, true},
                      EncodingCase{"Utf8WithByteOrderMark",
                                   [](const std::string& text) { return "\xEF\xBB\xBF" + text; },
                                   {},
                                   true},
                      EncodingCase{"Windows1252Detected", Windows1252, {}, false},
                      EncodingCase{"Windows1252Named", Windows1252, {"Encoding=Windows-1252"}, false},
                      EncodingCase{"Utf16LeWithByteOrderMark",
                                   [](const std::string& text) { return "\xFF\xFE" + Utf16(text, true); },
                                   {},
                                   true},
                      EncodingCase{"Utf16BeNamed",
                                   [](const std::string& text) { return Utf16(text, false); },
                                   {"Encoding=UTF-16BE"},
                                   true}),
    [](const ::testing::TestParamInfo<EncodingCase>& instance) { return std::string(instance.param.Name); });

// Blank lines are no rows; a short line gets NULL for what it lacks, a long one
// loses its extra fields, and the run says so.
TEST(RaggedSource, LoadsWithNullsAndReportsTheLines)
{
#ifdef _WIN32
    GTEST_SKIP() << "loads the script with the sqlite3 program through a POSIX shell";
#endif
    TestFolder dir;
    ProgramResult conversion;
    const std::vector<std::string> loaded =
        LoadedRows(dir, "id,name,city,code\n\n1,x\r\n\r\n2,y,z,w,extra\n3,,,\n", {}, conversion);
    ASSERT_EQ(conversion.Status, 0) << conversion.Output;
    EXPECT_NE(conversion.Output.find("1 line has fewer fields than the 4 columns (the first is line 3)"),
              std::string::npos)
        << conversion.Output;
    EXPECT_NE(conversion.Output.find("1 line has more fields than the 4 columns (the first is line 5)"),
              std::string::npos)
        << conversion.Output;
    const Rows meaning = {{"1", "x", std::nullopt, std::nullopt},
                          {"2", "y", "z", "w"},
                          {"3", "", "", ""}}; // marked columns: empty text, not NULL
    EXPECT_EQ(loaded, Expected(meaning));
}

struct RefusalCase {
    const char* Name;
    std::string Source;
    std::vector<std::string> Options;
    int Status;
    std::string Message;
    bool ScriptWritten = false; // the run completed before it failed
};

void PrintTo(const RefusalCase& c, std::ostream* out)
{
    *out << c.Name;
}

class RefusedSource : public ::testing::TestWithParam<RefusalCase> {};

// Text that is not what the project says it is stops the run where it stands;
// --strict makes ragged lines fail the run.
TEST_P(RefusedSource, StopsWithTheLineAndNoScript)
{
    const RefusalCase& c = GetParam();
    TestFolder dir;
    std::vector<std::string> arguments = {"--quiet",  "--source",    dir.Write("s.csv", c.Source),
                                          "--target", dir / "s.sql", "--table",
                                          "t",        "--set",       "Separator=,"};
    arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
    const ProgramResult result = RunConvert(arguments);
    EXPECT_EQ(result.Status, c.Status) << result.Output;
    EXPECT_NE(result.Output.find(c.Message), std::string::npos) << result.Output;
    EXPECT_EQ(fs::exists(dir / "s.sql"), c.ScriptWritten);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, RefusedSource,
    ::testing::Values(RefusalCase{"InvalidUtf8",
                                  "a\r\n1\r\n\xC3\x28\r\n",
                                  {"--set", "Encoding=UTF-8"},
                                  5,
                                  "line 3 holds bytes that are not valid UTF-8 text"},
                      RefusalCase{"UndefinedWindows1252Byte",
                                  "a\r\n\x81\r\n",
                                  {"--set", "Encoding=Windows-1252"},
                                  5,
                                  "line 2 holds bytes that are not valid Windows-1252 text"},
                      RefusalCase{"OddUtf16",
                                  "\xFF\xFE"
                                  "a\0\r\0\n\0x",
                                  {},
                                  5,
                                  "not valid UTF-16LE text"},
                      RefusalCase{
                          "UnknownEncoding", "a\r\n", {"--set", "Encoding=EBCDIC"}, 64, "write one of UTF-8"},
                      RefusalCase{"RaggedWithStrict", "a,b\r\n1\r\n", {"--strict"}, 5, "fewer fields", true}),
    [](const ::testing::TestParamInfo<RefusalCase>& instance) { return std::string(instance.param.Name); });

} // namespace
} // namespace robust
