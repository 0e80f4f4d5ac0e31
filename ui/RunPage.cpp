#include "RunPage.h"

#include "BusyCursor.h"
#include "Converter.h"
#include "DialogUnits.h"
#include "EngineWork.h"
#include "FailureText.h"
#include "RunSummary.h"
#include "StatusLine.h"
#include "UserDialogs.h"
#include "Utf8Path.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto PaintInterval = std::chrono::milliseconds(50);
constexpr const char* RunText = "&Run";
constexpr const char* StopText = "&Stop";

bool Running = false;
bool StopRequested = false;
Clock::time_point LastPaint;

// While a run goes on, input to the window is dropped (not queued for later), except
// for the widgets that may act during a run: the window paints, answers the window
// system, and takes a click on Stop, Quit, Help or the close box. Other windows (a
// question the run asks, the help viewer) take input as usual.
class RunInputBlocker : public QObject {
  public:
    RunInputBlocker(QWidget* window, std::vector<QWidget*> usable) : Window(window), Usable(std::move(usable))
    {
        Running = true;
        StopRequested = false;
        // The first report paints at once, so the run shows from its start.
        LastPaint = Clock::now() - PaintInterval;
        qApp->installEventFilter(this);
    }
    ~RunInputBlocker() override
    {
        qApp->removeEventFilter(this);
        Running = false;
    }
    RunInputBlocker(const RunInputBlocker&) = delete;
    RunInputBlocker& operator=(const RunInputBlocker&) = delete;

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            // Escape (Quit) and F1 (Help) act from anywhere in the window, as they pass
            // on from the focused widget to the window.
            if (IsAlwaysUsable(static_cast<QKeyEvent*>(event)->key()))
                return false;
            [[fallthrough]];
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            if (Blocks(receiver)) {
                event->ignore();
                return true;
            }
            return false;
        default:
            return false;
        }
    }

  private:
    static bool IsAlwaysUsable(int key) { return key == Qt::Key_Escape || key == Qt::Key_F1; }

    bool Blocks(QObject* receiver) const
    {
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget || widget->window() != Window)
            return false;
        return std::none_of(Usable.begin(), Usable.end(),
                            [widget](QWidget* usable) { return usable == widget; });
    }

    QWidget* Window;
    std::vector<QWidget*> Usable;
};

} // namespace

void CRunPage::ShowProgress(const RunProgress& report)
{
    LastLine = report.Line;
    const Clock::time_point now = Clock::now();
    if (!PhaseKnown || report.Step != Phase) {
        // The rate is of this phase: the pass for the types and the writing go at their own pace.
        if (!PhaseKnown && !Running)
            RunStarted = now;
        PhaseKnown = true;
        Phase = report.Step;
        PhaseStarted = now;
    }
    const auto seconds = [now](Clock::time_point since) {
        return std::chrono::duration<double>(now - since).count();
    };
    RunStatus->SetStatus(RunProgressText(report, seconds(PhaseStarted), seconds(RunStarted)).c_str());
    Progress->setValue(std::clamp(report.Percent, 0, 100)); // above 100 shows full
    // Every report is set; the window is painted (and kept answering) every 50 ms.
    if (Running) {
        if (now - LastPaint >= PaintInterval) {
            LastPaint = now;
            QCoreApplication::processEvents();
        }
        // Stop, or a Quit the user confirmed, ends the run here: the engine abandons
        // the target and the earlier script stays.
        if (StopRequested)
            throw RunStopped();
    }
}

