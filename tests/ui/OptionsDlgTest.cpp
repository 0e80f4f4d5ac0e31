// The options dialog: every option of the source's text and the script, the rules of
// which apply when, its keys and tips, and the first page's Options button.
#include "OptionsDlg.h"
#include "Project.h"
#include "SourcePage.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <map>

namespace {

struct OptionControls {
    explicit OptionControls(const QWidget* dialog)
        : QuotedFields(Find<QCheckBox>(dialog, "quotedFields")),
          Encoding(Find<QComboBox>(dialog, "encoding")), Trim(Find<QCheckBox>(dialog, "trim")),
          EmptyIsNull(Find<QCheckBox>(dialog, "emptyIsNull")), Dialect(Find<QComboBox>(dialog, "dialect")),
          RowsPerInsert(Find<QSpinBox>(dialog, "rowsPerInsert")),
          CreateTable(Find<QCheckBox>(dialog, "createTable")),
          DropTable(Find<QCheckBox>(dialog, "dropTable")), Copy(Find<QCheckBox>(dialog, "copyOutput")),
          SkipLines(Find<QSpinBox>(dialog, "skipLines")),
          CommentPrefix(Find<QLineEdit>(dialog, "commentPrefix")),
          NullValues(Find<QLineEdit>(dialog, "nullValues")),
          Decimal(Find<QComboBox>(dialog, "decimalSeparator")),
          Thousands(Find<QComboBox>(dialog, "thousandsSeparator")),
          DateFormat(Find<QComboBox>(dialog, "dateFormat"))
    {
    }
    QCheckBox* QuotedFields;
    QComboBox* Encoding;
    QCheckBox* Trim;
    QCheckBox* EmptyIsNull;
    QComboBox* Dialect;
    QSpinBox* RowsPerInsert;
    QCheckBox* CreateTable;
    QCheckBox* DropTable;
    QCheckBox* Copy;
    QSpinBox* SkipLines;
    QLineEdit* CommentPrefix;
    QLineEdit* NullValues;
    QComboBox* Decimal;
    QComboBox* Thousands;
    QComboBox* DateFormat;
    void Select(QComboBox* combo, const char* text) const
    {
        const int index = combo->findText(QString::fromLatin1(text));
        ASSERT_GE(index, 0) << text;
        combo->setCurrentIndex(index);
    }
};

// The mnemonic letter of each button and label on view in the window, lower case
// (a hidden one, as Back on the first page or another page's, takes no key).
std::multimap<QChar, QString> Mnemonics(const QWidget* window)
{
    std::multimap<QChar, QString> letters;
    auto add = [&](const QWidget* widget, const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (widget->isVisibleTo(window) && at >= 0 && at + 1 < text.size())
            letters.emplace(text.at(at + 1).toLower(), text);
    };
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        add(button, button->text());
    for (const QLabel* label : window->findChildren<QLabel*>())
        add(label, label->text());
    return letters;
}

void ExpectNoClash(const QWidget* window)
{
    const std::multimap<QChar, QString> letters = Mnemonics(window);
    for (auto it = letters.begin(); it != letters.end(); ++it)
        EXPECT_EQ(letters.count(it->first), 1u)
            << "&" << QString(it->first).toStdString() << " in " << it->second.toStdString();
}

} // namespace

