#pragma once

#include "WizardPage.h"

class StatusLine;
class QProgressBar;
class QPushButton;

// Page 2: the Run button, a status line and a progress bar. A run
// converts the whole source on the user-interface thread; the window keeps
// painting (at most every 50 ms) but takes no input until the run ends. A run
// that cannot open its files, or fails midway, tells the user which file and why.
class CRunPage : public CWizardPage {
    Q_OBJECT
  public:
    CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void ShowPage() override;
    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    void OnRun();

    static bool RunInProgress();

  private:
    // Adds the counts of lines with too few or too many fields to the final status.
    void ReportRaggedLines();
    StatusLine* RunStatus = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* RunButton = nullptr;
};

// The page's progress function (a ProgressFn: no context of its own).
void OnRunProgress(const char* status, int percent);

// The controls of the page that started the current run; set by every Run, never cleared.
extern StatusLine* ActiveStatus;
extern QProgressBar* ActiveProgress;
