// Sources and targets that are no regular files (pipes, standard input and
// output), and targets that must never be written: through tabulon-convert.
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace robust {
namespace {

// A project whose columns are read from the source, converting s.csv into s.sql.
std::string DiscoveringProject(const TestFolder& dir)
{
    return dir.Write("p.cvtproj", ProjectText({"FileName=s.csv", "TargetName=s.sql", "TableName=t",
                                               "Separator=,", "Commit=1", "CommitSize=1000"}));
}

std::string LinesSource(int lines)
{
    std::string source = "id,name\r\n";
    for (int i = 1; i <= lines; ++i)
        source += std::to_string(i) + ",name " + std::to_string(i) + "\r\n";
    return source;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Column discovery reads the start of a pipe; the run must go on from there,
// not open the pipe again and lose what discovery read.
TEST(Streams, EveryLineOfAPipeIsConvertedOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "pipes the source through cat(1) in a POSIX shell";
#endif
    TestFolder dir;
    const std::string project = DiscoveringProject(dir);
    const std::string source = dir.Write("s.csv", LinesSource(200000));
    ASSERT_EQ(RunConvert({"--quiet", project}).Status, 0);
    const std::string fromFile = ReadFile(dir / "s.sql");
    ASSERT_EQ(Count(fromFile, "insert into"), 200000u);

    for (const std::string spelling : {"-", "/dev/stdin"}) {
        const std::string target = dir / "piped.sql";
        const ProgramResult result = RunConvertPiped("cat " + ShellQuoted(source),
                                                     {"--source", spelling, "--target", target, project}, "");
        EXPECT_EQ(result.Status, 0) << spelling << ": " << result.Output;
        EXPECT_TRUE(ReadFile(target) == fromFile) << spelling;
    }
}

// Standard output carries the script alone: every message goes to standard error.
TEST(Streams, StandardOutputHoldsOnlyTheScript)
{
    TestFolder dir;
    const std::string project = DiscoveringProject(dir);
    dir.Write("s.csv", LinesSource(3000));
    ASSERT_EQ(RunConvert({"--quiet", project}).Status, 0);
    const std::string fromFile = ReadFile(dir / "s.sql");

#ifdef _WIN32
    const std::vector<std::string> spellings = {"-"};
#else
    const std::vector<std::string> spellings = {"-", "/dev/stdout"};
#endif
    for (const std::string& spelling : spellings) {
        const std::string output = dir / "out.sql";
        const ProgramResult result = RunConvertPiped("", {"--target", spelling, project}, output);
        EXPECT_EQ(result.Status, 0) << spelling << ": " << result.Output;
        EXPECT_NE(result.Output.find("Converted 3001 lines"), std::string::npos) << result.Output;
        EXPECT_TRUE(ReadFile(output) == fromFile) << spelling;
    }
    EXPECT_FALSE(fs::exists(dir / "-"));
}

// The project file is protected as the source is, through every spelling and link.
TEST(Streams, TheProjectFileIsNeverTheTarget)
{
    TestFolder dir;
    const std::string project = DiscoveringProject(dir);
    dir.Write("s.csv", LinesSource(3));
    fs::create_directory(dir / "sub");
    std::vector<std::string> spellings = {project, dir / "./p.cvtproj", dir / "sub/../p.cvtproj"};
#ifdef _WIN32
    spellings.push_back(dir / "P.CVTPROJ"); // Windows' names ignore letter case
#else
    fs::create_symlink(project, dir / "link.cvtproj");
    spellings.push_back(dir / "link.cvtproj");
#endif
    const std::string before = ReadFile(project);
    for (const std::string& target : spellings) {
        const ProgramResult result = RunConvert({"--quiet", "--target", target, project});
        EXPECT_EQ(result.Status, 2) << target;
        EXPECT_NE(result.Output.find("is the project file itself"), std::string::npos) << result.Output;
        EXPECT_EQ(ReadFile(project), before) << target;
    }
}

} // namespace
} // namespace robust
