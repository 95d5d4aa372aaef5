#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtMessageHandler>
#include <functional>

class QWidget;

// Collects every debug and warning line while it lives, exactly as the program printed it.
// Lines are kept as "D: text" and "W: text", so a golden file shows which stream a line
// went to. Nothing reaches the console while a capture is active.
class TraceCapture
{
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture &) = delete;
    TraceCapture &operator=(const TraceCapture &) = delete;

    QStringList lines() const;
    // The lines of one stream only, without their prefix.
    QStringList debugLines() const;
    QStringList warningLines() const;
    void clear();

private:
    QtMessageHandler m_previous;
};

// A fresh, empty working folder that is current while the object lives.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Runs `drive` on the next modal widget that opens (the one
// QApplication::activeModalWidget() reports), once it is shown. If `drive` leaves it open
// (a failed check, say), the widget is closed anyway after `timeoutMs`, so a broken test
// fails instead of hanging in a nested event loop.
void whenModalOpens(const std::function<void(QWidget *modal)> &drive, int timeoutMs = 5000);

// Hex text of bytes, "2A E5 10 A4"; blanks and dots in `hex` are ignored by fromHex().
QByteArray fromHex(const char *hex);
