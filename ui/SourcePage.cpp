#include "SourcePage.h"

#include "SettingsCheck.h"

#include "Converter.h"
#include "DialogUnits.h"
#include "DigitsEdit.h"
#include "EngineWork.h"
#include "FileError.h"
#include "OptionsDlg.h"
#include "Project.h"
#include "QtText.h"
#include "SourceDetection.h"
#include "SqlDialect.h"
#include "TextDecoder.h"
#include "TextRules.h"
#include "UserDialogs.h"
#include "Utf8Path.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>
#include <atomic>
#include <filesystem>
#include <thread>

namespace {

// The file dialogs' filters and the extensions added to a name typed without one.
constexpr const char* ScriptFilter = "SQL scripts (*.sql)|*.sql|AllFiles (*.*)|*.*||";
// The first filter shows every kind of text source at once.
constexpr const char* SourceFilter = "Text and CSV Files (*.txt;*.csv;*.tsv)|*.txt;*.csv;*.tsv|"
                                     "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|AllFiles (*.*)|*.*||";
constexpr const char* SourceExtension = "txt";
constexpr const char* ScriptExtension = "sql";

void SetChecked(QAbstractButton* button, std::int32_t value)
{
    button->setChecked(value != 0);
}

// A file dropped on a path field sets the field to the file's path (a plain text
// field would insert its "file://" address into the text).
class PathDropFilter : public QObject {
  public:
    explicit PathDropFilter(QLineEdit* edit) : QObject(edit) { edit->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
            event->type() != QEvent::Drop)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        if (urls.isEmpty() || !urls.front().isLocalFile())
            return false;
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            auto* edit = static_cast<QLineEdit*>(watched);
            edit->setText(QDir::toNativeSeparators(urls.front().toLocalFile()));
            edit->setFocus();
        }
        return true;
    }
};

} // namespace

CSourcePage::CSourcePage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage("sourcePage", frame, project, converter)
{
    BuildControls();
}

// The check of a source's encoding over the whole file, on its own thread: it ends by asking
// the page to take its answer.
struct CSourcePage::EncodingCheck {
    std::string Source;
    std::atomic<bool> Stop{false};
    std::atomic<bool> Done{false};
    SourceEncoding Found = SourceEncoding::Bytes;
    std::thread Thread;
};

CSourcePage::~CSourcePage()
{
    // The source field loses its focus as the page goes: that is no edit to detect.
    disconnect(SourceEdit, nullptr, this, nullptr);
    StopEncodingCheck();
}

