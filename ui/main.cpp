// tabulon: the wizard. `tabulon FILE` opens a project file (.cvtproj), or starts a
// new project with FILE as its source.
#include "ConverterApp.h"
#include "QtText.h"
#include "QuitOnSignal.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabulon"));
    QuitOnTerminationSignals();
    const QStringList arguments = QApplication::arguments();
    CConverterApp app;
    app.InitInstance(arguments.size() > 1 ? FromQt(arguments.at(1)) : std::string());
    return 0;
}
