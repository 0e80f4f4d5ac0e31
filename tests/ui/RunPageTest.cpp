// The run page: a whole conversion through the wizard,
// the status line and bar, failed runs, and a window that paints during a run.
#include "RunPage.h"
#include "MappingPage.h"
#include "SourcePage.h"
#include "StatusLine.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <regex>

namespace {

std::string EngineStatus;
int EnginePercent = -1;
void RecordProgress(const char* status, int percent)
{
    EngineStatus = status;
    EnginePercent = percent;
}

// What the engine itself writes for these settings.
std::string EngineScript(CProject project, const std::string& target)
{
    project.TargetName = target;
    CConverter converter;
    converter.Project = &project;
    EXPECT_EQ(converter.Run(&RecordProgress), 0);
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
    EXPECT_EQ(Controls().RunButton->text().toStdString(), "Run");
    EXPECT_EQ(Controls().Progress->minimum(), 0);
    EXPECT_EQ(Controls().Progress->maximum(), 100);
    EXPECT_EQ(Status(), "");
    QLabel* label = Run->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(),
              "This window shows execution status: number of converter rows and total progress indicator");
}

TEST_F(RunPageTest, AWholeConversionThroughTheWizard)
{
    const std::string source = People(20);
    FillSource(source, Path("out.sql"));
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    ASSERT_EQ(Frame->GetCurrentPage(), 1);

    // Rename "name" to "full name" and write "balance" as a string literal.
    PickRow(1);
    MappingControls(Mapping).TargetColumnEdit->setText(QStringLiteral("full name"));
    PickRow(3);
    EXPECT_EQ(MappingControls(Mapping).QuotationEdit->text().toStdString(), "");
    MappingControls(Mapping).QuotationEdit->setText(QStringLiteral("'"));
    QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
    ASSERT_EQ(Frame->GetCurrentPage(), 2);
    EXPECT_FALSE(FrameButton(*Frame, "next")->isVisible());
    ClickRun();

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
    // The final report, as the engine makes it for the same run.
    EXPECT_EQ(Status(), EngineStatus);
    EXPECT_EQ(Status().rfind("Line 21, ", 0), 0u) << Status();
    EXPECT_EQ(Controls().Progress->value(), std::min(EnginePercent, 100));
    EXPECT_EQ(Controls().Progress->value(), 100);
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
    EXPECT_EQ(Status().rfind("Line 6, ", 0), 0u);
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
    ActiveStatus = Controls().Status;
    ActiveProgress = Controls().Progress;
    OnRunProgress("Line 9, 999 bytes done", 150);
    EXPECT_EQ(Controls().Progress->value(), 100);
    EXPECT_EQ(Status(), "Line 9, 999 bytes done");
    OnRunProgress("Line 1, 10 bytes done", 40);
    EXPECT_EQ(Controls().Progress->value(), 40);
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
    EXPECT_EQ(Status(), ""); // nothing reported
    EXPECT_EQ(Controls().Progress->value(), 30);
    EXPECT_FALSE(FileExists(Path("out.sql")));
}

TEST_F(RunPageTest, AFailedRunShowsNoReportOfThePreviousRun)
{
    ToRunPage(People(5), Path("out.sql"));
    ClickRun();
    ASSERT_EQ(Status().rfind("Line 6, ", 0), 0u) << Status();
    std::filesystem::remove(Path("people.csv"));
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Status(), "");
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
    EXPECT_EQ(Status().rfind("Line 6, ", 0), 0u) << Status();
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

TEST_F(RunPageTest, ATargetThatCannotBeCreatedIsReportedByName)
{
    const std::string target = Path("no such folder/out.sql");
    ToRunPage(People(2), target);
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_NE(Dialogs.Messages[0].Text.find("target file"), std::string::npos);
    EXPECT_NE(Dialogs.Messages[0].Text.find(target), std::string::npos);
    EXPECT_EQ(Status(), "");
}

TEST_F(RunPageTest, ATargetThatIsTheSourceIsRefused)
{
    const std::string text = People(2);
    ToRunPage(text, Path("people.csv"));
    ClickRun();
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Dialogs.Messages[0].Text.find("is the source file itself"), std::string::npos);
    EXPECT_EQ(ReadFile(Path("people.csv")), text);
}

TEST_F(RunPageTest, AWriteErrorMidwayIsReportedAndTheLastReportStays)
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
    EXPECT_TRUE(std::regex_match(Status(), std::regex("Line [0-9]+, [0-9]+ bytes done"))) << Status();
    EXPECT_FALSE(CRunPage::RunInProgress());
    // The window takes input again.
    Frame->OnBack();
    EXPECT_EQ(Frame->GetCurrentPage(), 1);
}

TEST_F(RunPageTest, TheWindowPaintsButTakesNoInputDuringALongRun)
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
    // A click on Quit and an Escape that arrive while the run goes on are dropped.
    const QPoint centre = FrameButton(*Frame, "quit")->rect().center();
    QCoreApplication::postEvent(FrameButton(*Frame, "quit"),
                                new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                FrameButton(*Frame, "quit")->mapToGlobal(centre),
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(FrameButton(*Frame, "quit"),
                                new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                FrameButton(*Frame, "quit")->mapToGlobal(centre),
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QCoreApplication::postEvent(Frame.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    ClickRun();
    QApplication::processEvents();
    EXPECT_GT(counter.PaintsDuringRun, 0);
    EXPECT_TRUE(Frame->isVisible());
    EXPECT_EQ(Status().rfind("Line 1000001, ", 0), 0u) << Status();
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(RunPageTest, TheFinalStatusCountsLinesThatDoNotFitTheColumns)
{
    ToRunPage(People(3) + "4,Short\r\n5,Long,Cork,1,extra\r\n6\r\n", Path("people.sql"));
    ClickRun();
    EXPECT_NE(Status().find("; 2 lines with fewer fields than columns (first: line 5); "
                            "1 line with more fields than columns (first: line 6)"),
              std::string::npos)
        << Status();
}
