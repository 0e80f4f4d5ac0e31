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

QSize StatusLine::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 40, fontMetrics().height() + 2 * frameWidth() + 4);
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
    const QString text = fontMetrics().elidedText(ToQt(Text), Qt::ElideRight, area.width());
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text);
}
