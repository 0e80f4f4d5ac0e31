#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The data sheet: a grid of cells.
    painter.setPen(QPen(QColor(40, 70, 120), 1.2));
    painter.setBrush(QColor(250, 250, 245));
    painter.drawRoundedRect(QRectF(2.5, 3.5, 17, 21), 1.5, 1.5);
    painter.setBrush(QColor(70, 120, 190));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(3.1, 4.1, 15.8, 4));
    painter.setPen(QPen(QColor(120, 140, 170), 0.8));
    for (double y : {12.5, 16.5, 20.5})
        painter.drawLine(QPointF(3, y), QPointF(19.5, y));
    for (double x : {8.5, 13.5})
        painter.drawLine(QPointF(x, 8.5), QPointF(x, 24));

    // The arrow into the script.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 140, 30));
    QPainterPath arrow;
    arrow.moveTo(14, 17);
    arrow.lineTo(20, 17);
    arrow.lineTo(20, 13.5);
    arrow.lineTo(26, 19.5);
    arrow.lineTo(20, 25.5);
    arrow.lineTo(20, 22);
    arrow.lineTo(14, 22);
    arrow.closeSubpath();
    painter.drawPath(arrow);

    // The database.
    painter.setPen(QPen(QColor(30, 90, 50), 1.2));
    painter.setBrush(QColor(90, 170, 100));
    painter.drawRect(QRectF(21.5, 21, 9, 8));
    painter.drawEllipse(QRectF(21.5, 27, 9, 3.5));
    painter.setBrush(QColor(140, 210, 150));
    painter.drawEllipse(QRectF(21.5, 19, 9, 3.5));
    return pixmap;
}

} // namespace

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(DrawIcon(size));
    return icon;
}
