#pragma once

#include <QLineEdit>

// An edit box that takes digits only: typing or pasting
// anything else is refused, while a text set by the program (a loaded commit
// size of -5) shows as it is and may still be edited.
class DigitsEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit DigitsEdit(QWidget* parent = nullptr);
};
