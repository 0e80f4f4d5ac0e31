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

  private:
    void OnInitDialog();

    QLabel* IconLabel = nullptr;
    QLabel* TitleLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QPushButton* CloseButton = nullptr;

    QIcon Icon;
    std::string AppTitle;
};
