#include "PreviewDlg.h"

#include "Converter.h"
#include "DialogUnits.h"
#include "EngineWork.h"
#include "Project.h"
#include "QtText.h"
#include "UserDialogs.h"
#include "WindowPlacement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Closes the source however the reading ends.
class SourceReading {
  public:
    explicit SourceReading(CConverter& converter) : Converter(converter), Opened(converter.Open(false) == 0)
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

} // namespace

CPreviewDlg::CPreviewDlg(QWidget* parent, CProject* project, CConverter* converter)
    // A tool window: small caption with a close box, no task-bar button.
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Grid(new QTableWidget(this)), Project(project), Converter(converter)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Grid);
    OnInitDialog();
    // 387 x 278 dialog units: room for the 25 rows, and it follows the font.
    setFixedSize(DialogUnitsX(this, 387), DialogUnitsY(this, 278));
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
            std::vector<std::string> names;
            Converter->DiscoverColumns(names, nullptr);
            Grid->setColumnCount(static_cast<int>(names.size()));
            for (std::size_t i = 0; i < names.size(); ++i)
                Grid->setHorizontalHeaderItem(static_cast<int>(i), new QTableWidgetItem(ToQt(names[i])));
            FillRows(static_cast<int>(names.size()));
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

void CPreviewDlg::FillRows(int columns)
{
    SourceReading source(*Converter);
    if (!source.IsOpen())
        return;
    // Records as the run reads them: blank lines skipped, quoted fields whole.
    std::vector<std::string> fields;
    for (int recordCount = 0; recordCount < MaxLines; ++recordCount) {
        if (!Converter->ReadValues(fields))
            break;
        if (Project->ColumnNames != 0 && recordCount == 0)
            continue;
        if (fields.empty())
            continue;
        // Cells beyond the last column have nowhere to go; missing ones stay empty.
        const int row = Grid->rowCount();
        Grid->insertRow(row);
        const int shown = std::min(columns, static_cast<int>(fields.size()));
        for (int j = 0; j < shown; ++j)
            Grid->setItem(row, j, new QTableWidgetItem(ToQt(fields[static_cast<std::size_t>(j)])));
    }
}

void CPreviewDlg::SizeColumns()
{
    // Each column fits its heading and the values shown under it, so no value is cut
    // short; the last one takes the rest of the grid.
    for (int i = 0; i < Grid->columnCount(); ++i)
        Grid->resizeColumnToContents(i);
    Grid->horizontalHeader()->setStretchLastSection(true);
}
