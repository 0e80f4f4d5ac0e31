// The wizard frame: start, title, buttons, navigation, the File
// commands and every way of closing.
#include "AboutDlg.h"
#include "ProfileFile.h"
#include "SourcePage.h"
#include "StatusLine.h"
#include "UiTestSupport.h"
#include "WizardPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace {

QAction* MenuAction(CWizardDlg& frame, const QString& menuTitle, const QString& text)
{
    for (QAction* menu : MenuBarOf(frame)->actions()) {
        if (menu->text() != menuTitle || !menu->menu())
            continue;
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

std::string LastProjectName(const std::string& settings)
{
    return GetPrivateProfileString("General", "LastProjectName", "<missing>", 260, settings);
}

} // namespace

class WizardDlgTest : public WizardTest {
  protected:
    std::string Title() { return Frame->windowTitle().toStdString(); }
    int VisiblePage()
    {
        int visible = -1;
        for (int i = 0; i < 3; ++i) {
            if (Frame->GetPage(i)->isVisible()) {
                EXPECT_EQ(visible, -1) << "more than one page on view";
                visible = i;
            }
        }
        return visible;
    }
    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(WizardDlgTest, TheWindowHasItsMenuAndButtons)
{
    CWizardDlg& frame = Start();
    QStringList menus;
    for (QAction* menu : MenuBarOf(frame)->actions()) {
        menus << menu->text();
        for (QAction* action : menu->menu()->actions())
            menus << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(menus.join(QLatin1Char('|')).toStdString(),
              "File|New Project|Load Project...|Recent Projects|Save Project|Save Project as...|-|&Quit|"
              "Help|Contents...|&About the Converter");
    EXPECT_EQ(FrameButton(frame, "back")->text().toStdString(), "< &Back");
    EXPECT_EQ(FrameButton(frame, "next")->text().toStdString(), "&Next >");
    EXPECT_EQ(FrameButton(frame, "help")->text().toStdString(), "Help F1");
    EXPECT_EQ(FrameButton(frame, "preview")->text().toStdString(), "&Preview");
    EXPECT_EQ(FrameButton(frame, "quit")->text().toStdString(), "Quit");
    EXPECT_FALSE(frame.windowIcon().isNull());
    // Left to right as the template places them.
    EXPECT_LT(FrameButton(frame, "help")->x(), FrameButton(frame, "preview")->x());
    EXPECT_LT(FrameButton(frame, "preview")->x(), FrameButton(frame, "back")->x());
    EXPECT_LT(FrameButton(frame, "back")->x(), FrameButton(frame, "next")->x());
    EXPECT_LT(FrameButton(frame, "next")->x(), FrameButton(frame, "quit")->x());
    // Tab goes left to right too, and the window starts in the source field.
    EXPECT_EQ(FrameButton(frame, "help")->nextInFocusChain(), FrameButton(frame, "preview"));
    EXPECT_EQ(FrameButton(frame, "preview")->nextInFocusChain(), FrameButton(frame, "back"));
    EXPECT_EQ(FrameButton(frame, "next")->nextInFocusChain(), FrameButton(frame, "quit"));
    QApplication::setActiveWindow(&frame);
    EXPECT_EQ(frame.focusWidget(), SourcePage().SourceEdit);
}

TEST_F(WizardDlgTest, TheFileCommandsHaveTheirShortcuts)
{
    const std::vector<std::pair<QString, QKeySequence>> cases = {
        {QStringLiteral("New Project"), QKeySequence(QStringLiteral("Ctrl+N"))},
        {QStringLiteral("Load Project..."), QKeySequence(QStringLiteral("Ctrl+O"))},
        {QStringLiteral("Save Project"), QKeySequence(QStringLiteral("Ctrl+S"))},
        {QStringLiteral("&Quit"), QKeySequence(QStringLiteral("Ctrl+Q"))},
    };
    CWizardDlg& frame = Start();
    for (const auto& [text, keys] : cases) {
        SCOPED_TRACE(text.toStdString());
        QAction* action = MenuAction(frame, QStringLiteral("File"), text);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->shortcut(), keys);
    }
    // Ctrl+S on an untitled project asks for a file, as Save Project does.
    QApplication::setActiveWindow(&frame);
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Dialogs.FileRequests.size(), 1u);
}

TEST_F(WizardDlgTest, FirstStartWithoutSettingsIsUntitledOnPageZero)
{
    ASSERT_FALSE(FileExists(SettingsPath()));
    CWizardDlg& frame = Start();
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    EXPECT_EQ(frame.GetCurrentPage(), 0);
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_FALSE(FrameButton(frame, "back")->isVisible());
    EXPECT_TRUE(FrameButton(frame, "next")->isVisible());
    EXPECT_EQ(frame.GetProject().ProjectPath, "");
    // Load ran on the empty path: the read defaults, so Commit is set.
    EXPECT_EQ(frame.GetProject().Commit, 1);
    EXPECT_TRUE(SourcePage().CommitCheck->isChecked());
    EXPECT_EQ(frame.GetConverter().Project, &frame.GetProject());
}

TEST_F(WizardDlgTest, RestartReopensTheLastProject)
{
    const std::string project = Path("orders.cvtproj");
    Start();
    FillSourcePage();
    SourcePage().CommitSizeEdit->setText(QStringLiteral("75"));
    Dialogs.FileAnswers.push_back(project);
    Frame->OnCommand(CWizardDlg::IdSaveProjectAs);
    Frame->OnCommand(CWizardDlg::IdCancel);
    Stop();
    EXPECT_EQ(LastProjectName(SettingsPath()), project);

    Start();
    EXPECT_EQ(Title(), "Tabulon [" + project + "]");
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_EQ(SourcePage().SourceEdit->text().toStdString(), Path("data.csv"));
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "people");
    EXPECT_EQ(SourcePage().SeparatorCombo->currentText().toStdString(), ",");
    EXPECT_EQ(SourcePage().CommitSizeEdit->text().toStdString(), "75");
}

