// The menu bar from the keyboard: F10, or Alt pressed and released alone, opens it.
#include "UiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <functional>

namespace {

struct MenuKeysCase {
    const char* Name;
    std::function<void(QWidget*)> Press;
    bool Opens;
};

void PrintTo(const MenuKeysCase& c, std::ostream* out)
{
    *out << c.Name;
}

class MenuBarKeysTest : public WizardTest, public ::testing::WithParamInterface<MenuKeysCase> {};

TEST_P(MenuBarKeysTest, F10AndALoneAltOpenTheMenuBar)
{
    CWizardDlg& frame = Start();
    QApplication::setActiveWindow(&frame);
    QLineEdit* focus = SourcePage().SourceEdit;
    focus->setFocus();
    GetParam().Press(focus);
    QAction* file = MenuBarOf(frame)->actions().value(0);
    ASSERT_NE(file, nullptr);
    const bool open = MenuBarOf(frame)->activeAction() == file && file->menu()->isVisible();
    EXPECT_EQ(open, GetParam().Opens);
    if (open) {
        // The arrow keys go on to the next menu, Escape leaves the menus.
        QTest::keyClick(file->menu(), Qt::Key_Right);
        EXPECT_EQ(MenuBarOf(frame)->activeAction()->text().toStdString(), "Help");
    }
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MenuBarKeysTest,
    ::testing::Values(MenuKeysCase{"F10", [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10); }, true},
                      MenuKeysCase{"LoneAlt",
                                   [](QWidget* w) {
                                       QTest::keyPress(w, Qt::Key_Alt, Qt::AltModifier);
                                       QTest::keyRelease(w, Qt::Key_Alt);
                                   },
                                   true},
                      MenuKeysCase{"AltWithAMnemonic",
                                   [](QWidget* w) {
                                       QTest::keyPress(w, Qt::Key_Alt, Qt::AltModifier);
                                       QTest::keyClick(w, Qt::Key_T, Qt::AltModifier);
                                       QTest::keyRelease(w, Qt::Key_Alt);
                                   },
                                   false},
                      MenuKeysCase{"AltAndAClick",
                                   [](QWidget* w) {
                                       QTest::keyPress(w, Qt::Key_Alt, Qt::AltModifier);
                                       QTest::mouseClick(w, Qt::LeftButton, Qt::AltModifier);
                                       QTest::keyRelease(w, Qt::Key_Alt);
                                   },
                                   false},
                      MenuKeysCase{"ShiftF10",
                                   [](QWidget* w) { QTest::keyClick(w, Qt::Key_F10, Qt::ShiftModifier); },
                                   false}),
    [](const ::testing::TestParamInfo<MenuKeysCase>& instance) { return std::string(instance.param.Name); });

} // namespace
