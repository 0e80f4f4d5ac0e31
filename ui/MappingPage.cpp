#include "MappingPage.h"

#include "ColumnNames.h"
#include "Converter.h"
#include "EngineWork.h"
#include "Project.h"
#include "QtText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <limits>

namespace {

constexpr const char* NoQuotation = "No";
constexpr const char* QuotedMark = "'";
constexpr const char* InferredType = "(inferred)";  // the engine could not read the data for it
constexpr const char* ReadingType = "(reading...)"; // the types are being read
constexpr int TypeColumn = 3;
constexpr int UserTypeRole = Qt::UserRole; // a type cell's data: the user's own type, empty for none

// The quotation choices, and a value an older project may hold besides them.
void FillQuotationChoice(QComboBox* combo, const QString& current)
{
    combo->addItems({QString::fromLatin1(QuotedMark), QString::fromLatin1(NoQuotation)});
    if (combo->findText(current) < 0)
        combo->addItem(current);
    combo->setCurrentText(current);
}

// Edits a cell in place: the target name as text, the quotation as a choice, the type as
// the user's own (the inferred one as the placeholder). Enter ends the edit, and only it:
// the window's default button is not pressed.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        if (index.column() == 2) {
            auto* combo = new QComboBox(parent);
            FillQuotationChoice(combo, index.data().toString());
            return combo;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (edit && index.column() == TypeColumn && index.data(UserTypeRole).toString().isEmpty())
            edit->setPlaceholderText(index.data().toString());
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            combo->setCurrentText(index.data().toString());
        else if (auto* edit = qobject_cast<QLineEdit*>(editor); edit && index.column() == TypeColumn)
            edit->setText(index.data(UserTypeRole).toString());
        else
            QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            model->setData(index, combo->currentText());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                auto* editor = static_cast<QWidget*>(object);
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
};

} // namespace

CMappingPage::CMappingPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage("mappingPage", frame, project, converter)
{
    // Created in tab order.
    auto* heading = new QLabel(QStringLiteral("Columns Mapping and Quotation "), this);
    ColumnList = new QTableWidget(0, 3, this);
    SourceColumnEdit = new QLineEdit(this);
    TargetColumnEdit = new QLineEdit(this);
    QuotationChoice = new QComboBox(this);
    FillQuotationChoice(QuotationChoice, QString::fromLatin1(NoQuotation));
    auto* arrow = new QLabel(QStringLiteral("->"), this);
    TypeLabel = new QLabel(QStringLiteral("&Type:"), this);
    TypeEdit = new QLineEdit(this);
    TypeEdit->setObjectName(QStringLiteral("typeEdit"));
    TypeLabel->setBuddy(TypeEdit);
    TypeLabel->hide();
    TypeEdit->hide();
    TypeEdit->setToolTip(QStringLiteral("The column's SQL type in CREATE TABLE; empty: the type inferred "
                                        "from the data, shown in the list"));
    TargetColumnEdit->setToolTip(QStringLiteral("The column's name in the table; empty: the column is left "
                                                "out of the script"));
    ColumnList->setObjectName(QStringLiteral("c1016"));
    SourceColumnEdit->setObjectName(QStringLiteral("c1021"));
    TargetColumnEdit->setObjectName(QStringLiteral("c1022"));
    QuotationChoice->setObjectName(QStringLiteral("c1024"));
    QuotationChoice->setToolTip(QStringLiteral("' : the column's values are written as quoted text; "
                                               "No: numbers are written bare"));
    SourceColumnEdit->setEnabled(false);

    // A report list with grid lines, full-row single selection and headers that do not sort.
    ColumnList->setHorizontalHeaderLabels(
        {QStringLiteral("Source Column"), QStringLiteral("Target Column"), QStringLiteral("Quotation")});
    ColumnList->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ColumnList->horizontalHeader()->setSectionsClickable(false);
    ColumnList->horizontalHeader()->setHighlightSections(false);
    ColumnList->horizontalHeader()->setStretchLastSection(false);
    ColumnList->setColumnWidth(0, 233);
    ColumnList->setColumnWidth(1, 233);
    ColumnList->setColumnWidth(2, 63);
    ColumnList->verticalHeader()->hide();
    ColumnList->verticalHeader()->setDefaultSectionSize(ColumnList->fontMetrics().height() + 6);
    ColumnList->setShowGrid(true);
    ColumnList->setSortingEnabled(false);
    ColumnList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ColumnList->setSelectionMode(QAbstractItemView::SingleSelection);
    ColumnList->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    ColumnList->setItemDelegate(new CellDelegate(ColumnList));
    ColumnList->installEventFilter(this);
    ColumnList->setWordWrap(false);
    ColumnList->setTabKeyNavigation(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(ColumnList, 1);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(SourceColumnEdit, 151);
    boxes->addWidget(arrow);
    boxes->addWidget(TargetColumnEdit, 151);
    boxes->addWidget(QuotationChoice, 55);
    boxes->addWidget(TypeLabel);
    boxes->addWidget(TypeEdit, 80);
    layout->addLayout(boxes);
    WrittenNamesLabel = new QLabel(this);
    WrittenNamesLabel->setObjectName(QStringLiteral("writtenNames"));
    WrittenNamesLabel->setWordWrap(true);
    WrittenNamesLabel->hide();
    layout->addWidget(WrittenNamesLabel);

    for (QLineEdit* edit : {TargetColumnEdit, TypeEdit})
        connect(edit, &QLineEdit::textEdited, this, &CMappingPage::NotifyEdited);
    connect(QuotationChoice, &QComboBox::activated, this, &CMappingPage::NotifyEdited);
    connect(ColumnList, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!Rebuilding && !SettingCell)
            OnCellEdited(item->row(), item->column());
    });
    connect(ColumnList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (Rebuilding)
                    return;
                // Before the change: the edits go into the row they were made for.
                StoreRow();
                OnItemChanged(current.isValid() ? current.row() : -1);
            });
}

