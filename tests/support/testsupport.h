#pragma once

// What nearly every test uses comes with this header.
#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtMessageHandler>
#include <functional>

class QWidget;

// Collects every message while it lives, as "D: text", "W: text" or "I: text", so that a golden
// file shows the stream. Nothing reaches the console meanwhile; an inner capture takes the lines
// while it lives.
class TraceCapture
{
public:
    Q_DISABLE_COPY(TraceCapture)
    TraceCapture();
    ~TraceCapture();

    // All lines, or those of one stream ("D: ", "W: ", "I: ") without their prefix.
    QStringList lines(const QString &prefix = {}) const;

private:
    QtMessageHandler m_previous;
    QStringList *m_outer;
};

// A fresh, empty working folder that is current while the object lives.
class ScratchFolder
{
public:
    Q_DISABLE_COPY(ScratchFolder)
    ScratchFolder();
    ~ScratchFolder();

    QString path() const { return m_dir.path(); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// Answers the program's message boxes while it lives: none opens, each takes the next answer
// ("Yes", "No", "Ok", "Retry", "SaveAs", "Discard", "LoadTheirs", "KeepMine", "DiscardText",
// "KeepEditing"; then its Escape answer) and is noted in shown(), and as "I: text" in a
// TraceCapture, as its text and " | " informative text if any.
class BoxScript
{
public:
    // `beforeAnswer`, when given, runs as each box is answered, with its text.
    explicit BoxScript(const QStringList &answers = {},
                       const std::function<void(const QString &)> &beforeAnswer = {});
    ~BoxScript();
    Q_DISABLE_COPY(BoxScript)

    QStringList shown() const;

private:
    struct Script;
    Script *m_script;
};

// Plays `steps` as a user would. Stages are separated by " > ": the first in `window`, each
// later one in the next modal window or menu, once it is active (shortcuts reach the active
// window only). Steps are separated by blanks: 'text types, "close" closes the window as its
// title bar's button does, "dclick" double-clicks the current row of the focus widget, a
// button is named by its object name or text without '&', anything else is a key for the focus
// widget ("Alt+O"); "*3" repeats a step. A modal window left open is closed, so a broken test
// fails instead of hanging. Returns the modal windows that opened, by class, a message box
// with caption, text and buttons: "QMessageBox SmeltworkAdmin: Really? [&Yes &No]", a menu
// with its entries and keys: "QMenu &Edit...=F2".
QStringList run(QWidget *window, const QString &steps);

// A file of tests/data/, and its lines.
QByteArray testData(const QString &name);
QStringList testDataLines(const QString &name);

// Hex text of bytes, "2A E5 10 A4"; blanks, dots and middle dots are ignored as non-digits.
inline QByteArray fromHex(const char *hex)
{
    return QByteArray::fromHex(hex);
}