TEST_F(WizardDlgTest, NextAndBackMoveOnePageAndShowOnlyTheUsefulButtons)
{
    CWizardDlg& frame = Start();
    FillSourcePage();
    Click(FrameButton(frame, "next"));
    EXPECT_EQ(frame.GetCurrentPage(), 1);
    EXPECT_EQ(VisiblePage(), 1);
    EXPECT_TRUE(FrameButton(frame, "back")->isVisible());
    EXPECT_TRUE(FrameButton(frame, "next")->isVisible());
    EXPECT_TRUE(FrameButton(frame, "back")->isEnabled());

    Click(FrameButton(frame, "next"));
    EXPECT_EQ(frame.GetCurrentPage(), 2);
    EXPECT_EQ(VisiblePage(), 2);
    EXPECT_TRUE(FrameButton(frame, "back")->isVisible());
    EXPECT_FALSE(FrameButton(frame, "next")->isVisible());
    frame.OnNext(); // nothing beyond the last page
    EXPECT_EQ(frame.GetCurrentPage(), 2);

    Click(FrameButton(frame, "back"));
    Click(FrameButton(frame, "back"));
    EXPECT_EQ(frame.GetCurrentPage(), 0);
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_FALSE(FrameButton(frame, "back")->isVisible());
    EXPECT_TRUE(FrameButton(frame, "next")->isVisible());
    frame.OnBack(); // nothing before the first page
    EXPECT_EQ(frame.GetCurrentPage(), 0);
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(WizardDlgTest, TheWindowKeepsItsSizeOnEveryPage)
{
    CWizardDlg& frame = Start();
    FillSourcePage();
    const QSize size = frame.size();
    frame.OnNext();
    QApplication::processEvents();
    EXPECT_EQ(frame.size(), size);
    frame.OnNext();
    QApplication::processEvents();
    EXPECT_EQ(frame.size(), size);
}

TEST_F(WizardDlgTest, NoTextIsCutShortWhateverTheFont)
{
    struct FontGuard {
        const QFont Saved = QApplication::font();
        ~FontGuard() { QApplication::setFont(Saved); }
    } guard;
    const QFont& font = guard.Saved;
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        QFont scaled = font;
        scaled.setPointSizeF(font.pointSizeF() * scale);
        QApplication::setFont(scaled);
        CWizardDlg& frame = Start();
        FillSourcePage();
        for (int index = 0; index < 3; ++index) {
            CWizardPage* page = frame.GetPage(index);
            ASSERT_TRUE(page->isVisible());
            for (QWidget* widget : page->findChildren<QWidget*>()) {
                QString text;
                if (auto* label = qobject_cast<QLabel*>(widget))
                    text = label->text();
                else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget))
                    text = static_cast<QAbstractButton*>(widget)->text();
                else
                    continue;
                EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << text.toStdString();
            }
            frame.OnNext();
            QApplication::processEvents();
        }
    }
}

