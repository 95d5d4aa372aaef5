// The trace on stderr, buffered and through qDebug(): the same bytes in the same order for
// loads, saves and sorts of awkward names, with a warning in between, however the buffer is
// written out: when the event loop waits, when a window is shown, when the program aborts.
// A run loads a file and saves what was kept, opens the window on that, sorts the groups
// and the first one's processes and saves; then saves and loads help topics named alike.
#include "adminwindow.h"
#include "helpfile.h"
#include "sampletree.h"
#include "testsupport.h"
#include "trace.h"

#include <QLoggingCategory>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Waits = 0, Shows = 1, Aborts = 2; // how the buffered run ends

// Messages that went through someone else's handler, and so through qDebug(), not the buffer.
int forwarded = 0;
QtMessageHandler next = nullptr;

// What `work` writes to file descriptor 2; what the buffer held before it belongs to the
// stderr before.
QByteArray stderrOf(const std::function<void()> &work)
{
    flushTrace();
    QTemporaryFile file;
    const int saved = dup(STDERR_FILENO);
    dup2(file.open() ? file.handle() : saved, STDERR_FILENO);
    work();
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TraceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules("default.debug=true"); }

    void bufferedAsThroughQDebug_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("cut"); // bytes cut off the end of the data file
        QTest::addColumn<int>("end");
        const QString nul = QString("Ofen") + QChar(0) + "rohr";
        const QStringList awkward{"Stählerne Äxte", "Жар ☆ 😀", "100% %s %d %n", "", QString(), nul};
        QTest::newRow("Latin-1, beyond, %, empty, null, U+0000") << awkward << 0 << Waits;
        QTest::newRow("warning between the lines") << awkward << 9 << Waits;
        QTest::newRow("more than the buffer holds") << QStringList(60, "Eisen Äxte") << 0 << Waits;
        QTest::newRow("a name longer than the buffer")
            << QStringList{QString(40000, QChar(0xE4)), "x"} << 0 << Waits;
        QTest::newRow("written out when a window shows") << awkward << 0 << Shows;
        QTest::newRow("written out on abort") << awkward << 0 << Aborts;
    }

    void bufferedAsThroughQDebug()
    {
        QFETCH(QStringList, names);
        QFETCH(int, cut);
        QFETCH(int, end);
        const ScratchFolder folder;
        CraftingData tree;
        HelpTopics topics, loaded;
        for (const QString &name : names) {
            tree.append({name, {}});
            for (const QString &other : names)
                tree.last().procs.append(
                    {other, 200, 3, {{name, other, 1, -7}, {other, name, 0, 40012}}});
            topics.append({name, name, name});
        }
        const auto run = [&] {
            CraftingData data;
            folder.writeFile("Smeltwork.dat", encodeWithQDataStream(tree).chopped(cut));
            loadFile(craftingFilePath(), data); // a damaged file warns after the lines read
            saveFile(craftingFilePath(), data, false);
            SmeltworkAdminDialog window;
            window.SortGrpBtn->click();
            window.SortProcBtn->click();
            window.saveData();
            saveFile(helpFilePath(), topics, false);
            loadFile(helpFilePath(), loaded);
        };

        // Qt's own handler, as in the program, with the buffer in front of it.
        const QtMessageHandler testlib = qInstallMessageHandler(nullptr);
        startTraceBuffering();
        qint64 held = 0; // bytes on stderr before the end
        int status = 0;
        const QByteArray buffered = stderrOf([&] {
            if (end == Aborts) {
                const pid_t child = fork();
                if (child == 0) {
                    alarm(60);
                    std::signal(SIGABRT, SIG_DFL); // not Qt Test's report of it
                    startTraceBuffering();
                    run();
                    std::abort();
                }
                waitpid(child, &status, 0);
                return;
            }
            run();
            held = lseek(STDERR_FILENO, 0, SEEK_CUR);
            QDialog window;
            QEventLoop loop;
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
            if (end == Shows)
                window.show();
            else
                loop.exec();
        });
        next = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                ++forwarded;
                next(type, context, text);
            });
        forwarded = 0;
        const QByteArray logged = stderrOf(run);
        qInstallMessageHandler(testlib);

        QVERIFY(forwarded > 0);
        QCOMPARE(buffered, logged);
        QVERIFY(end == Aborts ? WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT
                              : held < buffered.size()); // the buffer held some
    }
};

QTEST_MAIN(TraceTest)
#include "tst_trace.moc"
