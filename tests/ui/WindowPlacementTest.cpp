// The wizard's windows open wholly on the screen, centred on the window they belong to.
#include "AboutDlg.h"
#include "PreviewDlg.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QScreen>
#include <QTableWidget>

namespace {

class WindowPlacementTest : public WizardTest {
  protected:
    void SetUp() override
    {
        WizardTest::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "Qt's offscreen screen on Windows is smaller than the wizard drawn with the fonts "
                        "found there; the installed wizard's window is checked under Wine instead";
#endif
    }
    QRect Available() const
    {
        return QGuiApplication::primaryScreen()->availableGeometry();
    }
    static std::string Describe(const QRect& r)
    {
        return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
               std::to_string(r.height());
    }
};

TEST_F(WindowPlacementTest, TheMainWindowOpensOnTheMiddleOfTheScreen)
{
    CWizardDlg& frame = Start();
    const QRect placed = frame.frameGeometry();
    EXPECT_TRUE(Available().contains(placed)) << Describe(placed);
    EXPECT_LE(std::abs(placed.center().x() - Available().center().x()), 1);
}

TEST_F(WindowPlacementTest, DialogsOpenCentredOnTheMainWindowAndOnTheScreen)
{
    CWizardDlg& frame = Start();
    WriteFile(Path("data.csv"), "id,name\r\n1,Smith\r\n");
    frame.GetProject().FileName = Path("data.csv");
    for (const QPoint corner : {QPoint(0, 0), Available().bottomRight() - QPoint(200, 150)}) {
        frame.move(corner);
        QApplication::processEvents();
        const std::unique_ptr<QDialog> dialogs[] = {
            std::make_unique<CAboutDlg>(&frame, "Tabulon", frame.windowIcon()),
            std::make_unique<CPreviewDlg>(&frame, frame.GetProject())};
        for (const auto& dialog : dialogs) {
            SCOPED_TRACE(dialog->metaObject()->className());
            dialog->show();
            const QRect placed = dialog->frameGeometry();
            EXPECT_TRUE(Available().contains(placed)) << Describe(placed);
            if (corner == QPoint(0, 0) && frame.frameGeometry().contains(placed)) {
                EXPECT_LE((placed.center() - frame.frameGeometry().center()).manhattanLength(), 2);
            }
        }
    }
}

TEST_F(WindowPlacementTest, APreviewLargerThanTheScreenIsShrunkToFit)
{
    struct FontGuard {
        const QFont Saved = QApplication::font();
        ~FontGuard() { QApplication::setFont(Saved); }
    } guard;
    QFont large = guard.Saved;
    large.setPointSizeF(guard.Saved.pointSizeF() * 2.5);
    QApplication::setFont(large);
    CWizardDlg& frame = Start();
    WriteFile(Path("data.csv"), "id,name\r\n1,Smith\r\n");
    frame.GetProject().FileName = Path("data.csv");
    frame.GetProject().Separator = ",";
    CPreviewDlg preview(&frame, frame.GetProject());
    ASSERT_GT(preview.height(), Available().height()); // as made, it would not fit
    preview.show();
    const QRect placed = preview.frameGeometry();
    EXPECT_TRUE(Available().contains(placed)) << Describe(placed);
    preview.WaitUntilRead();
    EXPECT_EQ(Find<QTableWidget>(&preview)->rowCount(), 1);
}

} // namespace
