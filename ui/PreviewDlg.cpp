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

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
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

struct ReadingCancelled {};

constexpr const char* NullText = "NULL";
constexpr const char* CutMark = "\xE2\x80\xA6"; // "…"
// Light tints, so that the text stays readable in either.
const QColor ShortLineColour(255, 243, 176);
const QColor LongLineColour(255, 210, 210);
// A reading that takes longer than this shows the window, with Cancel.
constexpr int ShowReadingAfterMs = 300;

// The value's first ValueLimit bytes, not ending inside a character; true when cut.
bool CutValue(std::string& value)
{
    if (value.size() <= PreviewRows::ValueLimit)
        return false;
    std::size_t end = PreviewRows::ValueLimit;
    while (end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
        --end;
    value.resize(end);
    return true;
}

} // namespace

PreviewRows ReadPreviewRows(const CProject& project, const std::atomic<bool>& cancel)
{
    PreviewRows result;
    CProject copy = project;
    CConverter converter;
    converter.Project = &copy;
    converter.LimitRecords(PreviewRows::RecordLimit);
    result.Failure =
        RunEngineWork({"The source file cannot be read.", "show the first rows of the source file"}, [&] {
            // The project's quotation when its columns are these, as the run writes them;
            // else the quotation discovery gives.
            std::vector<std::string> quotes;
            converter.DiscoverColumns(result.Names, &quotes);
            if (result.Names.empty())
                return;
            // The columns as the run writes them: the project's, or those the run
            // would discover; with CREATE TABLE typed by the run's own pass.
            CProject discovered = copy;
            if (discovered.Columns.size() != result.Names.size())
                MergeDiscoveredColumns(discovered, result.Names, quotes);
            CConverter typing;
            typing.Project = &discovered;
            typing.LimitRecords(PreviewRows::RecordLimit);
            try {
                result.Columns = typing.RunColumns([&cancel](const RunProgress&) {
                    if (cancel)
                        throw ReadingCancelled();
                });
            } catch (const ReadingCancelled&) {
                return;
            }
            SourceReading source(converter);
            if (!source.IsOpen())
                return;
            // Records as the run reads them: blank lines skipped, quoted fields whole.
            std::vector<std::string> fields;
            std::vector<bool> nullMarkers;
            for (int recordCount = 0; recordCount < PreviewRows::MaxLines && !cancel; ++recordCount) {
                const std::uint64_t cutBefore = converter.RecordsCut();
                if (!converter.ReadRunValues(fields, nullMarkers))
                    break;
                if (copy.ColumnNames != 0 && recordCount == 0)
                    continue;
                if (fields.empty())
                    continue;
                PreviewRows::Row row;
                row.Line = converter.RecordLine;
                row.RecordCut = converter.RecordsCut() != cutBefore;
                row.NullMarkers = nullMarkers;
                for (std::string& field : fields) {
                    row.Cut.push_back(CutValue(field));
                    row.Values.push_back(std::move(field));
                }
                if (row.RecordCut)
                    row.Cut.back() = true;
                fields.clear();
                result.Rows.push_back(std::move(row));
            }
        });
    return result;
}

// A reading on its own thread: it ends by asking the window to take its rows.
struct CPreviewDlg::Work {
    std::atomic<bool> Cancel{false};
    std::atomic<bool> Done{false};
    PreviewRows Rows;
    std::thread Thread;
};

CPreviewDlg::CPreviewDlg(QWidget* parent, const CProject& project)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      Grid(new QTableWidget(this)), Summary(new QLabel(this)),
      CancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    Summary->setObjectName(QStringLiteral("previewSummary"));
    Summary->setWordWrap(true);
    CancelButton->setObjectName(QStringLiteral("cancelPreview"));
    CancelButton->setToolTip(QStringLiteral("Stops reading the source and closes the window"));
    CancelButton->hide();
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Grid, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Summary, 1);
    bottom->addWidget(CancelButton);
    layout->addLayout(bottom);
    setSizeGripEnabled(true);

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

    // 387 x 292 dialog units to start with: room for the 25 rows and the line under them,
    // and it follows the font; the user may resize or maximise it.
    setMinimumSize(DialogUnitsX(this, 120), DialogUnitsY(this, 80));
    resize(DialogUnitsX(this, 387), DialogUnitsY(this, 292));
    new PlaceWhenShown(this);
    Read(project);
}

CPreviewDlg::~CPreviewDlg()
{
    StopReading();
}

void CPreviewDlg::Read(const CProject& project)
{
    StopReading();
    Source = project.FileName;
    setWindowTitle(QStringLiteral(" The first rows of ") + ToQt(Source));
    Summary->setText(QStringLiteral("Reading the first rows of the source..."));
    CancelButton->show();
    Reading = std::make_unique<Work>();
    Work* work = Reading.get();
    work->Thread = std::thread([this, work, project] {
        work->Rows = ReadPreviewRows(project, work->Cancel);
        work->Done = true;
        // Queued: runs on the window's thread, and not at all once the window is gone.
        QMetaObject::invokeMethod(this, &CPreviewDlg::TakeRows, Qt::QueuedConnection);
    });
    if (!isVisible())
        QTimer::singleShot(ShowReadingAfterMs, this, [this, work] {
            if (Reading.get() == work && !isVisible())
                show();
        });
}

