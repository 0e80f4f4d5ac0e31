// The source and target page: controls and project, enable rules,
// the checks of Next, browsing, tab order.
#include "SourcePage.h"
#include "SourceDetection.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class SourcePageTest : public WizardTest {
  protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        Start();
        Page = static_cast<CSourcePage*>(Frame->GetPage(0));
    }
    CProject& Project() { return Frame->GetProject(); }
    static QString Q(const std::string& text) { return QString::fromStdString(text); }
    static std::string S(const QString& text) { return text.toStdString(); }

    CSourcePage* Page = nullptr;
};

TEST_F(SourcePageTest, TheLabelsAndListsAreThePagesOwn)
{
    QStringList labels;
    for (QLabel* label : Page->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(
        S(labels.join(QLatin1Char('|'))),
        "&Source File Name|(hint: use Preview Window to view data columns)|&Target File Name|"
        "Target Ta&ble Name|S&QL statement separator : |INSERT statements |bytes as they are; Generic SQL");
    EXPECT_EQ(S(SourcePage().FirstRowCheck->text()), "&First Row Contains Column Names");
    EXPECT_EQ(S(SourcePage().SeparatorRadio->text()), "&Columns separator : ");
    EXPECT_EQ(S(SourcePage().WidthsRadio->text()), "Fixed &widths. Comma delimited widths :");
    EXPECT_EQ(S(SourcePage().CommitCheck->text()), "&Add commit after each ");
    EXPECT_EQ(S(SourcePage().SourceBrowse->text()), "...");

    auto items = [](QComboBox* combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return S(list.join(QLatin1Char(' ')));
    };
    EXPECT_EQ(items(SourcePage().SeparatorCombo), "<tab> , |");
    EXPECT_EQ(items(SourcePage().SqlSepCombo), "; GO");
    EXPECT_TRUE(SourcePage().SeparatorCombo->isEditable());
    EXPECT_TRUE(SourcePage().SqlSepCombo->isEditable());
}

TEST_F(SourcePageTest, TypedSeparatorsAreStoredAsTyped)
{
    // A text that begins like a list entry stays what was typed.
    const struct {
        QComboBox* Combo;
        const char* Typed;
        std::string CProject::*Field;
    } cases[] = {{SourcePage().SeparatorCombo, "<", &CProject::Separator},
                 {SourcePage().SeparatorCombo, "<t", &CProject::Separator},
                 {SourcePage().SqlSepCombo, "G", &CProject::SQLSep},
                 {SourcePage().SqlSepCombo, "go", &CProject::SQLSep}};
    for (const auto& c : cases) {
        c.Combo->setEditText(QString());
        c.Combo->setFocus();
        QTest::keyClicks(c.Combo->lineEdit(), QString::fromLatin1(c.Typed));
        QTest::keyClick(c.Combo->lineEdit(), Qt::Key_Return);
        Page->StoreData();
        EXPECT_EQ(Project().*c.Field, c.Typed);
    }
}

TEST_F(SourcePageTest, TabVisitsTheControlsInTemplateOrder)
{
    SourcePage().CommitCheck->setChecked(true);
    SourcePage().SourceEdit->setFocus();
    std::vector<std::string> order;
    QWidget* widget = SourcePage().SourceEdit;
    for (int i = 0; i < 12; ++i) {
        order.push_back(S(widget->objectName()));
        do
            widget = widget->nextInFocusChain();
        while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled() ||
               !widget->isVisible() || // hidden: Back on page 0
               widget->focusProxy() != nullptr || widget->parentWidget() == SourcePage().SeparatorCombo ||
               widget->parentWidget() == SourcePage().SqlSepCombo);
    }
    // The radio pair has no tab stop; the widths box is disabled while the separator radio is on.
    EXPECT_EQ(order, (std::vector<std::string>{"c1004", "c1005", "c1006", "c1068", "c1010", "c1011", "c1012",
                                               "c1013", "c1014", "c1015", "options", "help"}));
    EXPECT_EQ(SourcePage().SeparatorRadio->focusPolicy(), Qt::ClickFocus);
}

