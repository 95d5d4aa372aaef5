#include "editor.h"
#include "lockkeys.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>
#include <vector>

// Xlib after Qt: it defines macros such as Status and None.
#include <X11/Xlib.h>

namespace {

// xdotool presses the keys through XTEST, as the user would.
bool press(const char *key)
{
    return QProcess::execute("xdotool", {"key", QLatin1String(key)}) == 0;
}

} // namespace

class LockKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The indicators show the locks at opening, and each is read again when its key is
    // released inside the editor, not elsewhere.
    void indicatorsFollowTheLocksReleasedInsideTheEditor()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("No X server to toggle the locks on: DISPLAY does not answer and xvfb-run could "
                  "not be started");
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
        other.resize(200, 100);
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
    Display *display = XOpenDisplay(nullptr);
    const bool xServer = display != nullptr;
    if (xServer)
        XCloseDisplay(display);
    // Run on its own without an X server, the test starts again inside a private Xvfb;
    // -noreset keeps the lock states while no client is connected.
    if (!xServer && !qEnvironmentVariableIsSet("SMELT_LOCKKEYS_XVFB")) {
        qputenv("SMELT_LOCKKEYS_XVFB", "1");
        std::vector<const char *> args = {"xvfb-run", "-a", "-s", "-noreset"};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp(args.front(), const_cast<char *const *>(args.data()));
    }
    qputenv("QT_QPA_PLATFORM", xServer ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    LockKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lockkeys.moc"
