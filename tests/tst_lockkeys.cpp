#include "help/editor.h"
#include "platform/lockkeys.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

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
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("No X server to toggle the locks on: DISPLAY is not set");
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
    // The suite runs in an Xvfb started with -noreset, so that the lock states outlive the
    // connections that come and go: `xvfb-run -a -s -noreset tests/tst_lockkeys` run alone.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LockKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lockkeys.moc"
