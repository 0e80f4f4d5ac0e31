#include "PreviewDlg.h"

#include "ColumnMapping.h"
#include "Converter.h"
#include "DialogUnits.h"
#include "EngineWork.h"
#include "Project.h"
#include "QtText.h"
#include "UserDialogs.h"
#include "ValueForm.h"
#include "WindowPlacement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Closes the source however the reading ends.
class SourceReading {
  public:
    explicit SourceReading(CConverter& converter)
        : Converter(converter), Opened(converter.Open(false) == CConverter::OpenResult::Done)
    {
    }
    ~SourceReading()
    {
        if (Opened)
            Converter.Close(false);
    }
    SourceReading(const SourceReading&) = delete;
    SourceReading& operator=(const SourceReading&) = delete;
    bool IsOpen() const { return Opened; }

  private:
    CConverter& Converter;
    bool Opened;
};

constexpr const char* NullText = "NULL";
// Light tints, so that the text stays readable in either.
const QColor ShortLineColour(255, 243, 176);
const QColor LongLineColour(255, 210, 210);

} // namespace

CPreviewDlg::CPreviewDlg(QWidget* parent, CProject* project, CConverter* converter)
    // A tool window: small caption with a close box, no task-bar button.
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Grid(new QTableWidget(this)), Summary(new QLabel(this)), Project(project), Converter(converter)
{
    Summary->setObjectName(QStringLiteral("previewSummary"));
    Summary->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Grid, 1);
    layout->addWidget(Summary);
    OnInitDialog();
    // 387 x 292 dialog units: room for the 25 rows and the line under them, and it follows the font.
    setFixedSize(DialogUnitsX(this, 387), DialogUnitsY(this, 292));
    new PlaceWhenShown(this);
}

void CPreviewDlg::OnInitDialog()
{
    setWindowTitle(QStringLiteral(" The first rows of ") + ToQt(Project->FileName));

    Grid->setShowGrid(true);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSortingEnabled(false);
    Grid->horizontalHeader()->setSectionsClickable(false);
    Grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Grid->verticalHeader()->hide();
    // List rows: one line of text each.
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 6);
    Grid->setWordWrap(false);

    const std::string failure =
        RunEngineWork({"The source file cannot be read.", "show the first rows of the source file"}, [this] {
            // The project's quotation when its columns are these, as the run writes them;
            // else the quotation discovery gives.
            std::vector<std::string> names;
            std::vector<std::string> quotes;
            Converter->DiscoverColumns(names, &quotes);
            Grid->setColumnCount(static_cast<int>(names.size()));
            for (std::size_t i = 0; i < names.size(); ++i)
                Grid->setHorizontalHeaderItem(static_cast<int>(i), new QTableWidgetItem(ToQt(names[i])));
            // The columns as the run writes them: the project's, or those the run
            // would discover; with CREATE TABLE typed by the run's own pass.
            CProject discovered = *Project;
            if (discovered.Columns.size() != names.size())
                MergeDiscoveredColumns(discovered, names, quotes);
            CConverter typing;
            typing.Project = &discovered;
            FillRows(names.empty() ? std::vector<ColumnSettings>() : typing.RunColumns());
        });
    // The window still shows what was read before the failure.
    if (!failure.empty())
        UserDialogs().ShowMessage(parentWidget(), failure, "Error", IUserDialogs::Icon::Stop);
    SizeColumns();
}

void CPreviewDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter closes the window as Escape does; there is no button to press.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPreviewDlg::FillRows(const std::vector<ColumnSettings>& runColumns)
{
    const int columns = static_cast<int>(runColumns.size());
    SourceReading source(*Converter);
    std::uint64_t shortLines = 0;
    std::uint64_t longLines = 0;
    std::uint64_t nulls = 0;
    if (source.IsOpen()) {
        // Records as the run reads them: blank lines skipped, quoted fields whole.
        std::vector<std::string> fields;
        std::vector<bool> nullMarkers;
        for (int recordCount = 0; recordCount < MaxLines; ++recordCount) {
            if (!Converter->ReadRunValues(fields, nullMarkers))
                break;
            if (Project->ColumnNames != 0 && recordCount == 0)
                continue;
            if (fields.empty())
                continue;
            const int row = Grid->rowCount();
            Grid->insertRow(row);
            const int count = static_cast<int>(fields.size());
            // Cells beyond the last column have nowhere to go.
            for (int j = 0; j < columns; ++j) {
                const std::size_t k = static_cast<std::size_t>(j);
                auto* item = new QTableWidgetItem;
                // A missing value is NULL, and any the run writes as NULL.
                if (j >= count ||
                    FormOf(ReadValue{fields[k], nullMarkers[k]}, runColumns[k]) == ValueForm::Null) {
                    item->setText(QString::fromLatin1(NullText));
                    QFont font = item->font();
                    font.setItalic(true);
                    item->setFont(font);
                    item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
                    ++nulls;
                } else {
                    item->setText(ToQt(fields[k]));
                }
                Grid->setItem(row, j, item);
            }
            if (columns > 0 && count != columns)
                MarkRaggedRow(row, count, columns, Converter->RecordLine,
                              count < columns ? shortLines : longLines);
        }
    }
    Summary->setText(ToQt(PreviewSummary(Grid->rowCount(), shortLines, longLines, nulls)));
}

void CPreviewDlg::MarkRaggedRow(int row, int fields, int columns, std::uint64_t line, std::uint64_t& count)
{
    ++count;
    const bool fewer = fields < columns;
    const QString tip = QStringLiteral("Line %1 has %2 %3 for %4 columns: %5")
                            .arg(line)
                            .arg(fields)
                            .arg(fields == 1 ? QStringLiteral("field") : QStringLiteral("fields"))
                            .arg(columns)
                            .arg(fewer ? QStringLiteral("the missing values are written as NULL")
                                       : QStringLiteral("the extra fields are not written"));
    for (int j = 0; j < columns; ++j) {
        QTableWidgetItem* item = Grid->item(row, j);
        item->setBackground(fewer ? ShortLineColour : LongLineColour);
        item->setToolTip(tip);
    }
}

std::string PreviewSummary(int rows, std::uint64_t shortLines, std::uint64_t longLines, std::uint64_t nulls)
{
    std::string text = std::to_string(rows) + (rows == 1 ? " row" : " rows") + " shown";
    if (shortLines + longLines == 0) {
        text += rows > 0 ? ", each with a field per column" : "";
    } else {
        text += ": ";
        if (shortLines > 0)
            text += std::to_string(shortLines) + " with fewer fields than columns (yellow)";
        if (shortLines > 0 && longLines > 0)
            text += ", ";
        if (longLines > 0)
            text += std::to_string(longLines) + " with more fields than columns (red)";
    }
    if (nulls > 0)
        text += "; " + std::to_string(nulls) + (nulls == 1 ? " value" : " values") + " written as NULL";
    return text + ".";
}

void CPreviewDlg::SizeColumns()
{
    // Each column fits its heading and the values shown under it, so no value is cut
    // short; the last one takes the rest of the grid.
    for (int i = 0; i < Grid->columnCount(); ++i)
        Grid->resizeColumnToContents(i);
    Grid->horizontalHeader()->setStretchLastSection(true);
}
