#pragma once

#include <QFrame>
#include <string>

// The run page's status line: a sunken text, vertically centred, wrapped at word ends
// over up to three lines (a final summary is read whole), red for a failure.
// Setting the text costs a copy and at most one update request per paint, so the
// engine may report as often as it likes.
class StatusLine : public QFrame {
    Q_OBJECT
  public:
    explicit StatusLine(QWidget* parent = nullptr);

    void SetStatus(const char* text);
    const std::string& Status() const { return Text; }
    // Shows the text as a failure's (red) or as any other.
    void SetFailed(bool failed);
    bool Failed() const { return ShowsFailure; }
    // Whether the whole text fits the line's size now.
    bool ShowsWholeText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string Text;
    bool UpdatePending = false;
    bool ShowsFailure = false;
    static constexpr int Lines = 3;
};
