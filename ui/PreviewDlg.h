#pragma once

#include "RunSettings.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class CConverter;
class CProject;
class QLabel;
class QTableWidget;

// Shows the first rows of the source split into columns exactly as the current
// settings split them, so the separator or the widths can be checked before a
// run, and what the run writes of them: a value written as NULL shows as NULL in
// italics, a line with too few fields is tinted yellow and one with too many red,
// and a line under the grid counts them. A modal tool window that reads the
// source once, when it is made; it changes no setting that the user sees and
// writes no file.
class CPreviewDlg : public QDialog {
    Q_OBJECT
  public:
    // At most this many source lines are read, the header line included.
    static constexpr int MaxLines = 25;

    CPreviewDlg(QWidget* parent, CProject* project, CConverter* converter);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnInitDialog();
    // `quotes`: each column's quotation, which decides whether an empty value is NULL.
    void FillRows(const std::vector<ColumnSettings>& runColumns);
    void SizeColumns();
    // Tints a row whose line has too few or too many fields and says why in its tip; counts it.
    void MarkRaggedRow(int row, int fields, int columns, std::uint64_t line, std::uint64_t& count);

    QTableWidget* Grid;
    QLabel* Summary;
    CProject* Project;     // not owned
    CConverter* Converter; // not owned
};

// The line under the preview's grid: "4 rows shown: 2 with fewer fields than columns
// (yellow), 1 with more fields than columns (red); 3 values written as NULL."
std::string PreviewSummary(int rows, std::uint64_t shortLines, std::uint64_t longLines, std::uint64_t nulls);
