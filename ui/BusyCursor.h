#pragma once

#include <Qt>

class QWidget;

// Shows the busy cursor over a window for as long as it lives.
class BusyCursor {
  public:
    explicit BusyCursor(QWidget* window);
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    QWidget* Window;
    bool HadCursor;                // the window had a cursor of its own,
    Qt::CursorShape PreviousShape; // this one
};
