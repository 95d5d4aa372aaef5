#include "editor.h"
#include "lockkeys.h"
#include "privatexserver.h"
#include "testsupport.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// The lock indicators against a real X server: the locks are toggled with real key events
// (xdotool, through the XTEST extension), as a user pressing the keys would.
class LockKeysTest : public QObject
{
    Q_OBJECT

public:
    explicit LockKeysTest(QByteArray whyNoServer) : m_whyNoServer(std::move(whyNoServer)) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void indicatorsShowTheStatesAtOpening_data();
    void indicatorsShowTheStatesAtOpening();
    void releaseInsideTheEditorUpdatesItsIndicator();
    void toggledElsewhereTheIndicatorWaitsForTheNextRelease();

private:
    static bool press(const char *key);
    static bool setLocks(bool caps, bool num);

    QByteArray m_whyNoServer;
    bool m_capsAtStart = false;
    bool m_numAtStart = false;
};

namespace {

// Notes the lock-key releases that reach a window other than the editor.
class ReleaseWatch : public QWidget
{
public:
    int releases = 0;

protected:
    void keyReleaseEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_CapsLock || event->key() == Qt::Key_NumLock)
            ++releases;
    }
};

} // namespace

bool LockKeysTest::press(const char *key)
{
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("key"), QLatin1String(key)}) == 0;
}

bool LockKeysTest::setLocks(bool caps, bool num)
{
    if (isCapsLockOn() != caps && !press("Caps_Lock"))
        return false;
    if (isNumLockOn() != num && !press("Num_Lock"))
        return false;
    return QTest::qWaitFor([&] { return isCapsLockOn() == caps && isNumLockOn() == num; });
}

void LockKeysTest::initTestCase()
{
    if (!m_whyNoServer.isEmpty())
        QSKIP(qPrintable("No X server to toggle the locks on: " + m_whyNoServer));
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QFAIL("xdotool is not installed (scripts/deps.sh installs it)");
    m_capsAtStart = isCapsLockOn();
    m_numAtStart = isNumLockOn();
}

void LockKeysTest::cleanupTestCase()
{
    if (m_whyNoServer.isEmpty())
        setLocks(m_capsAtStart, m_numAtStart);
}

void LockKeysTest::init()
{
    QVERIFY(setLocks(false, false));
}

void LockKeysTest::indicatorsShowTheStatesAtOpening_data()
{
    QTest::addColumn<bool>("caps");
    QTest::addColumn<bool>("num");
    QTest::newRow("both off") << false << false;
    QTest::newRow("Caps Lock on") << true << false;
    QTest::newRow("Num Lock on") << false << true;
    QTest::newRow("both on") << true << true;
}

void LockKeysTest::indicatorsShowTheStatesAtOpening()
{
    QFETCH(bool, caps);
    QFETCH(bool, num);

    QVERIFY(setLocks(caps, num));
    SmeltworkEditor editor;
    QCOMPARE(editor.CapsLockInd->isEnabled(), caps);
    QCOMPARE(editor.NumLockInd->isEnabled(), num);
}

void LockKeysTest::releaseInsideTheEditorUpdatesItsIndicator()
{
    SmeltworkEditor editor;
    editor.show();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QVERIFY(!editor.CapsLockInd->isEnabled());
    QVERIFY(!editor.NumLockInd->isEnabled());

    QVERIFY(press("Caps_Lock"));
    QTRY_VERIFY(editor.CapsLockInd->isEnabled());
    QVERIFY(!editor.NumLockInd->isEnabled());
    QVERIFY(press("Num_Lock"));
    QTRY_VERIFY(editor.NumLockInd->isEnabled());
    QVERIFY(editor.CapsLockInd->isEnabled());

    QVERIFY(press("Caps_Lock"));
    QTRY_VERIFY(!editor.CapsLockInd->isEnabled());
    QVERIFY(press("Num_Lock"));
    QTRY_VERIFY(!editor.NumLockInd->isEnabled());
    // The keys toggled, nothing was typed into the body.
    QVERIFY(editor.BodyEdit->text().isEmpty());
}

void LockKeysTest::toggledElsewhereTheIndicatorWaitsForTheNextRelease()
{
    SmeltworkEditor editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    ReleaseWatch other;
    other.setWindowTitle(QStringLiteral("another window"));
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));

    QVERIFY(press("Caps_Lock"));
    QTRY_COMPARE(other.releases, 1);
    QVERIFY(isCapsLockOn());
    QVERIFY(!editor.CapsLockInd->isEnabled());

    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    QVERIFY(!editor.CapsLockInd->isEnabled());
    // Num Lock's release reads Num Lock only; Caps stays as it was shown.
    QVERIFY(press("Num_Lock"));
    QTRY_VERIFY(editor.NumLockInd->isEnabled());
    QVERIFY(!editor.CapsLockInd->isEnabled());
    // The next Caps Lock release inside the editor shows the state again.
    QVERIFY(press("Caps_Lock"));
    QVERIFY(press("Caps_Lock"));
    QTRY_VERIFY(editor.CapsLockInd->isEnabled());
    QCOMPARE(other.releases, 1);
}

int main(int argc, char **argv)
{
    PrivateXServer server;
    if (!server.available())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    LockKeysTest test(server.available() ? QByteArray() : server.reason());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lockkeys.moc"