TEST(OptionsDlg, ShowsTheProjectsOptionsAndWritesThemOnOk)
{
    CProject project;
    project.QuotedFields = 1;
    project.Encoding = "Windows-1252";
    project.Trim = 1;
    project.Dialect = "MySQL";
    project.RowsPerInsert = 250;
    project.CreateTable = 1;
    project.DropTable = 1;
    COptionsDlg dialog(nullptr, &project, true);
    const OptionControls c(&dialog);
    EXPECT_TRUE(c.QuotedFields->isChecked());
    EXPECT_EQ(c.Encoding->currentText().toStdString(), "Windows-1252");
    EXPECT_TRUE(c.Trim->isChecked());
    EXPECT_FALSE(c.EmptyIsNull->isChecked());
    EXPECT_EQ(c.Dialect->currentText().toStdString(), "MySQL");
    EXPECT_EQ(c.RowsPerInsert->value(), 250);
    EXPECT_TRUE(c.CreateTable->isChecked());
    EXPECT_TRUE(c.DropTable->isChecked());
    EXPECT_FALSE(c.Copy->isChecked());

    c.QuotedFields->setChecked(false);
    c.Select(c.Encoding, "UTF-16BE");
    c.Trim->setChecked(false);
    c.EmptyIsNull->setChecked(true);
    c.Select(c.Dialect, "PostgreSQL");
    c.RowsPerInsert->setValue(10000);
    c.CreateTable->setChecked(false);
    c.Copy->setChecked(true);
    const CProject before = project;
    dialog.reject();
    EXPECT_EQ(project.Encoding, before.Encoding); // Cancel changes nothing
    dialog.accept();
    EXPECT_EQ(project.QuotedFields, 0);
    EXPECT_EQ(project.Encoding, "UTF-16BE");
    EXPECT_EQ(project.Trim, 0);
    EXPECT_EQ(project.EmptyIsNull, 1);
    EXPECT_EQ(project.Dialect, "PostgreSQL");
    EXPECT_EQ(project.RowsPerInsert, 10000);
    EXPECT_EQ(project.CreateTable, 0);
    EXPECT_EQ(project.DropTable, 0); // only with CREATE TABLE
    EXPECT_EQ(project.Output, "copy");
}

