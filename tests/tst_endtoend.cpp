#include "craftingfile.h"
#include "helpfile.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

bool requestWindowClose(const QString &window); // below the test: Xlib's macros clash with Qt's

namespace {

// Runs xdotool and gives its standard output; `ok` tells whether it succeeded.
QString xdotool(const QStringList &arguments, bool *ok = nullptr)
{
    QProcess xdo;
    xdo.start("xdotool", arguments);
    const bool done = xdo.waitForFinished(10000) && xdo.exitStatus() == QProcess::NormalExit &&
                      xdo.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromLatin1(xdo.readAllStandardOutput());
}

// The lines `work` prints through Qt's debug and warning output, as the program prints them.
QStringList traceOf(const std::function<void()> &work)
{
    const TraceCapture capture;
    work();
    QStringList lines = capture.lines();
    for (QString &line : lines)
        line.remove(0, 3); // the capture's "D: " or "W: "
    return lines;
}

// The file that the data library writes for `tree`; its trace, the writer's lines and the one
// printed once the file is in place, is appended to `trace`.
template <typename Tree>
QByteArray saved(bool (*write)(QIODevice &, const Tree &), const Tree &tree, const char *file,
                 QStringList *trace = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QStringList lines = traceOf([&] { write(buffer, tree); });
    if (trace)
        *trace += lines + QStringList{QStringLiteral("Finished saving %1 file").arg(file)};
    return buffer.data();
}

// Every session starts from this tree: three groups in no order, one with two processes,
// one with a name outside ASCII, which the trace prints as Latin-1.
CraftingData startTree()
{
    const Req ironIngot{"Iron Ingot", "1.5", 0, 40302};
    return {ProcGroup{"Tools",
                      {Proc{"Tongs", 150, 1, {ironIngot, Req{"Toolmaking", "1.1", 1, 0}}},
                       Proc{"Hammer", 150, 1, {ironIngot}}}},
            ProcGroup{"Öfen", {Proc{"Iron Ingot", 200, 10, {Req{"Iron Ore", "2", 0, 40212}}}}},
            ProcGroup{"Alloys", {}}};
}

} // namespace

// The built program as a user meets it: started in a fresh folder, in an Xvfb of the test's
// own (no other test's focus or lock keys get in the way), driven from outside with xdotool
// only. After each session Smeltwork.dat, Smeltwork.hlp and the trace on standard error must be
// what the data library makes of the records the session should have left.
//
// A session is a list of steps:
//   key K...   presses keys (xdotool key names) in the window that has the focus
//   type TEXT  types text there
//   click X Y  clicks the top window at X, Y; negative values count from its right or bottom
//   close      asks the top window to close, as a window manager's close button does
//   open       waits for a new window of the program, which then gets the focus
//   closed     waits for the top window to go, then gives the focus to the one below
// Without a window manager nothing moves the focus when a window goes, so `closed` does.
// Mouse positions are those of the program's fixed-size windows under Xvfb's fonts.
class EndToEndTest : public QObject
{
    Q_OBJECT

    QProcess m_xvfb, m_program;
    QTemporaryDir m_runtimeDir; // XDG_RUNTIME_DIR of the program, private as Qt wants it
    QStringList m_windows;      // the program's windows, the one on top last

    // The program's windows all have captions beginning with "Smeltwork"; tool tips have none.
    QStringList shownWindows() const
    {
        return xdotool({"search", "--onlyvisible", "--pid", QString::number(m_program.processId()),
                        "--name", "^Smeltwork"})
            .split('\n', Qt::SkipEmptyParts);
    }

