#pragma once

#include "RunProgress.h"
#include "WizardPage.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class StatusLine;
class QProgressBar;
class QPushButton;

// Page 2: the Run button, a status line and a progress bar. The status names the phase and
// shows the percentage of the whole run, the rate and the time left; a failed run says so
// (and where) in red, the bar emptied; after a run that wrote the script, Open Folder shows
// the target's folder. A run
// converts the whole source on the user-interface thread; the window keeps
// painting and answering (at most every 50 ms), shows the busy cursor and takes
// no input but a click on Stop (the Run button while a run goes on), Quit, Help
// or the close box. Stop ends the run at the engine's next report, leaving the
// target as it was. At the end the status says how many rows were written and
// how long it took; a run that cannot open its files, or fails midway, tells
// the user which file and why.
class CRunPage : public CWizardPage {
    Q_OBJECT
  public:
    CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void ShowPage() override;
    void ClearPage() override;
    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    // Run, or Stop while a run goes on.
    void OnRun();
    // Ends the current run at the engine's next report; nothing without a run.
    static void RequestStop();

    static bool RunInProgress();

    // Besides Stop, the widgets a click or key may reach during a run (the frame's Quit
    // and Help buttons): what they do must not change the project.
    // Shows a report of the engine's; throws RunStopped once Stop was pressed.
    void ShowProgress(const RunProgress& report);

    void SetUsableDuringRun(std::vector<QWidget*> widgets) { UsableDuringRun = std::move(widgets); }

  Q_SIGNALS:
    // A run began (true) or ended (false), however it ended.
    void RunningChanged(bool running);

  private:
    void ConvertWholeSource();
    void OnOpenFolder();
    StatusLine* RunStatus = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* RunButton = nullptr;
    QPushButton* FolderButton = nullptr; // shown after a run that wrote the script
    std::vector<QWidget*> UsableDuringRun;
    std::uint64_t LastLine = 0; // the line the engine reported last
    std::string WrittenTarget;  // the script the last completed run wrote
    // For the rate and the time left.
    std::chrono::steady_clock::time_point RunStarted;
    std::chrono::steady_clock::time_point PhaseStarted;
    RunProgress::Phase Phase = RunProgress::Phase::Writing;
    bool PhaseKnown = false;
};

struct RunStopped {};