TEST_F(WizardDlgTest, NewProjectShowsTheDefaultsOnThePageOnView)
{
    WriteProject(Path("p.cvtproj"), {"FileName=a.txt", "TargetName=b.sql", "TableName=T", "Separator=|",
                                     "SQLSep=GO", "Widths=5,10", "Commit=1", "WithSeparators=0",
                                     "ColumnNames=0", "CommitSize=9", "nColumns=1", "Column0=A", "Quote0='"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("typed"));
    frame.OnCommand(CWizardDlg::IdNewProject);

    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    EXPECT_EQ(frame.GetCurrentPage(), 0);
    EXPECT_TRUE(SourcePage().FirstRowCheck->isChecked());
    EXPECT_TRUE(SourcePage().SeparatorRadio->isChecked());
    EXPECT_FALSE(SourcePage().WidthsRadio->isChecked());
    EXPECT_EQ(SourcePage().SeparatorCombo->currentText().toStdString(), "<tab>");
    EXPECT_EQ(SourcePage().SqlSepCombo->currentText().toStdString(), ";");
    EXPECT_FALSE(SourcePage().CommitCheck->isChecked());
    EXPECT_FALSE(SourcePage().CommitSizeEdit->isEnabled());
    EXPECT_EQ(SourcePage().CommitSizeEdit->text().toStdString(), "250");
    EXPECT_EQ(SourcePage().SourceEdit->text().toStdString(), "");
    EXPECT_EQ(SourcePage().TargetEdit->text().toStdString(), "");
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "");
    // Nothing of the old project stays: neither its widths nor its columns.
    EXPECT_EQ(SourcePage().WidthsEdit->text().toStdString(), "");
    EXPECT_TRUE(frame.GetProject().Columns.empty());
}

