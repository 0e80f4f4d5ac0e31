// Sources and targets that cannot be used: a clear result or error naming the
// file, and the source never harmed.
#include "Converter.h"
#include "FileError.h"
#include "RobustnessSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace robust;

namespace {

const std::string SourceText = "id,name\r\n1,Ann\r\n2,O'Neil\r\n";

CProject MakeProject(const std::string& source, const std::string& target)
{
    CProject project;
    project.FileName = source;
    project.TargetName = target;
    project.TableName = "T";
    project.Separator = ",";
    project.Columns = {"id", "name"};
    project.Quotes = {"", "'"};
    return project;
}

// What Open gave when a run was tried.
CConverter::OpenResult OpenResult(CProject& project)
{
    CConverter converter;
    converter.Project = &project;
    const CConverter::OpenResult result = converter.Run();
    EXPECT_EQ(result, converter.LastOpenFailure().Result);
    return result;
}

// A project file for the command line that converts source into target.
std::string CliProject(const TestFolder& dir, const std::string& source, const std::string& target)
{
    const std::string path = dir / "job.cvtproj";
    WriteFile(path, ProjectText({"FileName=" + source, "TargetName=" + target, "TableName=T", "Separator=,",
                                 "nColumns=2", "Column0=id", "Quote0=", "Column1=name", "Quote1='"}));
    return path;
}

bool RunningAsRoot()
{
#ifdef _WIN32
    return false;
#else
    return geteuid() == 0;
#endif
}

TEST(UnusableSource, FolderMissingOrUnnamedFailsOpen)
{
    TestFolder dir;
    const std::string target = dir / "script.sql";
    WriteFile(target, "earlier script");
    for (const std::string& source : {dir.Root().string(), dir / "missing.txt", std::string()}) {
        SCOPED_TRACE(source);
        CProject project = MakeProject(source, target);
        EXPECT_EQ(OpenResult(project), CConverter::OpenResult::SourceFailed);
        EXPECT_EQ(ReadFile(target), "earlier script"); // a failed source leaves the target alone
    }
}

TEST(UnusableSource, UnreadableFailsOpen)
{
#ifdef _WIN32
    GTEST_SKIP() << "takes the read permission bit away, which Windows files do not have";
#endif
    if (RunningAsRoot())
        GTEST_SKIP() << "root reads a file whatever its permissions say";
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    fs::permissions(dir / "source.txt", fs::perms::none);
    CProject project = MakeProject(dir / "source.txt", dir / "script.sql");
    EXPECT_EQ(OpenResult(project), CConverter::OpenResult::SourceFailed);
}

TEST(UnusableSource, CommandLineNamesTheSource)
{
    TestFolder dir;
    for (const std::string& source : {dir.Root().string(), dir / "missing.txt"}) {
        SCOPED_TRACE(source);
        const ProgramResult result = RunConvert({"--quiet", CliProject(dir, source, dir / "script.sql")});
        EXPECT_EQ(result.Status, 1);
        EXPECT_NE(result.Output.find(source + ":"), std::string::npos) << result.Output;
    }
}

TEST(UnusableTarget, MissingFolderOrFolderFailsOpen)
{
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    for (const std::string& target : {dir / "missing/script.sql", dir.Root().string(), std::string()}) {
        SCOPED_TRACE(target);
        CProject project = MakeProject(dir / "source.txt", target);
        EXPECT_EQ(OpenResult(project), CConverter::OpenResult::TargetFailed);
        EXPECT_EQ(ReadFile(dir / "source.txt"), SourceText);
    }
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// A read-only script stays as it is, for the administrator too.
TEST(UnusableTarget, ReadOnlyFailsOpen)
{
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    WriteFile(dir / "script.sql", "kept");
    fs::permissions(dir / "script.sql", fs::perms::owner_read);
    CProject project = MakeProject(dir / "source.txt", dir / "script.sql");
    EXPECT_EQ(OpenResult(project), CConverter::OpenResult::TargetFailed);
    EXPECT_EQ(ReadFile(dir / "script.sql"), "kept");
}

TEST(UnusableTarget, CommandLineNamesTheTarget)
{
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    const std::string target = dir / "missing/script.sql";
    const ProgramResult result = RunConvert({"--quiet", CliProject(dir, dir / "source.txt", target)});
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Output.find(target + ": No such file or directory"), std::string::npos) << result.Output;
}

// A full device: the run ends with the write error naming the file, both files closed.
TEST(FullDevice, RunThrowsFileError)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "this system has no /dev/full";
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    CProject project = MakeProject(dir / "source.txt", "/dev/full");
    CConverter converter;
    converter.Project = &project;
    try {
        converter.Run();
        FAIL() << "the run did not report the full device";
    } catch (const FileError& error) {
        EXPECT_EQ(error.FileName, "/dev/full");
        EXPECT_EQ(error.Reason, std::strerror(ENOSPC));
    }
    // Both files were closed: the engine opens them again at once.
    project.TargetName = dir / "script.sql";
    EXPECT_EQ(converter.Run(), CConverter::OpenResult::Done);
    EXPECT_EQ(ReadFile(dir / "script.sql"),
              "insert into T(id,name) values(1,'Ann');\r\ninsert into T(id,name) values(2,'O''Neil');\r\n");
}

