#include "MenuBarKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>

MenuBarKeys::MenuBarKeys(QMenuBar* menuBar) : QObject(menuBar), MenuBar(menuBar)
{
    // Key events go to the widget with the focus, anywhere in the window: only the
    // application sees them all.
    qApp->installEventFilter(this);
}

bool MenuBarKeys::InMenuBarWindow(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == MenuBar->window() && MenuBar->isVisible();
}

void MenuBarKeys::OpenMenuBar()
{
    for (QAction* action : MenuBar->actions()) {
        if (action->menu() && action->isVisible() && action->isEnabled()) {
            MenuBar->setActiveAction(action);
            return;
        }
    }
}

bool MenuBarKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        if (!InMenuBarWindow(watched))
            break;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            break;
        if (key->key() == Qt::Key_Alt) {
            AltAlone = key->modifiers() == Qt::AltModifier || key->modifiers() == Qt::NoModifier;
            break;
        }
        AltAlone = false;
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_F10 &&
            key->modifiers() == Qt::NoModifier) {
            OpenMenuBar();
            return true;
        }
        break;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Alt || key->isAutoRepeat() || !InMenuBarWindow(watched))
            break;
        const bool open = AltAlone;
        AltAlone = false;
        if (open) {
            OpenMenuBar();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::WindowDeactivate:
        AltAlone = false;
        break;
    default:
        break;
    }
    return false;
}