TEST_F(WizardDlgTest, NewProjectOnTheRunPageReturnsToTheFirstPageAndLeavesNothingToSave)
{
    WriteProject(Path("p.cvtproj"), {"TableName=T"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    FillSourcePage();
    frame.OnNext();
    frame.OnNext();
    RunControls run(frame.GetPage(2));
    run.RunButton->click();
    ASSERT_FALSE(run.Status->Status().empty());
    frame.OnCommand(CWizardDlg::IdNewProject);
    EXPECT_EQ(frame.GetCurrentPage(), 0);
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_FALSE(FrameButton(frame, "back")->isVisible());
    EXPECT_EQ(run.Status->Status(), ""); // the earlier run's report is gone
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    const std::string before = ReadFile(Path("p.cvtproj"));
    frame.OnCommand(CWizardDlg::IdCancel);
    EXPECT_EQ(ReadFile(Path("p.cvtproj")), before);
    EXPECT_EQ(LastProjectName(SettingsPath()), "");
}

TEST_F(WizardDlgTest, LoadProjectAsksForAFileAndShowsIt)
{
    WriteProject(Path("fixed.cvtproj"),
                 {"FileName=in.txt", "WithSeparators=0", "Widths=3,4", "CommitSize=-5"});
    CWizardDlg& frame = Start();
    ASSERT_TRUE(SourcePage().SeparatorRadio->isChecked());

    // Cancelled: nothing changes.
    SourcePage().TableEdit->setText(QStringLiteral("typed"));
    Dialogs.FileAnswers.push_back(std::nullopt);
    frame.OnCommand(CWizardDlg::IdLoadProject);
    ASSERT_EQ(Dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(Dialogs.FileRequests[0].Kind, IUserDialogs::FileDialog::Open);
    EXPECT_EQ(Dialogs.FileRequests[0].Filter,
              "Converter Projects (*.cvtproj)|*.cvtproj|AllFiles (*.*)|*.*||");
    EXPECT_EQ(Dialogs.FileRequests[0].DefaultExtension, "cvtproj");
    EXPECT_EQ(Dialogs.FileRequests[0].Owner, &frame);
    EXPECT_EQ(Title(), "Tabulon [Untitled*]"); // what was typed is not saved
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "typed");

    // Confirmed: loaded, titled, shown.
    Dialogs.FileAnswers.push_back(Path("fixed.cvtproj"));
    frame.OnCommand(CWizardDlg::IdLoadProject);
    EXPECT_EQ(Slashed(Title()), "Tabulon [" + Path("fixed.cvtproj") + "]");
    // A relative path is taken from the project file's folder.
    EXPECT_EQ(Slashed(SourcePage().SourceEdit->text().toStdString()), Path("in.txt"));
    EXPECT_EQ(SourcePage().TableEdit->text().toStdString(), "");
    EXPECT_TRUE(SourcePage().WidthsRadio->isChecked());
    EXPECT_FALSE(SourcePage().SeparatorRadio->isChecked());
    EXPECT_TRUE(SourcePage().WidthsEdit->isEnabled());
    EXPECT_FALSE(SourcePage().SeparatorCombo->isEnabled());
    EXPECT_EQ(SourcePage().CommitSizeEdit->text().toStdString(), "-5");
    frame.GetPage(0)->StoreData();
    EXPECT_EQ(frame.GetProject().WithSeparators, 0);
    EXPECT_EQ(frame.GetProject().CommitSize, -5);

    // The next dialog starts at the current project.
    Dialogs.FileAnswers.push_back(Path("missing.cvtproj"));
    frame.OnCommand(CWizardDlg::IdLoadProject);
    EXPECT_EQ(Slashed(Dialogs.FileRequests.back().InitialName), Path("fixed.cvtproj"));
    // A file that does not exist is named, and the project on view stays.
    EXPECT_EQ(Slashed(Title()), "Tabulon [" + Path("fixed.cvtproj") + "]");
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_NE(Slashed(Dialogs.Messages[0].Text).find(Path("missing.cvtproj")), std::string::npos);
    EXPECT_EQ(Slashed(SourcePage().SourceEdit->text().toStdString()), Path("in.txt"));
}

TEST_F(WizardDlgTest, SaveProjectWithoutANameAsksForOne)
{
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("people"));

    Dialogs.FileAnswers.push_back(std::nullopt);
    frame.OnCommand(CWizardDlg::IdSaveProject);
    ASSERT_EQ(Dialogs.FileRequests.size(), 1u);
    EXPECT_EQ(Dialogs.FileRequests[0].Kind, IUserDialogs::FileDialog::Save);
    EXPECT_EQ(Dialogs.FileRequests[0].InitialName, "");
    EXPECT_EQ(Title(), "Tabulon [Untitled*]");
    EXPECT_EQ(frame.GetProject().TableName, ""); // nothing stored
    EXPECT_TRUE(std::filesystem::is_empty(Folder.path().toStdString()));

    Dialogs.FileAnswers.push_back(Path("new.cvtproj"));
    frame.OnCommand(CWizardDlg::IdSaveProject);
    EXPECT_EQ(Title(), "Tabulon [" + Path("new.cvtproj") + "]");
    EXPECT_NE(ReadFile(Path("new.cvtproj")).find("TableName=people\r\n"), std::string::npos);
}

TEST_F(WizardDlgTest, SaveProjectWithANameStoresThePageFirst)
{
    WriteProject(Path("p.cvtproj"), {"TableName=old"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("typed"));
    MenuAction(frame, QStringLiteral("File"), QStringLiteral("Save Project"))->trigger();
    EXPECT_TRUE(Dialogs.FileRequests.empty());
    EXPECT_NE(ReadFile(Path("p.cvtproj")).find("TableName=typed\r\n"), std::string::npos);
    EXPECT_EQ(frame.GetProject().TableName, "typed");
}

TEST_F(WizardDlgTest, SaveProjectAsStoresThePageAndReplacesAnExistingFile)
{
    WriteFile(Path("exists.cvtproj"), "[General]\r\nTableName=old\r\n");
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("typed"));

    Dialogs.FileAnswers.push_back(std::nullopt);
    frame.OnCommand(CWizardDlg::IdSaveProjectAs);
    EXPECT_EQ(frame.GetProject().TableName, "");
    EXPECT_EQ(Title(), "Tabulon [Untitled*]");

    // An existing file is replaced only when the user says so.
    Dialogs.FileAnswers.push_back(Path("exists.cvtproj"));
    Dialogs.QuestionAnswers.push_back(false);
    frame.OnCommand(CWizardDlg::IdSaveProjectAs);
    ASSERT_EQ(Dialogs.Questions.size(), 1u);
    EXPECT_EQ(Dialogs.Questions[0].Text,
              Path("exists.cvtproj") + " exists already.\n\nReplace it with this project?");
    EXPECT_EQ(ReadFile(Path("exists.cvtproj")), "[General]\r\nTableName=old\r\n");

    Dialogs.FileAnswers.push_back(Path("exists.cvtproj"));
    Dialogs.QuestionAnswers.push_back(true);
    frame.OnCommand(CWizardDlg::IdSaveProjectAs);
    EXPECT_EQ(frame.GetProject().TableName, "typed");
    EXPECT_EQ(Title(), "Tabulon [" + Path("exists.cvtproj") + "]");
    EXPECT_NE(ReadFile(Path("exists.cvtproj")).find("TableName=typed\r\n"), std::string::npos);
}

TEST_F(WizardDlgTest, AProjectThatCannotBeSavedIsNamed)
{
    CWizardDlg& frame = Start();
    const std::string unwritable = Path("no/such/folder/p.cvtproj");
    Dialogs.FileAnswers.push_back(unwritable);
    frame.OnCommand(CWizardDlg::IdSaveProjectAs);
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text.rfind("The project cannot be saved.\n\n" + unwritable, 0), 0u);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");

    frame.OnCommand(CWizardDlg::IdSaveProject); // the same path again, now without a dialog
    EXPECT_EQ(Dialogs.Messages.size(), 2u);
    EXPECT_TRUE(Dialogs.FileRequests.size() == 1u);
}

