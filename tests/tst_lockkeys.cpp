#include "editor.h"
#include "lockkeys.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <unistd.h>
#include <vector>

static QByteArray noXServer; // why, when there is none

// xdotool presses the keys through XTEST, as the user would.
static bool press(const char *key)
{
    return QProcess::execute("xdotool", {"key", QLatin1String(key)}) == 0;
}

class LockKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The indicators show the locks at opening, and each is read again when its key is
    // released inside the editor, not elsewhere.
    void indicatorsFollowTheLocksReleasedInsideTheEditor()
    {
        if (!noXServer.isEmpty())
            QSKIP(qPrintable("No X server to toggle the locks on: " + noXServer));
        QVERIFY2(!QStandardPaths::findExecutable("xdotool").isEmpty(),
                 "xdotool is not installed (scripts/deps.sh installs it)");
        const bool capsAtStart = isCapsLockOn(), numAtStart = isNumLockOn();
        QVERIFY((!capsAtStart || press("Caps_Lock")) && (numAtStart || press("Num_Lock")));
        QTRY_VERIFY(!isCapsLockOn() && isNumLockOn());
        SmeltworkEditor editor;
        QVERIFY(!editor.CapsLockInd->isEnabled() && editor.NumLockInd->isEnabled());
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        QVERIFY(press("Caps_Lock")); // on, in the other window
        QTRY_VERIFY(isCapsLockOn());
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QVERIFY(press("Num_Lock")); // off
        QTRY_VERIFY(!editor.NumLockInd->isEnabled());
        QVERIFY(!editor.CapsLockInd->isEnabled());
        QVERIFY(press("Caps_Lock") && press("Caps_Lock")); // off and on again
        QTRY_VERIFY(editor.CapsLockInd->isEnabled());
        QVERIFY(press("Caps_Lock")); // off
        QTRY_VERIFY(!editor.CapsLockInd->isEnabled());
        // The keys toggled; nothing was typed into the body.
        QVERIFY(editor.BodyEdit->text().isEmpty());
        QVERIFY((!capsAtStart || press("Caps_Lock")) && (!numAtStart || press("Num_Lock")));
    }
};

int main(int argc, char **argv)
{
    // scripts/test.sh runs the suite in an Xvfb. Run alone without a display, the test runs
    // itself again inside a private one, started with -noreset so that the lock states
    // outlive the connections that come and go.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("SMELT_IN_XVFB")) {
        qputenv("SMELT_IN_XVFB", "1");
        std::vector<const char *> args{"xvfb-run", "-a", "-s", "-noreset"};
        args.insert(args.end(), argv, argv + argc + 1); // with the null that ends argv
        // Returns only when xvfb-run cannot be started.
        execvp(args[0], const_cast<char *const *>(args.data()));
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        noXServer = "DISPLAY is not set and xvfb-run could not be started";
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    LockKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lockkeys.moc"
