// Help requests: the Help button, the Index menu item and F1,
// in the order the viewer receives them.
#include "WizardPage.h"
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {

std::vector<std::string> Addresses()
{
    std::vector<std::string> addresses;
    for (const HelpCall& call : RecordedHelpCalls())
        addresses.push_back(call.Address);
    return addresses;
}

class LongTopicPage : public CWizardPage {
  public:
    LongTopicPage(CWizardDlg* frame, std::string topic)
        : CWizardPage("longTopicPage", frame, &frame->GetProject(), &frame->GetConverter()),
          Topic(std::move(topic))
    {
    }
    void StoreData() override {}
    bool CanLeave() override { return true; }
    std::string GetHelpTopic() const override { return Topic; }
    std::string Topic;
};

} // namespace

class WizardPageTest : public WizardTest {
  protected:
    std::string Address(const char* topic) { return Path("conv.chm") + "::/" + topic; }
};

TEST_F(WizardPageTest, TheHelpButtonOpensThePageTopicAndTheContentsItemTheContents)
{
    CWizardDlg& frame = Start();
    QTest::mouseClick(FrameButton(frame, "help"), Qt::LeftButton);
    for (QAction* menu : MenuBarOf(frame)->actions())
        for (QAction* action : menu->menu()->actions())
            if (action->text() == QLatin1String("Contents..."))
                action->trigger();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Address("page1.html"), Address("index.html")}));
    for (const HelpCall& call : RecordedHelpCalls()) {
        EXPECT_EQ(call.Window, HelpOwner(&frame));
        EXPECT_EQ(call.Command, 0u);
        EXPECT_EQ(call.Data, 0u);
    }
}

TEST_F(WizardPageTest, F1OnAFrameButtonOpensThePageTopic)
{
    CWizardDlg& frame = Start();
    FrameButton(frame, "next")->setFocus();
    QTest::keyClick(FrameButton(frame, "next"), Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("page1.html")});
}

TEST_F(WizardPageTest, F1InsideAPageOpensThePageTopicOnly)
{
    CWizardDlg& frame = Start();
    QLineEdit* edit = frame.GetPage(0)->findChild<QLineEdit*>(QStringLiteral("c1004"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("page1.html")});
}

TEST_F(WizardPageTest, F1InTheMappingListOpensPageTwo)
{
    CWizardDlg& frame = Start();
    FillSourcePage();
    frame.OnNext();
    ASSERT_EQ(frame.GetCurrentPage(), 1);
    QWidget* list = frame.GetPage(1)->findChild<QWidget*>(QStringLiteral("c1016"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("page2.html")});

    // And in an editable combo box of page 0.
    frame.OnBack();
    RecordedHelpCalls().clear();
    QWidget* combo = frame.GetPage(0)->findChild<QWidget*>(QStringLiteral("c1068"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("page1.html")});
}

TEST_F(WizardPageTest, EveryPageHasItsTopic)
{
    CWizardDlg& frame = Start();
    const char* topics[] = {"page1.html", "page2.html", "page3.html"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frame.GetPage(i)->GetHelpTopic(), topics[i]);
        RecordedHelpCalls().clear();
        frame.GetPage(i)->OnHelpInfo();
        EXPECT_STREQ(frame.GetPage(i)->GetHelpTopicBuffer(), topics[i]);
        QApplication::processEvents();
        EXPECT_EQ(Addresses(), std::vector<std::string>{Address(topics[i])});
    }
}

TEST_F(WizardPageTest, ATopicLongerThanThirtyCharactersIsCut)
{
    CWizardDlg& frame = Start();
    LongTopicPage exact(&frame, std::string(30, 'x'));
    LongTopicPage longer(&frame, std::string(30, 'y') + "zzz");
    exact.OnHelpInfo();
    longer.OnHelpInfo();
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Path("conv.chm") + "::/" + std::string(30, 'x'),
                                                     Path("conv.chm") + "::/" + std::string(30, 'y')}));
}
