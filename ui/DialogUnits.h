#pragma once

class QWidget;

// Dialog units of a widget's font: a quarter of the average character width
// across, an eighth of the font height down (the sizes the windows are drawn in),
// so every window grows and shrinks with its font.
int DialogUnitsX(const QWidget* widget, int units);
int DialogUnitsY(const QWidget* widget, int units);
