// The help and settings paths: the executable's path with its last three characters replaced.
#include "AppPaths.h"
#include "TestFiles.h"
#include "Utf8Path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

TEST(AppPaths, ReplacesTheExtensionWhateverItIs)
{
    EXPECT_EQ(ReplaceLastThree("C:\\Tools\\conv.exe", "chm"), "C:\\Tools\\conv.chm");
    EXPECT_EQ(ReplaceLastThree("C:\\Tools\\conv.exe", "ini"), "C:\\Tools\\conv.ini");
    EXPECT_EQ(ReplaceLastThree("/opt/tabulon/build/tabulon.bin", "ini"), "/opt/tabulon/build/tabulon.ini");
}

TEST(AppPaths, ANameWithoutThreeLetterExtensionStillLosesThreeCharacters)
{
    EXPECT_EQ(ReplaceLastThree("/usr/bin/tabulon", "chm"), "/usr/bin/tabuchm");
    EXPECT_EQ(ReplaceLastThree("C:\\conv.e", "ini"), "C:\\conini");
    EXPECT_EQ(ReplaceLastThree("ab", "ini"), "ini");
    EXPECT_EQ(ReplaceLastThree("", "chm"), "chm");
}

TEST(AppPaths, TheExecutablePathIsTheRunningProgram)
{
    const std::string path = ExecutableFilePath();
    ASSERT_FALSE(path.empty());
#ifdef _WIN32
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "ui_tests.exe");
#else
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "ui_tests");
#endif
}

namespace {

namespace fs = std::filesystem;

// The same path, whichever separators (Windows takes both) spell it.
::testing::AssertionResult SamePath(const std::string& actual, const std::string& expected)
{
    if (PathFromUtf8(actual).lexically_normal() == PathFromUtf8(expected).lexically_normal())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

// "<config>/tabulon/..." with the settings' folder name of this system.
std::string InSettingsFolder(std::string text)
{
    const std::string placeholder = "/tabulon/";
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos)
        text.replace(at, placeholder.size(), std::string("/") + SettingsFolderName + "/");
    return text;
}

struct Layout {
    const char* Name;
    std::vector<const char*> Files; // made in the test's folder; a name ending in / is a folder
    const char* Executable;
    const char* Help;     // expected, relative to the test's folder
    const char* Settings; // expected; "<config>" is the configuration folder given
};

} // namespace

TEST(AppPaths, TheProgramsFilesBesideItOrInstalled)
{
    const Layout layouts[] = {
        {"BuildTree",
         {"build/tabulon.bin", "build/tabulon.chm"},
         "build/tabulon.bin",
         "build/tabulon.chm",
         "build/tabulon.ini"},
        {"BuildTreeWithoutHelp",
         {"build/tabulon.bin"},
         "build/tabulon.bin",
         "build/tabulon.chm",
         "build/tabulon.ini"},
        {"Installed",
         {"usr/bin/tabulon", "usr/share/tabulon/tabulon.chm"},
         "usr/bin/tabulon",
         "usr/share/tabulon/tabulon.chm",
         "<config>/tabulon/tabulon.ini"},
        {"InstalledWithoutHelp",
         {"usr/bin/tabulon", "usr/share/tabulon/"},
         "usr/bin/tabulon",
         "usr/bin/tabuchm",
         "<config>/tabulon/tabulon.ini"},
        {"FolderThatIsGone", {}, "gone/tabulon.bin", "gone/tabulon.chm", "<config>/tabulon/tabulon.ini"},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.Name);
        const TestFolder folder;
        for (const std::string file : layout.Files) {
            fs::create_directories(fs::path(folder.Path(file)).parent_path());
            if (file.back() != '/')
                WriteFile(folder.Path(file), "");
        }
        const std::string config = folder.Path("config");
        const std::string executable = folder.Path(layout.Executable);
        EXPECT_TRUE(SamePath(HelpFilePath(executable), folder.Path(layout.Help)));
        std::string settings = InSettingsFolder(layout.Settings);
        if (settings.rfind("<config>", 0) == 0)
            settings = config + settings.substr(8);
        else
            settings = folder.Path(settings);
        EXPECT_TRUE(SamePath(SettingsFilePath(executable, config.c_str(), "/nonexistent-home"), settings));
    }
}

TEST(AppPaths, SettingsOfAnInstalledProgramFollowXdgConfigHome)
{
    const TestFolder folder;
    fs::create_directories(folder.Path("usr/bin"));
    fs::create_directories(folder.Path("usr/share/tabulon"));
    const std::string executable = folder.Path("usr/bin/tabulon");
    const struct {
        const char* ConfigHome;
        const char* Expected;
    } cases[] = {
        {"<folder>/xdg", "<folder>/xdg/tabulon/tabulon.ini"},
        {nullptr, "<folder>/home/.config/tabulon/tabulon.ini"},
        {"relative/xdg", "<folder>/home/.config/tabulon/tabulon.ini"}, // not absolute: ignored
    };
    const std::string home = folder.Path("home");
    for (const auto& c : cases) {
        auto inFolder = [&](std::string text) {
            return text.rfind("<folder>", 0) == 0 ? folder.Root().string() + text.substr(8) : text;
        };
        const std::string configHome = c.ConfigHome ? inFolder(c.ConfigHome) : std::string();
        const std::string path =
            SettingsFilePath(executable, c.ConfigHome ? configHome.c_str() : nullptr, home.c_str());
        EXPECT_TRUE(SamePath(path, inFolder(InSettingsFolder(c.Expected))))
            << (c.ConfigHome ? c.ConfigHome : "unset");
        // The folder is there, so that the settings can be written.
        EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path())) << path;
    }
}
