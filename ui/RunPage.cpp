#include "RunPage.h"

#include "Converter.h"
#include "DialogUnits.h"
#include "EngineWork.h"
#include "FailureText.h"
#include "StatusLine.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

StatusLine* ActiveStatus = nullptr;
QProgressBar* ActiveProgress = nullptr;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto PaintInterval = std::chrono::milliseconds(50);

bool Running = false;
Clock::time_point LastPaint;

// While a run goes on, the application's input is dropped (not queued for later):
// the window paints, answers the window system and takes no clicks or keys.
class RunInputBlocker : public QObject {
  public:
    RunInputBlocker()
    {
        Running = true;
        LastPaint = Clock::now();
        qApp->installEventFilter(this);
    }
    ~RunInputBlocker() override { Release(); }

    void Release()
    {
        if (!Running)
            return;
        qApp->removeEventFilter(this);
        Running = false;
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void OnRunProgress(const char* status, int percent)
{
    if (ActiveStatus)
        ActiveStatus->SetStatus(status);
    if (ActiveProgress)
        ActiveProgress->setValue(std::clamp(percent, 0, 100)); // above 100 shows full
    // Every report is set; the window is painted (and kept answering) every 50 ms.
    if (Running) {
        const Clock::time_point now = Clock::now();
        if (now - LastPaint >= PaintInterval) {
            LastPaint = now;
            QCoreApplication::processEvents();
        }
    }
}

CRunPage::CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage("runPage", frame, project, converter)
{
    // Created in tab order.
    RunStatus = new StatusLine(this);
    Progress = new QProgressBar(this);
    RunButton = new QPushButton(QStringLiteral("Run"), this);
    auto* explanation = new QLabel(
        QStringLiteral(
            "This window shows execution status: number of converter rows and total progress indicator"),
        this);
    RunStatus->setObjectName(QStringLiteral("c1022"));
    Progress->setObjectName(QStringLiteral("c1018"));
    RunButton->setObjectName(QStringLiteral("c1017"));
    explanation->setWordWrap(true);
    Progress->setTextVisible(false);
    Progress->setRange(0, 100);
    Progress->setValue(0);
    RunButton->setMinimumWidth(DialogUnitsX(this, 50));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addStretch(1);
    layout->addWidget(RunStatus);
    layout->addSpacing(DialogUnitsY(this, 6));
    layout->addWidget(Progress);
    layout->addSpacing(DialogUnitsY(this, 16));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(RunButton);
    layout->addLayout(buttons);

    connect(RunButton, &QPushButton::clicked, this, &CRunPage::OnRun);
}

void CRunPage::ShowPage()
{
    CWizardPage::ShowPage();
    Progress->setRange(0, 100);
}

void CRunPage::StoreData() {}

bool CRunPage::CanLeave()
{
    return true;
}

std::string CRunPage::GetHelpTopic() const
{
    return "page3.html";
}

bool CRunPage::RunInProgress()
{
    return Running;
}

void CRunPage::ReportRaggedLines()
{
    // Lines that did not match the columns are converted all the same; the user hears of them.
    const CConverter& converter = GetConverter();
    std::string status = RunStatus->Status();
    auto add = [&](const CConverter::RaggedLines& lines, const char* what) {
        if (lines.Count == 0)
            return;
        status += "; " + std::to_string(lines.Count) + (lines.Count == 1 ? " line" : " lines") + " with " +
                  what + " fields than columns (first: line " + std::to_string(lines.FirstLine) + ")";
    };
    add(converter.ShortLines, "fewer");
    add(converter.LongLines, "more");
    RunStatus->SetStatus(status.c_str());
}

void CRunPage::OnRun()
{
    if (Running)
        return;
    ActiveStatus = RunStatus;
    ActiveProgress = Progress;

    // The last run's report would otherwise stand for this one, should it fail.
    RunStatus->SetStatus("");

    std::string message;
    {
        RunInputBlocker blocker;
        bool opened = true;
        message =
            RunEngineWork({"The conversion stopped at a read or write error.", "complete the conversion"},
                          [&] { opened = GetConverter().Run(&OnRunProgress) == 0; });
        if (!message.empty()) {
            message += "\n\nThe target file was left as it was before the run.";
        } else if (!opened) {
            const CConverter::OpenFailure& failure = GetConverter().LastOpenFailure();
            message = failure.Result == -3
                          ? "The project " + failure.Reason + ". Correct it on the first page."
                          : DescribeFileFailure(failure.Result == -2 ? "The target file cannot be created."
                                                                     : "The source file cannot be opened.",
                                                failure.File, failure.Reason);
        } else {
            ReportRaggedLines();
        }
    }
    if (!message.empty())
        UserDialogs().ShowMessage(this, message, "Error", IUserDialogs::Icon::Stop);
}
