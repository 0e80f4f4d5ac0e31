#include "DialogUnits.h"

#include <QWidget>

int DialogUnitsX(const QWidget* widget, int units)
{
    return units * widget->fontMetrics().averageCharWidth() / 4;
}

int DialogUnitsY(const QWidget* widget, int units)
{
    return units * widget->fontMetrics().height() / 8;
}