TEST(OptionsDlg, ShowsHowTheSourceWritesNullNumbersAndDates)
{
    const struct {
        int SkipLines;
        const char* CommentPrefix;
        const char* NullValues;
        const char* Decimal;
        const char* Thousands;
        const char* DateFormat;
        const char* Shown[3]; // the texts of the decimal, thousands and date lists
    } cases[] = {
        {0, "", "", ".", "", "YYYY-MM-DD", {"Point", "None", "YYYY-MM-DD"}},
        {3, "#", "NA,\\N", ",", ".", "DD.MM.YYYY", {"Comma", "Point", "DD.MM.YYYY"}},
        {1, "//", "-", ".", "<space>", "MM/DD/YY", {"Point", "Blank", "MM/DD/YY"}},
        {0, "", "", ".", "'", "dd/mm/yyyy", {"Point", "Apostrophe", "DD/MM/YYYY"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.DateFormat);
        CProject project;
        project.SkipLines = k.SkipLines;
        project.CommentPrefix = k.CommentPrefix;
        project.NullValues = k.NullValues;
        project.DecimalSeparator = k.Decimal;
        project.ThousandsSeparator = k.Thousands;
        project.DateFormat = k.DateFormat;
        const CProject before = project;
        CProject fresh; // every key the other way, so that OK must write each
        fresh.SkipLines = 7;
        fresh.CommentPrefix = "x";
        fresh.NullValues = "x";
        fresh.DecimalSeparator = k.Decimal[0] == ',' ? "." : ",";
        fresh.ThousandsSeparator = "?";
        fresh.DateFormat = "?";
        COptionsDlg dialog(nullptr, &project, true);
        const OptionControls c(&dialog);
        EXPECT_EQ(c.SkipLines->value(), k.SkipLines);
        EXPECT_EQ(c.CommentPrefix->text().toStdString(), k.CommentPrefix);
        EXPECT_EQ(c.NullValues->text().toStdString(), k.NullValues);
        EXPECT_EQ(c.Decimal->currentText().toStdString(), k.Shown[0]);
        EXPECT_EQ(c.Thousands->currentText().toStdString(), k.Shown[1]);
        EXPECT_EQ(c.DateFormat->currentText().toStdString(), k.Shown[2]);
        project = fresh;
        dialog.accept();
        EXPECT_EQ(project.SkipLines, before.SkipLines);
        EXPECT_EQ(project.CommentPrefix, before.CommentPrefix);
        EXPECT_EQ(project.NullValues, before.NullValues);
        EXPECT_EQ(project.DecimalSeparator, before.DecimalSeparator);
        EXPECT_EQ(project.ThousandsSeparator, before.ThousandsSeparator);
        EXPECT_EQ(project.DateFormat, k.Shown[2]);
    }
}

TEST(OptionsDlg, EachValueOfTheListsIsWhatTheProjectFileHolds)
{
    const std::pair<const char*, const char*> encodings[] = {
        {"Bytes as they are", ""},    {"UTF-8", "UTF-8"},       {"Windows-1252", "Windows-1252"},
        {"ISO-8859-1", "ISO-8859-1"}, {"UTF-16LE", "UTF-16LE"}, {"UTF-16BE", "UTF-16BE"}};
    const std::pair<const char*, const char*> dialects[] = {{"Generic SQL", ""},
                                                            {"PostgreSQL", "PostgreSQL"},
                                                            {"MySQL", "MySQL"},
                                                            {"SQLite", "SQLite"},
                                                            {"SQL Server", "SQLServer"}};
    CProject project;
    project.Encoding = "UTF-8";
    project.Dialect = "SQLite";
    COptionsDlg dialog(nullptr, &project, true);
    const OptionControls c(&dialog);
    EXPECT_EQ(c.Encoding->count(), 6);
    EXPECT_EQ(c.Dialect->count(), 5);
    for (const auto& [text, value] : encodings) {
        c.Select(c.Encoding, text);
        dialog.StoreOptions();
        EXPECT_EQ(project.Encoding, value);
    }
    for (const auto& [text, value] : dialects) {
        c.Select(c.Dialect, text);
        dialog.StoreOptions();
        EXPECT_EQ(project.Dialect, value);
    }
    // A value no list has (a project file edited by hand) is kept.
    project.Encoding = "KOI8-R";
    COptionsDlg other(nullptr, &project, true);
    other.StoreOptions();
    EXPECT_EQ(project.Encoding, "KOI8-R");
}

// The engine reads a dialect's name in any letter case and its aliases; so does the dialog.
TEST(OptionsDlg, ADialectNamedAsTheEngineReadsItKeepsItsOptions)
{
    const struct {
        const char* Dialect;
        const char* Output;
        const char* Shown;
        bool Copy;
    } cases[] = {{"postgresql", "copy", "PostgreSQL", true},
                 {"POSTGRESQL", "COPY", "PostgreSQL", true},
                 {"mariadb", "insert", "MySQL", false},
                 {"sqlserver", "insert", "SQL Server", false}};
    for (const auto& c : cases) {
        CProject project;
        project.Dialect = c.Dialect;
        project.Output = c.Output;
        COptionsDlg dialog(nullptr, &project, true);
        const OptionControls controls(&dialog);
        EXPECT_EQ(controls.Dialect->currentText().toStdString(), c.Shown) << c.Dialect;
        EXPECT_EQ(controls.Copy->isChecked(), c.Copy) << c.Dialect;
        dialog.accept();
        EXPECT_EQ(project.Output, c.Copy ? "copy" : "insert") << c.Dialect;
        EXPECT_EQ(DescribeOptions(project).find("COPY") != std::string::npos, c.Copy) << c.Dialect;
    }
}

TEST(OptionsDlg, ControlsAreEnabledOnlyWhereTheyApply)
{
    CProject project;
    project.RowsPerInsert = 5000;
    COptionsDlg fixedWidths(nullptr, &project, false);
    EXPECT_FALSE(OptionControls(&fixedWidths).QuotedFields->isEnabled());

    COptionsDlg dialog(nullptr, &project, true);
    const OptionControls c(&dialog);
    EXPECT_TRUE(c.QuotedFields->isEnabled());
    EXPECT_FALSE(c.DropTable->isEnabled());
    c.CreateTable->setChecked(true);
    EXPECT_TRUE(c.DropTable->isEnabled());
    c.CreateTable->setChecked(false);
    EXPECT_FALSE(c.DropTable->isEnabled());

    struct Case {
        const char* Dialect;
        bool CopyEnabled;
        int MostRows;
    };
    for (const Case& d :
         {Case{"Generic SQL", false, 10000}, Case{"PostgreSQL", true, 10000}, Case{"MySQL", false, 10000},
          Case{"SQLite", false, 10000}, Case{"SQL Server", false, 1000}}) {
        SCOPED_TRACE(d.Dialect);
        c.Select(c.Dialect, d.Dialect);
        EXPECT_EQ(c.Copy->isEnabled(), d.CopyEnabled);
        EXPECT_EQ(c.RowsPerInsert->maximum(), d.MostRows);
        EXPECT_EQ(c.RowsPerInsert->minimum(), 1);
    }
    // SQL Server took the rows down to its limit.
    EXPECT_EQ(c.RowsPerInsert->value(), 1000);
    c.Select(c.Dialect, "PostgreSQL");
    c.Copy->setChecked(true);
    EXPECT_FALSE(c.RowsPerInsert->isEnabled()); // COPY writes no INSERT
    c.Select(c.Dialect, "MySQL");
    EXPECT_TRUE(c.RowsPerInsert->isEnabled());
    dialog.StoreOptions();
    EXPECT_EQ(project.Output, "insert"); // COPY is PostgreSQL's only
}

TEST(OptionsDlg, EveryControlHasItsOwnKeyAndATip)
{
    CProject project;
    COptionsDlg dialog(nullptr, &project, true);
    ExpectNoClash(&dialog);
    const OptionControls c(&dialog);
    for (QWidget* control : std::initializer_list<QWidget*>{
             c.QuotedFields, c.Encoding, c.Trim, c.EmptyIsNull, c.Dialect, c.RowsPerInsert, c.CreateTable,
             c.DropTable, c.Copy, c.SkipLines, c.NullValues, c.Decimal, c.Thousands, c.DateFormat}) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_FALSE(control->toolTip().isEmpty());
        auto* button = qobject_cast<QAbstractButton*>(control);
        bool keyed = button && button->text().contains(QLatin1Char('&'));
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            keyed = keyed || (label->buddy() == control && label->text().contains(QLatin1Char('&')));
        EXPECT_TRUE(keyed);
    }
}