void CPreviewDlg::StopReading()
{
    if (!Reading)
        return;
    Reading->Cancel = true;
    Reading->Thread.join();
    Reading.reset();
    CancelButton->hide();
}

void CPreviewDlg::WaitUntilRead()
{
    if (!Reading)
        return;
    Reading->Thread.join();
    TakeRows();
}

void CPreviewDlg::TakeRows()
{
    if (!Reading || !Reading->Done)
        return; // a reading since cancelled, or one that goes on
    if (Reading->Thread.joinable())
        Reading->Thread.join();
    const std::unique_ptr<Work> work = std::move(Reading);
    CancelButton->hide();
    const PreviewRows& rows = work->Rows;
    if (!rows.Failure.empty() && !isVisible()) {
        // No empty window: the user reads why, and the window closes.
        UserDialogs().ShowMessage(parentWidget(), rows.Failure, "Error", IUserDialogs::Icon::Stop);
        close();
        return;
    }
    FillRows(rows);
    SizeColumns();
    if (!rows.Failure.empty()) {
        // The window stays open while the settings change: it says why there are no rows.
        Grid->setRowCount(0);
        Summary->setText(ToQt(rows.Failure));
    }
    if (!isVisible())
        show();
    Q_EMIT RowsShown();
}

void CPreviewDlg::ShowProblem(const std::string& message)
{
    StopReading();
    Grid->clear();
    Grid->setRowCount(0);
    Grid->setColumnCount(0);
    Summary->setText(ToQt(message));
}

void CPreviewDlg::done(int result)
{
    StopReading(); // a closed window reads no more
    QDialog::done(result);
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

void CPreviewDlg::FillRows(const PreviewRows& rows)
{
    Grid->clear();
    Grid->setRowCount(0);
    const int columns = static_cast<int>(rows.Names.size());
    // Fields past the last column are shown too, under headings of their own.
    int widest = columns;
    for (const PreviewRows::Row& row : rows.Rows)
        widest = std::max(widest, static_cast<int>(row.Values.size()));
    if (rows.Columns.size() != rows.Names.size())
        widest = columns; // no rows were read
    Grid->setColumnCount(widest);
    for (int i = 0; i < widest; ++i) {
        auto* heading = new QTableWidgetItem(i < columns ? ToQt(rows.Names[static_cast<std::size_t>(i)])
                                                         : QStringLiteral("extra %1").arg(i - columns + 1));
        if (i >= columns)
            heading->setToolTip(QStringLiteral("Fields past the last column: the run does not write them"));
        Grid->setHorizontalHeaderItem(i, heading);
    }
    std::uint64_t shortLines = 0;
    std::uint64_t longLines = 0;
    std::uint64_t nulls = 0;
    std::uint64_t cut = 0;
    if (rows.Columns.size() == rows.Names.size()) {
        const QBrush dimmed = palette().brush(QPalette::Disabled, QPalette::Text);
        for (const PreviewRows::Row& record : rows.Rows) {
            const int row = Grid->rowCount();
            Grid->insertRow(row);
            const int count = static_cast<int>(record.Values.size());
            for (int j = 0; j < std::max(columns, count); ++j) {
                const std::size_t k = static_cast<std::size_t>(j);
                auto* item = new QTableWidgetItem;
                // A missing value is NULL, and any the run writes as NULL.
                if (j >= count || (j < columns && FormOf(ReadValue{record.Values[k], record.NullMarkers[k]},
                                                         rows.Columns[k]) == ValueForm::Null)) {
                    item->setText(QString::fromLatin1(NullText));
                    QFont font = item->font();
                    font.setItalic(true);
                    item->setFont(font);
                    item->setForeground(dimmed);
                    ++nulls;
                } else if (record.Cut[k]) {
                    ++cut;
                    item->setText(ToQt(record.Values[k] + CutMark));
                    item->setToolTip(
                        QStringLiteral("Only the start of this value is shown: it is longer than "
                                       "%1 bytes")
                            .arg(PreviewRows::ValueLimit));
                } else {
                    item->setText(ToQt(record.Values[k]));
                }
                if (j >= columns)
                    item->setForeground(dimmed); // not written
                Grid->setItem(row, j, item);
            }
            if (columns > 0 && count != columns)
                MarkRaggedRow(row, count, columns, record.Line, count < columns ? shortLines : longLines);
        }
    }
    Summary->setText(ToQt(PreviewSummary(Grid->rowCount(), shortLines, longLines, nulls, cut)));
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
    for (int j = 0; j < std::max(columns, fields); ++j) {
        QTableWidgetItem* item = Grid->item(row, j);
        item->setBackground(fewer ? ShortLineColour : LongLineColour);
        if (item->toolTip().isEmpty())
            item->setToolTip(tip);
    }
}

std::string PreviewSummary(int rows, std::uint64_t shortLines, std::uint64_t longLines, std::uint64_t nulls,
                           std::uint64_t cut)
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
    if (cut > 0)
        text +=
            "; " + std::to_string(cut) + (cut == 1 ? " value" : " values") + " cut short (" + CutMark + ")";
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