// Every way of closing stores the page on view, saves the project and writes the settings.
class ClosingTest : public WizardDlgTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void CloseBy(const std::string& route)
    {
        if (route == "Quit button")
            Click(FrameButton(*Frame, "quit"));
        else if (route == "Quit menu item")
            MenuAction(*Frame, QStringLiteral("File"), QStringLiteral("&Quit"))->trigger();
        else if (route == "close box")
            Frame->close();
        else if (route == "Escape") {
            SourcePage().TableEdit->setFocus();
            QTest::keyClick(SourcePage().TableEdit, Qt::Key_Escape);
        }
        QApplication::processEvents();
    }
};

TEST_P(ClosingTest, SavesTheProjectAndTheSettings)
{
    WriteProject(Path("p.cvtproj"), {"TableName=old"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    SourcePage().TableEdit->setText(QStringLiteral("typed before closing"));
    CloseBy(GetParam());
    EXPECT_FALSE(frame.isVisible());
    EXPECT_NE(ReadFile(Path("p.cvtproj")).find("TableName=typed before closing\r\n"), std::string::npos);
    EXPECT_EQ(LastProjectName(SettingsPath()), Path("p.cvtproj"));
    // Destroying the frame afterwards does not save a second time.
    WriteFile(Path("p.cvtproj"), "replaced");
    Stop();
    EXPECT_EQ(ReadFile(Path("p.cvtproj")), "replaced");
}

TEST_P(ClosingTest, AnUntitledProjectWritesOnlyAnEmptyLastProjectName)
{
    WriteProject(Path("p.cvtproj"), {"TableName=old"});
    RememberProject(Path("p.cvtproj"));
    Start();
    Frame->OnCommand(CWizardDlg::IdNewProject);
    CloseBy(GetParam());
    EXPECT_EQ(LastProjectName(SettingsPath()), "");
    EXPECT_EQ(ReadFile(Path("p.cvtproj")), "[General]\r\nTableName=old\r\n");
    Stop();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.path().toStdString()),
                            std::filesystem::directory_iterator()),
              2);
}

INSTANTIATE_TEST_SUITE_P(EveryRoute, ClosingTest,
                         ::testing::Values("Quit button", "Quit menu item", "close box", "Escape"),
                         [](const auto& instance) {
                             std::string name = instance.param;
                             for (char& c : name)
                                 if (c == ' ')
                                     c = '_';
                             return name;
                         });

TEST_F(WizardDlgTest, AFrameThatGoesAwayUnclosedStillSaves)
{
    WriteProject(Path("p.cvtproj"), {"TableName=old"});
    RememberProject(Path("p.cvtproj"));
    Start();
    SourcePage().TableEdit->setText(QStringLiteral("kept"));
    Stop();
    EXPECT_NE(ReadFile(Path("p.cvtproj")).find("TableName=kept\r\n"), std::string::npos);
}

