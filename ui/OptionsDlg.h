#pragma once

#include <QDialog>
#include <string>

class CProject;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLineEdit;
class QSpinBox;

// The project's options for reading the source's text and writing the script for
// a database: a modal dialog opened from the first page. It shows the project's
// values, enables each control only where it applies, and writes them into the
// project when OK is pressed (Cancel leaves the project as it was).
class COptionsDlg : public QDialog {
    Q_OBJECT
  public:
    // `separated`: the source is split at a separator (quoted fields apply only then).
    COptionsDlg(QWidget* parent, CProject* project, bool separated);

    // Writes the controls into the project (what OK does).
    void StoreOptions();

    // The largest number of rows per INSERT statement the database takes.
    static int MaxRowsPerInsert(const std::string& dialect);

    void accept() override;

  protected:
    // F1: the options' help topic, in a viewer that takes input while this dialog is open.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildControls();
    void LoadOptions();
    void UpdateDependentControls();
    std::string SelectedDialect() const;

    CProject* Project; // not owned
    bool Separated;
    QCheckBox* QuotedFieldsCheck = nullptr;
    QComboBox* EncodingCombo = nullptr;
    QCheckBox* TrimCheck = nullptr;
    QCheckBox* EmptyIsNullCheck = nullptr;
    QSpinBox* SkipLinesSpin = nullptr;
    QLineEdit* CommentPrefixEdit = nullptr;
    QLineEdit* NullValuesEdit = nullptr;
    QComboBox* DecimalCombo = nullptr;
    QComboBox* ThousandsCombo = nullptr;
    QComboBox* DateFormatCombo = nullptr;
    QComboBox* DialectCombo = nullptr;
    QSpinBox* RowsPerInsertSpin = nullptr;
    QCheckBox* CreateTableCheck = nullptr;
    QCheckBox* DropTableCheck = nullptr;
    QCheckBox* CopyCheck = nullptr;
};

// One line that names the options in force ("UTF-8, quoted fields; PostgreSQL, 100 rows
// per INSERT, CREATE TABLE"), for the first page to show beside its Options button.
std::string DescribeOptions(const CProject& project);
