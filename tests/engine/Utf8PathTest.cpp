// Paths as UTF-8 text: opened, compared and resolved through the system's wide
// functions on Windows, whatever the ANSI code page (the Windows test run goes
// through these tests under code pages 1252 and 936).
#include "Utf8Path.h"
#include "Converter.h"
#include "FileHandle.h"
#include "FileReplacement.h"
#include "Project.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// Names that the ANSI code pages 1252 and 936 cannot all spell: an en dash,
// accents, Chinese, Greek, and a character outside the Basic Multilingual Plane.
const std::vector<std::string> UnicodeNames = {
    "Report \xE2\x80\x93 2024.csv", // Report – 2024.csv
    "donn\xC3\xA9"
    "es.csv",                               // données.csv
    "\xE6\x95\xB0\xE6\x8D\xAE.csv",         // 数据.csv
    "\xCE\xB4\xCE\xB5\xCE\xB4\xCE\xBF.csv", // δεδο.csv
    "smile \xF0\x9F\x98\x80.csv",           // smile 😀.csv
};

} // namespace

TEST(Utf8Path, FilesWithUnicodeNamesAreOpenedCreatedAndReplaced)
{
    for (const std::string& name : UnicodeNames) {
        SCOPED_TRACE(name);
        TestFolder folder;
        const std::string path = folder.Write(name, "id\r\n1\r\n");
        EXPECT_TRUE(fs::exists(PathFromUtf8(path)));
        EXPECT_TRUE(OpenUnbuffered(path, "rb"));

        CProject project;
        project.FileName = path;
        project.TargetName = folder.Path("out " + name + ".sql");
        project.TableName = "t";
        CConverter converter;
        converter.Project = &project;
        converter.DiscoverProjectColumns();
        ASSERT_EQ(project.Columns, std::vector<std::string>{"id"});
        ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done) << converter.LastOpenFailure().Reason;
        EXPECT_EQ(ReadFile(project.TargetName), "insert into t(id) values(1);\r\n");
        // A second run replaces the script through its temporary file.
        ASSERT_EQ(converter.Run(), CConverter::OpenResult::Done) << converter.LastOpenFailure().Reason;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.Root()), fs::directory_iterator()), 2);
    }
}

TEST(Utf8Path, ASourceWithAUnicodeNameIsNeverItsOwnTarget)
{
    for (const std::string& name : UnicodeNames) {
        SCOPED_TRACE(name);
        TestFolder folder;
        const std::string source = folder.Write(name, "id\r\n1\r\n");
        // Another file whose name only the code page would confuse with the source's.
        const std::string other = folder.Write("other.csv", "x\r\n");
        CProject project;
        project.FileName = source;
        project.TargetName = source;
        project.TableName = "t";
        CConverter converter;
        converter.Project = &project;
        EXPECT_EQ(converter.Open(true), CConverter::OpenResult::TargetFailed);
        EXPECT_EQ(converter.LastOpenFailure().Reason, "is the source file itself");
        EXPECT_EQ(ReadFile(source), "id\r\n1\r\n");
        EXPECT_EQ(ReadFile(other), "x\r\n");
    }
}

TEST(Utf8Path, AProjectWithAUnicodeNameIsSavedAndLoaded)
{
    for (const std::string& name : UnicodeNames) {
        SCOPED_TRACE(name);
        TestFolder folder;
        fs::create_directory(PathFromUtf8(folder.Path("donn\xC3\xA9"
                                                      "es")));
        CProject saved;
        saved.ProjectPath = folder.Path("donn\xC3\xA9"
                                        "es/" +
                                        name + ".cvtproj");
        saved.FileName = folder.Path(name);
        saved.TableName = "t";
        ASSERT_TRUE(saved.Save());
        CProject loaded;
        loaded.ProjectPath = saved.ProjectPath;
        ASSERT_TRUE(loaded.Load()) << loaded.LoadError;
        EXPECT_EQ(loaded.FileName, saved.FileName);
    }
}

TEST(Utf8Path, RelativePathsAreTakenFromTheProjectFolder)
{
    const struct {
        const char* Path;
        const char* Project;
        const char* Resolved;
    } cases[] = {
        {"", "/p/x.cvtproj", ""},
        {"-", "/p/x.cvtproj", "-"},
        {"s.csv",
         "/p/donn\xC3\xA9"
         "es/x.cvtproj",
         "/p/donn\xC3\xA9"
         "es/s.csv"},
        {"../s.csv", "/p/q/x.cvtproj", "/p/s.csv"},
        {"s.csv", "x.cvtproj", "s.csv"},
#ifdef _WIN32
        {"C:\\data\\s.csv", "D:\\p\\x.cvtproj", "C:\\data\\s.csv"},
        {"\\\\server\\share\\s.csv", "D:\\p\\x.cvtproj", "\\\\server\\share\\s.csv"},
        {"\\\\?\\C:\\data\\s.csv", "D:\\p\\x.cvtproj", "\\\\?\\C:\\data\\s.csv"},
        {"donn\xC3\xA9"
         "es\\s.csv",
         "D:\\p\\x.cvtproj",
         "D:\\p\\donn\xC3\xA9"
         "es\\s.csv"},
#else
        {"/data/s.csv", "/p/x.cvtproj", "/data/s.csv"},
#endif
    };
    for (const auto& c : cases) {
        std::string expected = c.Resolved;
#ifdef _WIN32
        // The folder's part keeps the slashes it was given; what is joined gets Windows' own.
        if (expected.rfind("/p/", 0) == 0)
            expected = Utf8FromPath(PathFromUtf8(expected).make_preferred());
#endif
        std::string resolved = FromProjectFolder(c.Path, c.Project);
#ifdef _WIN32
        resolved = Utf8FromPath(PathFromUtf8(resolved).make_preferred());
#endif
        EXPECT_EQ(resolved, expected) << c.Path << " in " << c.Project;
    }
}