    bool runStep(const QString &step)
    {
        const QStringList words = step.split(' ');
        const QString verb = words[0], top = m_windows.value(m_windows.size() - 1);
        bool ok = false;
        if (verb == "open") {
            QString added;
            ok = QTest::qWaitFor(
                [&] {
                    for (const QString &window : shownWindows())
                        added = m_windows.contains(window) ? added : window;
                    return !added.isEmpty();
                },
                10000);
            m_windows += added;
        } else if (top.isEmpty()) {
            return false;
        } else if (verb == "closed") {
            ok = QTest::qWaitFor([&] { return !shownWindows().contains(top); }, 10000);
            m_windows.removeLast();
        } else if (verb == "close") {
            return requestWindowClose(top);
        } else if (verb == "key") {
            xdotool(QStringList{verb, "--delay", "40"} + words.mid(1), &ok);
        } else if (verb == "type") {
            xdotool({verb, "--delay", "40", step.section(' ', 1)}, &ok);
        } else if (verb == "click") {
            // --shell prints WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN= on lines of their own.
            const QStringList shell = xdotool({"getwindowgeometry", "--shell", top}).split('\n');
            int x = words.value(1).toInt(), y = words.value(2).toInt();
            x += x < 0 ? shell.value(3).section('=', 1).toInt() : 0;
            y += y < 0 ? shell.value(4).section('=', 1).toInt() : 0;
            xdotool({"mousemove", "--window", top, QString::number(x), QString::number(y), "click",
                     "1"},
                    &ok);
        }
        if (ok && (verb == "open" || verb == "closed") && !m_windows.isEmpty())
            xdotool({"windowfocus", "--sync", m_windows.last()}, &ok);
        return ok;
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
        if (QStandardPaths::findExecutable("xdotool").isEmpty())
            QFAIL("xdotool is not installed (scripts/deps.sh installs it)");
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
        m_windows.clear();
    }

    void userSession_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("dataFile");
        QTest::addColumn<QByteArray>("helpFile"); // empty: there must be none
        QTest::addColumn<QStringList>("trace");
        const CraftingData start = startTree();
        const QByteArray startBytes = saved(writeCraftingData, start, "data");
        const QStringList loading = traceOf([&] {
            CraftingData loaded;
            readCraftingData(startBytes, loaded);
        });
        const auto row = [&](const char *name, const QStringList &steps, const CraftingData &after,
                             const QStringList &between = {}, const HelpTopics *help = nullptr) {
            QStringList trace = loading + between;
            const QByteArray helpFile =
                help ? saved(writeHelpTopics, *help, "help", &trace) : QByteArray();
            const QByteArray dataFile = saved(writeCraftingData, after, "data", &trace);
            QTest::newRow(name) << steps << dataFile << helpFile << trace;
        };

        // Closing the window in any way writes the data file back as it was loaded.
        row("Exit clicked", {"click -47 -18"}, start);
        row("Alt+X", {"key alt+x"}, start);
        row("Escape", {"key Escape"}, start);
        row("close request", {"close"}, start);

        // Tab reaches the Sort button beside the group list. Names compare by character code.
        row("sort the groups", {"key Tab space", "key alt+x"}, {start[2], start[0], start[1]},
            {"Sorting ProcGroupList:", "Tools appended.", "Öfen appended.",
             "Alloys comes before Tools (r = 1)", "List sorted, saving...", "Sorting Complete!"});

        // From the group list, three steps back along the tab order reach the action button;
        // the window opens with Add and Process Group chosen.
        row("add a group",
            {"key shift+Tab shift+Tab shift+Tab space", "open", "type Casting", "key Return",
             "closed", "key alt+x"},
            CraftingData(start) << ProcGroup{"Casting", {}});

        // Alt+P and Down choose the process Hammer; four steps along the tab order (its Sort
        // button, the tabs, the item list) reach the action list, where D chooses Delete; the
        // kind list is next, where Down chooses Process.
        const QStringList deleteHammer{"key alt+p Down", "key Tab Tab Tab Tab d Tab Down Tab space",
                                       "open"};
        CraftingData deleted = start;
        deleted[0].procs.removeAt(1);
        row("delete a process, Yes", deleteHammer + QStringList{"key alt+y", "closed", "key alt+x"},
            deleted);
        row("delete a process, No", deleteHammer + QStringList{"key alt+n", "closed", "key alt+x"},
            start);

