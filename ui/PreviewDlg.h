#pragma once

#include <QDialog>

class CConverter;
class CProject;
class QTableWidget;

// Shows the first rows of the source split into columns exactly as the current
// settings split them, so the separator or the widths can be checked before a
// run. A modal tool window that reads the source once, when it is made; it
// changes no setting that the user sees and writes no file.
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
    void FillRows(int columns);
    void SizeColumns();

    QTableWidget* Grid;
    CProject* Project;     // not owned
    CConverter* Converter; // not owned
};
