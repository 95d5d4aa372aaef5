// The built program in a fresh folder inside an Xvfb of the test's own, driven from outside
// with xdotool only: Smeltwork.dat and the trace on standard error after each session.
#include "tests/support/sampletree.h"
#include "tests/support/testsupport.h"

#include <csignal>

bool requestWindowClose(const QString &window); // below the test: Xlib's macros clash with Qt's

namespace {

bool xdotool(const QStringList &arguments, QString *out = nullptr)
{
    QProcess xdo;
    xdo.start("xdotool", arguments);
    const bool ok = xdo.waitForFinished(10000) && xdo.exitStatus() == QProcess::NormalExit &&
                    xdo.exitCode() == 0;
    if (out)
        *out = QString::fromLatin1(xdo.readAllStandardOutput()).trimmed();
    return ok;
}

// Three groups in no order, one with two processes, one named outside ASCII.
const CraftingData start{
    {"Tools", {{"Tongs", 150, 1, {{"Iron Ingot", "1.5", 0, 40302}}}, {"Hammer", 150, 1, {}}}},
    {"Öfen", {{"Iron Ingot", 200, 10, {{"Iron Ore", "2", 0, 40212}}}}},
    {"Alloys", {}}};

} // namespace

class EndToEndTest : public QObject
{
    Q_OBJECT

    QProcess m_xvfb, m_program;
    QTemporaryDir m_runtimeDir; // XDG_RUNTIME_DIR of the program, private as Qt wants it

