// Help requests: the Help button, the Index menu item and F1,
// in the order the viewer receives them.
#include "UiTestSupport.h"
#include "WizardPage.h"

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
        : CWizardPage(999, frame, &frame->Project, &frame->Converter), Topic(std::move(topic))
    {
    }
    void StoreData() override {}
    bool CanLeave() override { return true; }
    std::string GetHelpTopic() const override { return Topic; }
    std::string Topic;
};

} // namespace

class HelpTest : public WizardTest {
  protected:
    std::string Address(const char* topic) { return Path("conv.chm") + "::/" + topic; }
};

TEST_F(HelpTest, TheHelpButtonAndTheIndexItemOpenTheIndex)
{
    CWizardDlg& frame = Start();
    QTest::mouseClick(frame.HelpButton, Qt::LeftButton);
    for (QAction* menu : frame.MenuBar->actions())
        for (QAction* action : menu->menu()->actions())
            if (action->text() == QLatin1String("Index..."))
                action->trigger();
    ASSERT_EQ(RecordedHelpCalls().size(), 2u);
    for (const HelpCall& call : RecordedHelpCalls()) {
        EXPECT_EQ(call.Address, Address("index.html"));
        EXPECT_EQ(call.Window, static_cast<void*>(static_cast<QWidget*>(&frame)));
        EXPECT_EQ(call.Command, 0u);
        EXPECT_EQ(call.Data, 0u);
    }
    EXPECT_EQ(frame.HelpAddresses, Addresses());
}

TEST_F(HelpTest, F1OnAFrameButtonOpensTheIndexOnly)
{
    CWizardDlg& frame = Start();
    frame.NextButton->setFocus();
    QTest::keyClick(frame.NextButton, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("index.html")});
}

TEST_F(HelpTest, F1InsideAPageOpensTheIndexThenThePageTopic)
{
    CWizardDlg& frame = Start();
    QLineEdit* edit = frame.Pages[0]->findChild<QLineEdit*>(QStringLiteral("c1004"));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    // The page's request is posted: only the index has been asked for so far.
    EXPECT_EQ(Addresses(), std::vector<std::string>{Address("index.html")});
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Address("index.html"), Address("page1.html")}));
}

TEST_F(HelpTest, F1InTheMappingListOpensTheIndexThenPageTwo)
{
    CWizardDlg& frame = Start();
    FillSourcePage();
    frame.OnNext();
    ASSERT_EQ(frame.CurrentPage, 1);
    QWidget* list = frame.Pages[1]->findChild<QWidget*>(QStringLiteral("c1016"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Address("index.html"), Address("page2.html")}));

    // And in an editable combo box of page 0.
    frame.OnBack();
    RecordedHelpCalls().clear();
    QWidget* combo = frame.Pages[0]->findChild<QWidget*>(QStringLiteral("c1068"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_F1);
    QApplication::processEvents();
    EXPECT_EQ(Addresses(), (std::vector<std::string>{Address("index.html"), Address("page1.html")}));
}

TEST_F(HelpTest, EveryPageHasItsTopic)
{
    CWizardDlg& frame = Start();
    const char* topics[] = {"page1.html", "page2.html", "page3.html"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(frame.Pages[i]->GetHelpTopic(), topics[i]);
        RecordedHelpCalls().clear();
        frame.Pages[i]->OnHelpInfo();
        EXPECT_STREQ(frame.Pages[i]->GetHelpTopicBuffer(), topics[i]);
        QApplication::processEvents();
        EXPECT_EQ(Addresses(), std::vector<std::string>{Address(topics[i])});
    }
}

TEST_F(HelpTest, ATopicLongerThanThirtyCharactersIsCut)
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