void CMappingPage::ShowPage()
{
    CWizardPage::ShowPage();
    Rebuilding = true;
    ColumnList->clearSelection();
    ColumnList->setRowCount(0);
    const CProject& project = GetProject();
    const int rows = static_cast<int>(project.Columns.size());
    // The type column and box only with CREATE TABLE, the types inferred as the run would.
    const bool types = project.CreateTable != 0;
    ColumnList->setColumnCount(types ? TypeColumn + 1 : TypeColumn);
    // The names' columns give the type column room, so that the list needs no scrolling.
    const int nameWidth = types ? 180 : 233;
    ColumnList->setColumnWidth(0, nameWidth);
    ColumnList->setColumnWidth(1, nameWidth);
    ColumnList->horizontalHeader()->setStretchLastSection(types);
    if (types) {
        ColumnList->setHorizontalHeaderItem(TypeColumn, new QTableWidgetItem(QStringLiteral("Type")));
        StartReadingTypes();
    }
    TypeLabel->setVisible(types);
    TypeEdit->setVisible(types);
    ColumnList->setRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        SetCell(i, 0, project.SourceColumnName(index));
        SetCell(i, 1, project.Columns[index]);
        // A missing or empty quotation shows as "No"; nothing past the end of Quotes is read.
        const bool quoted = index < project.Quotes.size() && !project.Quotes[index].empty();
        SetCell(i, 2, quoted ? project.Quotes[index] : std::string(NoQuotation));
        if (types)
            SetTypeCell(i);
    }
    ShowWrittenNames();
    // The edit boxes belong to a row of this list or to none: they are written into the
    // project, so they never keep texts of a row that is gone.
    if (CurrentRow >= rows)
        CurrentRow = -1;
    if (CurrentRow >= 0) {
        LoadRow(CurrentRow);
        ColumnList->setCurrentCell(CurrentRow, 0);
    } else {
        SourceColumnEdit->clear();
        TargetColumnEdit->clear();
        SetQuotation(NoQuotation);
        TypeEdit->clear();
    }
    Rebuilding = false;
}

CMappingPage::~CMappingPage()
{
    for (std::thread& reader : TypeReaders)
        reader.join();
}

