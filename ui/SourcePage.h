#pragma once

#include "UserDialogs.h"
#include "WizardPage.h"

#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct SourceDetection;

// Page 0: the source file and how its lines split, the target script
// and table, the SQL options. Next checks the input and discovers the columns.
class CSourcePage : public CWizardPage {
    Q_OBJECT
  public:
    CSourcePage(CWizardDlg* frame, CProject* project, CConverter* converter);
    ~CSourcePage() override;

    void ShowPage() override;
    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    // Checks the stored settings for a preview (`forRun` false) or a run; on a problem the
    // user is told, the field concerned takes the focus, and the result is false.
    bool CheckSettings(bool forRun);

    // Waits for the check of a new source's encoding beyond its first bytes, and takes its
    // answer (Next and Options do, so that nothing reads the source in the wrong encoding).
    void WaitForEncodingCheck();

  private:
    void BuildControls();
    void UpdateCommitControls();
    void UpdateSplitControls();
    void OnBrowseSource();
    void OnBrowseTarget();
    void BrowseForFile(QLineEdit* edit, IUserDialogs::FileDialog kind, const char* filter,
                       const char* defaultExtension);
    void ShowError(const char* message);
    // Options...: the project's options for the source's text and the script.
    void OnOptions();
    void ShowOptionsSummary();
    // A new project's source just chosen (Open dialog, typed, dropped, tabulon FILE): its
    // settings, target and table come from what the source says, and the page shows them.
    void DetectNewSource();
    std::string DetectedSource; // the source the settings were last detected from
    std::string Detected;       // what was detected, for the options line

    // A new source's encoding from its first bytes, at once, and the check of the rest of a
    // large file on a thread of its own (a file of gigabytes takes seconds to read).
    void TakeNewSourceEncoding(const std::string& source, const SourceDetection& detection);
    void StartEncodingCheck(const std::string& source);
    void TakeEncodingCheck();
    void StopEncodingCheck();
    struct EncodingCheck;
    std::unique_ptr<EncodingCheck> Checking;

    QLineEdit* SourceEdit = nullptr;
    QPushButton* SourceBrowse = nullptr;
    QCheckBox* FirstRowCheck = nullptr;
    QRadioButton* SeparatorRadio = nullptr;
    QRadioButton* WidthsRadio = nullptr;
    QComboBox* SeparatorCombo = nullptr;
    QLineEdit* WidthsEdit = nullptr;
    QLineEdit* TargetEdit = nullptr;
    QPushButton* TargetBrowse = nullptr;
    QLineEdit* TableEdit = nullptr;
    QComboBox* SqlSepCombo = nullptr;
    QCheckBox* CommitCheck = nullptr;
    QLineEdit* CommitSizeEdit = nullptr;
    QPushButton* OptionsButton = nullptr;
    class QLabel* OptionsSummary = nullptr;
};
