#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that ask a program to end (SIGTERM from a logout or `kill`, SIGHUP from a
// closed terminal, SIGINT from Ctrl+C) into requested(), delivered by the event loop, so that
// the program can end the way closing its window does. Also ignores SIGPIPE: a trace that
// nobody reads any more is dropped, and the program goes on.
class TerminationRequests : public QObject
{
    Q_OBJECT

public:
    explicit TerminationRequests(QObject *parent = nullptr);
    ~TerminationRequests() override;

Q_SIGNALS:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
