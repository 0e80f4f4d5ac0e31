#include "HelpViewer.h"

#include "HelpWindow.h"

#include <QApplication>
#include <QPointer>

#include <cstring>
#include <memory>

namespace {

QPointer<HelpWindow> Viewer;

// Splits "<help file>::/<topic>"; false when either part is missing.
bool SplitAddress(const char* address, QString& file, QString& topic)
{
    if (!address)
        return false;
    const char* separator = std::strstr(address, "::");
    if (!separator || separator == address)
        return false;
    file = QString::fromLocal8Bit(address, static_cast<qsizetype>(separator - address));
    topic = QString::fromLocal8Bit(separator + 2);
    while (topic.startsWith(QLatin1Char('/')))
        topic.remove(0, 1);
    return !topic.isEmpty();
}

} // namespace

HelpWindow* HelpViewerWindow()
{
    return Viewer.data();
}

std::intptr_t TABULON_HELP_API ShowHelpTopic(void* window, const char* address, std::uint32_t command,
                                             std::uintptr_t)
{
    // Only the display command is known; widgets need a running application.
    if (command != 0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 0;
    QString file;
    QString topic;
    if (!SplitAddress(address, file, topic))
        return 0;
    auto* owner = static_cast<QWidget*>(window);
    if (Viewer) {
        // Owned by the window that asks (a modal dialog's help must take input while it is open).
        if (owner && Viewer->parentWidget() != owner) {
            const bool visible = Viewer->isVisible();
            Viewer->setParent(owner, Qt::Window);
            Viewer->setAttribute(Qt::WA_DeleteOnClose, false);
            if (visible)
                Viewer->show();
        }
        if (!Viewer->ShowTopic(file, topic))
            return 0;
        return reinterpret_cast<std::intptr_t>(Viewer.data());
    }
    // The caller's window owns the viewer; without one it goes when closed.
    auto created = std::make_unique<HelpWindow>(owner);
    if (!owner)
        created->setAttribute(Qt::WA_DeleteOnClose);
    if (!created->ShowTopic(file, topic))
        return 0;
    Viewer = created.release();
    return reinterpret_cast<std::intptr_t>(Viewer.data());
}