void CSourcePage::BuildControls()
{
    // Created in tab order.
    auto* sourceLabel = new QLabel(QStringLiteral("&Source File Name"), this);
    SourceEdit = new QLineEdit(this);
    SourceBrowse = new QPushButton(QStringLiteral("..."), this);
    FirstRowCheck = new QCheckBox(QStringLiteral("&First Row Contains Column Names"), this);
    SeparatorRadio = new QRadioButton(QStringLiteral("&Columns separator : "), this);
    WidthsRadio = new QRadioButton(QStringLiteral("Fixed &widths. Comma delimited widths :"), this);
    SeparatorCombo = new QComboBox(this);
    WidthsEdit = new QLineEdit(this);
    auto* hint = new QLabel(QStringLiteral("(hint: use Preview Window to view data columns)"), this);
    auto* line = new QFrame(this);
    auto* targetLabel = new QLabel(QStringLiteral("&Target File Name"), this);
    TargetEdit = new QLineEdit(this);
    TargetBrowse = new QPushButton(QStringLiteral("..."), this);
    auto* tableLabel = new QLabel(QStringLiteral("Target Ta&ble Name"), this);
    TableEdit = new QLineEdit(this);
    auto* sqlSepLabel = new QLabel(QStringLiteral("S&QL statement separator : "), this);
    SqlSepCombo = new QComboBox(this);
    CommitCheck = new QCheckBox(QStringLiteral("&Add commit after each "), this);
    CommitSizeEdit = new DigitsEdit(this);
    auto* insertLabel = new QLabel(QStringLiteral("INSERT statements "), this);
    auto* optionsLine = new QFrame(this);
    OptionsButton = new QPushButton(QStringLiteral("&Options..."), this);
    OptionsSummary = new QLabel(this);

    const std::pair<QWidget*, const char*> names[] = {
        {SourceEdit, "c1004"},     {SourceBrowse, "c1005"},    {FirstRowCheck, "c1006"},
        {SeparatorRadio, "c1007"}, {WidthsRadio, "c1009"},     {SeparatorCombo, "c1068"},
        {WidthsEdit, "c1024"},     {TargetEdit, "c1010"},      {TargetBrowse, "c1011"},
        {TableEdit, "c1012"},      {SqlSepCombo, "c1013"},     {CommitCheck, "c1014"},
        {CommitSizeEdit, "c1015"}, {OptionsButton, "options"}, {OptionsSummary, "optionsSummary"},
    };
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));

    sourceLabel->setBuddy(SourceEdit);
    targetLabel->setBuddy(TargetEdit);
    tableLabel->setBuddy(TableEdit);
    sqlSepLabel->setBuddy(SqlSepCombo);

    // The radio pair has no tab stop: it is reached by its mnemonics or the mouse.
    SeparatorRadio->setFocusPolicy(Qt::ClickFocus);
    WidthsRadio->setFocusPolicy(Qt::ClickFocus);
    new PathDropFilter(SourceEdit);
    new PathDropFilter(TargetEdit);
    // The page on view gives its focus to the source field (the first thing to fill in).
    setFocusProxy(SourceEdit);

    // Drop-down combo boxes that also take any typed text, their entries in this order.
    for (QComboBox* combo : {SeparatorCombo, SqlSepCombo}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        // No completion from the list: "<" typed must not turn into "<tab>" (a tab).
        combo->setCompleter(nullptr);
        combo->setFixedWidth(DialogUnitsX(this, 54));
    }
    SeparatorCombo->addItems({QStringLiteral("<tab>"), QStringLiteral(","), QStringLiteral("|")});
    SqlSepCombo->addItems({QStringLiteral(";"), QStringLiteral("GO")});

    for (QPushButton* browse : {SourceBrowse, TargetBrowse})
        browse->setFixedWidth(DialogUnitsX(this, 16) + 8);
    CommitSizeEdit->setFixedWidth(DialogUnitsX(this, 34));
    hint->setAlignment(Qt::AlignHCenter);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    optionsLine->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    OptionsButton->setToolTip(
        QStringLiteral("How the source's text is read (quoted fields, encoding, blanks, "
                       "empty values) and how the script is written for its database"));
    OptionsSummary->setToolTip(QStringLiteral("The options in force; Options... changes them"));
    OptionsSummary->setWordWrap(true);
    OptionsSummary->setTextFormat(Qt::PlainText);

    // One row per setting: labels at the left margin, their controls indented below,
    // the browse buttons in a column of their own at the right.
    auto* layout = new QGridLayout(this);
    layout->setColumnMinimumWidth(0, DialogUnitsX(this, 10));
    layout->setColumnStretch(1, 1);
    int row = 0;
    auto rowOf = [](std::initializer_list<QWidget*> widgets) {
        auto* box = new QHBoxLayout;
        for (QWidget* widget : widgets)
            box->addWidget(widget);
        box->addStretch(1);
        return box;
    };
    layout->addWidget(sourceLabel, row++, 0, 1, 3);
    layout->addWidget(SourceEdit, row, 1);
    layout->addWidget(SourceBrowse, row++, 2);
    layout->addLayout(rowOf({FirstRowCheck}), row++, 1, 1, 2);
    layout->addLayout(rowOf({SeparatorRadio, SeparatorCombo}), row++, 1, 1, 2);
    auto* widths = new QGridLayout;
    widths->setContentsMargins(0, 0, 0, 0);
    widths->addWidget(WidthsRadio, 0, 0);
    widths->addWidget(WidthsEdit, 0, 1);
    widths->addWidget(hint, 1, 1);
    layout->addLayout(widths, row++, 1);
    layout->addWidget(line, row++, 0, 1, 3);
    layout->addWidget(targetLabel, row++, 0, 1, 3);
    layout->addWidget(TargetEdit, row, 1);
    layout->addWidget(TargetBrowse, row++, 2);
    layout->addWidget(tableLabel, row++, 0, 1, 3);
    layout->addWidget(TableEdit, row++, 1);
    layout->addLayout(rowOf({sqlSepLabel, SqlSepCombo}), row++, 1, 1, 2);
    layout->addLayout(rowOf({CommitCheck, CommitSizeEdit, insertLabel}), row++, 1, 1, 2);
    layout->setRowStretch(row++, 1);
    // The options below the settings everybody needs, with what is in force beside them.
    layout->addWidget(optionsLine, row++, 0, 1, 3);
    auto* options = new QHBoxLayout;
    options->addWidget(OptionsButton, 0, Qt::AlignTop);
    options->addWidget(OptionsSummary, 1);
    layout->addLayout(options, row++, 1, 1, 2);

    connect(SourceBrowse, &QPushButton::clicked, this, &CSourcePage::OnBrowseSource);
    connect(SourceEdit, &QLineEdit::editingFinished, this, &CSourcePage::DetectNewSource);
    connect(TargetBrowse, &QPushButton::clicked, this, &CSourcePage::OnBrowseTarget);
    connect(CommitCheck, &QCheckBox::toggled, this, &CSourcePage::UpdateCommitControls);
    connect(SeparatorRadio, &QRadioButton::toggled, this, &CSourcePage::UpdateSplitControls);
    connect(WidthsRadio, &QRadioButton::toggled, this, &CSourcePage::UpdateSplitControls);
    connect(OptionsButton, &QPushButton::clicked, this, &CSourcePage::OnOptions);

    // Any change the user makes is told to the frame.
    for (QLineEdit* edit : {SourceEdit, WidthsEdit, TargetEdit, TableEdit, CommitSizeEdit})
        connect(edit, &QLineEdit::textChanged, this, &CSourcePage::NotifyEdited);
    for (QComboBox* combo : {SeparatorCombo, SqlSepCombo})
        connect(combo, &QComboBox::editTextChanged, this, &CSourcePage::NotifyEdited);
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{FirstRowCheck, CommitCheck, SeparatorRadio})
        connect(button, &QAbstractButton::toggled, this, &CSourcePage::NotifyEdited);
}

