#pragma once

#include <QObject>

class QSocketNotifier;

// The program's process-wide hooks, in one place, made by main() before anything else and
// gone last. The signals that ask a program to end (SIGTERM from a logout or `kill`, SIGHUP
// from a closed terminal, SIGINT from Ctrl+C) become terminationRequested(), delivered by the
// event loop, so that the program can end the way closing its window does; a second one that
// comes while the first still waits for the event loop ends the program at once. SIGPIPE is
// ignored: a trace that nobody reads any more is dropped, and the program goes on. On a fatal
// signal, and when the program ends, the trace is written out; a program that ends through
// exit() (the X server went away, say) first announces exiting(). Whatever a hook replaced
// is put back when the object goes; a signal the program was started to ignore stays ignored.
// On Windows the requests to end are the console's events (Ctrl+C as SIGINT, Ctrl+Break as
// SIGBREAK, the console closed, a logoff or shutdown as SIGTERM) and a logoff's question to
// the windows (WM_QUERYENDSESSION, as SIGTERM); processhooks_win.cpp.
class ProcessHooks : public QObject
{
    Q_OBJECT

public:
    explicit ProcessHooks(QObject *parent = nullptr);
    ~ProcessHooks() override;

    // The one in place, if any.
    static ProcessHooks *instance();

    // Ends the program as `signal` would have ended it without these hooks, once the trace
    // is out: for a request that must neither wait for a window nor write anything.
    [[noreturn]] void endBySignal(int signal);

Q_SIGNALS:
    void terminationRequested(int signal);
    void exiting();

private:
    QSocketNotifier *m_notifier = nullptr;
};
