// The wizard's run against tabulon-convert on the same source (at most
// 1.2 times as long). Not a test: it prints the times and the ratio.
//
//   build/bench/gui_run_bench [LINES] [ROUNDS]     (defaults 1000000 and 5)
//
// Both convert the same comma-separated source with the same discovered columns;
// the best round of each counts, and the medians are printed too. The wizard runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#include "StatusLine.h"
#include "UserDialogs.h"
#include "WizardDlg.h"
#include "WizardPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void WriteSource(const std::string& path, long lines)
{
    std::ofstream out(path, std::ios::binary);
    out << "id,first_name,last_name,city,balance,joined,note\r\n";
    std::string line;
    for (long i = 1; i <= lines; ++i) {
        line = std::to_string(i) + ",Mary,O'Brien,Cork," + std::to_string(i % 9973) + ".57,2014-07-21," +
               (i % 3 == 0 ? "regular customer" : "") + "\r\n";
        out << line;
    }
}

// Message boxes would stop the run: report them on standard error instead.
class ConsoleDialogs : public IUserDialogs {
  public:
    void ShowMessage(QWidget*, const std::string& text, const std::string& caption, Icon) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    bool AskYesNo(QWidget*, const std::string& text, const std::string& caption) override
    {
        std::fprintf(stderr, "%s: %s (answered no)\n", caption.c_str(), text.c_str());
        return false;
    }
    Choice AskSaveDiscardCancel(QWidget*, const std::string& text, const std::string& caption,
                                const std::string&) override
    {
        std::fprintf(stderr, "%s: %s (answered discard)\n", caption.c_str(), text.c_str());
        return Choice::Discard;
    }
    bool ChooseFile(QWidget*, FileDialog, const std::string&, std::string_view, std::string_view,
                    std::string&) override
    {
        return false;
    }
    bool OpenFolder(QWidget*, const std::string&) override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ConsoleDialogs dialogs;
    SetUserDialogs(&dialogs);

    QTemporaryDir folder;
    const std::string dir = folder.path().toStdString();
    const std::string source = dir + "/source.csv";
    const std::string project = dir + "/bench.cvtproj";
    WriteSource(source, lines);
    {
        std::ofstream out(project, std::ios::binary);
        out << "[General]\r\nFileName=source.csv\r\nTargetName=cli.sql\r\nTableName=CUSTOMERS\r\n"
               "Separator=,\r\nSQLSep=;\r\nCommit=1\r\nWithSeparators=1\r\nColumnNames=1\r\n"
               "CommitSize=250\r\nnColumns=0\r\n";
    }
    std::printf("source: %ld lines, %.1f MB\n", lines,
                static_cast<double>(std::ifstream(source, std::ios::binary | std::ios::ate).tellg()) / 1e6);

    const std::string command =
        std::string("\"") + TABULON_CONVERT + "\" --quiet \"" + project + "\" >/dev/null";
    // A busy machine shows in single rounds: the median of each is printed beside the best.
    std::vector<double> cliTimes;
    std::vector<double> wizardTimes;
    double cli = 1e9;
    double wizard = 1e9;
    double engine = 1e9;
    CWizardDlg frame(nullptr, dir + "/bench.exe");
    frame.SetHelpLauncher(nullptr);
    frame.show();
    // The pages' controls, by their object names.
    const CWizardPage* page = frame.GetPage(0);
    page->findChild<QLineEdit*>(QStringLiteral("c1004"))->setText(QString::fromStdString(source));
    const QString target = QString::fromStdString(dir + "/wizard.sql");
    page->findChild<QLineEdit*>(QStringLiteral("c1010"))->setText(target);
    page->findChild<QLineEdit*>(QStringLiteral("c1012"))->setText(QStringLiteral("CUSTOMERS"));
    page->findChild<QComboBox*>(QStringLiteral("c1068"))->setEditText(QStringLiteral(","));
    page->findChild<QCheckBox*>(QStringLiteral("c1014"))->setChecked(true);
    page->findChild<QLineEdit*>(QStringLiteral("c1015"))->setText(QStringLiteral("250"));
    frame.OnNext();
    frame.OnNext();
    QPushButton* runButton = frame.GetPage(2)->findChild<QPushButton*>(QStringLiteral("c1017"));
    const StatusLine* status = frame.GetPage(2)->findChild<StatusLine*>(QStringLiteral("c1022"));
    QApplication::processEvents();

    for (int round = 0; round < rounds; ++round) {
        Clock::time_point start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "tabulon-convert failed\n");
            return 1;
        }
        const double cliTime = Seconds(start);
        start = Clock::now();
        runButton->click();
        const double wizardTime = Seconds(start);
        QApplication::processEvents();
        // The engine alone, in this process, with a progress function that does nothing.
        CProject bare = frame.GetProject();
        bare.TargetName = dir + "/engine.sql";
        CConverter converter;
        converter.Project = &bare;
        start = Clock::now();
        converter.Run();
        const double engineTime = Seconds(start);
        engine = std::min(engine, engineTime);
        cliTimes.push_back(cliTime);
        wizardTimes.push_back(wizardTime);
        cli = std::min(cli, cliTime);
        wizard = std::min(wizard, wizardTime);
        std::printf("round %d: tabulon-convert %.3f s, wizard %.3f s, engine alone %.3f s (%s)\n", round + 1,
                    cliTime, wizardTime, engineTime, status->Status().c_str());
    }
    std::printf("median: tabulon-convert %.3f s, wizard %.3f s, ratio %.2f\n", Median(cliTimes),
                Median(wizardTimes), Median(wizardTimes) / Median(cliTimes));
    const bool same = std::system(("cmp -s \"" + dir + "/cli.sql\" \"" + dir + "/wizard.sql\"").c_str()) == 0;
    std::printf("best: tabulon-convert %.3f s, wizard %.3f s, ratio %.2f (limit 1.20); engine alone in this "
                "process %.3f s; scripts %s\n",
                cli, wizard, wizard / cli, engine, same ? "identical" : "DIFFER");
    frame.GetProject().ProjectPath.clear();
    return same ? 0 : 1;
}
