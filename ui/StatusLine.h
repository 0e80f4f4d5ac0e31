#pragma once

#include <QFrame>
#include <string>

// The run page's status line: a sunken text, vertically centred.
// Setting the text costs a copy and at most one update request per paint, so the
// engine may report as often as it likes.
class StatusLine : public QFrame {
    Q_OBJECT
  public:
    explicit StatusLine(QWidget* parent = nullptr);

    void SetStatus(const char* text);
    const std::string& Status() const { return Text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string Text;
    bool UpdatePending = false;
};
