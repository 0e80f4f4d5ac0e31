#pragma once

#include "WizardPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Page 0: the source file and how its lines split, the target script
// and table, the SQL options. Next checks the input and discovers the columns.
class CSourcePage : public CWizardPage {
    Q_OBJECT
  public:
    CSourcePage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void ShowPage() override;
    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    void UpdateCommitControls();
    void UpdateSplitControls();
    void OnBrowseSource();
    void OnBrowseTarget();
    void BrowseForFile(QLineEdit* edit, const char* filter, const char* defaultExtension);

    // The controls, by their resource ids.
    QLineEdit* SourceEdit = nullptr;        // 1004
    QPushButton* SourceBrowse = nullptr;    // 1005
    QCheckBox* FirstRowCheck = nullptr;     // 1006
    QRadioButton* SeparatorRadio = nullptr; // 1007
    QRadioButton* WidthsRadio = nullptr;    // 1009
    QComboBox* SeparatorCombo = nullptr;    // 1068
    QLineEdit* WidthsEdit = nullptr;        // 1024
    QLineEdit* TargetEdit = nullptr;        // 1010
    QPushButton* TargetBrowse = nullptr;    // 1011
    QLineEdit* TableEdit = nullptr;         // 1012
    QComboBox* SqlSepCombo = nullptr;       // 1013
    QCheckBox* CommitCheck = nullptr;       // 1014
    QLineEdit* CommitSizeEdit = nullptr;    // 1015

  private:
    void BuildControls();
    void ShowError(const char* message);
};
