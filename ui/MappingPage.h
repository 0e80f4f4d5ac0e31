#pragma once

#include "WizardPage.h"

#include <memory>
#include <thread>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableWidget;

// Page 1: one row per column of the source, with its source name, its
// target name and its quotation ("'" or "No"); with CREATE TABLE, also the
// column's SQL type (the user's, or the one the run infers from the whole source,
// read in the background and marked while it is read). F2 or a double-click
// edits a cell in place, Enter ends the edit. A column
// whose target name is emptied is left out of the script. The edit boxes below show the row
// last picked; what the user types there is written into that row, and into the
// project's Columns and Quotes, when another row is picked or the page is stored,
// so the run uses it and the project file keeps it.
class CMappingPage : public CWizardPage {
    Q_OBJECT
  public:
    CMappingPage(CWizardDlg* frame, CProject* project, CConverter* converter);

    void ShowPage() override;
    void StoreData() override;
    bool CanLeave() override;
    std::string GetHelpTopic() const override;

    ~CMappingPage() override;

    // For tests: the row whose target name and quotation the edit boxes hold; -1 for none.
    int EditedRow() const { return CurrentRow; }
    // True while the column types are being read in the background.
    bool ReadingTypes() const { return !TypesShown; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  public:
  private:
    // Writes the target name and quotation boxes into row CurrentRow and into the project.
    void StoreRow();
    // The list's current row changed to `row` (picked with the mouse or the keyboard).
    void OnItemChanged(int row);
    // The type the list shows for column `index`: the user's, else the inferred one.
    std::string ShownType(std::size_t index) const;
    // Under the list: each target name that the script writes otherwise, as the database takes names.
    void ShowWrittenNames();
    // The text of a cell of the list (column 0 source, 1 target, 2 quotation, 3 type).
    std::string CellText(int row, int column) const;
    void SetCell(int row, int column, const std::string& text);
    void LoadRow(int row);
    // A cell edited in place: the row's boxes and the project take it.
    void OnCellEdited(int row, int column);
    // Starts reading the types the run will infer, away from the window.
    void StartReadingTypes();
    void ShowReadTypes(const std::vector<std::string>& types, unsigned generation);
    // The inferred type of column `index` as the list shows it (marked while it is read).
    std::string ShownInferredType(std::size_t index) const;
    // The type cell of `row`: the type shown, and the user's own as its data.
    void SetTypeCell(int row);
    void SetQuotation(const std::string& quotation);
    std::string Quotation() const;
    void CarryIntoProject(int row, const std::string& target, const std::string& quotation,
                          const std::string& type);

    QTableWidget* ColumnList = nullptr;
    QLineEdit* SourceColumnEdit = nullptr; // shown only
    QLineEdit* TargetColumnEdit = nullptr;
    QComboBox* QuotationChoice = nullptr;
    class QLabel* TypeLabel = nullptr;
    QLineEdit* TypeEdit = nullptr; // with CREATE TABLE only
    class QLabel* WrittenNamesLabel = nullptr;
    std::vector<std::string> InferredTypes; // per column, as the engine reads the data
    int CurrentRow = -1;
    bool Rebuilding = false;
    bool SettingCell = false;
    std::vector<std::thread> TypeReaders; // each reads the types for one showing of the list
    unsigned TypeGeneration = 0;          // the list's; a reader's result for an older one is dropped
    bool TypesShown = true;
};
