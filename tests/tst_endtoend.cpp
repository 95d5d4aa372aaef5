#include "craftingfile.h"
#include "helpfile.h"
#include "privatexserver.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

// The built program as a user meets it: started in a fresh folder, in an X server of the
// test's own (so no other test's focus or lock keys get in the way), and driven from
// outside with xdotool only: keys, typing and mouse clicks. After each session the test
// compares Smeltwork.dat, Smeltwork.hlp and the trace on standard error with what the data
// library makes of the records the session should have left.
//
// A session is a list of steps:
//   key K...   presses keys (xdotool key names) in the window that has the focus
//   type TEXT  types text there
//   click X Y  clicks the top window at X, Y; negative values count from its right or
//              bottom edge
//   close      asks the top window to close, as a window manager's close button does
//   open       waits for a new window of the program, which then gets the focus
//   closed     waits for the top window to go, then gives the focus to the one below
// Without a window manager nothing moves the focus when a window goes, so `closed` does.
// Mouse positions are those of the program's fixed-size windows under Xvfb's fonts.
class EndToEndTest : public QObject
{
    Q_OBJECT

public:
    explicit EndToEndTest(QByteArray whyNoServer) : m_whyNoServer(std::move(whyNoServer)) {}

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void userSession_data();
    void userSession();

private:
    bool runStep(const QString &step);
    QStringList shownWindows() const;
    bool focusTop();

    QByteArray m_whyNoServer;
    QTemporaryDir m_runtimeDir; // XDG_RUNTIME_DIR of the program, private as Qt wants it
    QProcess m_program;
    QStringList m_windows; // the program's windows, the one on top last
};

namespace {

const char *const AdminProgram = SMELTWORK_ADMIN;

// Runs xdotool and gives its standard output; `ok` tells whether it succeeded.
QString xdotool(const QStringList &arguments, bool *ok = nullptr)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), arguments);
    const bool done = xdo.waitForFinished(10000) && xdo.exitStatus() == QProcess::NormalExit &&
                      xdo.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromLatin1(xdo.readAllStandardOutput());
}

// The lines `work` prints through Qt's debug and warning output, as the program prints
// them on standard error.
QStringList traceOf(const std::function<void()> &work)
{
    TraceCapture capture;
    work();
    QStringList lines = capture.lines();
    for (QString &line : lines)
        line.remove(0, 3); // the capture's "D: " or "W: "
    return lines;
}

// The file that the data library writes for `tree`, and the trace of saving it: the
// writer's lines, then the line printed once the file is in place.
QByteArray dataBytes(const CraftingData &tree, QStringList *saveTrace = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QStringList trace = traceOf([&] { writeCraftingData(buffer, tree); });
    if (saveTrace)
        *saveTrace = trace + QStringList{QStringLiteral("Finished saving data file")};
    return buffer.data();
}

// The same for the help file.
QByteArray helpBytes(const HelpTopics &topics, QStringList *saveTrace = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QStringList trace = traceOf([&] { writeHelpTopics(buffer, topics); });
    if (saveTrace)
        *saveTrace = trace + QStringList{QStringLiteral("Finished saving help file")};
    return buffer.data();
}

// Every session starts from this tree: three groups in no order, one with two processes,
// one with a name outside ASCII, which the trace prints as Latin-1.
CraftingData startTree()
{
    const Req ironIngot{"Iron Ingot", "1.5", 0, 40302};
    const Req toolmaking{"Toolmaking", "1.1", 1, 0};
    const Req ironOre{"Iron Ore", "2", 0, 40212};
    return {ProcGroup{"Tools",
                      {Proc{"Tongs", 150, 1, {ironIngot, toolmaking}},
                       Proc{"Hammer", 150, 1, {ironIngot}}}},
            ProcGroup{"Öfen", {Proc{"Iron Ingot", 200, 10, {ironOre}}}}, ProcGroup{"Alloys", {}}};
}

// What the help window prints while it opens on a folder without a help file.
const QStringList helpWindowOpens{
    "Loading help data...", "Setting up GUI:",      " * TopLevel layout",  "   + HBoxLayout",
    "     + VBoxLayout",    "       + HeaderLabel", "       + HeaderList", "     + BodyFrame",
    "       + BodyView",    "   + ActionGroup",     "     + AddBtn",       "     + EditBtn",
    "     + DelBtn",        "     + EditorBtn",     "   + HBoxLayout",     "     + CloseBtnBtn",
    "Connecting signals"};

