#pragma once

#include "ScriptedUserDialogs.h"
#include "TestFiles.h"
#include "WizardDlg.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class StatusLine;

// The child of `parent` of type T named `name` (nullptr: the only one of its type). A
// control that is not there fails the test.
template <class T> T* Find(const QObject* parent, const char* name = nullptr)
{
    T* found = parent->findChild<T*>(name ? QString::fromLatin1(name) : QString());
    if (!found)
        throw std::runtime_error(std::string("no control ") + (name ? name : "of that type"));
    return found;
}

// The frame's buttons by name ("back", "next", "help", "preview", "quit") and its menu bar.
QPushButton* FrameButton(const CWizardDlg& frame, const char* name);
QMenuBar* MenuBarOf(const CWizardDlg& frame);

// The controls of each page, found by their object names.
struct SourceControls {
    explicit SourceControls(const QWidget* page);
    QLineEdit* SourceEdit;
    QPushButton* SourceBrowse;
    QCheckBox* FirstRowCheck;
    QRadioButton* SeparatorRadio;
    QRadioButton* WidthsRadio;
    QComboBox* SeparatorCombo;
    QLineEdit* WidthsEdit;
    QLineEdit* TargetEdit;
    QPushButton* TargetBrowse;
    QLineEdit* TableEdit;
    QComboBox* SqlSepCombo;
    QCheckBox* CommitCheck;
    QLineEdit* CommitSizeEdit;
};
struct MappingControls {
    explicit MappingControls(const QWidget* page);
    QTableWidget* ColumnList;
    QLineEdit* SourceColumnEdit;
    QLineEdit* TargetColumnEdit;
    QComboBox* QuotationChoice; // "'" or "No"
    // The text of a cell of the list (column 0 source, 1 target, 2 quotation).
    std::string CellText(int row, int column) const;
};
struct RunControls {
    explicit RunControls(const QWidget* page);
    StatusLine* Status;
    QProgressBar* Progress;
    QPushButton* RunButton;
    QPushButton* FolderButton;
};

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

// A failure other than FileError that engine work may end with, and how the user's
// message about it begins.
struct EngineFailure {
    const char* Name;
    std::function<void()> Throw;
    std::string MessageStart;
};
// Data that cannot be written safely, too little memory, a file system error.
const std::vector<EngineFailure>& EngineFailures();

// Makes every engine work fail with `fault` while it lives.
class EngineFaultGuard {
  public:
    explicit EngineFaultGuard(std::function<void()> fault);
    ~EngineFaultGuard();
    EngineFaultGuard(const EngineFaultGuard&) = delete;
    EngineFaultGuard& operator=(const EngineFaultGuard&) = delete;
};
bool FileExists(const std::string& path);

// A path as the tests name it: the wizard shows Windows' own separators there.
inline std::string Slashed(std::string path)
{
#ifdef _WIN32
    for (char& c : path)
        c = c == '\\' ? '/' : c;
#endif
    return path;
}

// The owner a help call names: the native window on Windows, the widget elsewhere.
inline void* HelpOwner(QWidget* widget)
{
#ifdef _WIN32
    return reinterpret_cast<void*>(widget->winId());
#else
    return widget;
#endif
}

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

    // The controls of the source and target page of the running frame.
    SourceControls SourcePage() const;
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
