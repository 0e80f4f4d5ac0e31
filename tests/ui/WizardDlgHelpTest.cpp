// Help as the user gets it from the wizard: which topics each way of asking
// opens, in which order, and that they arrive in the program's own viewer.
#include "HelpLauncher.h"
#include "SourcePage.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#ifndef _WIN32
#include "HelpBrowser.h"
#include "HelpViewer.h"
#include "HelpWindow.h"
#endif

namespace {

using Texts = std::vector<std::string>;

class WizardDlgHelpTest : public WizardTest {
  protected:
    std::string Address(const char* topic) { return Path("conv.chm") + "::/" + topic; }

    Texts Addresses() const
    {
        Texts addresses;
        for (const HelpCall& call : RecordedHelpCalls())
            addresses.push_back(call.Address);
        return addresses;
    }

    // Brings page `index` on view through Next, as the user gets there.
    void GoToPage(int index)
    {
        FillSourcePage();
        while (Frame->GetCurrentPage() < index)
            QTest::mouseClick(FrameButton(*Frame, "next"), Qt::LeftButton);
        ASSERT_EQ(Frame->GetCurrentPage(), index);
    }
};

struct PageCase {
    int Page;
    const char* Topic;
};

void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << "page " << c.Page;
}

class HelpInPageTest : public WizardDlgHelpTest, public testing::WithParamInterface<PageCase> {};

TEST_P(HelpInPageTest, F1AndTheHelpButtonOpenThePageTopic)
{
    Start();
    GoToPage(GetParam().Page);
    RecordedHelpCalls().clear();
    QTest::keyClick(Frame->GetPage(GetParam().Page), Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), Texts{Address(GetParam().Topic)});

    // The Help button, and F1 on a bottom button, open the same topic; Help > Contents the contents.
    RecordedHelpCalls().clear();
    QTest::mouseClick(FrameButton(*Frame, "help"), Qt::LeftButton);
    QTest::keyClick(FrameButton(*Frame, "quit"), Qt::Key_F1);
    Frame->OnCommand(CWizardDlg::IdHelpIndex);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(),
              (Texts{Address(GetParam().Topic), Address(GetParam().Topic), Address("index.html")}));
}

TEST_F(WizardDlgHelpTest, F1InTheOptionsDialogOpensTheOptionsTopicOwnedByIt)
{
    Start();
    bool asked = false;
    QTimer::singleShot(0, [&] {
        QWidget* options = QApplication::activeModalWidget();
        if (options) {
            QTest::keyClick(options, Qt::Key_F1);
            asked = !RecordedHelpCalls().empty() && RecordedHelpCalls().back().Window == HelpOwner(options);
            options->close();
        }
    });
    Find<QPushButton>(Frame->GetPage(0), "options")->click();
    EXPECT_TRUE(asked);
    EXPECT_EQ(Addresses(), Texts{Address("page1.html#options")});
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpInPageTest,
                         testing::Values(PageCase{0, "page1.html"}, PageCase{1, "page2.html"},
                                         PageCase{2, "page3.html"}),
                         [](const testing::TestParamInfo<PageCase>& instance) {
                             return "Page" + std::to_string(instance.param.Page);
                         });

#ifndef _WIN32
// With the real launcher: the help file beside the program opens in the built-in viewer.
class WizardDlgHelpViewerTest : public WizardDlgHelpTest {
  protected:
    void SetUp() override
    {
        WizardDlgHelpTest::SetUp();
        if (!QFile::exists(TABULON_HELP_FILE))
            GTEST_SKIP() << "no compiled help file (chmcmd missing?)";
        ASSERT_TRUE(QFile::copy(TABULON_HELP_FILE, QString::fromStdString(Path("conv.chm"))));
        Start().SetHelpLauncher(&HtmlHelpLauncher);
    }

    std::string Topic() const
    {
        HelpWindow* viewer = HelpViewerWindow();
        return viewer ? viewer->Browser()->source().path().toStdString() : std::string("(no viewer)");
    }
};

TEST_F(WizardDlgHelpViewerTest, TheHelpButtonShowsThePageTopicBesideTheWizard)
{
    QTest::mouseClick(FrameButton(*Frame, "help"), Qt::LeftButton);
    EXPECT_EQ(Topic(), "/page1.html");
    HelpWindow* viewer = HelpViewerWindow();
    EXPECT_EQ(viewer->windowTitle().toStdString(), "Source and target - Tabulon Help");
    // Beside the wizard, not over it, where the screen has room.
    const QRect screen = Frame->screen()->availableGeometry();
    if (screen.width() - Frame->frameGeometry().width() >= 400) {
        EXPECT_FALSE(viewer->geometry().intersects(Frame->geometry()));
    }
    // The contents list every topic; a search keeps those holding its words.
    ASSERT_EQ(viewer->Contents()->count(), 4);
    EXPECT_EQ(viewer->Contents()->item(0)->text().toStdString(), "Tabulon Help");
    viewer->SearchBox()->setText(QStringLiteral("Stopped at line"));
    ASSERT_EQ(viewer->Contents()->count(), 1);
    viewer->Contents()->setCurrentRow(0);
    Q_EMIT viewer->Contents()->itemActivated(viewer->Contents()->item(0));
    EXPECT_EQ(Topic(), "/page3.html");
    EXPECT_TRUE(viewer->Browser()->textCursor().hasSelection());
    viewer->BackAction()->trigger();
    EXPECT_EQ(Topic(), "/page1.html");
    Frame->OnCommand(CWizardDlg::IdHelpIndex);
    EXPECT_EQ(viewer->windowTitle().toStdString(), "Tabulon Help");
    EXPECT_EQ(HelpViewerWindow()->parentWidget(), Frame.get());
    EXPECT_TRUE(HelpViewerWindow()->isVisible());
    EXPECT_EQ(HelpViewerWindow()->Browser()->HelpFile().toStdString(), Path("conv.chm"));
}

TEST_F(WizardDlgHelpViewerTest, F1InsideAPageEndsOnThePageTopicInTheSameWindow)
{
    Frame->OnCommand(CWizardDlg::IdHelpIndex);
    EXPECT_EQ(Topic(), "/index.html");
    HelpWindow* viewer = HelpViewerWindow();
    QLineEdit* edit = SourcePage().SourceEdit;
    QTest::keyClick(edit, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Topic(), "/page1.html");
    EXPECT_EQ(HelpViewerWindow(), viewer);
    viewer->BackAction()->trigger();
    EXPECT_EQ(Topic(), "/index.html");
}

TEST_F(WizardDlgHelpViewerTest, AMissingHelpFileOpensNothingAndSaysNothing)
{
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("conv.chm"))));
    QTest::mouseClick(FrameButton(*Frame, "help"), Qt::LeftButton);
    EXPECT_EQ(HelpViewerWindow(), nullptr);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

#endif

} // namespace