TEST(FullDevice, CommandLineExitsWithThree)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "this system has no /dev/full";
    TestFolder dir;
    WriteFile(dir / "source.txt", SourceText);
    const ProgramResult result = RunConvert({"--quiet", CliProject(dir, dir / "source.txt", "/dev/full")});
    EXPECT_EQ(result.Status, 3);
    EXPECT_NE(result.Output.find("/dev/full: " + std::string(std::strerror(ENOSPC))), std::string::npos)
        << result.Output;
}

// Reading this process's own memory from the start fails with an I/O error:
// a source that opens but cannot be read.
const char* const UnreadableSource = "/proc/self/mem";

TEST(ReadError, RunAndDiscoveryThrowFileError)
{
#ifdef _WIN32
    GTEST_SKIP() << "reads /proc/self/mem, a Linux file that opens but cannot be read";
#endif
    if (!fs::exists(UnreadableSource))
        GTEST_SKIP() << "this system has no " << UnreadableSource;
    TestFolder dir;
    CProject project = MakeProject(UnreadableSource, dir / "script.sql");
    CConverter converter;
    converter.Project = &project;
    std::vector<std::string> names;
    EXPECT_THROW(converter.DiscoverColumns(names, nullptr), FileError);
    try {
        converter.Run();
        FAIL() << "the run did not report the read error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.FileName, UnreadableSource);
        EXPECT_EQ(error.Reason, std::strerror(EIO));
    }
}

// With or without discovering the columns first: exit status 3 and the reason.
TEST(ReadError, CommandLineExitsWithThree)
{
#ifdef _WIN32
    GTEST_SKIP() << "reads /proc/self/mem, a Linux file that opens but cannot be read";
#endif
    if (!fs::exists(UnreadableSource))
        GTEST_SKIP() << "this system has no " << UnreadableSource;
    TestFolder dir;
    const std::string project = CliProject(dir, UnreadableSource, dir / "script.sql");
    for (const bool discover : {false, true}) {
        SCOPED_TRACE(discover ? "discovering" : "saved columns");
        std::vector<std::string> arguments = {"--quiet", project};
        if (discover)
            arguments.insert(arguments.begin(), "--discover");
        const ProgramResult result = RunConvert(arguments);
        EXPECT_EQ(result.Status, 3) << result.Output;
        EXPECT_NE(result.Output.find(std::string(UnreadableSource) + ": " + std::strerror(EIO)),
                  std::string::npos)
            << result.Output;
    }
}

// The source named as the target, under any name, is never truncated.
TEST(SourceAsTarget, EverySpellingIsRefused)
{
    TestFolder dir;
    fs::create_directory(dir.Root() / "sub");
    const std::string source = dir / "source.txt";
    WriteFile(source, SourceText);
    fs::create_hard_link(source, dir / "hard.txt");
    const fs::path cwdBefore = fs::current_path();
    fs::current_path(dir.Root());
    std::vector<std::string> spellings = {source,           dir / "./source.txt", dir / "sub/../source.txt",
                                          dir / "hard.txt", "source.txt",         "./sub/../source.txt"};
#ifdef _WIN32
    spellings.push_back(dir / "SOURCE.TXT"); // Windows' names ignore letter case
    spellings.push_back(".\\sub\\..\\source.txt");
#else
    fs::create_symlink(source, dir / "link.txt");
    spellings.push_back(dir / "link.txt");
#endif
    for (const std::string& target : spellings) {
        SCOPED_TRACE(target);
        CProject project = MakeProject(source, target);
        CConverter converter;
        converter.Project = &project;
        EXPECT_EQ(converter.Open(true), CConverter::OpenResult::TargetFailed);
        EXPECT_EQ(converter.LastOpenFailure().File, target);
        EXPECT_EQ(ReadFile(source), SourceText);

        const ProgramResult result =
            RunConvert({"--quiet", "--source", source, "--target", target, CliProject(dir, source, target)});
        EXPECT_EQ(result.Status, 2) << result.Output;
        EXPECT_EQ(ReadFile(source), SourceText);
    }
    fs::current_path(cwdBefore);
}

} // namespace