TEST_F(SourcePageTest, MnemonicLabelsLeadToTheirBoxes)
{
    const std::pair<const char*, QWidget*> buddies[] = {
        {"&Source File Name", SourcePage().SourceEdit},
        {"&Target File Name", SourcePage().TargetEdit},
        {"Target Ta&ble Name", SourcePage().TableEdit},
        {"S&QL statement separator : ", SourcePage().SqlSepCombo}};
    for (const auto& [text, box] : buddies) {
        QLabel* found = nullptr;
        for (QLabel* label : Page->findChildren<QLabel*>())
            if (label->text() == QLatin1String(text))
                found = label;
        ASSERT_NE(found, nullptr) << text;
        EXPECT_EQ(found->buddy(), box) << text;
    }
}

TEST_F(SourcePageTest, AProjectRoundTripsThroughTheControls)
{
    Project().FileName = "in put.txt";
    Project().TargetName = "out.sql";
    Project().TableName = " spaced ";
    Project().ColumnNames = 0;
    Project().Commit = 7; // any non-zero value checks the box
    Project().WithSeparators = 0;
    Project().CommitSize = -5;
    Project().Separator = "<tab>";
    Project().SQLSep = "GO";
    Project().Widths = "5,x,10";
    Page->ShowPage();

    EXPECT_EQ(S(SourcePage().SourceEdit->text()), "in put.txt");
    EXPECT_EQ(S(SourcePage().TableEdit->text()), " spaced ");
    EXPECT_FALSE(SourcePage().FirstRowCheck->isChecked());
    EXPECT_TRUE(SourcePage().CommitCheck->isChecked());
    EXPECT_TRUE(SourcePage().WidthsRadio->isChecked());
    EXPECT_FALSE(SourcePage().SeparatorRadio->isChecked());
    EXPECT_EQ(S(SourcePage().CommitSizeEdit->text()), "-5");
    EXPECT_EQ(S(SourcePage().SeparatorCombo->currentText()), "<tab>");
    EXPECT_EQ(S(SourcePage().SqlSepCombo->currentText()), "GO");
    EXPECT_EQ(S(SourcePage().WidthsEdit->text()), "5,x,10");

    Page->StoreData();
    EXPECT_EQ(Project().FileName, "in put.txt");
    EXPECT_EQ(Project().TableName, " spaced ");
    EXPECT_EQ(Project().ColumnNames, 0);
    EXPECT_EQ(Project().Commit, 1); // the box stores 0 or 1
    EXPECT_EQ(Project().WithSeparators, 0);
    EXPECT_EQ(Project().CommitSize, -5);
    EXPECT_EQ(Project().Separator, "<tab>"); // not turned into a tab here
    EXPECT_EQ(Project().SQLSep, "GO");
    EXPECT_EQ(Project().Widths, "5,x,10");
}

TEST_F(SourcePageTest, CommitSizeIsReadTheAtoiWay)
{
    SourcePage().CommitCheck->setChecked(true);
    const std::pair<const char*, int> cases[] = {{"0250", 250}, {"", 0}, {"0", 0}, {"12", 12}};
    for (const auto& [text, value] : cases) {
        SourcePage().CommitSizeEdit->setText(QString::fromLatin1(text));
        Page->StoreData();
        EXPECT_EQ(Project().CommitSize, value) << text;
    }
}

TEST_F(SourcePageTest, TheCommitSizeBoxTakesDigitsOnly)
{
    SourcePage().CommitCheck->setChecked(true);
    SourcePage().CommitSizeEdit->clear();
    QTest::keyClicks(SourcePage().CommitSizeEdit, QStringLiteral("1a-2 x5"));
    EXPECT_EQ(S(SourcePage().CommitSizeEdit->text()), "125");
    // A loaded negative size shows and can still be edited.
    SourcePage().CommitSizeEdit->setText(QStringLiteral("-5"));
    SourcePage().CommitSizeEdit->end(false);
    QTest::keyClicks(SourcePage().CommitSizeEdit, QStringLiteral("0-"));
    EXPECT_EQ(S(SourcePage().CommitSizeEdit->text()), "-50");
}