TEST(Utf8Path, AStoredPathThatIsNotUtf8IsReadInTheAnsiCodePage)
{
    // Valid UTF-8 stays as it is everywhere.
    EXPECT_EQ(StoredPathAsUtf8("C:\\donn\xC3\xA9"
                               "es\\s.csv"),
              "C:\\donn\xC3\xA9"
              "es\\s.csv");
#ifdef _WIN32
    const struct {
        unsigned CodePage;
        const char* Stored;
        const char* Utf8;
    } cases[] = {
        {1252,
         "C:\\donn\xE9"
         "es\\s.csv",
         "C:\\donn\xC3\xA9"
         "es\\s.csv"},
        {1252, "Report \x96 2024.csv", "Report \xE2\x80\x93 2024.csv"},
        {936, "\xCA\xFD\xBE\xDD.csv", "\xE6\x95\xB0\xE6\x8D\xAE.csv"},
    };
    bool tried = false;
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8FromCodePage(c.Stored, c.CodePage), c.Utf8) << c.Stored;
        if (c.CodePage == GetACP()) {
            EXPECT_EQ(StoredPathAsUtf8(c.Stored), c.Utf8) << c.Stored;
            tried = true;
        }
    }
    if (!tried)
        GTEST_SKIP() << "no case for the ANSI code page " << GetACP();
#else
    // Elsewhere a path is bytes: what is not UTF-8 names the file it always named.
    EXPECT_EQ(StoredPathAsUtf8("donn\xE9"
                               "es.csv"),
              "donn\xE9"
              "es.csv");
#endif
}

TEST(Utf8Path, AProjectReadsAnOlderProjectsPathInTheAnsiCodePage)
{
#ifndef _WIN32
    GTEST_SKIP() << "the ANSI code page is Windows' own";
#else
    if (GetACP() != 1252 && GetACP() != 936)
        GTEST_SKIP() << "no case for the ANSI code page " << GetACP();
    // données.csv in code page 1252, 数据.csv in code page 936.
    const bool western = GetACP() == 1252;
    const std::string stored = western ? "donn\xE9"
                                         "es.csv"
                                       : "\xCA\xFD\xBE\xDD.csv";
    const std::string name = western ? "donn\xC3\xA9"
                                       "es.csv"
                                     : "\xE6\x95\xB0\xE6\x8D\xAE.csv";
    TestFolder folder;
    // The folder's own name is ASCII: only the file's name is in the code page.
    const std::string project =
        folder.Write("old.cvtproj", "[General]\r\nFileName=" + folder.Root().u8string() + "\\" + stored +
                                        "\r\nTableName=t\r\n");
    CProject loaded;
    loaded.ProjectPath = project;
    ASSERT_TRUE(loaded.Load()) << loaded.LoadError;
    EXPECT_EQ(loaded.FileName, folder.Path(name));
#endif
}

// While a run goes on, nobody writes its source, and nobody opens its script.
TEST(FileSharing, TheSourceIsDenyWriteAndTheTargetExclusive)
{
#ifndef _WIN32
    GTEST_SKIP() << "POSIX files have no sharing modes";
#else
    TestFolder folder;
    const std::string source = folder.Write("donn\xC3\xA9"
                                            "es.csv",
                                            "id\r\n1\r\n");
    const std::wstring wideSource = WideFromUtf8(source);
    {
        const FileHandle reading = OpenUnbuffered(source, "rb");
        ASSERT_TRUE(reading);
        std::FILE* writer = _wfopen(wideSource.c_str(), L"ab");
        EXPECT_EQ(writer, nullptr) << "the source could be written while it is read";
        if (writer)
            std::fclose(writer);
        std::FILE* reader = _wfopen(wideSource.c_str(), L"rb");
        EXPECT_NE(reader, nullptr) << "others may still read the source";
        if (reader)
            std::fclose(reader);
    }
    const std::string target = folder.Path("\xE6\x95\xB0\xE6\x8D\xAE.sql");
    {
        const FileHandle writing = OpenUnbuffered(target, "wb");
        ASSERT_TRUE(writing);
        std::FILE* reader = _wfopen(WideFromUtf8(target).c_str(), L"rb");
        EXPECT_EQ(reader, nullptr) << "the target could be opened while it is written";
        if (reader)
            std::fclose(reader);
    }
    // The script's temporary file, before it takes the target's place.
    FileReplacement replacement;
    const FileHandle temporary = replacement.Create(target);
    ASSERT_TRUE(temporary);
    for (const auto& entry : fs::directory_iterator(folder.Root())) {
        if (entry.path().extension() != L".tmp")
            continue;
        std::FILE* reader = _wfopen(entry.path().c_str(), L"rb");
        EXPECT_EQ(reader, nullptr) << "the temporary script could be opened while it is written";
        if (reader)
            std::fclose(reader);
    }
#endif
}
