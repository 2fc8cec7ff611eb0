// A request to terminate (SIGTERM, SIGINT, SIGHUP) closes the window like its close box, so the
// settings are saved and the log gets its end line.
#pragma once

class QWidget;

// Run once at program entry: a request that arrives before the window exists is kept.
void CatchTerminationSignals();

// Closes window as soon as the event loop runs after a request has arrived.
void CloseOnTerminationSignal(QWidget& window);