TEST_F(WizardDlgTest, ClosingOnAnotherPageStoresThatPage)
{
    WriteProject(Path("p.cvtproj"), {"TableName=old"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    FillSourcePage();
    frame.OnNext();
    frame.OnCommand(CWizardDlg::IdCancel);
    const std::string saved = ReadFile(Path("p.cvtproj"));
    EXPECT_NE(saved.find("TableName=people\r\n"), std::string::npos);
    EXPECT_NE(saved.find("nColumns=2\r\n"), std::string::npos);
}

TEST_F(WizardDlgTest, TheAboutBoxShowsIconAndTitle)
{
    CWizardDlg& frame = Start();
    CAboutDlg about(&frame, "Tabulon", frame.windowIcon());
    EXPECT_EQ(about.windowTitle().toStdString(), "About");
    EXPECT_EQ(Find<QLabel>(&about, "title")->text().toStdString(), " Tabulon");
    EXPECT_FALSE(Find<QLabel>(&about, "icon")->pixmap().isNull());
    EXPECT_EQ(Find<QPushButton>(&about)->text().toStdString(), "Close");
    EXPECT_TRUE(Find<QPushButton>(&about)->isDefault());

    // From the menu: a modal box that its Close button ends.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        shown = box != nullptr;
        if (box)
            Find<QPushButton>(box)->click();
    });
    MenuAction(frame, QStringLiteral("Help"), QStringLiteral("&About the Converter"))->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(WizardDlgTest, TheFrameTakesItsFilesFromTheExecutablePath)
{
    CWizardDlg& frame = Start();
    QTest::mouseClick(FrameButton(frame, "help"), Qt::LeftButton);
    ASSERT_EQ(RecordedHelpCalls().size(), 1u);
    EXPECT_EQ(RecordedHelpCalls()[0].Address.rfind(Path("conv.chm") + "::/", 0), 0u);
    ASSERT_FALSE(FileExists(SettingsPath()));
    Stop();
    EXPECT_EQ(LastProjectName(Path("conv.ini")), "");
}

TEST_F(WizardDlgTest, PreviewWithoutASourceWarns)
{
    CWizardDlg& frame = Start();
    SourcePage().SourceEdit->setText(QStringLiteral("no such file.csv"));
    Click(FrameButton(frame, "preview"));
    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text, "The source file no such file.csv cannot be found.");
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
    EXPECT_EQ(frame.GetProject().FileName, "no such file.csv"); // the page was stored first
}

// The title's asterisk: the project on view, with what is typed on the page on view,
// differs from its file. Loading, saving and a new project clear it; a change typed
// back to what the file holds does too.
TEST_F(WizardDlgTest, TheTitleMarksUnsavedChanges)
{
    WriteProject(Path("p.cvtproj"), {"FileName=a.txt", "TargetName=b.sql", "TableName=T", "Separator=,"});
    RememberProject(Path("p.cvtproj"));
    CWizardDlg& frame = Start();
    const std::string saved = "Tabulon [" + Path("p.cvtproj") + "]";
    EXPECT_EQ(Title(), saved);
    QTest::keyClicks(SourcePage().TableEdit, "X");
    EXPECT_EQ(Title(), "Tabulon [" + Path("p.cvtproj") + "*]");
    QTest::keyClick(SourcePage().TableEdit, Qt::Key_Backspace);
    EXPECT_EQ(Title(), saved);
    SourcePage().CommitCheck->click();
    EXPECT_EQ(Title(), "Tabulon [" + Path("p.cvtproj") + "*]");
    frame.OnCommand(CWizardDlg::IdSaveProject);
    EXPECT_EQ(Title(), saved);

    // A change on another page (a target name on the mapping page) counts too.
    WriteFile(Path("a.txt"), "id,name\r\n1,x\r\n");
    frame.GetProject().FileName = Path("a.txt");
    frame.GetPage(0)->ShowPage();
    frame.OnNext();
    frame.OnCommand(CWizardDlg::IdSaveProject);
    ASSERT_EQ(Title(), saved);
    MappingControls mapping(frame.GetPage(1));
    QTest::mouseClick(mapping.ColumnList->viewport(), Qt::LeftButton, {},
                      mapping.ColumnList->visualRect(mapping.ColumnList->model()->index(1, 0)).center());
    QTest::keyClicks(mapping.TargetColumnEdit, "_x");
    EXPECT_EQ(Title(), "Tabulon [" + Path("p.cvtproj") + "*]");

    frame.OnCommand(CWizardDlg::IdNewProject);
    EXPECT_EQ(Title(), "Tabulon [Untitled]");
    frame.OnBack();
    QTest::keyClicks(SourcePage().TableEdit, "T");
    EXPECT_EQ(Title(), "Tabulon [Untitled*]");
}