void CMappingPage::StartReadingTypes()
{
    const unsigned generation = ++TypeGeneration;
    TypesShown = false;
    InferredTypes.clear();
    // The run's own inference (the whole source), on a copy of the project, by an engine of its own.
    auto project = std::make_shared<CProject>(GetProject());
    TypeReaders.emplace_back([this, project, generation] {
        std::vector<std::string> types;
        try {
            CConverter engine;
            engine.Project = project.get();
            types = engine.InferColumnTypes(std::numeric_limits<std::uint64_t>::max());
        } catch (...) {
            // The list shows "(inferred)"; the run names the failure.
            types.clear();
        }
        QMetaObject::invokeMethod(
            this, [this, types, generation] { ShowReadTypes(types, generation); }, Qt::QueuedConnection);
    });
}

void CMappingPage::ShowReadTypes(const std::vector<std::string>& types, unsigned generation)
{
    if (generation != TypeGeneration)
        return; // read for an earlier list
    InferredTypes = types;
    TypesShown = true;
    if (ColumnList->columnCount() <= TypeColumn)
        return;
    for (int row = 0; row < ColumnList->rowCount(); ++row)
        SetTypeCell(row);
    if (CurrentRow >= 0)
        TypeEdit->setPlaceholderText(ToQt(ShownInferredType(static_cast<std::size_t>(CurrentRow))));
}

std::string CMappingPage::ShownInferredType(std::size_t index) const
{
    if (!TypesShown)
        return ReadingType;
    return index < InferredTypes.size() ? InferredTypes[index] : std::string(InferredType);
}

void CMappingPage::SetTypeCell(int row)
{
    const std::size_t index = static_cast<std::size_t>(row);
    SetCell(row, TypeColumn, ShownType(index));
    const CProject& project = GetProject();
    const QSignalBlocker blocker(ColumnList);
    ColumnList->item(row, TypeColumn)
        ->setData(UserTypeRole, index < project.Types.size() ? ToQt(project.Types[index]) : QString());
}

void CMappingPage::SetQuotation(const std::string& quotation)
{
    const QString text = ToQt(quotation.empty() ? std::string(NoQuotation) : quotation);
    if (QuotationChoice->findText(text) < 0)
        QuotationChoice->addItem(text);
    QuotationChoice->setCurrentText(text);
}

std::string CMappingPage::Quotation() const
{
    const std::string text = FromQt(QuotationChoice->currentText());
    return text == NoQuotation ? std::string() : text;
}

void CMappingPage::OnCellEdited(int row, int column)
{
    if (row != CurrentRow) {
        StoreRow();
        CurrentRow = row;
        LoadRow(row);
    }
    const std::string text = CellText(row, column);
    if (column == 1)
        TargetColumnEdit->setText(ToQt(text));
    else if (column == 2)
        SetQuotation(text == NoQuotation ? std::string() : text);
    else if (column == TypeColumn)
        TypeEdit->setText(ToQt(text));
    StoreRow();
    NotifyEdited();
}

bool CMappingPage::eventFilter(QObject* watched, QEvent* event)
{
    // F2 on the source name (which cannot be edited) edits the target name.
    if (watched == ColumnList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 && ColumnList->currentIndex().isValid() &&
        ColumnList->currentIndex().column() == 0) {
        ColumnList->edit(ColumnList->model()->index(ColumnList->currentIndex().row(), 1));
        return true;
    }
    return CWizardPage::eventFilter(watched, event);
}

void CMappingPage::StoreData()
{
    StoreRow();
}

bool CMappingPage::CanLeave()
{
    return true;
}

std::string CMappingPage::GetHelpTopic() const
{
    return "page2.html";
}

void CMappingPage::OnItemChanged(int row)
{
    if (row < 0 || row == CurrentRow)
        return;
    CurrentRow = row;
    LoadRow(row);
}

void CMappingPage::LoadRow(int row)
{
    SourceColumnEdit->setText(ToQt(CellText(row, 0)));
    TargetColumnEdit->setText(ToQt(CellText(row, 1)));
    const std::string quotation = CellText(row, 2);
    SetQuotation(quotation == NoQuotation ? std::string() : quotation);
    // The box holds the user's own type; the inferred one shows as its placeholder.
    const CProject& project = GetProject();
    const std::size_t index = static_cast<std::size_t>(row);
    TypeEdit->setText(index < project.Types.size() ? ToQt(project.Types[index]) : QString());
    TypeEdit->setPlaceholderText(ToQt(ShownInferredType(index)));
}

