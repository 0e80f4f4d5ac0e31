#include "BusyCursor.h"

#include <QCursor>
#include <QWidget>

BusyCursor::BusyCursor(QWidget* window)
    : Window(window), HadCursor(window->testAttribute(Qt::WA_SetCursor)),
      PreviousShape(window->cursor().shape())
{
    // The arrow with an hourglass: the window is busy but still takes a click on Stop.
    Window->setCursor(Qt::BusyCursor);
}

BusyCursor::~BusyCursor()
{
    // A window with no cursor of its own takes its parent's again.
    if (HadCursor)
        Window->setCursor(PreviousShape);
    else
        Window->unsetCursor();
}
