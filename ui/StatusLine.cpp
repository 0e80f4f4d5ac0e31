#include "StatusLine.h"

#include "QtText.h"

#include <QPainter>

StatusLine::StatusLine(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusLine::SetStatus(const char* text)
{
    Text.assign(text);
    if (!UpdatePending) {
        UpdatePending = true;
        update();
    }
}

void StatusLine::SetFailed(bool failed)
{
    if (failed == ShowsFailure)
        return;
    ShowsFailure = failed;
    update();
}

QSize StatusLine::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 40,
                 Lines * fontMetrics().lineSpacing() + 2 * frameWidth() + 4);
}

namespace {

constexpr int TextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

} // namespace

bool StatusLine::ShowsWholeText() const
{
    const QRect area = contentsRect().adjusted(2, 0, -2, 0);
    const QRect needed = fontMetrics().boundingRect(area, TextFlags, ToQt(Text));
    return needed.width() <= area.width() && needed.height() <= area.height();
}

QSize StatusLine::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void StatusLine::paintEvent(QPaintEvent* event)
{
    UpdatePending = false;
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(2, 0, -2, 0);
    if (ShowsFailure)
        painter.setPen(QColor(Qt::darkRed));
    painter.drawText(area, TextFlags, ToQt(Text));
}