    // Steps: "key K..." presses keys in the focused window, "type TEXT" types, "close" asks
    // the window to close as a window manager's close button does, "kill" kills the program
    // and starts it again, "signal N" sends it signal N, "ended" waits until a signal has ended
    // it, "window" waits for another window of the
    // program to be on top (one opened or one uncovered) and focuses it: Xvfb has no window manager
    // to do that.
    bool runStep(const QString &step, QString &window)
    {
        const QString verb = step.section(' ', 0, 0), rest = step.section(' ', 1);
        if (verb == "window") {
            const QString pid = QString::number(m_program.processId()), before = window;
            const auto shown = [&] {
                QString found;
                xdotool({"search", "--onlyvisible", "--pid", pid, "--name", "^Smeltwork"}, &found);
                window = found.section('\n', -1);
                return !window.isEmpty() && window != before;
            };
            const bool found = QTest::qWaitFor(shown, 10000);
            return found && xdotool({"windowfocus", "--sync", window});
        }
        if (verb == "close")
            return requestWindowClose(window);
        if (verb == "signal")
            return ::kill(pid_t(m_program.processId()), rest.toInt()) == 0;
        if (verb == "ended")
            return m_program.waitForFinished(10000) &&
                   m_program.exitStatus() == QProcess::CrashExit;
        if (verb == "kill") { // as a crash or a power cut would end it
            m_program.kill();
            m_program.waitForFinished();
            m_program.readAllStandardError();
            window.clear(); // a new program may get the same window ids again
            m_program.start(SMELTWORK_ADMIN, {});
            return m_program.waitForStarted();
        }
        return xdotool(QStringList{verb, "--delay", "40"} +
                       (verb == "key" ? rest.split(' ') : QStringList{rest}));
    }

public:
    ~EndToEndTest()
    {
        m_xvfb.terminate();
        m_xvfb.waitForFinished();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFile::exists(SMELTWORK_ADMIN) && m_runtimeDir.isValid());
        // Xvfb prints its display number once it takes connections.
        m_xvfb.setStandardErrorFile(QProcess::nullDevice());
        m_xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                              "-noreset"});
        while (!m_xvfb.canReadLine() && m_xvfb.waitForReadyRead(10000)) {
        }
        const QByteArray display = m_xvfb.readLine().trimmed();
        if (display.isEmpty())
            QSKIP("No X server to run the program in: Xvfb could not be started");
        qputenv("DISPLAY", ':' + display);
    }

    void cleanup()
    {
        m_program.kill();
        m_program.waitForFinished(5000);
    }

    // Steps separated by ", " (see runStep()) -> the tree saved, and what the program prints,
    // as in tests/data/session/.
    void userSession_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<CraftingData>("after");
        QTest::addColumn<QString>("printed");
        QTest::newRow("Escape") << "key Escape" << start << "unchanged";
        QTest::newRow("close request") << "close" << start << "unchanged";
        // Tab reaches the Sort button beside the group list. Names compare by character code.
        QTest::newRow("sort the groups")
            << "key Tab space alt+x" << CraftingData{start[2], start[0], start[1]} << "sorted";
        // Three steps back along the tab order reach the action button, Add a Process Group.
        const QString add = "key shift+Tab shift+Tab shift+Tab space, window, type Casting, "
                            "key Return, window, ";
        const CraftingData added = CraftingData(start) << ProcGroup{"Casting", {}};
        QTest::newRow("add a group") << add + "key alt+x" << added << "added";
        // A logout, a closed terminal, Ctrl+C: the window closes and saves.
        for (const int signal : {SIGTERM, SIGHUP, SIGINT})
            QTest::addRow("signal %d after a change", signal)
                << add + "signal " + QString::number(signal) << added << "added";
        // Killed a moment after a change, the program offers it again when it next starts;
        // only the run after the restart is traced. Ended at that question, it writes nothing
        // and keeps the copy for the start after.
        QTest::newRow("killed, then restored")
            << add + "kill, window, key alt+y, window, key alt+x" << added << "restored";
        QTest::newRow("killed, then ended at the question")
            << add + "kill, window, signal 15, ended, kill, window, key alt+y, window, "
                     "key alt+x"
            << added << "restored";
    }

    void userSession()
    {
        QFETCH(QString, steps);
        QFETCH(CraftingData, after);
        QFETCH(QString, printed);
        const ScratchFolder folder;
        folder.writeFile("Smeltwork.dat", encodeWithQDataStream(start));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", m_runtimeDir.path());
        environment.insert("XDG_DATA_HOME", m_runtimeDir.path()); // recovery copies
        environment.insert("QT_QPA_PLATFORM", "xcb");
        // The trace goes to stderr even where Qt would send it to the system journal, no
        // logging rules silence it, and a sanitizer build lists no leak suppressions there.
        environment.insert("QT_FORCE_STDERR_LOGGING", "1");
        environment.remove("QT_LOGGING_RULES");
        environment.insert("LSAN_OPTIONS",
                           environment.value("LSAN_OPTIONS") + ":print_suppressions=0");
        m_program.setProcessEnvironment(environment);
        m_program.setWorkingDirectory(folder.path());
        m_program.start(SMELTWORK_ADMIN, {});
        QVERIFY(m_program.waitForStarted());

        QString window;
        for (const QString &step : ("window, " + steps).split(", "))
            QVERIFY2(runStep(step, window), qPrintable("step failed: " + step));
        QVERIFY2(m_program.waitForFinished(15000), "the program did not end");
        QCOMPARE(m_program.exitStatus() == QProcess::NormalExit ? m_program.exitCode() : -1, 0);

        QStringList lines =
            QString(m_program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        // Qt's note about the runtime folder and the xcb plugin's remarks about the X server
        // come from the machine, not from the program.
        lines.removeIf([](const QString &line) {
            return line.startsWith("QStandardPaths: ") || line.startsWith("qt.qpa.xcb: ");
        });
        QCOMPARE(lines, testDataLines("session/" + printed + ".txt"));
        QCOMPARE(folder.readFile("Smeltwork.dat"), encodeWithQDataStream(after));
        // Nothing else is left behind: no backup, no temporary file.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"Smeltwork.dat"});
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

// Xlib after Qt and the test: it defines macros such as Status, None and Bool.
#include <X11/Xlib.h>

// Asks `window` to close as a window manager's close button does, by WM_DELETE_WINDOW (xdotool's
// windowclose destroys the window instead, which no user can do).
bool requestWindowClose(const QString &window)
{
    Display *connection = XOpenDisplay(nullptr);
    if (!connection)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.toULong();
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(connection, event.xclient.window, False, NoEventMask, &event) != 0;
    XCloseDisplay(connection); // flushes the message out
    return sent;
}
