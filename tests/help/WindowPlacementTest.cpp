// Where windows open: wholly on their screen, centred on their parent.
#include "WindowPlacement.h"
#include "HelpViewer.h"
#include "HelpWindow.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct FitCase {
    const char* Name;
    QSize Frame;
    QSize Smallest;
    QRect Anchor;
    QRect Placed;
};

void PrintTo(const FitCase& c, std::ostream* out)
{
    *out << c.Name;
}

class FittedFrameTest : public testing::TestWithParam<FitCase> {};

const QRect Screen(0, 0, 1280, 800);

TEST_P(FittedFrameTest, CentresShrinksAndMovesIntoTheScreen)
{
    const FitCase& c = GetParam();
    EXPECT_EQ(FittedFrame(c.Frame, c.Smallest, c.Anchor, Screen), c.Placed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FittedFrameTest,
    testing::Values(
        FitCase{"CentredOnItsAnchor", {400, 300}, {0, 0}, {100, 100, 600, 400}, {200, 150, 400, 300}},
        FitCase{"AnAnchorAtTheTopLeftCorner", {400, 300}, {0, 0}, {-50, -80, 200, 100}, {0, 0, 400, 300}},
        FitCase{"AnAnchorAtTheBottomRightCorner",
                {400, 300},
                {0, 0},
                {1200, 700, 200, 200},
                {880, 500, 400, 300}},
        FitCase{"TallerThanTheScreen", {960, 830}, {100, 100}, {0, 0, 1280, 800}, {160, 0, 960, 800}},
        FitCase{"WiderAndTallerThanTheScreen", {1500, 900}, {100, 100}, {0, 0, 1280, 800}, {0, 0, 1280, 800}},
        FitCase{"ContentsLargerThanTheScreenKeepTheTitleBarOnIt",
                {1000, 900},
                {1000, 900},
                {140, 0, 1000, 800},
                {140, 0, 1000, 900}}),
    [](const testing::TestParamInfo<FitCase>& instance) { return std::string(instance.param.Name); });

TEST(FittedFrame, StaysOnTheScreenOfItsAnchor)
{
    const QRect second(1280, 0, 1024, 768);
    EXPECT_EQ(FittedFrame({400, 300}, {0, 0}, {1300, 600, 100, 100}, second), QRect(1280, 468, 400, 300));
}

// The help viewer opens centred on the window that asked for it, or as near as the
// screen allows.
TEST(WindowPlacement, TheHelpViewerOpensCentredOnItsOwnerAndOnTheScreen)
{
    const QString helpFile = QStringLiteral(TABULON_HELP_FILE);
    if (!QFile::exists(helpFile))
        GTEST_SKIP() << "no compiled help file (chmcmd missing?)";
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    struct OwnerCase {
        const char* Name;
        QPoint Position;
        bool Centred;
    } const owners[] = {{"centre", available.center() - QPoint(150, 100), true},
                        {"bottom right corner", available.bottomRight() - QPoint(100, 80), false}};
    for (const OwnerCase& c : owners) {
        SCOPED_TRACE(c.Name);
        auto owner = std::make_unique<QWidget>();
        owner->resize(300, 200);
        owner->move(c.Position);
        owner->show();
        const std::string address = (helpFile + "::/index.html").toStdString();
        ASSERT_NE(ShowHelpTopic(owner.get(), address.c_str(), 0, 0), 0);
        const QRect viewer = HelpViewerWindow()->frameGeometry();
        EXPECT_TRUE(available.contains(viewer))
            << viewer.x() << "," << viewer.y() << " " << viewer.width() << "x" << viewer.height();
        if (c.Centred) {
            EXPECT_LE((viewer.center() - owner->frameGeometry().center()).manhattanLength(), 2);
        }
    }
}

} // namespace
