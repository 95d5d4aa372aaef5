#include "tests/support/testsupport.h"

#include "data/filesession.h"
#include "dialogs/messagebox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QKeySequence>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

namespace {
QStringList *capturedLines = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (!capturedLines)
        return;
    const char *prefix = type == QtDebugMsg ? "D: " : type == QtInfoMsg ? "I: " : "W: ";
    capturedLines->append(QLatin1String(prefix) + text);
}
} // namespace

TraceCapture::TraceCapture() : m_outer(capturedLines)
{
    capturedLines = new QStringList;
    m_previous = qInstallMessageHandler(captureHandler);
}

TraceCapture::~TraceCapture()
{
    qInstallMessageHandler(m_previous);
    delete capturedLines;
    capturedLines = m_outer;
}

QStringList TraceCapture::lines(const QString &prefix) const
{
    QStringList out;
    for (const QString &line : *capturedLines) {
        if (line.startsWith(prefix))
            out.append(line.mid(prefix.size()));
    }
    return out;
}

ScratchFolder::ScratchFolder() : m_previous(QDir::currentPath())
{
    // Recovery copies go to a folder of the tests' own, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QDir::setCurrent(m_dir.path());
}

ScratchFolder::~ScratchFolder()
{
    for (const char *file : {"Smeltwork.dat", "Smeltwork.hlp"}) {
        const QString copy = recoveryPath(QFile::encodeName(m_dir.path()), QString(file));
        QFile::remove(copy);
        QFile::remove(copy + ".declined");
    }
    QDir::setCurrent(m_previous);
}

void ScratchFolder::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(file.fileName()));
}

QByteArray ScratchFolder::readFile(const QString &name) const
{
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct BoxScript::Script
{
    QList<SmeltworkMessageBox::Button> answers;
    QStringList shown;
    int unanswered = 0;
};

BoxScript::BoxScript(const QStringList &answers,
                     const std::function<void(const QString &)> &beforeAnswer)
    : m_script(new Script)
{
    static const QHash<QString, SmeltworkMessageBox::Button> buttons{
        {"Ok", SmeltworkMessageBox::Ok},
        {"Yes", SmeltworkMessageBox::Yes},
        {"No", SmeltworkMessageBox::No},
        {"Retry", SmeltworkMessageBox::Retry},
        {"SaveAs", SmeltworkMessageBox::SaveAs},
        {"Discard", SmeltworkMessageBox::Discard},
        {"LoadTheirs", SmeltworkMessageBox::LoadTheirs},
        {"KeepMine", SmeltworkMessageBox::KeepMine},
        {"DiscardText", SmeltworkMessageBox::DiscardText},
        {"KeepEditing", SmeltworkMessageBox::KeepEditing}};
    for (const QString &answer : answers) {
        if (!buttons.contains(answer))
            qFatal("BoxScript: no button \"%s\"", qPrintable(answer));
        m_script->answers.append(buttons.value(answer));
    }
    SmeltworkMessageBox::setScript(
        [script = m_script, beforeAnswer](const SmeltworkMessageBox::Shown &box) {
            const QString text =
                box.text + (box.informative.isEmpty() ? QString() : " | " + box.informative);
            script->shown << text;
            qInfo("%s", qPrintable(text)); // in order among the lines a TraceCapture collects
            if (beforeAnswer)
                beforeAnswer(text);
            if (!script->answers.isEmpty())
                return script->answers.takeFirst();
            // A box that keeps coming back to its Escape answer would never let the test end.
            if (++script->unanswered > 10)
                qFatal("BoxScript: no answer left for \"%s\"", qPrintable(text));
            return box.answer;
        });
}

BoxScript::~BoxScript()
{
    SmeltworkMessageBox::setScript({});
    delete m_script;
}

QStringList BoxScript::shown() const
{
    return m_script->shown;
}

namespace {

// The buttons shown pressed: a mnemonic presses its button for a moment before it clicks.
QList<QAbstractButton *> pressed(QWidget *window)
{
    QList<QAbstractButton *> down;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isDown())
            down << button;
    }
    return down;
}

void act(QWidget *window, const QString &steps)
{
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = step.section(u'*', 0, 0);
        QAbstractButton *button = nullptr;
        for (QAbstractButton *candidate : window->findChildren<QAbstractButton *>()) {
            if (candidate->objectName() == name || candidate->text().remove(u'&') == name)
                button = candidate;
        }
        const QKeyCombination key = QKeySequence(name)[0];
        // Once closed by a step, the window takes no more.
        for (int i = qMax(1, step.section(u'*', 1).toInt()); i > 0 && window->isVisible(); --i) {
            QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
            const QList<QAbstractButton *> downBefore = pressed(window);
            if (step.startsWith(u'\''))
                QTest::keyClicks(focus, step.mid(1));
            else if (step == u"close")
                window->close();
            else if (auto *view = qobject_cast<QAbstractItemView *>(focus);
                     view && step == u"dclick") {
                const QPoint at = view->visualRect(view->currentIndex()).center();
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); // as a user does
                QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
            } else if (button)
                QTest::mouseClick(button, Qt::LeftButton);
            else if (key.toCombined() != 0 && key.key() != Qt::Key_unknown)
                QTest::keyClick(focus, key.key(), key.keyboardModifiers());
            else
                QFAIL(qPrintable("no button or key \"" + name + '"'));
            // The next step comes once a mnemonic's button has clicked.
            QTRY_VERIFY(!window->isVisible() || pressed(window) == downBefore);
        }
    }
}

} // namespace

QStringList run(QWidget *window, const QString &steps)
{
    const QStringList stages = steps.split(QStringLiteral(" > "));
    QStringList opened;
    QList<QPointer<QWidget>> seen;
    QPointer<QWidget> current;
    int polls = 0;
    QObject alive; // ends the polling on return
    std::function<void()> poll = [&] {
        QTimer::singleShot(10, &alive, poll); // a timer of its own for each nested event loop
        QWidget *modal = QApplication::activePopupWidget();
        modal = modal ? modal : QApplication::activeModalWidget();
        if (!modal || modal == window)
            return;
        if (modal != current) {
            current = modal;
            polls = 0;
        }
        if (++polls > 500) { // 5 s: whatever opened it waits in vain
            qWarning("Left open, closed: %s", modal->metaObject()->className());
            // done(), not reject(): a window that asks before it closes would ask again.
            auto *dialog = qobject_cast<QDialog *>(modal);
            return dialog ? dialog->done(QDialog::Rejected) : void(modal->close());
        }
        if (seen.contains(modal) || !modal->isActiveWindow())
            return;
        seen.append(modal);
        QString name = QString::fromLatin1(modal->metaObject()->className());
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            QStringList buttons;
            for (QAbstractButton *button : box->buttons())
                buttons << button->text();
            name += ' ' + box->windowTitle() + ": " + box->text() + " [" + buttons.join(' ') + ']';
        }
        for (const QAction *action : modal->actions())
            name += ' ' + action->text() + '=' + action->shortcut().toString();
        opened.append(name);
        act(modal, stages.value(seen.size()));
    };
    poll();
    // Shortcuts reach the active window only, and offscreen nothing gives the activation back
    // to a window when a dialog above it closes.
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("run: %s is not active", window->metaObject()->className());
    act(window, stages.first());
    return opened;
}

QByteArray testData(const QString &name)
{
    QFile file(QStringLiteral(SMELT_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read test data %s", qPrintable(file.fileName()));
    return file.readAll();
}

QStringList testDataLines(const QString &name)
{
    return QString::fromUtf8(testData(name)).split(u'\n', Qt::SkipEmptyParts);
}