// Lines that come from the platform, not from the program, and depend on the machine:
// Qt's note about the runtime folder and the xcb plugin's remarks about the X server.
bool isPlatformNoise(const QString &line)
{
    return line.startsWith(QLatin1String("QStandardPaths: ")) ||
           line.startsWith(QLatin1String("qt.qpa.xcb: "));
}

} // namespace

void EndToEndTest::initTestCase()
{
    if (!m_whyNoServer.isEmpty())
        QSKIP(qPrintable("No X server to run the program in: " + m_whyNoServer));
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QFAIL("xdotool is not installed (scripts/deps.sh installs it)");
    QVERIFY(QFile::exists(QString::fromLocal8Bit(AdminProgram)));
    QVERIFY(m_runtimeDir.isValid());
}

void EndToEndTest::cleanup()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(5000);
    }
    m_windows.clear();
}

QStringList EndToEndTest::shownWindows() const
{
    // The program's windows all have captions beginning with "Smeltwork"; tool tips have none.
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(m_program.processId()),
                    QStringLiteral("--name"), QStringLiteral("^Smeltwork")})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool EndToEndTest::focusTop()
{
    bool ok = true;
    if (!m_windows.isEmpty())
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_windows.last()}, &ok);
    return ok;
}

bool EndToEndTest::runStep(const QString &step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString rest = step.section(QLatin1Char(' '), 1);
    const QString delay = QStringLiteral("40");
    bool ok = false;
    if (verb == QLatin1String("open")) {
        QString added;
        ok = QTest::qWaitFor(
            [&] {
                for (const QString &window : shownWindows()) {
                    if (!m_windows.contains(window))
                        added = window;
                }
                return !added.isEmpty();
            },
            10000);
        if (ok)
            m_windows.append(added);
        return ok && focusTop();
    }
    if (m_windows.isEmpty())
        return false;
    const QString top = m_windows.last();
    if (verb == QLatin1String("closed")) {
        ok = QTest::qWaitFor([&] { return !shownWindows().contains(top); }, 10000);
        m_windows.removeLast();
        return ok && focusTop();
    }
    if (verb == QLatin1String("close"))
        return requestWindowClose(top.toULong());
    if (verb == QLatin1String("key"))
        xdotool(QStringList{verb, QStringLiteral("--delay"), delay} + rest.split(QLatin1Char(' ')),
                &ok);
    else if (verb == QLatin1String("type"))
        xdotool({verb, QStringLiteral("--delay"), delay, rest}, &ok);
    else if (verb == QLatin1String("click")) {
        int x = rest.section(QLatin1Char(' '), 0, 0).toInt();
        int y = rest.section(QLatin1Char(' '), 1, 1).toInt();
        if (x < 0 || y < 0) {
            // --shell prints WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN= on lines of their own.
            const QStringList shell =
                xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), top})
                    .split(QLatin1Char('\n'));
            x += x < 0 ? shell.value(3).section(QLatin1Char('='), 1).toInt() : 0;
            y += y < 0 ? shell.value(4).section(QLatin1Char('='), 1).toInt() : 0;
        }
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), top, QString::number(x),
                 QString::number(y), QStringLiteral("click"), QStringLiteral("1")},
                &ok);
    }
    return ok;
}

