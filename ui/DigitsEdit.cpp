#include "DigitsEdit.h"

#include <QApplication>
#include <QValidator>

namespace {

qsizetype CountOthers(const QString& text)
{
    qsizetype count = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            ++count;
    }
    return count;
}

// Refuses any change that brings in a character other than a digit.
class DigitsOnly : public QValidator {
  public:
    DigitsOnly(QLineEdit* edit) : QValidator(edit), Edit(edit), Accepted(edit->text())
    {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this](const QString& text) { Accepted = text; });
    }

    // The edit already holds `input` here; the text before the change is the last accepted one.
    State validate(QString& input, int&) const override
    {
        if (CountOthers(input) > CountOthers(Accepted)) {
            if (Edit->hasFocus())
                QApplication::beep();
            return Invalid;
        }
        return Acceptable;
    }

  private:
    QLineEdit* Edit;
    QString Accepted;
};

} // namespace

DigitsEdit::DigitsEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new DigitsOnly(this));
}
