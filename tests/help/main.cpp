#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Windows are made and clicked without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
