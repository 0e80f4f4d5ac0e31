#pragma once

#include <QObject>

class QMenuBar;

// Opens a window's menu bar from the keyboard, as on Windows: F10, or Alt pressed and
// released with no other key (and no click) between, opens the first menu; the arrow
// keys then move through the menus and Escape leaves them. Keys meant for a widget of
// the window that takes them (Alt+N for Next) are left alone.
class MenuBarKeys : public QObject {
    Q_OBJECT
  public:
    // Watches the keys of the menu bar's window; a child of the menu bar.
    explicit MenuBarKeys(QMenuBar* menuBar);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InMenuBarWindow(QObject* watched) const;
    void OpenMenuBar();

    QMenuBar* MenuBar;
    bool AltAlone = false; // Alt is down and nothing else happened since
};
