#include "OptionsDlg.h"

#include "WizardDlg.h"

#include <QKeyEvent>

#include "DateText.h"
#include "Project.h"
#include "QtText.h"
#include "SourceValues.h"
#include "SqlDialect.h"
#include "TextRules.h"
#include "WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Each choice's text in the list and its value in the project file.
struct Choice {
    const char* Text;
    const char* Value;
};
constexpr Choice Encodings[] = {
    {"Bytes as they are", ""},    {"UTF-8", "UTF-8"},       {"Windows-1252", "Windows-1252"},
    {"ISO-8859-1", "ISO-8859-1"}, {"UTF-16LE", "UTF-16LE"}, {"UTF-16BE", "UTF-16BE"},
};
constexpr Choice Decimals[] = {{"Point", "."}, {"Comma", ","}};
constexpr Choice ThousandsSeparators[] = {
    {"None", ""}, {"Point", "."}, {"Comma", ","}, {"Apostrophe", "'"}, {"Blank", "<space>"},
};
constexpr const char* CopyOutput = "copy";
constexpr const char* InsertOutput = "insert";

// The dialect a project names, or null for a name no dialect has.
const DialectRules* ProjectDialect(const CProject& project)
{
    return FindDialect(project.Dialect);
}

void FillDialects(QComboBox* combo, const std::string& value)
{
    for (const DialectRules* d = DialectsBegin(); d != DialectsEnd(); ++d)
        combo->addItem(QString::fromUtf8(d->Caption), QString::fromUtf8(d->Name));
    // Any letter case and the aliases name the same dialect; a name no dialect has
    // (a project file edited by hand) is added, so that it is kept.
    const DialectRules* known = FindDialect(value);
    int index = combo->findData(ToQt(known ? std::string(known->Name) : value));
    if (index < 0) {
        combo->addItem(ToQt(value), ToQt(value));
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

// Fills `combo` with the choices and selects `value`; a value no choice has (a project
// file edited by hand) is added, so that it is kept.
template <std::size_t N>
void FillChoices(QComboBox* combo, const Choice (&choices)[N], const std::string& value)
{
    for (const Choice& choice : choices)
        combo->addItem(QString::fromLatin1(choice.Text), QString::fromLatin1(choice.Value));
    int index = combo->findData(ToQt(value));
    if (index < 0) {
        combo->addItem(ToQt(value), ToQt(value));
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

const char* ChoiceText(const Choice* first, const Choice* last, const std::string& value)
{
    const Choice* found = std::find_if(first, last, [&](const Choice& c) { return value == c.Value; });
    return found != last ? found->Text : nullptr;
}

} // namespace

COptionsDlg::COptionsDlg(QWidget* parent, CProject* project, bool separated)
    : QDialog(parent), Project(project), Separated(separated)
{
    setObjectName(QStringLiteral("optionsDlg"));
    setWindowTitle(QStringLiteral("Options"));
    BuildControls();
    LoadOptions();
    UpdateDependentControls();
    new PlaceWhenShown(this);
}

int COptionsDlg::MaxRowsPerInsert(const std::string& dialect)
{
    const DialectRules* rules = FindDialect(dialect);
    return (rules ? *rules : RulesOf(SqlDialect::Generic)).MaxRowsPerInsert;
}

void COptionsDlg::BuildControls()
{
    // Created in tab order.
    auto* source = new QGroupBox(QStringLiteral("Reading the source"), this);
    QuotedFieldsCheck =
        new QCheckBox(QStringLiteral("Fields in double &quotes may hold separators and line ends"), source);
    auto* encodingLabel = new QLabel(QStringLiteral("&Encoding:"), source);
    EncodingCombo = new QComboBox(source);
    TrimCheck = new QCheckBox(QStringLiteral("&Trim blanks around names and values"), source);
    EmptyIsNullCheck = new QCheckBox(QStringLiteral("Empty values are &NULL in every column"), source);
    auto* skipLinesLabel = new QLabel(QStringLiteral("Title &lines to skip:"), source);
    SkipLinesSpin = new QSpinBox(source);
    auto* commentLabel = new QLabel(QStringLiteral("Comment lines &begin with:"), source);
    CommentPrefixEdit = new QLineEdit(source);
    auto* nullValuesLabel = new QLabel(QStringLiteral("NULL mar&kers:"), source);
    NullValuesEdit = new QLineEdit(source);
    auto* decimalLabel = new QLabel(QStringLiteral("Decimal se&parator:"), source);
    DecimalCombo = new QComboBox(source);
    auto* thousandsLabel = new QLabel(QStringLiteral("T&housands separator:"), source);
    ThousandsCombo = new QComboBox(source);
    auto* dateFormatLabel = new QLabel(QStringLiteral("Date for&mat:"), source);
    DateFormatCombo = new QComboBox(source);
    auto* script = new QGroupBox(QStringLiteral("Writing the script"), this);
    auto* dialectLabel = new QLabel(QStringLiteral("&Database:"), script);
    DialectCombo = new QComboBox(script);
    auto* rowsLabel = new QLabel(QStringLiteral("&Rows per INSERT:"), script);
    RowsPerInsertSpin = new QSpinBox(script);
    CreateTableCheck = new QCheckBox(QStringLiteral("&CREATE TABLE before the rows"), script);
    DropTableCheck = new QCheckBox(QStringLiteral("DROP TABLE IF EXISTS &first"), script);
    CopyCheck = new QCheckBox(QStringLiteral("Rows as C&OPY ... FROM stdin (PostgreSQL)"), script);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    const std::pair<QWidget*, const char*> names[] = {
        {QuotedFieldsCheck, "quotedFields"},
        {EncodingCombo, "encoding"},
        {TrimCheck, "trim"},
        {EmptyIsNullCheck, "emptyIsNull"},
        {SkipLinesSpin, "skipLines"},
        {CommentPrefixEdit, "commentPrefix"},
        {NullValuesEdit, "nullValues"},
        {DecimalCombo, "decimalSeparator"},
        {ThousandsCombo, "thousandsSeparator"},
        {DateFormatCombo, "dateFormat"},
        {DialectCombo, "dialect"},
        {RowsPerInsertSpin, "rowsPerInsert"},
        {CreateTableCheck, "createTable"},
        {DropTableCheck, "dropTable"},
        {CopyCheck, "copyOutput"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    encodingLabel->setBuddy(EncodingCombo);
    skipLinesLabel->setBuddy(SkipLinesSpin);
    commentLabel->setBuddy(CommentPrefixEdit);
    nullValuesLabel->setBuddy(NullValuesEdit);
    decimalLabel->setBuddy(DecimalCombo);
    thousandsLabel->setBuddy(ThousandsCombo);
    dateFormatLabel->setBuddy(DateFormatCombo);
    dialectLabel->setBuddy(DialectCombo);
    rowsLabel->setBuddy(RowsPerInsertSpin);

    QuotedFieldsCheck->setToolTip(QStringLiteral(
        "A field that begins with \" ends at the next lone \"; inside, \"\" is one \", and separators and "
        "line ends are data. Only for a source split at a separator."));
    EncodingCombo->setToolTip(QStringLiteral(
        "How the source's bytes are read. A named encoding is decoded and the script written in UTF-8; "
        "bytes invalid in it stop the run. Filled in from the source when a new project chooses one."));
    TrimCheck->setToolTip(QStringLiteral("Removes spaces and tabs around each column name and value"));
    EmptyIsNullCheck->setToolTip(
        QStringLiteral("An empty value is written as NULL also in a column quoted with ' (else as '')"));
    SkipLinesSpin->setToolTip(QStringLiteral(
        "Lines before the header (or the first record), such as a report's title: skipped, blank or not"));
    CommentPrefixEdit->setToolTip(QStringLiteral(
        "Lines beginning with this text (such as #) are comments, wherever they stand; empty for none"));
    NullValuesEdit->setToolTip(QStringLiteral("Values written as NULL in every column, separated by commas "
                                              "(NA,NULL,\\N,-); each is compared whole"));
    DecimalCombo->setToolTip(QStringLiteral(
        "The character before the decimals in the source's numbers; they are written with a point"));
    ThousandsCombo->setToolTip(QStringLiteral(
        "The character between groups of three digits in the source's numbers; they are written without it"));
    DateFormatCombo->setToolTip(QStringLiteral(
        "How the source writes dates; a value that reads so is written as YYYY-MM-DD (a time may follow)"));
    DialectCombo->setToolTip(
        QStringLiteral("The database that runs the script: names and values are written in its form"));
    RowsPerInsertSpin->setToolTip(QStringLiteral(
        "How many rows one INSERT statement carries (1 to 10000; SQL Server takes at most 1000)"));
    CreateTableCheck->setToolTip(QStringLiteral(
        "The script begins with a CREATE TABLE of the target columns; their types are on the mapping page"));
    DropTableCheck->setToolTip(
        QStringLiteral("Drops an existing table of that name before CREATE TABLE. Only with CREATE TABLE."));
    CopyCheck->setToolTip(QStringLiteral(
        "Writes the rows as one COPY ... FROM stdin block instead of INSERT statements, which PostgreSQL "
        "loads fastest. Only for PostgreSQL."));

    auto* sourceLayout = new QFormLayout(source);
    sourceLayout->addRow(QuotedFieldsCheck);
    sourceLayout->addRow(encodingLabel, EncodingCombo);
    sourceLayout->addRow(TrimCheck);
    sourceLayout->addRow(EmptyIsNullCheck);
    sourceLayout->addRow(skipLinesLabel, SkipLinesSpin);
    sourceLayout->addRow(commentLabel, CommentPrefixEdit);
    sourceLayout->addRow(nullValuesLabel, NullValuesEdit);
    sourceLayout->addRow(decimalLabel, DecimalCombo);
    sourceLayout->addRow(thousandsLabel, ThousandsCombo);
    sourceLayout->addRow(dateFormatLabel, DateFormatCombo);
    auto* scriptLayout = new QFormLayout(script);
    scriptLayout->addRow(dialectLabel, DialectCombo);
    scriptLayout->addRow(rowsLabel, RowsPerInsertSpin);
    scriptLayout->addRow(CreateTableCheck);
    // DROP TABLE belongs to CREATE TABLE: indented below it.
    auto* dropRow = new QHBoxLayout;
    dropRow->addSpacing(CreateTableCheck->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6);
    dropRow->addWidget(DropTableCheck);
    scriptLayout->addRow(dropRow);
    scriptLayout->addRow(CopyCheck);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(script);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlg::reject);
    connect(DialectCombo, &QComboBox::currentIndexChanged, this, &COptionsDlg::UpdateDependentControls);
    connect(CreateTableCheck, &QCheckBox::toggled, this, &COptionsDlg::UpdateDependentControls);
    connect(CopyCheck, &QCheckBox::toggled, this, &COptionsDlg::UpdateDependentControls);
}

void COptionsDlg::LoadOptions()
{
    const CProject& project = *Project;
    QuotedFieldsCheck->setChecked(project.QuotedFields != 0);
    FillChoices(EncodingCombo, Encodings, project.Encoding);
    TrimCheck->setChecked(project.Trim != 0);
    EmptyIsNullCheck->setChecked(project.EmptyIsNull != 0);
    SkipLinesSpin->setRange(0, 1000000);
    SkipLinesSpin->setValue(project.SkipLines);
    CommentPrefixEdit->setText(ToQt(project.CommentPrefix));
    NullValuesEdit->setText(ToQt(project.NullValues));
    FillChoices(DecimalCombo, Decimals, project.DecimalSeparator.empty() ? "." : project.DecimalSeparator);
    FillChoices(ThousandsCombo, ThousandsSeparators, project.ThousandsSeparator);
    // Every format the engine reads, by its name; a name written otherwise (another letter case) is the same.
    DateFormat current;
    const bool known = ParseDateFormat(project.DateFormat, current);
    for (const DateFormat& format : AllDateFormats())
        DateFormatCombo->addItem(ToQt(DateFormatName(format)), ToQt(DateFormatName(format)));
    int dateIndex = known ? DateFormatCombo->findData(ToQt(DateFormatName(current))) : -1;
    if (dateIndex < 0 && !project.DateFormat.empty()) {
        DateFormatCombo->addItem(ToQt(project.DateFormat), ToQt(project.DateFormat));
        dateIndex = DateFormatCombo->count() - 1;
    }
    DateFormatCombo->setCurrentIndex(std::max(dateIndex, 0));
    FillDialects(DialectCombo, project.Dialect);
    RowsPerInsertSpin->setRange(1, MaxRowsPerInsert(project.Dialect));
    RowsPerInsertSpin->setValue(project.RowsPerInsert);
    CreateTableCheck->setChecked(project.CreateTable != 0);
    DropTableCheck->setChecked(project.DropTable != 0);
    CopyCheck->setChecked(SameIgnoringAsciiCase(project.Output, CopyOutput));
}

std::string COptionsDlg::SelectedDialect() const
{
    return FromQt(DialectCombo->currentData().toString());
}

void COptionsDlg::UpdateDependentControls()
{
    const DialectRules* dialect = FindDialect(SelectedDialect());
    const bool copy = dialect && dialect->Copy;
    QuotedFieldsCheck->setEnabled(Separated);
    DropTableCheck->setEnabled(CreateTableCheck->isChecked());
    CopyCheck->setEnabled(copy);
    // COPY writes no INSERT statements.
    RowsPerInsertSpin->setEnabled(!(copy && CopyCheck->isChecked()));
    RowsPerInsertSpin->setMaximum(MaxRowsPerInsert(SelectedDialect()));
}

void COptionsDlg::StoreOptions()
{
    CProject& project = *Project;
    // A control that does not apply keeps the project's value, so that it returns
    // when the control applies again; the engine reads it only where it applies.
    if (QuotedFieldsCheck->isEnabled())
        project.QuotedFields = QuotedFieldsCheck->isChecked() ? 1 : 0;
    project.Encoding = FromQt(EncodingCombo->currentData().toString());
    project.Trim = TrimCheck->isChecked() ? 1 : 0;
    project.EmptyIsNull = EmptyIsNullCheck->isChecked() ? 1 : 0;
    project.SkipLines = SkipLinesSpin->value();
    project.CommentPrefix = FromQt(CommentPrefixEdit->text());
    project.NullValues = FromQt(NullValuesEdit->text());
    project.DecimalSeparator = FromQt(DecimalCombo->currentData().toString());
    project.ThousandsSeparator = FromQt(ThousandsCombo->currentData().toString());
    project.DateFormat = FromQt(DateFormatCombo->currentData().toString());
    project.Dialect = SelectedDialect();
    project.RowsPerInsert = RowsPerInsertSpin->value();
    project.CreateTable = CreateTableCheck->isChecked() ? 1 : 0;
    project.DropTable = project.CreateTable != 0 && DropTableCheck->isChecked() ? 1 : 0;
    project.Output = CopyCheck->isEnabled() && CopyCheck->isChecked() ? CopyOutput : InsertOutput;
}

void COptionsDlg::accept()
{
    StoreOptions();
    QDialog::accept();
}

std::string DescribeOptions(const CProject& project)
{
    std::string source;
    auto add = [](std::string& text, const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    const char* encoding = ChoiceText(std::begin(Encodings), std::end(Encodings), project.Encoding);
    add(source, project.Encoding.empty() ? std::string("bytes as they are")
                : encoding               ? encoding
                                         : project.Encoding);
    if (project.QuotedFields != 0 && project.WithSeparators != 0)
        add(source, "quoted fields");
    if (project.Trim != 0)
        add(source, "trimmed");
    if (project.EmptyIsNull != 0)
        add(source, "empty values NULL");
    if (project.SkipLines > 0)
        add(source,
            std::to_string(project.SkipLines) + (project.SkipLines == 1 ? " title line" : " title lines"));
    if (!project.CommentPrefix.empty())
        add(source, "'" + project.CommentPrefix + "' comment lines");
    if (!TrimBlanks(project.NullValues).empty())
        add(source, "NULL " + project.NullValues);
    if (TrimBlanks(project.DecimalSeparator) == ",")
        add(source, "decimal comma");
    char thousands = 0;
    if (ParseThousandsSeparator(TrimBlanks(project.ThousandsSeparator), thousands) && thousands != 0)
        add(source,
            thousands == ' ' ? std::string("thousands blank") : std::string("thousands '") + thousands + "'");
    DateFormat dates;
    if (ParseDateFormat(project.DateFormat, dates) && !(dates == DateFormat()))
        add(source, "dates " + DateFormatName(dates));
    std::string script;
    const DialectRules* dialect = ProjectDialect(project);
    add(script, dialect ? dialect->Caption : project.Dialect);
    if (dialect && dialect->Copy && SameIgnoringAsciiCase(project.Output, CopyOutput))
        add(script, "COPY");
    else if (project.RowsPerInsert > 1)
        add(script, std::to_string(project.RowsPerInsert) + " rows per INSERT");
    if (project.CreateTable != 0)
        add(script, project.DropTable != 0 ? "DROP and CREATE TABLE" : "CREATE TABLE");
    return source + "; " + script;
}

void COptionsDlg::keyPressEvent(QKeyEvent* event)
{
    auto* frame = parentWidget() ? qobject_cast<CWizardDlg*>(parentWidget()->window()) : nullptr;
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier && frame) {
        frame->ShowHelp("page1.html#options", this);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
