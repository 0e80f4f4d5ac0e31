// tabulon: the wizard. No command-line options of its own.
#include "ConverterApp.h"
#include "QuitOnSignal.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabulon"));
    QuitOnTerminationSignals();
    CConverterApp app;
    app.InitInstance();
    return 0;
}
