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
#include <QPushButton>
#include <QTest>

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

TEST_P(HelpInPageTest, F1InsideThePageOpensTheIndexThenThePageTopic)
{
    Start();
    GoToPage(GetParam().Page);
    RecordedHelpCalls().clear();
    QTest::keyClick(Frame->GetPage(GetParam().Page), Qt::Key_F1);
    EXPECT_EQ(Addresses(), Texts{Address("index.html")});
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (Texts{Address("index.html"), Address(GetParam().Topic)}));

    // The frame's own ways of asking open the index whatever page is on view.
    RecordedHelpCalls().clear();
    QTest::mouseClick(FrameButton(*Frame, "help"), Qt::LeftButton);
    QTest::keyClick(FrameButton(*Frame, "help"), Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (Texts{Address("index.html"), Address("index.html")}));
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

TEST_F(WizardDlgHelpViewerTest, TheHelpButtonShowsTheIndexTopic)
{
    QTest::mouseClick(FrameButton(*Frame, "help"), Qt::LeftButton);
    EXPECT_EQ(Topic(), "/index.html");
    EXPECT_EQ(HelpViewerWindow()->parentWidget(), Frame.get());
    EXPECT_TRUE(HelpViewerWindow()->isVisible());
    EXPECT_EQ(HelpViewerWindow()->Browser()->HelpFile().toStdString(), Path("conv.chm"));
}

TEST_F(WizardDlgHelpViewerTest, F1InsideAPageEndsOnThePageTopicInTheSameWindow)
{
    QLineEdit* edit = SourcePage().SourceEdit;
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(Topic(), "/index.html");
    HelpWindow* viewer = HelpViewerWindow();
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
