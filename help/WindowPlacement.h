#pragma once

// Where the program's windows open: wholly on the screen they belong to. Used by every
// window (the wizard, the preview, the About box, the help viewer); header-only so that
// the help viewer, which cannot depend on the wizard, shares it.

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

// The frame rectangle of a window whose frame is `frame` big: centred on `anchor`, shrunk
// to no more than `available` but never below `smallest`, and moved wholly inside
// `available`; a window that cannot fit keeps its top left corner (its title bar) there.
inline QRect FittedFrame(QSize frame, QSize smallest, const QRect& anchor, const QRect& available)
{
    const QSize size = frame.boundedTo(available.size()).expandedTo(smallest);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(anchor.center());
    placed.moveLeft(
        std::max(available.left(), std::min(placed.left(), available.right() + 1 - size.width())));
    placed.moveTop(std::max(available.top(), std::min(placed.top(), available.bottom() + 1 - size.height())));
    return placed;
}

// Moves and, when needed, shrinks `window` so that it lies wholly on the screen it belongs
// to (its parent's, or its own), centred on its parent or, without one, on that screen.
// It is never made smaller than its contents need: a grid or a text that scrolls gives up
// room, a page of controls does not.
inline void PlaceWindow(QWidget* window)
{
    QWidget* parent = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (parent && !parent->isVisible())
        parent = nullptr;
    QScreen* screen = parent ? parent->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();

    // The window system adds its frame only once the window is on the screen; until then
    // a sibling's frame, or the style's title bar, stands for it.
    QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    if (frame.isNull() && parent && parent->windowHandle())
        frame = parent->windowHandle()->frameMargins();
    if (frame.isNull())
        frame = QMargins(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0);
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());

    const QSize needed = window->minimumSizeHint().isValid() ? window->minimumSizeHint() : QSize(0, 0);
    const QRect placed = FittedFrame(window->size() + extra, needed + extra,
                                     parent ? parent->frameGeometry() : available, available);
    const QSize inside = placed.size() - extra;
    if (inside != window->size())
        window->setMinimumSize(window->minimumSize().boundedTo(inside));
    // The window itself, not its frame: a position given for the frame before the window
    // system has drawn one would be taken for the window's, with the title bar above it.
    window->setGeometry(QRect(placed.topLeft() + QPoint(frame.left(), frame.top()), inside));
}

// Places `window` with PlaceWindow each time it is shown, once it has its size.
class PlaceWhenShown : public QObject {
  public:
    explicit PlaceWhenShown(QWidget* window) : QObject(window) { window->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Before the window's own handling, so that a dialog keeps this place.
        if (event->type() == QEvent::Show && !event->spontaneous())
            PlaceWindow(static_cast<QWidget*>(watched));
        return false;
    }
};

// Places a window that is used beside its owner (the help viewer): at the owner's right,
// or else its left, where the screen has room for it at no less than `smallestWidth`;
// otherwise as PlaceWindow does.
inline void PlaceBesideOwner(QWidget* window, int smallestWidth = 360)
{
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || !owner->isVisible() || !owner->screen()) {
        PlaceWindow(window);
        return;
    }
    const QRect available = owner->screen()->availableGeometry();
    const QRect beside = owner->frameGeometry();
    QMargins frame = owner->windowHandle() ? owner->windowHandle()->frameMargins() : QMargins();
    const int extraWidth = frame.left() + frame.right();
    const int rightRoom = available.right() - beside.right() - extraWidth;
    const int leftRoom = beside.left() - available.left() - extraWidth;
    const int room = std::max(rightRoom, leftRoom);
    if (room < smallestWidth) {
        PlaceWindow(window);
        return;
    }
    const int width = std::min(window->width(), room);
    const int height = std::min(std::max(window->height(), beside.height() - frame.top() - frame.bottom()),
                                available.height() - frame.top() - frame.bottom());
    const int left =
        rightRoom >= leftRoom ? beside.right() + 1 + frame.left() : beside.left() - width - frame.right();
    const int top =
        std::max(available.top() + frame.top(),
                 std::min(beside.top() + frame.top(), available.bottom() + 1 - height - frame.bottom()));
    window->setGeometry(QRect(left, top, width, height));
}

// Places `window` with PlaceBesideOwner the first time it is shown.
class PlaceBesideOwnerWhenShown : public QObject {
  public:
    explicit PlaceBesideOwnerWhenShown(QWidget* window) : QObject(window)
    {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !event->spontaneous() && !Placed) {
            Placed = true;
            PlaceBesideOwner(static_cast<QWidget*>(watched));
        }
        return false;
    }

  private:
    bool Placed = false;
};
