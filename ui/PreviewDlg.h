#pragma once

#include "Project.h"
#include "RunSettings.h"

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

// What the preview shows of a source: the first records split as the run splits them,
// each value cut to its first PreviewRows::ValueLimit bytes.
struct PreviewRows {
    // At most this many source lines are read, the header line included.
    static constexpr int MaxLines = 25;
    // Bytes of a value shown; a longer one is cut (at a character's start) and marked.
    static constexpr std::size_t ValueLimit = 1000;
    // Bytes of a record kept while reading (the rest is dropped as it is read), so a
    // line of hundreds of megabytes costs no more memory than this.
    static constexpr std::size_t RecordLimit = std::size_t{1} << 20;

    struct Row {
        std::uint64_t Line = 0; // where the record began
        std::vector<std::string> Values;
        std::vector<bool> Cut;         // per value: shown cut short
        std::vector<bool> NullMarkers; // per value: a NULL marker of the source (NullValues)
        bool RecordCut = false;        // the record was longer than RecordLimit
    };
    std::vector<std::string> Names;      // the headings
    std::vector<ColumnSettings> Columns; // as the run writes them
    std::vector<Row> Rows;
    std::string Failure; // the "Error" box's text; empty when the reading went through
};

// Reads what the preview shows of `project`'s source with its own engine (any thread
// may call it). `cancel` is looked at between records and during the pass for the types;
// once set the reading ends early with what it has.
PreviewRows ReadPreviewRows(const CProject& project, const std::atomic<bool>& cancel);

// Shows the first rows of the source split into columns exactly as the current
// settings split them, so the separator or the widths can be checked before a
// run, and what the run writes of them: a value written as NULL shows as NULL in
// italics, a line with too few fields is tinted yellow and one with too many red
// (its extra fields shown under "extra" headings), a value cut short ends in "…",
// and a line under the grid counts them. A window of its own (resizable, maximisable,
// not modal) that changes no setting and writes no file. The source is read on a
// thread of its own: the window shows once the rows are there (or after a moment
// of reading, with Cancel), and not at all when the reading fails (the user is told).
class CPreviewDlg : public QDialog {
    Q_OBJECT
  public:
    CPreviewDlg(QWidget* parent, const CProject& project);
    ~CPreviewDlg() override;
    CPreviewDlg(const CPreviewDlg&) = delete;
    CPreviewDlg& operator=(const CPreviewDlg&) = delete;

    // Reads `project`'s source again (a reading under way is cancelled first).
    void Read(const CProject& project);
    // Shows why the settings cannot be previewed now, instead of rows.
    void ShowProblem(const std::string& message);
    // Waits for the reading under way and shows what it read (for tests and the close).
    void WaitUntilRead();
    bool IsReading() const { return Reading != nullptr; }

  Q_SIGNALS:
    void RowsShown();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    struct Work;
    void StopReading();
    void TakeRows();
    void FillRows(const PreviewRows& rows);
    void SizeColumns();
    // Tints a row whose line has too few or too many fields and says why in its tip; counts it.
    void MarkRaggedRow(int row, int fields, int columns, std::uint64_t line, std::uint64_t& count);

    QTableWidget* Grid;
    QLabel* Summary;
    QPushButton* CancelButton;
    std::string Source;            // the file being shown
    std::unique_ptr<Work> Reading; // the reading under way, if any
};

// The line under the preview's grid: "4 rows shown: 2 with fewer fields than columns
// (yellow), 1 with more fields than columns (red); 3 values written as NULL; 1 value
// cut short (…)."
std::string PreviewSummary(int rows, std::uint64_t shortLines, std::uint64_t longLines, std::uint64_t nulls,
                           std::uint64_t cut = 0);
