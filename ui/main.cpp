// tabulon: the wizard. No command-line options of its own.
#include "ConverterApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabulon"));
    CConverterApp app;
    app.InitInstance();
    return 0;
}