        // The help window: Add Topic, then the new topic's row, then Open Editor. In the editor
        // "Smelt" is marked and made bold with the Bold button, Return ends the line and Save
        // (the second tool button) keeps the body. Then the help window is closed as named.
        const QStringList writeHelp{"key alt+h",  "open",       "click 70 338",   "open",
                                    "key ctrl+a", "type 1",     "key Tab",        "type Intro",
                                    "key alt+o",  "closed",     "click 60 31",    "click 380 338",
                                    "open",       "type Smelt", "key shift+Home", "click 88 16",
                                    "key Return", "type ore",   "click 52 16",    "closed"};
        const HelpTopics help{{"1", "Intro", "<b>Smelt</b><br>\nore"}};
        const QStringList helpTrace{
            "Loading help data...", "Setting up GUI:",    " * TopLevel layout",
            "   + HBoxLayout",      "     + VBoxLayout",  "       + HeaderLabel",
            "       + HeaderList",  "     + BodyFrame",   "       + BodyView",
            "   + ActionGroup",     "     + AddBtn",      "     + EditBtn",
            "     + DelBtn",        "     + EditorBtn",   "   + HBoxLayout",
            "     + CloseBtnBtn",   "Connecting signals", "IDTest: 1.00 - 1 = 0.00",
            "Topic selected: #0",   "Editing Body: #0"};
        for (const QString close :
             {"Close clicked|click -49 -20", "Escape|key Escape", "close request|close"})
            row(qPrintable("help, " + close.section('|', 0, 0)),
                writeHelp + QStringList{close.section('|', 1), "closed", "key alt+x"}, start,
                helpTrace, &help);
    }

    void userSession()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, helpFile);
        QFETCH(QStringList, trace);
        const ScratchFolder folder;
        folder.writeFile("Smeltwork.dat", saved(writeCraftingData, startTree(), "data"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", m_runtimeDir.path());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        // The trace goes to standard error even where Qt would send it to the system journal;
        // no logging rules of the machine silence it, and a sanitizer build adds no list of the
        // leak suppressions it used.
        environment.insert("QT_FORCE_STDERR_LOGGING", "1");
        environment.remove("QT_LOGGING_RULES");
        environment.insert("LSAN_OPTIONS",
                           environment.value("LSAN_OPTIONS") + ":print_suppressions=0");
        m_program.setProcessEnvironment(environment);
        m_program.setWorkingDirectory(folder.path());
        m_program.start(SMELTWORK_ADMIN, {});
        QVERIFY(m_program.waitForStarted());

        steps.prepend("open");
        for (int i = 0; i < steps.size(); ++i)
            QVERIFY2(runStep(steps[i]), qPrintable(QString("step %1 failed: ").arg(i) + steps[i]));
        QVERIFY2(m_program.waitForFinished(15000), "the program did not end");
        QCOMPARE(m_program.exitStatus() == QProcess::NormalExit ? m_program.exitCode() : -1, 0);

        QStringList printed =
            QString(m_program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        // Qt's note about the runtime folder and the xcb plugin's remarks about the X server
        // come from the machine, not from the program.
        printed.removeIf([](const QString &line) {
            return line.startsWith("QStandardPaths: ") || line.startsWith("qt.qpa.xcb: ");
        });
        QCOMPARE(printed, trace);
        QTEST(folder.readFile("Smeltwork.dat"), "dataFile");
        QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile);
        // Nothing else is left behind: no backup, no temporary file.
        const QStringList files{"Smeltwork.dat", "Smeltwork.hlp"};
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden),
                 files.first(helpFile.isEmpty() ? 1 : 2));
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"

// Xlib after Qt and the test: it defines macros such as Status, None and Bool.
#include <X11/Xlib.h>

// Asks `window` to close as a window manager does when its close button is clicked: a
// WM_DELETE_WINDOW message, which the program may act on as it likes. (xdotool's windowclose
// destroys the window instead, which no user can do.)
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
