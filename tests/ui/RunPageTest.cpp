// The run page: a whole conversion through the wizard,
// the status line and bar, failed runs, and a window that paints during a run.
#include "RunPage.h"
#include "MappingPage.h"
#include "ProfileFile.h"
#include "QuitOnSignal.h"
#include "RunSummary.h"
#include "SourcePage.h"
#include "StatusLine.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimerEvent>
#include <filesystem>
#include <regex>

namespace {

std::string EngineStatus;
int EnginePercent = -1;
void RecordProgress(const RunProgress& report)
{
    EngineStatus = RunProgressText(report, 0, 0);
    EnginePercent = report.Percent;
}

// What the engine itself writes for these settings.
std::string EngineScript(CProject project, const std::string& target)
{
    project.TargetName = target;
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Run(RecordProgress), CConverter::OpenResult::Done);
    return ReadFile(target);
}

std::string People(int rows)
{
    std::string text = "id,name,city,balance\r\n";
    for (int i = 1; i <= rows; ++i)
        text +=
            std::to_string(i) + ",Name " + std::to_string(i) + ",O'Town," + std::to_string(i * 7) + ".5\r\n";
    return text;
}

} // namespace

class RunPageTest : public WizardTest {
  protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        Start();
        Mapping = static_cast<CMappingPage*>(Frame->GetPage(1));
        Run = static_cast<CRunPage*>(Frame->GetPage(2));
    }
    void FillSource(const std::string& text, const std::string& target)
    {
        WriteFile(Path("people.csv"), text);
        SourcePage().SourceEdit->setText(QString::fromStdString(Path("people.csv")));
        SourcePage().TargetEdit->setText(QString::fromStdString(target));
        SourcePage().TableEdit->setText(QStringLiteral("PEOPLE"));
        SourcePage().SeparatorCombo->setEditText(QStringLiteral(","));
        SourcePage().FirstRowCheck->setChecked(true);
        SourcePage().CommitCheck->setChecked(true);
        SourcePage().CommitSizeEdit->setText(QStringLiteral("3"));
        SourcePage().SqlSepCombo->setEditText(QStringLiteral("GO"));
    }
    void PickRow(int row)
    {
        QTableWidget* list = MappingControls(Mapping).ColumnList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    // Page 0 filled, Next, the mapping untouched, Next: on the run page.
    void ToRunPage(const std::string& text, const std::string& target)
    {
        FillSource(text, target);
        QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
        QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
        ASSERT_EQ(Frame->GetCurrentPage(), 2);
    }
    RunControls Controls() const { return RunControls(Run); }
    void ClickRun() { QTest::mouseClick(Controls().RunButton, Qt::LeftButton); }
    std::string Status() { return Controls().Status->Status(); }

    CMappingPage* Mapping = nullptr;
    CRunPage* Run = nullptr;
};

TEST_F(RunPageTest, ThePageHasItsControls)
{
    EXPECT_EQ(Controls().RunButton->text().toStdString(), "&Run");
    EXPECT_FALSE(Controls().FolderButton->isVisible());
    EXPECT_EQ(Controls().Progress->minimum(), 0);
    EXPECT_EQ(Controls().Progress->maximum(), 100);
    EXPECT_EQ(Status(), "");
    QLabel* label = Run->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), "Run writes the script. The status shows how far the conversion "
                                           "has come and how many rows it wrote.");
}