TEST_F(SourcePageTest, TheEnableRulesFollowTheClicks)
{
    SourcePage().CommitCheck->setChecked(false);
    SourcePage().SeparatorRadio->setChecked(true);
    EXPECT_FALSE(SourcePage().CommitSizeEdit->isEnabled());
    EXPECT_TRUE(SourcePage().SeparatorCombo->isEnabled());
    EXPECT_FALSE(SourcePage().WidthsEdit->isEnabled());

    QTest::mouseClick(SourcePage().CommitCheck, Qt::LeftButton, {},
                      QPoint(4, SourcePage().CommitCheck->height() / 2));
    EXPECT_TRUE(SourcePage().CommitSizeEdit->isEnabled());

    SourcePage().SeparatorCombo->setEditText(QStringLiteral("|"));
    QTest::mouseClick(SourcePage().WidthsRadio, Qt::LeftButton, {},
                      QPoint(4, SourcePage().WidthsRadio->height() / 2));
    EXPECT_TRUE(SourcePage().WidthsRadio->isChecked());
    EXPECT_FALSE(SourcePage().SeparatorRadio->isChecked());
    EXPECT_FALSE(SourcePage().SeparatorCombo->isEnabled());
    EXPECT_TRUE(SourcePage().WidthsEdit->isEnabled());
    // The disabled combo box keeps its text and it is still stored.
    Page->StoreData();
    EXPECT_EQ(Project().WithSeparators, 0);
    EXPECT_EQ(Project().Separator, "|");

    QTest::mouseClick(SourcePage().SeparatorRadio, Qt::LeftButton, {},
                      QPoint(4, SourcePage().SeparatorRadio->height() / 2));
    EXPECT_TRUE(SourcePage().SeparatorCombo->isEnabled());
    EXPECT_FALSE(SourcePage().WidthsEdit->isEnabled());
    QTest::mouseClick(SourcePage().CommitCheck, Qt::LeftButton, {},
                      QPoint(4, SourcePage().CommitCheck->height() / 2));
    EXPECT_FALSE(SourcePage().CommitSizeEdit->isEnabled());
}

struct RefusalCase {
    const char* Source; // "" | "missing" | "data" | "folder" | "spaces"
    const char* Target;
    const char* Table;
    const char* Message; // nullptr: Next goes on; "@" stands for the source's path
    const char* Field;   // the control that then has the focus
};

class CanLeaveTest : public SourcePageTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CanLeaveTest, ChecksTheNamesInOrder)
{
    const RefusalCase& c = GetParam();
#ifdef _WIN32
    if (std::string(c.Target) == " ")
        GTEST_SKIP() << "Windows takes no file name of blanks only";
#endif
    WriteFile(Path("data.csv"), "a,b\r\n1,x\r\n");
#ifndef _WIN32 // Windows takes no file name of blanks only
    WriteFile(Path("  "), "a\r\n");
#endif
    const std::string source = std::string(c.Source) == "missing"  ? Path("missing.csv")
                               : std::string(c.Source) == "data"   ? Path("data.csv")
                               : std::string(c.Source) == "folder" ? Folder.path().toStdString()
                                                                   : std::string(c.Source);
    // A saved project: no detection fills in the target and table left empty here.
    Project().ProjectPath = Path("p.cvtproj");
    SourcePage().SourceEdit->setText(Q(source));
    SourcePage().TargetEdit->setText(QString::fromLatin1(c.Target));
    SourcePage().TableEdit->setText(QString::fromLatin1(c.Table));
    SourcePage().CommitSizeEdit->setText(QStringLiteral("0250"));
    Frame->OnNext();

