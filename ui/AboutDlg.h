#pragma once

#include <QDialog>
#include <QIcon>
#include <string>

class QLabel;
class QPushButton;

// The About box: the application icon, the title after one leading
// space in a sunken text, and the default button "Close".
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    CAboutDlg(QWidget* parent, const std::string& appTitle, const QIcon& icon);

    QLabel* IconLabel = nullptr;  // control 1152
    QLabel* TitleLabel = nullptr; // control 1055
    QPushButton* CloseButton = nullptr;

  private:
    void OnInitDialog();

    QIcon Icon;
    std::string AppTitle;
};