TEST_F(RunPageTest, AWholeConversionThroughTheWizard)
{
    const std::string source = People(20);
    FillSource(source, Path("out.sql"));
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    ASSERT_EQ(Frame->GetCurrentPage(), 1);
    EXPECT_FALSE(Controls().FolderButton->isVisible());

    // Rename "name" to "full name" and write "balance" as a string literal.
    PickRow(1);
    MappingControls(Mapping).TargetColumnEdit->setText(QStringLiteral("full name"));
    PickRow(3);
    EXPECT_EQ(MappingControls(Mapping).QuotationChoice->currentText().toStdString(), "No");
    MappingControls(Mapping).QuotationChoice->setCurrentText(QStringLiteral("'"));
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    ASSERT_EQ(Frame->GetCurrentPage(), 2);
    EXPECT_FALSE(FrameButton(*Frame, "next")->isVisible());
    // Enter (or Alt+R) runs: the focus is on Run, not on Help.
    EXPECT_EQ(Frame->focusWidget(), Controls().RunButton);
    QTest::keyClick(Controls().RunButton, Qt::Key_Return);

    CProject expected;
    expected.FileName = Path("people.csv");
    expected.TableName = "PEOPLE";
    expected.Separator = ",";
    expected.SQLSep = "GO";
    expected.ColumnNames = 1;
    expected.WithSeparators = 1;
    expected.Commit = 1;
    expected.CommitSize = 3;
    expected.Columns = {"id", "full name", "city", "balance"};
    expected.Quotes = {"", "'", "'", "'"};
    const std::string script = ReadFile(Path("out.sql"));
    EXPECT_EQ(script, EngineScript(expected, Path("expected.sql")));
    EXPECT_NE(
        script.find(
            "insert into PEOPLE(id,\"full name\",city,balance) values(1,'Name 1','O''Town','7.5')\r\nGO\r\n"),
        std::string::npos);

    EXPECT_TRUE(Dialogs.Messages.empty());
    // The final status says what was done; the bar shows the engine's last report.
    EXPECT_TRUE(std::regex_match(Status(), std::regex("20 rows written in [0-9]+\\.[0-9] s"))) << Status();
    EXPECT_EQ(Controls().Progress->value(), std::min(EnginePercent, 100));
    EXPECT_EQ(Controls().Progress->value(), 100);
    // Open Folder shows the target's folder.
    ASSERT_TRUE(Controls().FolderButton->isVisible());
    QTest::mouseClick(Controls().FolderButton, Qt::LeftButton);
    EXPECT_EQ(Dialogs.OpenedFolders, std::vector<std::string>{Folder.path().toStdString()});
}

TEST_F(RunPageTest, TwoRunsInARowWriteTheScriptAfresh)
{
    ToRunPage(People(5), Path("out.sql"));
    ClickRun();
    const std::string first = ReadFile(Path("out.sql"));
    ASSERT_FALSE(first.empty());
    WriteFile(Path("out.sql"), "stale text that is longer than nothing");
    ClickRun();
    EXPECT_EQ(ReadFile(Path("out.sql")), first);
    EXPECT_EQ(Status().rfind("5 rows written in ", 0), 0u) << Status();
}

TEST_F(RunPageTest, TheLastReportStaysAcrossPageChanges)
{
    ToRunPage(People(5), Path("out.sql"));
    ClickRun();
    const std::string status = Status();
    Frame->OnBack();
    Frame->OnNext();
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(Controls().Progress->value(), 100);
}

TEST_F(RunPageTest, APercentageAboveOneHundredShowsAFullBar)
{
    RunProgress report;
    report.Line = 9;
    report.Rows = 8;
    report.Bytes = 999;
    report.TotalBytes = 666;
    report.Percent = 150;
    Run->ShowProgress(report);
    EXPECT_EQ(Controls().Progress->value(), 100);
    EXPECT_EQ(Status(), "Writing the script: 100 %, 8 rows");
    report.Step = RunProgress::Phase::ReadingTypes;
    report.Percent = 40;
    Run->ShowProgress(report);
    EXPECT_EQ(Controls().Progress->value(), 40);
    EXPECT_EQ(Status(), "Reading the types: 40 %, line 9");
}

TEST_F(RunPageTest, ASourceThatCannotBeOpenedIsReportedByName)
{
    ToRunPage(People(2), Path("out.sql"));
    std::filesystem::remove(Path("people.csv"));
    Controls().Progress->setValue(30);
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const auto& message = Dialogs.Messages[0];
    EXPECT_EQ(message.Caption, "Error");
    EXPECT_EQ(message.MessageIcon, IUserDialogs::Icon::Stop);
    EXPECT_EQ(message.Owner, Run);
    EXPECT_NE(message.Text.find("source file"), std::string::npos) << message.Text;
    EXPECT_NE(message.Text.find(Path("people.csv")), std::string::npos) << message.Text;
    EXPECT_NE(message.Text.find("No such file or directory"), std::string::npos) << message.Text;
    // A failed state, not the last report.
    EXPECT_EQ(Status(), "Failed before the first line. The source file cannot be opened. The target file "
                        "is as it was before the run.");
    EXPECT_TRUE(Controls().Status->Failed());
    EXPECT_EQ(Controls().Progress->value(), 0);
    EXPECT_FALSE(Controls().FolderButton->isVisible());
    EXPECT_FALSE(FileExists(Path("out.sql")));
}