    // Whatever the outcome, the project holds the page's values.
    EXPECT_EQ(Project().FileName, source);
    EXPECT_EQ(Project().TargetName, c.Target);
    EXPECT_EQ(Project().TableName, c.Table);
    EXPECT_EQ(Project().CommitSize, 250);
    if (c.Message) {
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        std::string expected = c.Message;
        if (expected.find('@') != std::string::npos)
            expected.replace(expected.find('@'), 1, source);
        EXPECT_EQ(Dialogs.Messages[0].Text, expected);
        ASSERT_NE(Frame->focusWidget(), nullptr);
        EXPECT_EQ(Frame->focusWidget()->objectName().toStdString(), c.Field);
        EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
        EXPECT_EQ(Dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
        EXPECT_EQ(Dialogs.Messages[0].Owner, Page);
        EXPECT_EQ(Frame->GetCurrentPage(), 0);
        EXPECT_TRUE(Page->isVisible());
        EXPECT_FALSE(FrameButton(*Frame, "back")->isVisible());
        EXPECT_TRUE(FrameButton(*Frame, "next")->isVisible());
    } else {
        EXPECT_TRUE(Dialogs.Messages.empty());
        EXPECT_EQ(Frame->GetCurrentPage(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanLeaveTest,
    ::testing::Values(
        RefusalCase{"", "", "", "No source file is named. Give the text file to convert.", "c1004"},
        RefusalCase{"", "out.sql", "T", "No source file is named. Give the text file to convert.", "c1004"},
        RefusalCase{"missing", "out.sql", "T", "The source file @ cannot be found.", "c1004"},
        RefusalCase{"folder", "out.sql", "T", "The source file @ is a folder, not a file.", "c1004"},
        RefusalCase{"data", "", "T", "No target file is named. Give the SQL script file to write.", "c1010"},
        RefusalCase{"data", "no/such/folder/out.sql", "T",
                    "The folder of the target file no/such/folder/out.sql does not exist.", "c1010"},
        RefusalCase{"data", "out.sql", "", "No table is named. Give the table the script fills.", "c1012"},
        RefusalCase{"data", " ", " ", nullptr, nullptr}));

// The splitting is checked by the engine's rule (the one a run applies), named on this
// page with the field that holds it, which gets the focus; Preview checks it too.
TEST_F(SourcePageTest, TheSplittingIsCheckedByTheRunsRuleAndNamedWithItsField)
{
    WriteFile(Path("data.csv"), "a,b\r\n1,x\r\n");
    const struct {
        bool Separated;
        const char* Text;    // the separator or the widths
        const char* Message; // its start; nullptr: Next goes on
        const char* Field;
    } cases[] = {
        {true, "", "The separator is empty: write the text that separates the fields", "c1068"},
        {false, "0", "The widths \"0\" cannot cut the lines: write the width of each field", "c1024"},
        {false, "abc", "The widths \"abc\" cannot cut the lines: ", "c1024"},
        {false, "-3", "The widths \"-3\" cannot cut the lines: ", "c1024"},
        {false, "5,,3", "The widths \"5,,3\" cannot cut the lines: ", "c1024"},
        {false, "", "No widths are given: write the width of each field", "c1024"},
        {false, "1000000001", "The widths \"1000000001\" cannot cut the lines: ", "c1024"},
        {false, "70000, 5", nullptr, nullptr},
        {true, ";", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        Start();
        Dialogs.Messages.clear();
        Project().ProjectPath = Path("p.cvtproj"); // no detection changes the splitting set here
        SourcePage().SourceEdit->setText(Q(Path("data.csv")));
        SourcePage().TargetEdit->setText(QStringLiteral("out.sql"));
        SourcePage().TableEdit->setText(QStringLiteral("T"));
        (c.Separated ? SourcePage().SeparatorRadio : SourcePage().WidthsRadio)->setChecked(true);
        if (c.Separated)
            SourcePage().SeparatorCombo->setEditText(QString::fromLatin1(c.Text));
        else
            SourcePage().WidthsEdit->setText(QString::fromLatin1(c.Text));
        Frame->OnNext();
        if (!c.Message) {
            EXPECT_TRUE(Dialogs.Messages.empty());
            EXPECT_EQ(Frame->GetCurrentPage(), 1);
            continue;
        }
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text.rfind(c.Message, 0), 0u) << Dialogs.Messages[0].Text;
        EXPECT_EQ(Frame->GetCurrentPage(), 0);
        ASSERT_NE(Frame->focusWidget(), nullptr);
        EXPECT_EQ(Frame->focusWidget()->objectName().toStdString(), c.Field);
    }
}

TEST_F(SourcePageTest, NextDiscoversTheColumns)
{
    WriteFile(Path("data.csv"), "id,name\r\n1,Smith\r\n");
    SourcePage().SourceEdit->setText(Q(Path("data.csv")));
    SourcePage().TargetEdit->setText(QStringLiteral("out.sql"));
    SourcePage().TableEdit->setText(QStringLiteral("T"));
    SourcePage().SeparatorCombo->setEditText(QStringLiteral(","));
    Frame->OnNext();
    EXPECT_EQ(Project().Columns, (std::vector<std::string>{"id", "name"}));
    EXPECT_EQ(Project().Quotes, (std::vector<std::string>{"", "'"}));
}

TEST_F(SourcePageTest, ASourceThatCannotBeReadKeepsThePageAndSaysWhy)
{
    // It exists and opens, but every read fails.
    const std::string unreadable = "/proc/self/mem";
    if (!std::filesystem::exists(unreadable))
        GTEST_SKIP() << "no " << unreadable << " on this system";
    Project().Columns = {"kept"};
    Project().Quotes = {"'"};
    SourcePage().SourceEdit->setText(Q(unreadable));
    SourcePage().TargetEdit->setText(QStringLiteral("out.sql"));
    SourcePage().TableEdit->setText(QStringLiteral("T"));
    Frame->OnNext();

    ASSERT_EQ(Dialogs.Messages.size(), 1u);
    EXPECT_EQ(Dialogs.Messages[0].Text.rfind("The source file cannot be read.\n\n" + unreadable, 0), 0u)
        << Dialogs.Messages[0].Text;
    EXPECT_NE(Dialogs.Messages[0].Text.find("Reason: "), std::string::npos);
    EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(Frame->GetCurrentPage(), 0);
    EXPECT_EQ(Project().Columns, (std::vector<std::string>{"kept"}));
}

TEST_F(SourcePageTest, AnyEngineFailureOnNextIsShownAndThePageStays)
{
    FillSourcePage();
    for (const EngineFailure& failure : EngineFailures()) {
        SCOPED_TRACE(failure.Name);
        Dialogs.Messages.clear();
        {
            EngineFaultGuard fault(failure.Throw);
            Frame->OnNext();
        }
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text.rfind(failure.MessageStart, 0), 0u) << Dialogs.Messages[0].Text;
        EXPECT_EQ(Dialogs.Messages[0].Caption, "Error");
        EXPECT_EQ(Dialogs.Messages[0].MessageIcon, IUserDialogs::Icon::Stop);
        EXPECT_EQ(Dialogs.Messages[0].Owner, Page);
        EXPECT_EQ(Frame->GetCurrentPage(), 0);
    }
    // Once the engine works again, the same page goes on.
    Frame->OnNext();
    EXPECT_EQ(Frame->GetCurrentPage(), 1);
}

TEST_F(SourcePageTest, BrowsingOpensTheSourceSavesTheTargetAndFillsTheBox)
{
    SourcePage().SourceEdit->setText(QStringLiteral("bare.csv"));
    Dialogs.FileAnswers.push_back(std::nullopt);
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    ASSERT_EQ(Dialogs.FileRequests.size(), 1u);
    const auto& request = Dialogs.FileRequests[0];
    EXPECT_EQ(request.Kind, IUserDialogs::FileDialog::Open);
    EXPECT_EQ(request.InitialName, "bare.csv");
    EXPECT_EQ(request.Filter, "Text and CSV Files (*.txt;*.csv;*.tsv)|*.txt;*.csv;*.tsv|"
                              "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|AllFiles (*.*)|*.*||");
    EXPECT_EQ(request.DefaultExtension, "txt");
    EXPECT_EQ(request.Owner, Page);
    EXPECT_EQ(S(SourcePage().SourceEdit->text()), "bare.csv"); // cancelled

    Dialogs.FileAnswers.push_back(Path("chosen.csv"));
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    EXPECT_EQ(S(SourcePage().SourceEdit->text()), Path("chosen.csv"));
    EXPECT_EQ(Project().FileName, ""); // the project gets it at the next StoreData

    Dialogs.FileAnswers.push_back(Path("script.sql"));
    QTest::mouseClick(SourcePage().TargetBrowse, Qt::LeftButton);
    EXPECT_EQ(Dialogs.FileRequests.back().Kind, IUserDialogs::FileDialog::Save);
    EXPECT_EQ(Dialogs.FileRequests.back().Filter, "SQL scripts (*.sql)|*.sql|AllFiles (*.*)|*.*||");
    EXPECT_EQ(Dialogs.FileRequests.back().DefaultExtension, "sql");
    EXPECT_EQ(S(SourcePage().TargetEdit->text()), Path("script.sql"));
}

// An untitled project takes the encoding its newly chosen source appears to be
// in; a saved project keeps the encoding it names.
TEST_F(SourcePageTest, ANewProjectTakesItsSourcesEncoding)
{
    TestFolder folder;
    const std::string latin = folder.Write("latin.csv", "name\r\nM\xFCller\r\n");
    const std::string unicode = folder.Write("unicode.csv", "name\r\nM\xC3\xBCller\r\n");
    SourcePage().SourceEdit->setText(Q(latin));
    Page->StoreData();
    EXPECT_EQ(Project().Encoding, "Windows-1252");
    SourcePage().SourceEdit->setText(Q(unicode));
    Page->StoreData();
    EXPECT_EQ(Project().Encoding, "UTF-8");

    // A byte that is not UTF-8 far into a large file: the first bytes decide at once, the rest
    // is checked behind the page, whose answer the project then takes.
    std::string large = "name\r\n";
    while (large.size() < DetectionSampleSize + 100)
        large += "filler\r\n";
    const std::string late = folder.Write("late.csv", large + "M\xFCller\r\n");
    SourcePage().SourceEdit->setText(Q(late));
    Page->StoreData();
    EXPECT_EQ(Project().Encoding, "UTF-8");
    EXPECT_TRUE(QTest::qWaitFor([this] { return Project().Encoding == "Windows-1252"; }, 10000))
        << Project().Encoding;

    Project().ProjectPath = folder / "saved.cvtproj";
    Project().Encoding = "";
    SourcePage().SourceEdit->setText(Q(latin));
    Page->StoreData();
    EXPECT_EQ(Project().Encoding, "");
}

// A new project's source chosen in the Open dialog fills the page and the options from what the
// source says, names them on the options line and suggests a target and a table; a saved
// project keeps its own settings.
TEST_F(SourcePageTest, ANewProjectsSourceFillsThePageFromWhatItSays)
{
    TestFolder folder;
    const std::string source =
        folder.Write("Orders 2024.csv", "id;name;amount\r\n1;\"Smith; John\";3\r\n2;Lee;4\r\n3;Kim;5\r\n");
    Dialogs.FileAnswers.push_back(source);
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    EXPECT_EQ(S(SourcePage().SeparatorCombo->currentText()), ";");
    EXPECT_TRUE(SourcePage().SeparatorRadio->isChecked());
    EXPECT_TRUE(SourcePage().FirstRowCheck->isChecked());
    EXPECT_EQ(S(SourcePage().TargetEdit->text()), folder.Path("Orders 2024.sql"));
    EXPECT_EQ(S(SourcePage().TableEdit->text()), "Orders2024");
    EXPECT_EQ(Project().QuotedFields, 1);
    EXPECT_EQ(Project().Encoding, "UTF-8");
    QStringList labels;
    for (QLabel* label : Page->findChildren<QLabel*>())
        labels << label->text();
    const std::string texts = S(labels.join(QLatin1Char('|')));
    EXPECT_NE(texts.find("|Detected: ';' separated, header. UTF-8, quoted fields"), std::string::npos)
        << texts;

    // Another source: the suggested target and table follow it, a typed table stays.
    const std::string next = folder.Write("next.csv", "a,b\r\n1,2\r\n");
    Dialogs.FileAnswers.push_back(next);
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    EXPECT_EQ(S(SourcePage().SeparatorCombo->currentText()), ",");
    EXPECT_EQ(S(SourcePage().TargetEdit->text()), folder.Path("next.sql"));
    EXPECT_EQ(S(SourcePage().TableEdit->text()), "next");
    SourcePage().TableEdit->setText(QStringLiteral("mine"));
    Dialogs.FileAnswers.push_back(source);
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    EXPECT_EQ(S(SourcePage().TargetEdit->text()), folder.Path("Orders 2024.sql"));
    EXPECT_EQ(S(SourcePage().TableEdit->text()), "mine");
    SourcePage().TableEdit->setText(QStringLiteral("Orders2024"));

    // Typed over, the page's values stay; a saved project's source is not detected.
    SourcePage().SeparatorCombo->setEditText(QStringLiteral("|"));
    Page->StoreData();
    Page->ShowPage();
    EXPECT_EQ(S(SourcePage().SeparatorCombo->currentText()), "|");
    const std::string other = folder.Write("other.csv", "a,b\r\n1,2\r\n");
    Project().ProjectPath = folder / "saved.cvtproj";
    Dialogs.FileAnswers.push_back(other);
    QTest::mouseClick(SourcePage().SourceBrowse, Qt::LeftButton);
    Page->StoreData();
    EXPECT_EQ(Project().Separator, "|");
    EXPECT_EQ(Project().TableName, "Orders2024");
}
