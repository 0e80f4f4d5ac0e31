#include "QuitOnSignal.h"

#include "RunPage.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

bool StopRunBeforeQuitting()
{
    if (!CRunPage::RunInProgress())
        return false;
    CRunPage::RequestStop();
    return true;
}

#ifndef _WIN32
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int SignalSockets[2] = {-1, -1};

// Ends every event loop, the frame's modal one and any dialog's above it; the frame's
// destructor then runs the closing steps. A run in progress is stopped first, as Stop
// stops it: the target stays as it was.
void QuitWhenIdle()
{
    if (StopRunBeforeQuitting()) {
        QTimer::singleShot(100, &QuitWhenIdle);
        return;
    }
    QCoreApplication::exit(0); // quit() would do nothing: the program runs no QApplication::exec()
}

void OnSignal(int)
{
    const char byte = 1;
    (void)!::write(SignalSockets[1], &byte, 1); // async-signal-safe hand-over to the event loop
}

} // namespace

void QuitOnTerminationSignals()
{
    if (SignalSockets[0] != -1 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSockets) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(SignalSockets[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte;
        (void)!::read(SignalSockets[0], &byte, 1);
        QuitWhenIdle();
    });
    struct sigaction action = {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}
#else
void QuitOnTerminationSignals() {}
#endif