std::string CMappingPage::ShownType(std::size_t index) const
{
    const CProject& project = GetProject();
    if (index < project.Types.size() && !project.Types[index].empty())
        return project.Types[index];
    return ShownInferredType(index);
}

void CMappingPage::StoreRow()
{
    if (CurrentRow < 0 || CurrentRow >= ColumnList->rowCount())
        return;
    const std::string target = FromQt(TargetColumnEdit->text());
    const std::string quotation = Quotation();
    SetCell(CurrentRow, 1, target);
    SetCell(CurrentRow, 2, quotation.empty() ? std::string(NoQuotation) : quotation);
    // Without CREATE TABLE the box is hidden and the project's type stays as it is.
    const std::size_t index = static_cast<std::size_t>(CurrentRow);
    const std::string type =
        TypeEdit->isVisibleTo(this)
            ? FromQt(TypeEdit->text().trimmed())
            : (index < GetProject().Types.size() ? GetProject().Types[index] : std::string());
    CarryIntoProject(CurrentRow, target, quotation, type);
    ShowWrittenNames();
    if (ColumnList->columnCount() > TypeColumn)
        SetTypeCell(CurrentRow);
}

void CMappingPage::CarryIntoProject(int row, const std::string& target, const std::string& quotation,
                                    const std::string& type)
{
    CProject& project = GetProject();
    const std::size_t index = static_cast<std::size_t>(row);
    if (index >= project.Columns.size())
        return;
    // Keep the source's own names before a target name changes, so the column stays
    // recognisable when the columns are discovered again.
    if (project.SourceColumns.size() != project.Columns.size()) {
        std::vector<std::string> sources;
        sources.reserve(project.Columns.size());
        for (std::size_t i = 0; i < project.Columns.size(); ++i)
            sources.push_back(project.SourceColumnName(i));
        project.SourceColumns = std::move(sources);
    }
    if (project.Quotes.size() < project.Columns.size())
        project.Quotes.resize(project.Columns.size());
    project.Columns[index] = target;
    // "No" in the list stands for no quotation, typed or shown.
    project.Quotes[index] = quotation == NoQuotation ? std::string() : quotation;
    if (!type.empty() || index < project.Types.size()) {
        if (project.Types.size() < project.Columns.size())
            project.Types.resize(project.Columns.size());
        project.Types[index] = type;
    }
}

void CMappingPage::ShowWrittenNames()
{
    const CProject& project = GetProject();
    SqlDialect dialect = SqlDialect::Generic;
    ParseDialect(project.Dialect, dialect); // an unknown one is the run's to report
    const std::vector<std::string> written = WrittenColumnNames(project.Columns, dialect);
    QStringList changes;
    for (std::size_t k = 0; k < written.size(); ++k) {
        if (written[k] != project.Columns[k])
            changes << QStringLiteral("\"%1\" as \"%2\"").arg(ToQt(project.Columns[k]), ToQt(written[k]));
    }
    WrittenNamesLabel->setText(changes.isEmpty() ? QString()
                                                 : QStringLiteral("Written as the database takes names: ") +
                                                       changes.join(QStringLiteral(", ")));
    WrittenNamesLabel->setVisible(!changes.isEmpty());
}

std::string CMappingPage::CellText(int row, int column) const
{
    const QTableWidgetItem* item = ColumnList->item(row, column);
    return item ? FromQt(item->text()) : std::string();
}

void CMappingPage::SetCell(int row, int column, const std::string& text)
{
    if (row < 0 || row >= ColumnList->rowCount())
        return;
    const bool outer = SettingCell;
    SettingCell = true;
    QTableWidgetItem* item = ColumnList->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        // The source name is shown only; the others are edited in place too.
        item->setFlags(column == 0 ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                                   : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        ColumnList->setItem(row, column, item);
    }
    item->setText(ToQt(text));
    SettingCell = outer;
}