TEST_F(RunPageTest, AFailedRunShowsNoReportOfThePreviousRun)
{
    ToRunPage(People(5), Path("out.sql"));
    ClickRun();
    ASSERT_EQ(Status().rfind("5 rows written in ", 0), 0u) << Status();
    std::filesystem::remove(Path("people.csv"));
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Status().rfind("Failed before the first line. ", 0), 0u) << Status();
    EXPECT_FALSE(Controls().FolderButton->isVisible());
    // The next run that goes through is shown as such again.
    WriteFile(Path("people.csv"), People(5));
    ClickRun();
    EXPECT_EQ(Status().rfind("5 rows written in ", 0), 0u) << Status();
    EXPECT_FALSE(Controls().Status->Failed());
}

TEST_F(RunPageTest, AnyEngineFailureIsShownAndThePageStaysUsable)
{
    ToRunPage(People(5), Path("out.sql"));
    for (const EngineFailure& failure : EngineFailures()) {
        SCOPED_TRACE(failure.Name);
        Dialogs.Messages.clear();
        {
            EngineFaultGuard fault(failure.Throw);
            ClickRun();
        }
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        const auto& message = Dialogs.Messages[0];
        EXPECT_EQ(message.Text.rfind(failure.MessageStart, 0), 0u) << message.Text;
        EXPECT_EQ(message.Caption, "Error");
        EXPECT_EQ(message.MessageIcon, IUserDialogs::Icon::Stop);
        EXPECT_EQ(message.Owner, Run);
        EXPECT_FALSE(CRunPage::RunInProgress());
    }
    // The window takes input again, and the next run goes through.
    Dialogs.Messages.clear();
    ClickRun();
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(Status().rfind("5 rows written in ", 0), 0u) << Status();
}

TEST_F(RunPageTest, DataNoScriptCanCarryStopsTheRunWithAMessageSayingWhere)
{
    using namespace std::string_literals;
    ToRunPage("id,name\r\n1,Smith\r\n2,x\0y\r\n"s, Path("out.sql"));
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const std::string& text = Dialogs.Messages[0].Text;
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_NE(text.find("line 3"), std::string::npos) << text;
    EXPECT_NE(text.find("NUL byte"), std::string::npos) << text;
    EXPECT_FALSE(FileExists(Path("out.sql")));
    EXPECT_FALSE(CRunPage::RunInProgress());
}

// The target's problems are told on the first page, before the run page is reached.
TEST_F(RunPageTest, ATargetThatCannotBeCreatedIsReportedByNameOnTheFirstPage)
{
    const std::string target = Path("no such folder/out.sql");
    FillSource(People(2), target);
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    EXPECT_EQ(Frame->GetCurrentPage(), 0);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_NE(Dialogs.Messages[0].Text.find("target file"), std::string::npos);
    EXPECT_NE(Dialogs.Messages[0].Text.find(target), std::string::npos);
}

TEST_F(RunPageTest, ATargetThatIsTheSourceIsRefused)
{
    const std::string text = People(2);
    FillSource(text, Path("people.csv"));
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    EXPECT_EQ(Frame->GetCurrentPage(), 0);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Dialogs.Messages[0].Text.find("is the source file"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("people.csv")), text);
}

