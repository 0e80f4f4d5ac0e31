#pragma once

#include "ScriptedUserDialogs.h"
#include "TestFiles.h"
#include "WizardDlg.h"

class CSourcePage;

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// One help request as the launcher received it.
struct HelpCall {
    void* Window;
    std::string Address;
    std::uint32_t Command;
    std::uint32_t Data;
};

// Stands in for the help viewer: records, opens nothing.
std::vector<HelpCall>& RecordedHelpCalls();
std::intptr_t RecordHelpCall(void* window, const char* address, std::uint32_t command, std::uint32_t data);

bool FileExists(const std::string& path);

// A temporary folder that stands for the executable's folder (the program is
// "conv.exe" there, so its settings are conv.ini), the scripted dialogs, and frames
// started on them, shown on the offscreen platform.
class WizardTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const;
    std::string ExecutablePath() const { return Path("conv.exe"); }
    std::string SettingsPath() const { return Path("conv.ini"); }

    // Starts a frame as the program does; the previous one (if any) is destroyed first.
    CWizardDlg& Start();
    // Destroys the frame as the end of the program does.
    void Stop();

    // The source and target page of the running frame.
    CSourcePage& SourcePage() const;
    // Fills the source and target page so that Next passes: `text` as the comma-separated
    // source data.csv (first row the names), the script out.sql, the table people.
    void FillSourcePage(const std::string& text = "id,name\r\n1,Smith\r\n");

    // Writes a project file by hand ("Key=Value" lines of [General]).
    void WriteProject(const std::string& path, const std::vector<std::string>& lines);
    // Points the settings file at a project, as a previous run leaves it.
    void RememberProject(const std::string& path);

    QTemporaryDir Folder;
    ScriptedUserDialogs Dialogs;
    std::unique_ptr<CWizardDlg> Frame;
};