void CSourcePage::ShowPage()
{
    CWizardPage::ShowPage();
    const FillingControls filling(this);
    SourceEdit->setText(ToQt(GetProject().FileName));
    TargetEdit->setText(ToQt(GetProject().TargetName));
    TableEdit->setText(ToQt(GetProject().TableName));
    CommitSizeEdit->setText(QString::number(GetProject().CommitSize));
    SqlSepCombo->setEditText(ToQt(GetProject().SQLSep));
    SeparatorCombo->setEditText(ToQt(GetProject().Separator));
    WidthsEdit->setText(ToQt(GetProject().Widths));
    SetChecked(FirstRowCheck, GetProject().ColumnNames);
    SetChecked(CommitCheck, GetProject().Commit);
    if (GetProject().WithSeparators != 0)
        SeparatorRadio->setChecked(true);
    else
        WidthsRadio->setChecked(true);
    UpdateCommitControls();
    UpdateSplitControls();
    ShowOptionsSummary();
    DetectNewSource();
}

void CSourcePage::StoreData()
{
    const std::string source = FromQt(SourceEdit->text());
    // A new project takes the encoding its source appears to be in; a saved one keeps its own.
    std::error_code ec;
    if (GetProject().ProjectPath.empty() && source != GetProject().FileName &&
        std::filesystem::is_regular_file(PathFromUtf8(source), ec)) {
        try {
            TakeNewSourceEncoding(source, DetectSource(source, EncodingScope::Sample));
        } catch (const FileError&) {
            // Next names the source that cannot be read.
        }
    }
    GetProject().FileName = source;
    GetProject().TargetName = FromQt(TargetEdit->text());
    GetProject().TableName = FromQt(TableEdit->text());
    const std::string commitSize = FromQt(CommitSizeEdit->text());
    GetProject().SQLSep = FromQt(SqlSepCombo->currentText());
    GetProject().Separator = FromQt(SeparatorCombo->currentText());
    GetProject().Widths = FromQt(WidthsEdit->text());
    GetProject().CommitSize = Atoi(commitSize);
    GetProject().ColumnNames = FirstRowCheck->isChecked() ? 1 : 0;
    GetProject().Commit = CommitCheck->isChecked() ? 1 : 0;
    GetProject().WithSeparators = SeparatorRadio->isChecked() ? 1 : 0;
    ShowOptionsSummary(); // the encoding and quoted fields may have changed with these
}