TEST_F(RunPageTest, AWriteErrorMidwayIsReportedAsAFailureAndWhere)
{
    if (!FileExists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ToRunPage(People(50), "/dev/full");
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    const std::string& text = Dialogs.Messages[0].Text;
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_NE(text.find("/dev/full"), std::string::npos) << text;
    EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
    EXPECT_TRUE(std::regex_match(Status(), std::regex("Failed at line [0-9,]+\\. The conversion stopped at "
                                                      "a read or write error\\. The target file is as it "
                                                      "was before the run\\.")))
        << Status();
    EXPECT_TRUE(Controls().Status->Failed());
    EXPECT_EQ(Controls().Progress->value(), 0);
    EXPECT_FALSE(CRunPage::RunInProgress());
    // The window takes input again.
    Frame->OnBack();
    EXPECT_EQ(Frame->GetCurrentPage(), 1);
}

TEST_F(RunPageTest, TheWindowPaintsAndAsksBeforeAQuitDuringALongRun)
{
    ToRunPage(People(1000000), Path("out.sql"));
    struct PaintCounter : QObject {
        int PaintsDuringRun = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && CRunPage::RunInProgress())
                ++PaintsDuringRun;
            return false;
        }
    } counter;
    Controls().Status->installEventFilter(&counter);
    // A click on Quit and an Escape that arrive while the run goes on ask whether to stop
    // it; answered No, the run goes on. A click on Back is dropped.
    auto click = [](QWidget* button, QEvent::Type type, Qt::MouseButtons buttons) {
        const QPoint centre = button->rect().center();
        QCoreApplication::postEvent(button, new QMouseEvent(type, centre, button->mapToGlobal(centre),
                                                            Qt::LeftButton, buttons, Qt::NoModifier));
    };
    for (const char* name : {"quit", "back"}) {
        click(FrameButton(*Frame, name), QEvent::MouseButtonPress, Qt::LeftButton);
        click(FrameButton(*Frame, name), QEvent::MouseButtonRelease, Qt::NoButton);
    }
    QCoreApplication::postEvent(Frame.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    ClickRun();
    QApplication::processEvents();
    EXPECT_GT(counter.PaintsDuringRun, 0);
    EXPECT_TRUE(Frame->isVisible());
    EXPECT_EQ(Frame->GetCurrentPage(), 2);
    EXPECT_EQ(Status().rfind("1,000,000 rows written in ", 0), 0u) << Status();
    EXPECT_TRUE(Dialogs.Messages.empty());
    ASSERT_EQ(Dialogs.Questions.size(), 2u);
    EXPECT_EQ(Dialogs.Questions[0].Owner, Frame.get());
    EXPECT_NE(Dialogs.Questions[0].Text.find("Stop it and quit?"), std::string::npos);
}

TEST_F(RunPageTest, TheFinalStatusCountsLinesThatDoNotFitTheColumns)
{
    ToRunPage(People(3) + "4,Short\r\n5,Long,Cork,1,extra\r\n6\r\n", Path("people.sql"));
    ClickRun();
    EXPECT_NE(Status().find("; 2 lines with fewer fields than columns (first: line 5); "
                            "1 line with more fields than columns (first: line 6)"),
              std::string::npos)
        << Status();
    // The summary is read whole in the window as it opens, not cut.
    EXPECT_TRUE(Controls().Status->ShowsWholeText()) << Controls().Status->width();
}

namespace {

// Runs `action` from inside the run, at the window's n-th turn to answer input
// during it (the first comes with the engine's first report).
class DuringTheRun : public QObject {
  public:
    DuringTheRun(int turn, std::function<void()> action) : Turn(turn), Action(std::move(action))
    {
        Timer = startTimer(0);
    }
    ~DuringTheRun() override { killTimer(Timer); }
    DuringTheRun(const DuringTheRun&) = delete;
    DuringTheRun& operator=(const DuringTheRun&) = delete;
    bool Done = false;

  protected:
    void timerEvent(QTimerEvent*) override
    {
        if (Done || !CRunPage::RunInProgress() || --Turn > 0)
            return;
        Done = true;
        Action();
    }

  private:
    int Turn;
    std::function<void()> Action;
    int Timer;
};

} // namespace

// Stop in the middle of a long run: the run ends, the earlier script stays byte for
// byte and no partial file is left; meanwhile Run reads Stop, the cursor is busy and
// nothing that would change the project takes input.
TEST_F(RunPageTest, StopEndsALongRunAndLeavesTheEarlierTargetAsItWas)
{
    using namespace std::string_literals;
    const std::string earlier = "an earlier script\r\nwith \0 bytes of all kinds \xFF\r\n"s;
    ToRunPage(People(1000000), Path("out.sql"));
    WriteFile(Path("out.sql"), earlier);
    std::string textDuringRun;
    Qt::CursorShape cursorDuringRun = Qt::ArrowCursor;
    bool backEnabled = true, previewEnabled = true, menuEnabled = true;
    DuringTheRun look(1, [&] {
        textDuringRun = Controls().RunButton->text().toStdString();
        cursorDuringRun = Frame->cursor().shape();
        backEnabled = FrameButton(*Frame, "back")->isEnabled();
        previewEnabled = FrameButton(*Frame, "preview")->isEnabled();
        menuEnabled = MenuBarOf(*Frame)->isEnabled();
    });
    DuringTheRun stop(2, [&] { QTest::mouseClick(Controls().RunButton, Qt::LeftButton); });
    ClickRun();
    ASSERT_TRUE(stop.Done);
    EXPECT_EQ(textDuringRun, "&Stop");
    EXPECT_EQ(cursorDuringRun, Qt::BusyCursor);
    EXPECT_FALSE(backEnabled);
    EXPECT_FALSE(previewEnabled);
    EXPECT_FALSE(menuEnabled);

    EXPECT_FALSE(CRunPage::RunInProgress());
    EXPECT_EQ(ReadFile(Path("out.sql")), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.path().toStdString()), {}), 2)
        << "only the source and the earlier script";
    std::smatch line;
    const std::string status = Status();
    ASSERT_TRUE(std::regex_match(
        status, line, std::regex("Stopped at line ([0-9,]+); the target file is as it was before the run")))
        << status;
    const std::string number = std::regex_replace(line[1].str(), std::regex(","), "");
    EXPECT_GT(std::stoull(number), 1u);
    EXPECT_LT(std::stoull(number), 1000001u);
    EXPECT_TRUE(Dialogs.Messages.empty());
    // Afterwards all is as before the run, and the next run goes through.
    EXPECT_EQ(Controls().RunButton->text().toStdString(), "&Run");
    EXPECT_NE(Frame->cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(FrameButton(*Frame, "back")->isEnabled());
    EXPECT_TRUE(FrameButton(*Frame, "preview")->isEnabled());
    EXPECT_TRUE(MenuBarOf(*Frame)->isEnabled());
    ClickRun();
    EXPECT_EQ(Status().rfind("1,000,000 rows written in ", 0), 0u) << Status();
}

