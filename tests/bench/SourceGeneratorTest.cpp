#include "SourceGenerator.h"

#include "Project.h"
#include "RunSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    if (!line.empty() && line.back() == separator)
        fields.emplace_back();
    return fields;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Separated(std::uint64_t lines)
{
    std::ostringstream out;
    SourceGenerator::WriteSeparated(out, lines);
    return out.str();
}

TEST(SourceGenerator, SeparatedLinesHoldFiveWellFormedFields)
{
    const std::vector<std::string> lines = Lines(Separated(200));
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_EQ(lines[0], "id,name,amount,word,note");
    bool apostrophe = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], ',');
        ASSERT_EQ(fields.size(), 5u) << lines[i];
        EXPECT_EQ(fields[0], std::to_string(i));
        apostrophe = apostrophe || fields[1].find('\'') != std::string::npos;
        const std::size_t dot = fields[2].find('.');
        ASSERT_NE(dot, std::string::npos) << fields[2];
        EXPECT_EQ(fields[2].size() - dot, 3u) << fields[2];
        EXPECT_EQ(fields[2].find_first_not_of("0123456789."), std::string::npos) << fields[2];
        EXPECT_FALSE(fields[3].empty());
        EXPECT_EQ(fields[4].size(), static_cast<std::size_t>(SourceGenerator::TextLength));
    }
    EXPECT_TRUE(apostrophe) << "no name with an apostrophe in 200 lines";
}

TEST(SourceGenerator, SameArgumentsGiveSameBytes)
{
    EXPECT_EQ(Separated(50), Separated(50));
    EXPECT_EQ(Separated(100).substr(0, Separated(50).size()), Separated(50));
}

TEST(SourceGenerator, FixedWidthHoldsTheSeparatedValuesPadded)
{
    std::ostringstream out;
    SourceGenerator::WriteFixedWidth(out, 100);
    const std::vector<std::string> fixed = Lines(out.str());
    const std::vector<std::string> separated = Lines(Separated(100));
    ASSERT_EQ(fixed.size(), separated.size());
    std::size_t lineLength = 0;
    for (const int width : SourceGenerator::FixedWidths)
        lineLength += static_cast<std::size_t>(width);
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        ASSERT_EQ(fixed[i].size(), lineLength) << fixed[i];
        const std::vector<std::string> expected = Split(separated[i], ',');
        std::size_t start = 0;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const auto width = static_cast<std::size_t>(SourceGenerator::FixedWidths[k]);
            // A note may end in blanks, which padding cannot tell apart.
            EXPECT_EQ(Trimmed(fixed[i].substr(start, width)), Trimmed(expected[k])) << "line " << i;
            start += width;
        }
    }
}

TEST(SourceGenerator, LongLineHoldsTheLongNoteWhole)
{
    std::ostringstream out;
    SourceGenerator::WriteLongLine(out, 200000, 3);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 5u);
    const std::vector<std::string> fields = Split(lines[1], ',');
    ASSERT_EQ(fields.size(), 5u);
    EXPECT_EQ(fields[4].size(), 200000u);
    for (std::size_t i = 2; i < lines.size(); ++i)
        EXPECT_EQ(Split(lines[i], ',').size(), 5u) << lines[i];
}

TEST(SourceGenerator, ProjectLoadsWithTheSourceLayout)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "tabulon-bench-project.cvtproj";
    for (const bool fixedWidth : {false, true}) {
        {
            std::ofstream out(file, std::ios::binary);
            out << SourceGenerator::ProjectText("in.csv", "out.sql", fixedWidth);
        }
        CProject project;
        project.ProjectPath = file.string();
        ASSERT_TRUE(project.Load());
        EXPECT_EQ(project.FileName, "in.csv");
        EXPECT_EQ(project.TargetName, "out.sql");
        EXPECT_EQ(project.WithSeparators, fixedWidth ? 0 : 1);
        EXPECT_EQ(project.Separator, ",");
        ASSERT_EQ(project.Columns.size(), 5u);
        EXPECT_EQ(project.Quotes.size(), 5u);
        EXPECT_EQ(project.Quotes[1], "'");
        EXPECT_EQ(project.Quotes[2], "");
        const RunSettings settings = RunSettings::From(project);
        ASSERT_EQ(settings.Widths.size(), fixedWidth ? 5u : 0u);
        for (std::size_t k = 0; k < settings.Widths.size(); ++k)
            EXPECT_EQ(settings.Widths[k], SourceGenerator::FixedWidths[k]);
    }
    std::filesystem::remove(file);
}

} // namespace