bool CSourcePage::CanLeave()
{
    StoreData();
    WaitForEncodingCheck();
    if (!CheckSettings(true))
        return false;
    // Discovers the columns again, keeping the target name and quotation of every
    // column whose source name is still there (the mapping page's edits).
    // A source that opens but cannot be read, or data the engine refuses: the user is
    // told, and the page stays.
    const std::string failure =
        RunEngineWork({"The source file cannot be read.", "read the columns of the source file"},
                      [this] { GetConverter().DiscoverProjectColumns(); });
    if (!failure.empty()) {
        ShowError(failure.c_str());
        return false;
    }
    return true;
}

bool CSourcePage::CheckSettings(bool forRun)
{
    const SettingsProblem problem = CheckFirstPage(GetProject(), forRun);
    if (problem.Message.empty())
        return true;
    ShowError(problem.Message.c_str());
    QWidget* field = nullptr;
    switch (problem.Where) {
    case SettingsProblem::Field::Source:
        field = SourceEdit;
        break;
    case SettingsProblem::Field::Separator:
        field = SeparatorCombo;
        break;
    case SettingsProblem::Field::Widths:
        field = WidthsEdit;
        break;
    case SettingsProblem::Field::Target:
        field = TargetEdit;
        break;
    case SettingsProblem::Field::Table:
        field = TableEdit;
        break;
    case SettingsProblem::Field::None:
        break;
    }
    if (field && isVisible())
        field->setFocus();
    return false;
}

std::string CSourcePage::GetHelpTopic() const
{
    return "page1.html";
}

void CSourcePage::UpdateCommitControls()
{
    CommitSizeEdit->setEnabled(CommitCheck->isChecked());
}

void CSourcePage::UpdateSplitControls()
{
    const bool separated = SeparatorRadio->isChecked();
    SeparatorCombo->setEnabled(separated);
    WidthsEdit->setEnabled(!separated);
}

void CSourcePage::OnBrowseSource()
{
    // The source is read, never written: the dialog picks an existing file.
    BrowseForFile(SourceEdit, IUserDialogs::FileDialog::Open, SourceFilter, SourceExtension);
    DetectNewSource();
}

void CSourcePage::DetectNewSource()
{
    CProject& project = GetProject();
    const std::string source = FromQt(SourceEdit->text());
    // A saved project keeps its own settings; a new one is detected once per source, and again
    // when it was made anew on the same source (no target and table yet).
    const bool fresh = project.Columns.empty() && project.TargetName.empty() && project.TableName.empty();
    std::error_code ec;
    if (!project.ProjectPath.empty() || source.empty() || (source == DetectedSource && !fresh) ||
        !std::filesystem::is_regular_file(PathFromUtf8(source), ec))
        return;
    // What the page holds, the source with it (its encoding comes with the detection below).
    project.FileName = source;
    StoreData();
    // A target and table suggested for the source before follow the new one; typed ones stay.
    if (!DetectedSource.empty()) {
        if (project.TargetName == SuggestedTarget(DetectedSource))
            project.TargetName.clear();
        SqlDialect dialect = SqlDialect::Generic;
        ParseDialect(project.Dialect, dialect);
        if (project.TableName == SuggestedTableName(DetectedSource, dialect))
            project.TableName.clear();
    }
    DetectedSource = project.FileName;
    try {
        // The first bytes decide at once; the rest of the file is checked for the encoding behind.
        const SourceDetection detection = DetectSource(source, EncodingScope::Sample);
        ApplySourceDetection(project, detection);
        TakeNewSourceEncoding(source, detection);
        Detected = detection.Layout(); // the options line names the rest
    } catch (const FileError&) {
        Detected.clear(); // Next names the source that cannot be read
        return;
    }
    ShowPage(); // the detected settings on view
    NotifyEdited();
}

