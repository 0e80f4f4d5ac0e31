#include "MappingPage.h"

#include "ColumnNames.h"
#include "Converter.h"
#include "EngineWork.h"
#include "Project.h"
#include "QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr const char* NoQuotation = "No";
constexpr const char* InferredType = "(inferred)"; // the engine could not read the data for it
constexpr int TypeColumn = 3;
constexpr std::uint64_t TypeSampleRecords = 1000;

} // namespace

CMappingPage::CMappingPage(CWizardDlg* frame, CProject* project, CConverter* converter)
    : CWizardPage("mappingPage", frame, project, converter)
{
    // Created in tab order.
    auto* heading = new QLabel(QStringLiteral("Columns Mapping and Quotation "), this);
    ColumnList = new QTableWidget(0, 3, this);
    SourceColumnEdit = new QLineEdit(this);
    TargetColumnEdit = new QLineEdit(this);
    QuotationEdit = new QLineEdit(this);
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
    QuotationEdit->setObjectName(QStringLiteral("c1024"));
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
    ColumnList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ColumnList->setWordWrap(false);
    ColumnList->setTabKeyNavigation(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(ColumnList, 1);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(SourceColumnEdit, 151);
    boxes->addWidget(arrow);
    boxes->addWidget(TargetColumnEdit, 151);
    boxes->addWidget(QuotationEdit, 55);
    boxes->addWidget(TypeLabel);
    boxes->addWidget(TypeEdit, 80);
    layout->addLayout(boxes);
    WrittenNamesLabel = new QLabel(this);
    WrittenNamesLabel->setObjectName(QStringLiteral("writtenNames"));
    WrittenNamesLabel->setWordWrap(true);
    WrittenNamesLabel->hide();
    layout->addWidget(WrittenNamesLabel);

    for (QLineEdit* edit : {TargetColumnEdit, QuotationEdit, TypeEdit})
        connect(edit, &QLineEdit::textEdited, this, &CMappingPage::NotifyEdited);
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
        // A source that cannot be read now shows "(inferred)"; the run names the failure.
        InferredTypes.clear();
        (void)RunEngineWork({"", "infer the column types"},
                            [this] { InferredTypes = GetConverter().InferColumnTypes(TypeSampleRecords); });
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
            SetCell(i, TypeColumn, ShownType(index));
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
        QuotationEdit->clear();
        TypeEdit->clear();
    }
    Rebuilding = false;
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
    QuotationEdit->setText(quotation == NoQuotation ? QString() : ToQt(quotation));
    // The box holds the user's own type; the inferred one shows as its placeholder.
    const CProject& project = GetProject();
    const std::size_t index = static_cast<std::size_t>(row);
    TypeEdit->setText(index < project.Types.size() ? ToQt(project.Types[index]) : QString());
    TypeEdit->setPlaceholderText(
        ToQt(index < InferredTypes.size() ? InferredTypes[index] : std::string(InferredType)));
}

std::string CMappingPage::ShownType(std::size_t index) const
{
    const CProject& project = GetProject();
    if (index < project.Types.size() && !project.Types[index].empty())
        return project.Types[index];
    return index < InferredTypes.size() ? InferredTypes[index] : std::string(InferredType);
}

void CMappingPage::StoreRow()
{
    if (CurrentRow < 0 || CurrentRow >= ColumnList->rowCount())
        return;
    const std::string target = FromQt(TargetColumnEdit->text());
    const std::string quotation = FromQt(QuotationEdit->text());
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
        SetCell(CurrentRow, TypeColumn, ShownType(index));
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
    QTableWidgetItem* item = ColumnList->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        ColumnList->setItem(row, column, item);
    }
    item->setText(ToQt(text));
}