CRunPage::CRunPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage("runPage", frame, project, converter)
{
    // Created in tab order.
    RunStatus = new StatusLine(this);
    Progress = new QProgressBar(this);
    RunButton = new QPushButton(QString::fromLatin1(RunText), this);
    FolderButton = new QPushButton(QStringLiteral("Open &Folder"), this);
    auto* explanation = new QLabel(QStringLiteral("Run writes the script. The status shows how far the "
                                                  "conversion has come and how many rows it wrote."),
                                   this);
    FolderButton->setObjectName(QStringLiteral("openFolder"));
    FolderButton->setToolTip(QStringLiteral("Opens the folder that holds the target script"));
    FolderButton->hide(); // until a run has written the script
    RunStatus->setObjectName(QStringLiteral("c1022"));
    Progress->setObjectName(QStringLiteral("c1018"));
    RunButton->setObjectName(QStringLiteral("c1017"));
    RunButton->setToolTip(
        QStringLiteral("Converts the source into the target script; while it runs, Stop ends "
                       "the run and leaves the target file as it was"));
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
    buttons->addWidget(FolderButton);
    buttons->addWidget(RunButton);
    layout->addLayout(buttons);
    setFocusProxy(RunButton);

    connect(RunButton, &QPushButton::clicked, this, &CRunPage::OnRun);
    connect(FolderButton, &QPushButton::clicked, this, &CRunPage::OnOpenFolder);
}

void CRunPage::ShowPage()
{
    CWizardPage::ShowPage();
    Progress->setRange(0, 100);
    // Enter runs: the focus would otherwise pass from the hidden Next to Help.
    RunButton->setFocus();
}

void CRunPage::ClearPage()
{
    RunStatus->SetStatus("");
    RunStatus->SetFailed(false);
    Progress->setValue(0);
    FolderButton->hide();
}

void CRunPage::OnOpenFolder()
{
    std::error_code error;
    std::filesystem::path target = std::filesystem::absolute(PathFromUtf8(WrittenTarget), error);
    if (error)
        target = PathFromUtf8(WrittenTarget);
    UserDialogs().OpenFolder(this, Utf8FromPath(target.parent_path()));
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

void CRunPage::RequestStop()
{
    if (Running)
        StopRequested = true;
}

void CRunPage::OnRun()
{
    if (Running) {
        RequestStop();
        return;
    }
    RunButton->setText(QString::fromLatin1(StopText));
    Q_EMIT RunningChanged(true);
    ConvertWholeSource();
    RunButton->setText(QString::fromLatin1(RunText));
    Q_EMIT RunningChanged(false);
}

void CRunPage::ConvertWholeSource()
{
    LastLine = 0;
    PhaseKnown = false;
    RunStarted = Clock::now();
    // The last run's report would otherwise stand for this one, should it fail.
    RunStatus->SetStatus("");
    RunStatus->SetFailed(false);
    FolderButton->hide();

    std::string message;
    {
        std::vector<QWidget*> usable = UsableDuringRun;
        usable.push_back(RunButton);
        RunInputBlocker blocker(window(), std::move(usable));
        BusyCursor busy(window());
        RunButton->setFocus();
        CConverter::OpenResult opened = CConverter::OpenResult::Done;
        bool stopped = false;
        try {
            message = RunEngineWork(
                {"The conversion stopped at a read or write error.", "complete the conversion"}, [&] {
                    opened = GetConverter().Run([this](const RunProgress& report) { ShowProgress(report); });
                });
        } catch (const RunStopped&) {
            stopped = true;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - RunStarted).count();
        if (stopped) {
            RunStatus->SetStatus(StoppedRunSummary(LastLine).c_str());
        } else if (!message.empty()) {
            message += "\n\nThe target file was left as it was before the run.";
        } else if (opened != CConverter::OpenResult::Done) {
            message = DescribeOpenFailure(GetConverter().LastOpenFailure());
        } else {
            RunStatus->SetStatus(CompletedRunSummary(GetConverter(), seconds).c_str());
            Progress->setValue(100); // the last report may come before the end
            WrittenTarget = GetProject().TargetName;
            FolderButton->show();
        }
        if (!message.empty()) {
            // Not the last report, which would read as a run that is still going.
            RunStatus->SetStatus(FailedRunSummary(LastLine, message).c_str());
            RunStatus->SetFailed(true);
            Progress->setValue(0);
        }
    }
    if (!message.empty())
        UserDialogs().ShowMessage(this, message, "Error", IUserDialogs::Icon::Stop);
}
