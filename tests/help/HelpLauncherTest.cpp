#include "HelpLauncher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct EntryCall {
    void* Window;
    std::string Address;
    std::uint32_t Command;
    std::uintptr_t Data;
};
std::vector<EntryCall> EntryCalls;

std::intptr_t TABULON_HELP_API RecordingEntry(void* window, const char* address, std::uint32_t command,
                                              std::uintptr_t data)
{
    EntryCalls.push_back({window, address, command, data});
    return 0x5150;
}

// A help control whose presence each test arranges; it logs every step asked of it.
class FakeLoader : public HelpControlLoader {
  public:
    std::string RegistryPath;               // empty: nothing recorded
    std::vector<std::string> LoadableNames; // what loads
    bool HasEntry = true;
    std::vector<std::string> Steps;

    bool ReadHelpControlPath(char (&path)[HelpControlPathSize]) override
    {
        Steps.push_back("read path");
        if (RegistryPath.empty())
            return false;
        std::strncpy(path, RegistryPath.c_str(), HelpControlPathSize - 1);
        return true;
    }
    HelpModule LoadControl(const char* pathOrName) override
    {
        Steps.push_back(std::string("load ") + pathOrName);
        for (auto& name : LoadableNames)
            if (name == pathOrName)
                return &name;
        return nullptr;
    }
    HelpEntryPoint FindEntry(HelpModule module, unsigned ordinal) override
    {
        Steps.push_back("find " + std::to_string(ordinal));
        EXPECT_NE(module, nullptr);
        return HasEntry ? &RecordingEntry : nullptr;
    }
};

class HelpLauncherTest : public testing::Test {
  protected:
    void SetUp() override { EntryCalls.clear(); }
    FakeLoader Loader;
    HelpLauncher Launcher{Loader};
    int Window = 0;
    std::intptr_t Request(const char* address = "C:\\Tools\\conv.chm::/index.html")
    {
        Loader.Steps.clear();
        return Launcher.Launch(&Window, address, 0, 0);
    }
};

using Steps = std::vector<std::string>;
const std::string RegisteredPath = "C:\\WINDOWS\\System32\\hhctrl.ocx";

TEST_F(HelpLauncherTest, WithoutAnyControlTheFirstRequestTriesPathThenNameAndLaterOnesNothing)
{
    Loader.RegistryPath = RegisteredPath;
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(Loader.Steps, (Steps{"read path", "load " + RegisteredPath, "load hhctrl.ocx"}));
    EXPECT_TRUE(Launcher.LoadFailed());

    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(Loader.Steps, Steps{});
    EXPECT_TRUE(EntryCalls.empty());
}

TEST_F(HelpLauncherTest, WithoutRegistryEntryTheControlIsLoadedByName)
{
    Loader.LoadableNames = {"hhctrl.ocx"};
    EXPECT_EQ(Request(), 0x5150);
    EXPECT_EQ(Loader.Steps, (Steps{"read path", "load hhctrl.ocx", "find 14"}));
}

TEST_F(HelpLauncherTest, ARegisteredPathThatDoesNotLoadFallsBackToTheName)
{
    Loader.RegistryPath = "C:\\missing\\hhctrl.ocx";
    Loader.LoadableNames = {"hhctrl.ocx"};
    EXPECT_EQ(Request(), 0x5150);
    EXPECT_EQ(Loader.Steps,
              (Steps{"read path", "load C:\\missing\\hhctrl.ocx", "load hhctrl.ocx", "find 14"}));
}

TEST_F(HelpLauncherTest, TwoRequestsLoadOnceAndPassTheirArgumentsThrough)
{
    Loader.RegistryPath = RegisteredPath;
    Loader.LoadableNames = {RegisteredPath, "hhctrl.ocx"};
    EXPECT_EQ(Request("C:\\Tools\\conv.chm::/index.html"), 0x5150);
    EXPECT_EQ(Loader.Steps, (Steps{"read path", "load " + RegisteredPath, "find 14"}));

    Loader.Steps.clear();
    EXPECT_EQ(Launcher.Launch(nullptr, "C:\\Tools\\conv.chm::/page2.html", 7, 9), 0x5150);
    EXPECT_EQ(Loader.Steps, Steps{});

    ASSERT_EQ(EntryCalls.size(), 2u);
    EXPECT_EQ(EntryCalls[0].Window, &Window);
    EXPECT_EQ(EntryCalls[0].Address, "C:\\Tools\\conv.chm::/index.html");
    EXPECT_EQ(EntryCalls[0].Command, 0u);
    EXPECT_EQ(EntryCalls[0].Data, 0u);
    EXPECT_EQ(EntryCalls[1].Window, nullptr);
    EXPECT_EQ(EntryCalls[1].Address, "C:\\Tools\\conv.chm::/page2.html");
    EXPECT_EQ(EntryCalls[1].Command, 7u);
    EXPECT_EQ(EntryCalls[1].Data, 9u);
}

TEST_F(HelpLauncherTest, AMissingEntryPointRetriesOnlyTheLookup)
{
    Loader.LoadableNames = {"hhctrl.ocx"};
    Loader.HasEntry = false;
    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(Loader.Steps, (Steps{"read path", "load hhctrl.ocx", "find 14"}));

    EXPECT_EQ(Request(), 0);
    EXPECT_EQ(Loader.Steps, Steps{"find 14"});
    EXPECT_TRUE(EntryCalls.empty());

    Loader.HasEntry = true;
    EXPECT_EQ(Request(), 0x5150);
    EXPECT_EQ(Loader.Steps, Steps{"find 14"});
    EXPECT_EQ(EntryCalls.size(), 1u);

    EXPECT_EQ(Request(), 0x5150);
    EXPECT_EQ(Loader.Steps, Steps{});
}

// The process-wide launcher goes through whatever loader it was given.
TEST_F(HelpLauncherTest, HtmlHelpLauncherUsesTheInstalledLoader)
{
    Loader.LoadableNames = {"hhctrl.ocx"};
    // Whatever happens, later tests get the real control back.
    struct Restore {
        ~Restore() { UseHelpControlLoader(PlatformHelpControlLoader()); }
    } restore;
    UseHelpControlLoader(Loader);
    EXPECT_EQ(HtmlHelpLauncher(&Window, "x.chm::/page1.html", 0, 0), 0x5150);
    EXPECT_EQ(HtmlHelpLauncher(&Window, "x.chm::/page3.html", 0, 0), 0x5150);
    EXPECT_EQ(Loader.Steps, (Steps{"read path", "load hhctrl.ocx", "find 14"}));
    ASSERT_EQ(EntryCalls.size(), 2u);
    EXPECT_EQ(EntryCalls[1].Address, "x.chm::/page3.html");
}

} // namespace