TEST(OptionsDlg, TheSummaryNamesTheOptionsInForce)
{
    CProject project;
    EXPECT_EQ(DescribeOptions(project), "bytes as they are; Generic SQL");
    project.Encoding = "UTF-8";
    project.QuotedFields = 1;
    project.Trim = 1;
    project.EmptyIsNull = 1;
    project.Dialect = "SQLServer";
    project.RowsPerInsert = 100;
    project.CreateTable = 1;
    EXPECT_EQ(
        DescribeOptions(project),
        "UTF-8, quoted fields, trimmed, empty values NULL; SQL Server, 100 rows per INSERT, CREATE TABLE");
    project.Dialect = "PostgreSQL";
    project.Output = "copy";
    project.DropTable = 1;
    project.WithSeparators = 0; // quoted fields do not apply
    EXPECT_EQ(DescribeOptions(project),
              "UTF-8, trimmed, empty values NULL; PostgreSQL, COPY, DROP and CREATE TABLE");
    project.Trim = 0;
    project.EmptyIsNull = 0;
    project.SkipLines = 2;
    project.NullValues = "NA";
    project.DecimalSeparator = ",";
    project.ThousandsSeparator = "<space>";
    project.DateFormat = "DD.MM.YYYY";
    EXPECT_EQ(DescribeOptions(project), "UTF-8, 2 title lines, NULL NA, decimal comma, thousands blank, "
                                        "dates DD.MM.YYYY; PostgreSQL, COPY, DROP and CREATE TABLE");
}

class SourcePageOptionsTest : public WizardTest {};

// Options... on the first page opens the dialog on the project (a new source's encoding
// already detected); OK shows the new options beside the button and marks the project changed.
TEST_F(SourcePageOptionsTest, TheOptionsButtonOpensTheDialogOnTheProject)
{
    Start();
    QWidget* page = Frame->GetPage(0);
    ExpectNoClash(Frame.get());
    auto* button = Find<QPushButton>(page, "options");
    EXPECT_EQ(button->text().toStdString(), "&Options...");
    EXPECT_FALSE(button->toolTip().isEmpty());
    WriteFile(Path("latin.csv"), "name\r\nM\xFCller\r\n");
    SourcePage().SourceEdit->setText(QString::fromStdString(Path("latin.csv")));

    std::string encodingShown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<COptionsDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const OptionControls c(dialog);
        encodingShown = c.Encoding->currentText().toStdString();
        c.Select(c.Dialect, "SQLite");
        c.CreateTable->setChecked(true);
        dialog->accept();
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(encodingShown, "Windows-1252");
    EXPECT_EQ(Frame->GetProject().Dialect, "SQLite");
    EXPECT_EQ(Frame->GetProject().CreateTable, 1);
    // The source field starts with the focus: leaving it for Options detected the new source.
    EXPECT_EQ(Find<QLabel>(page, "optionsSummary")->text().toStdString(),
              "Detected: one column, header. Windows-1252; SQLite, CREATE TABLE");
    EXPECT_EQ(Frame->windowTitle().toStdString(), "Tabulon [Untitled*]");
}
