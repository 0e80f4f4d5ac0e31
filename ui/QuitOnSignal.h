#pragma once

// Makes SIGTERM, SIGHUP and SIGINT (a session ending, `kill`, Ctrl+C in the
// terminal) quit the application's event loops instead of killing the process,
// so the wizard still goes through its closing steps and nothing is lost.
// Call once, after the QApplication exists.
void QuitOnTerminationSignals();

// A run in progress is asked to stop, as Stop does (its target stays as it was); true
// while one goes on, so that quitting waits for it to end.
bool StopRunBeforeQuitting();
