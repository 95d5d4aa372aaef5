#include "editor.h"
#include "lockkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>
#include <vector>

// Xlib after Qt: it defines macros such as Status and None.
#include <X11/Xlib.h>

namespace {

bool xServer = false;

bool press(const char *key)
{
    return QProcess::execute("xdotool", {"key", QLatin1String(key)}) == 0;
}

bool setLocks(bool caps, bool num)
{
    if ((isCapsLockOn() != caps && !press("Caps_Lock")) ||
        (isNumLockOn() != num && !press("Num_Lock")))
        return false;
    return QTest::qWaitFor([&] { return isCapsLockOn() == caps && isNumLockOn() == num; });
}

// Another window, which counts the lock-key releases it receives.
class OtherWindow : public QWidget
{
public:
    int releases = 0;

protected:
    void keyReleaseEvent(QKeyEvent *event) override
    {
        releases += event->key() == Qt::Key_CapsLock || event->key() == Qt::Key_NumLock;
    }
};

} // namespace

// The lock indicators against a real X server; xdotool toggles the locks with real key
// events (through XTEST), as a user pressing the keys would.
class LockKeysTest : public QObject
{
    Q_OBJECT

    bool m_capsAtStart = false;
    bool m_numAtStart = false;

private Q_SLOTS:
    void initTestCase();
    void init() { QVERIFY(setLocks(false, false)); }
    void cleanupTestCase() { setLocks(m_capsAtStart, m_numAtStart); }
    void indicatorsShowTheStatesAtOpening();
    void onlyTheLockReleasedInsideTheEditorIsReadAgain();
};

void LockKeysTest::initTestCase()
{
    if (!xServer)
        QSKIP("No X server to toggle the locks on: DISPLAY does not answer and xvfb-run could "
              "not be started");
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    if (QStandardPaths::findExecutable("xdotool").isEmpty())
        QFAIL("xdotool is not installed (scripts/deps.sh installs it)");
    m_capsAtStart = isCapsLockOn();
    m_numAtStart = isNumLockOn();
}

void LockKeysTest::indicatorsShowTheStatesAtOpening()
{
    for (const bool caps : {false, true}) {
        for (const bool num : {false, true}) {
            QVERIFY(setLocks(caps, num));
            SmeltworkEditor editor;
            QCOMPARE(editor.CapsLockInd->isEnabled(), caps);
            QCOMPARE(editor.NumLockInd->isEnabled(), num);
        }
    }
}

void LockKeysTest::onlyTheLockReleasedInsideTheEditorIsReadAgain()
{
    SmeltworkEditor editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    OtherWindow other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));

    // Toggled in another window, the indicator waits for a release inside the editor.
    QVERIFY(press("Caps_Lock"));
    QTRY_COMPARE(other.releases, 1);
    QVERIFY(isCapsLockOn());
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QVERIFY(!editor.CapsLockInd->isEnabled());
    QVERIFY(press("Num_Lock"));
    QTRY_VERIFY(editor.NumLockInd->isEnabled());
    QVERIFY(!editor.CapsLockInd->isEnabled());
    // Caps Lock off and on again inside the editor.
    QVERIFY(press("Caps_Lock"));
    QVERIFY(press("Caps_Lock"));
    QTRY_VERIFY(editor.CapsLockInd->isEnabled());
    QVERIFY(press("Num_Lock"));
    QTRY_VERIFY(!editor.NumLockInd->isEnabled());
    QVERIFY(editor.CapsLockInd->isEnabled());
    QVERIFY(press("Caps_Lock"));
    QTRY_VERIFY(!editor.CapsLockInd->isEnabled());
    // The keys toggled; nothing was typed into the body.
    QVERIFY(editor.BodyEdit->text().isEmpty());
    QCOMPARE(other.releases, 1);
}

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(nullptr);
    xServer = display != nullptr;
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