void CSourcePage::TakeNewSourceEncoding(const std::string& source, const SourceDetection& detection)
{
    GetProject().Encoding = EncodingName(detection.Encoding);
    if (detection.EncodingOfSampleOnly)
        StartEncodingCheck(source);
    else
        StopEncodingCheck();
}

void CSourcePage::StartEncodingCheck(const std::string& source)
{
    StopEncodingCheck();
    Checking = std::make_unique<EncodingCheck>();
    EncodingCheck* check = Checking.get();
    check->Source = source;
    check->Thread = std::thread([this, check] {
        check->Found = DetectEncoding(check->Source, nullptr, &check->Stop);
        check->Done = true;
        // Queued: runs on the page's thread, and not at all once the page is gone.
        QMetaObject::invokeMethod(this, &CSourcePage::TakeEncodingCheck, Qt::QueuedConnection);
    });
}

void CSourcePage::StopEncodingCheck()
{
    if (!Checking)
        return;
    Checking->Stop = true;
    Checking->Thread.join();
    Checking.reset();
}

void CSourcePage::WaitForEncodingCheck()
{
    if (!Checking)
        return;
    Checking->Thread.join();
    TakeEncodingCheck();
}

void CSourcePage::TakeEncodingCheck()
{
    if (!Checking || !Checking->Done)
        return; // a check since stopped, or one that goes on
    if (Checking->Thread.joinable())
        Checking->Thread.join();
    const std::unique_ptr<EncodingCheck> check = std::move(Checking);
    // Only while the project still reads that source in the encoding its first bytes gave: a
    // byte further on that is not UTF-8 makes it Windows-1252, as for a run from the command line.
    CProject& project = GetProject();
    if (!project.ProjectPath.empty() || project.FileName != check->Source ||
        project.Encoding != EncodingName(SourceEncoding::Utf8) || check->Found != SourceEncoding::Windows1252)
        return;
    project.Encoding = EncodingName(check->Found);
    ShowOptionsSummary();
    NotifyEdited();
}

void CSourcePage::OnBrowseTarget()
{
    BrowseForFile(TargetEdit, IUserDialogs::FileDialog::Save, ScriptFilter, ScriptExtension);
}

void CSourcePage::BrowseForFile(QLineEdit* edit, IUserDialogs::FileDialog kind, const char* filter,
                                const char* defaultExtension)
{
    const std::string current = FromQt(edit->text());
    std::string path;
    if (UserDialogs().ChooseFile(this, kind, current, filter, defaultExtension, path))
        edit->setText(ToQt(path));
}

void CSourcePage::OnOptions()
{
    // A source typed just now gives a new project its encoding first.
    StoreData();
    WaitForEncodingCheck();
    COptionsDlg options(this, &GetProject(), SeparatorRadio->isChecked());
    if (options.exec() != QDialog::Accepted)
        return;
    ShowOptionsSummary();
    NotifyEdited();
}

void CSourcePage::ShowOptionsSummary()
{
    // What detection found stays in view while the project reads that source.
    const bool detected = !Detected.empty() && GetProject().FileName == DetectedSource;
    OptionsSummary->setText(
        ToQt((detected ? "Detected: " + Detected + ". " : std::string()) + DescribeOptions(GetProject())));
}

void CSourcePage::ShowError(const char* message)
{
    UserDialogs().ShowMessage(this, message, "Error", IUserDialogs::Icon::Stop);
}
