// tabulon [FILE]: the wizard, with a project file or a data file open (as the
// desktop starts it for a file); no options of its own.
#include "ConverterApp.h"
#include "QtText.h"
#include "QuitOnSignal.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tabulon"));
    QuitOnTerminationSignals();
    const QStringList arguments = QApplication::arguments();
    CConverterApp app;
    app.InitInstance(arguments.size() > 1 ? FromQt(QFileInfo(arguments.at(1)).absoluteFilePath())
                                          : std::string());
    return 0;
}