// Quit, Escape and the close box during a run ask first; Yes stops the run and closes
// the window with the earlier script kept, No lets the run go on.
TEST_F(RunPageTest, QuittingDuringARunAsksToStopItFirst)
{
    struct Case {
        const char* Name;
        std::function<void(CWizardDlg&)> Quit;
        bool Answer;
    };
    const Case cases[] = {
        {"Quit, yes",
         [](CWizardDlg& frame) { QTest::mouseClick(FrameButton(frame, "quit"), Qt::LeftButton); }, true},
        {"Quit, no", [](CWizardDlg& frame) { QTest::mouseClick(FrameButton(frame, "quit"), Qt::LeftButton); },
         false},
        {"close box, yes", [](CWizardDlg& frame) { frame.close(); }, true},
        {"close box, no", [](CWizardDlg& frame) { frame.close(); }, false},
        {"Escape, yes",
         [](CWizardDlg& frame) { QTest::keyClick(FrameButton(frame, "quit"), Qt::Key_Escape); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Start();
        Run = static_cast<CRunPage*>(Frame->GetPage(2));
        ToRunPage(People(200), Path("out.sql"));
        WriteFile(Path("out.sql"), "earlier");
        Dialogs.Questions.clear();
        std::filesystem::remove(SettingsPath());
        Dialogs.QuestionAnswers = {c.Answer};
        DuringTheRun quit(1, [&] { c.Quit(*Frame); });
        ClickRun();
        QApplication::processEvents();
        ASSERT_EQ(Dialogs.Questions.size(), 1u);
        EXPECT_EQ(Dialogs.Questions[0].Caption, "Tabulon");
        EXPECT_EQ(Frame->isVisible(), !c.Answer);
        if (c.Answer) {
            EXPECT_EQ(ReadFile(Path("out.sql")), "earlier");
            EXPECT_EQ(Status().rfind("Stopped at line ", 0), 0u) << Status();
            // Closing saved the project as every way of closing does.
            EXPECT_EQ(GetPrivateProfileString("General", "LastProjectName", "x", 260, SettingsPath()), "");
        } else {
            EXPECT_EQ(Status().rfind("200 rows written in ", 0), 0u) << Status();
            EXPECT_NE(ReadFile(Path("out.sql")), "earlier");
        }
    }
}

// A termination signal during a run stops it as Stop does (the earlier script stays) before
// the program ends, rather than letting a long run finish first.
TEST_F(RunPageTest, QuittingOnASignalStopsTheRunFirst)
{
    EXPECT_FALSE(StopRunBeforeQuitting()); // nothing to wait for
    ToRunPage(People(1000000), Path("out.sql"));
    WriteFile(Path("out.sql"), "earlier");
    bool waits = false;
    DuringTheRun signal(1, [&] { waits = StopRunBeforeQuitting(); });
    ClickRun();
    ASSERT_TRUE(signal.Done);
    EXPECT_TRUE(waits);
    EXPECT_EQ(Status().rfind("Stopped at line ", 0), 0u) << Status();
    EXPECT_EQ(ReadFile(Path("out.sql")), "earlier");
}