namespace {

std::string TemporaryFilesIn(const TestFolder& dir)
{
    std::string names;
    for (const auto& entry : fs::directory_iterator(dir.Root())) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
            names += name + " ";
    }
    return names;
}

} // namespace

// Standard input that is the target file itself: refused before it is touched.
TEST(SourceAsTarget, StandardInputIsRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "redirects standard input through a POSIX shell";
#endif
    TestFolder dir;
    const std::string file = dir.Write("f.csv", SourceText);
    const ProgramResult result =
        RunShell(ShellQuoted(TABULON_CONVERT) + " --quiet --source - --target " + ShellQuoted(file) +
                 " --table T --set Separator=, < " + ShellQuoted(file) + " 2>&1");
    EXPECT_EQ(result.Status, 2) << result.Output;
    EXPECT_NE(result.Output.find("is the source file itself"), std::string::npos) << result.Output;
    EXPECT_EQ(ReadFile(file), SourceText);
}

// A folder that takes no new file: the script is refused (exit 2), never written
// in place, so the earlier one stays whole. Run as a user the folder refuses.
TEST(UnusableTarget, FolderWithoutWritePermissionIsRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "takes the folder's write permission bits away, which Windows folders do not have";
#endif
    TestFolder dir;
    fs::create_directory(dir.Root() / "locked");
    const std::string source = dir.Write("source.txt", SourceText);
    const std::string target = dir.Write("locked/script.sql", "earlier script");
    fs::permissions(target, fs::perms::all); // the file itself may be written
    fs::permissions(dir.Root() / "locked", fs::perms::owner_read | fs::perms::owner_exec |
                                               fs::perms::group_read | fs::perms::group_exec |
                                               fs::perms::others_read | fs::perms::others_exec);
    const std::string user = RunningAsRoot() ? "runuser -u nobody -- " : "";
    const ProgramResult result =
        RunShell(user + ShellQuoted(TABULON_CONVERT) + " --quiet --source " + ShellQuoted(source) +
                 " --target " + ShellQuoted(target) + " --table T --set Separator=, 2>&1");
    EXPECT_EQ(result.Status, 2) << result.Output;
    EXPECT_NE(result.Output.find("its folder takes no new file"), std::string::npos) << result.Output;
    EXPECT_EQ(ReadFile(target), "earlier script");
}

// SIGINT and SIGTERM in the middle of a run (the source a FIFO that has sent
// part of its lines): the temporary script goes, the earlier target stays, and
// the status is 130 or 143.
TEST(Signal, RunEndsWithoutTemporaryFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "sends POSIX signals through a shell";
#endif
    for (const auto& [name, status] : {std::pair<const char*, int>{"INT", 130}, {"TERM", 143}}) {
        SCOPED_TRACE(name);
        TestFolder dir;
        const std::string target = dir.Write("script.sql", "earlier script");
        // The run starts on a FIFO, converts what comes, and is signalled once its temporary file is there.
        const std::string script =
            "cd " + ShellQuoted(dir.Root().string()) + " && mkfifo source.fifo && (" +
            ShellQuoted(TABULON_CONVERT) + " --quiet --source source.fifo --target script.sql --table T" +
            " --set Separator=, --set ColumnNames=0 --set nColumns=2 --set Column0=a --set Column1=b" +
            " 2>/dev/null & pid=$!; exec 3>source.fifo; yes 1,2 | head -n 100000 >&3;" +
            " for i in $(seq 200); do ls -a | grep -q '[.]tmp$' && break; sleep 0.05; done;" + " kill -" +
            name + " $pid; wait $pid; echo $?; exec 3>&-)";
        const ProgramResult result = RunShell(script);
        EXPECT_EQ(result.Output, std::to_string(status) + "\n");
        EXPECT_EQ(TemporaryFilesIn(dir), "");
        EXPECT_EQ(ReadFile(target), "earlier script");
    }
}