void EndToEndTest::userSession_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("dataFile");
    QTest::addColumn<QByteArray>("helpFile"); // empty: there must be none
    QTest::addColumn<QStringList>("trace");

    const CraftingData start = startTree();
    const QByteArray startBytes = dataBytes(start);
    const QStringList loading = traceOf([&] {
        CraftingData loaded;
        readCraftingData(startBytes, loaded);
    });
    const auto row = [&](const char *name, const QStringList &steps, const CraftingData &after,
                         const QStringList &traceBetween, const HelpTopics *help = nullptr) {
        QStringList saving;
        const QByteArray bytes = dataBytes(after, &saving);
        QStringList trace = loading + traceBetween;
        QByteArray helpFile;
        if (help) {
            QStringList helpSaving;
            helpFile = helpBytes(*help, &helpSaving);
            trace += helpSaving;
        }
        QTest::newRow(name) << steps << bytes << helpFile << trace + saving;
    };

    // Closing the window in any way writes the data file back as it was loaded.
    row("Exit clicked", {"click -47 -18"}, start, {});
    row("Alt+X", {"key alt+x"}, start, {});
    row("Escape", {"key Escape"}, start, {});
    row("close request", {"close"}, start, {});

    // Tab reaches the Sort button beside the group list. Names compare by character code.
    row("sort the groups", {"key Tab space", "key alt+x"}, {start[2], start[0], start[1]},
        {"Sorting ProcGroupList:", "Tools appended.", "Öfen appended.",
         "Alloys comes before Tools (r = 1)", "List sorted, saving...", "Sorting Complete!"});

    // From the group list, three steps back along the tab order reach the action button;
    // the window opens with Add and Process Group chosen.
    CraftingData added = start;
    added.append(ProcGroup{"Casting", {}});
    row("add a group",
        {"key shift+Tab shift+Tab shift+Tab space", "open", "type Casting", "key Return", "closed",
         "key alt+x"},
        added, {});

    // Alt+P and Down choose the process Hammer; four steps along the tab order (its Sort
    // button, the tabs, the item list) reach the action list, where D chooses Delete; the
    // kind list is next, where Down chooses Process.
    const QStringList deleteHammer{"key alt+p Down", "key Tab Tab Tab Tab d Tab Down Tab space",
                                   "open"};
    CraftingData deleted = start;
    deleted[0].procs.removeAt(1);
    row("delete a process, Yes", deleteHammer + QStringList{"key alt+y", "closed", "key alt+x"},
        deleted, {});
    row("delete a process, No", deleteHammer + QStringList{"key alt+n", "closed", "key alt+x"},
        start, {});

    // The help window: Add Topic, then the new topic's row, then Open Editor. In the editor
    // "Smelt" is marked and made bold with the Bold button, Return ends the line and Save
    // (the second tool button) keeps the body.
    const QStringList writeHelp{"key alt+h",  "open",       "click 70 338",   "open",
                                "key ctrl+a", "type 1",     "key Tab",        "type Intro",
                                "key alt+o",  "closed",     "click 60 31",    "click 380 338",
                                "open",       "type Smelt", "key shift+Home", "click 88 16",
                                "key Return", "type ore",   "click 52 16",    "closed"};
    const HelpTopics help{{"1", "Intro", "<b>Smelt</b><br>\nore"}};
    const QStringList helpTrace =
        helpWindowOpens +
        QStringList{"IDTest: 1.00 - 1 = 0.00", "Topic selected: #0", "Editing Body: #0"};
    const QStringList leaveHelp{"closed", "key alt+x"};
    row("help, Close clicked", writeHelp + QStringList{"click -49 -20"} + leaveHelp, start,
        helpTrace, &help);
    row("help, Escape", writeHelp + QStringList{"key Escape"} + leaveHelp, start, helpTrace, &help);
    row("help, close request", writeHelp + QStringList{"close"} + leaveHelp, start, helpTrace,
        &help);
}

void EndToEndTest::userSession()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, dataFile);
    QFETCH(QByteArray, helpFile);
    QFETCH(QStringList, trace);

    ScratchFolder folder;
    folder.writeFile(QStringLiteral("Smeltwork.dat"), dataBytes(startTree()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    // The trace goes to standard error even where Qt would send it to the system journal,
    // and no logging rules of the machine's silence it.
    environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    m_program.setProcessEnvironment(environment);
    m_program.setWorkingDirectory(folder.path());
    m_program.start(QString::fromLocal8Bit(AdminProgram), {});
    QVERIFY(m_program.waitForStarted());

    QVERIFY2(runStep(QStringLiteral("open")), "the window did not open");
    for (int i = 0; i < steps.size(); ++i)
        QVERIFY2(runStep(steps.at(i)),
                 qPrintable(QStringLiteral("step %1 failed: %2").arg(i + 1).arg(steps.at(i))));
    QVERIFY2(m_program.waitForFinished(15000), "the program did not end");
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);

    QStringList printed = QString::fromUtf8(m_program.readAllStandardError())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    printed.removeIf(isPlatformNoise);
    QCOMPARE(printed, trace);
    QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat")), dataFile);
    QStringList files{QStringLiteral("Smeltwork.dat")};
    if (!helpFile.isEmpty()) {
        QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.hlp")), helpFile);
        files.append(QStringLiteral("Smeltwork.hlp"));
    }
    // Nothing else is left behind: no backup, no temporary file.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
}

int main(int argc, char **argv)
{
    PrivateXServer server(true);
    QCoreApplication app(argc, argv);
    EndToEndTest test(server.available() ? QByteArray() : server.reason());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_endtoend.moc"
