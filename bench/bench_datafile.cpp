// Times loading and saving the data file and opening and closing the administration window
// on large synthetic trees and on a realistic one, against baselines measured in the same
// run, and prints one table; then the memory the loaded trees take, and the most a save of
// them takes on top.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_datafile [repetitions]
//   QT_QPA_PLATFORM=offscreen build/bench/bench_datafile --memory   (the memory table only)
//   build/bench/bench_datafile --write-wide FILE   (writes the 65,535-group file, for
//                                                   scripts/bench-startup.sh)
//
// Every figure is the median of the repetitions (default 5), as wall-clock time and as the
// process's CPU time; the second is less disturbed by other programs on a busy machine.
// The trace is buffered as in the program (startTraceBuffering()); file descriptor 2 points
// at /dev/null or at a pipe read by cat while a run is timed, and the timed part ends once
// the buffer is written out.

#include "app/adminwindow.h"
#include "bench/synthetictree.h"
#include "data/document.h"
#include "data/fileio.h"
#include "data/smeltfiles.h"
#include "data/trace.h"
#include "dialogs/dialogkit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int repetitions = 5;

// ---- Synthetic data -------------------------------------------------------------------

qint64 traceLineCount(const CraftingData &data)
{
    qint64 lines = 2; // "Groups: %d" and the closing line
    for (const ProcGroup &g : data) {
        lines += 2;
        for (const Proc &p : g.procs)
            lines += 3 + p.reqs.size();
    }
    return lines;
}

// ---- Measuring ------------------------------------------------------------------------

struct Sample
{
    qint64 wallNs = 0;
    qint64 cpuNs = 0;
};

class Stopwatch
{
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuNow();
    }
    Sample elapsed() const { return {m_wall.nsecsElapsed(), cpuNow() - m_cpu}; }

private:
    static qint64 cpuNow()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }

    QElapsedTimer m_wall;
    qint64 m_cpu = 0;
};

struct Figure
{
    double wallMs = 0; // medians
    double cpuMs = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

Figure medianOf(const std::vector<Sample> &samples)
{
    std::vector<double> wall, cpu;
    for (const Sample &s : samples) {
        wall.push_back(double(s.wallNs) / 1e6);
        cpu.push_back(double(s.cpuNs) / 1e6);
    }
    return {median(wall), median(cpu)};
}

// Runs `once`, which returns the time of its timed part, `repetitions` times.
template <typename Run> Figure measure(Run once)
{
    std::vector<Sample> samples;
    for (int r = 0; r < repetitions; ++r)
        samples.push_back(once());
    return medianOf(samples);
}

// How busy the machine is: the 1-minute load average, for the record.
QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0) : "?";
}

void setTrace(bool on)
{
    QLoggingCategory::setFilterRules(on ? QString() : QStringLiteral("default.debug=false"));
}

// Where the trace goes while a run is timed: /dev/null, or a pipe that a cat process
// reads (and throws away), as when the program's stderr is piped into another program.
enum class Sink { Null, Pipe };

int pipeToCat = -1; // the pipe's writing end, open for the whole run

void startCat()
{
    int ends[2];
    if (::pipe(ends) != 0)
        qFatal("bench: no pipe");
    const pid_t cat = ::fork();
    if (cat == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(ends[0], STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::close(ends[0]);
        ::close(ends[1]);
        ::execlp("cat", "cat", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(ends[0]);
    pipeToCat = ends[1];
}

void stopCat()
{
    ::close(pipeToCat);
    ::wait(nullptr);
}

// Points file descriptor 2 at the sink while it lives, so the trace does all of its work
// (format, convert, write) without a terminal's cost.
class StderrTo
{
public:
    explicit StderrTo(Sink sink)
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int target = sink == Sink::Pipe ? pipeToCat : ::open("/dev/null", O_WRONLY);
        ::dup2(target, STDERR_FILENO);
        if (sink == Sink::Null)
            ::close(target);
    }
    ~StderrTo()
    {
        flushTrace();
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }

private:
    int m_saved = -1;
};

// Takes Qt's default handler away from the trace: with a handler of someone else's in
// place, every line goes through qDebug() and Qt's handler, as without the buffer.
class ThroughQDebug
{
public:
    // Installing none puts Qt's own back, which the next installation hands back.
    ThroughQDebug() : m_program(qInstallMessageHandler(nullptr))
    {
        qtHandler = qInstallMessageHandler(forward);
    }
    ~ThroughQDebug() { qInstallMessageHandler(m_program); }

private:
    static void forward(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        qtHandler(type, context, text);
    }
    static QtMessageHandler qtHandler;
    QtMessageHandler m_program; // the program's own, which buffers the trace
};
QtMessageHandler ThroughQDebug::qtHandler = nullptr;

volatile qint64 sink; // keeps the baseline's decoding from being optimised away

// The floor for loading: the file's bytes into memory, then every string decoded into a
// QString of its own, walking the layout with no checks, no records and no trace.
Sample readAndDecode(const QString &path)
{
    Stopwatch watch;
    QByteArray bytes;
    if (readWholeFile(path, bytes).status != LoadStatus::Loaded)
        qFatal("bench: cannot read %s", qPrintable(path));
    const char *at = bytes.constData() + 4;
    qint64 sum = 0;
    auto u16 = [&at] {
        const quint16 v = qFromBigEndian<quint16>(at);
        at += 2;
        return v;
    };
    auto string = [&at, &sum] {
        const quint32 n = qFromBigEndian<quint32>(at);
        at += 4;
        if (n == 0xFFFFFFFFu)
            return;
        QString s(qsizetype(n / 2), Qt::Uninitialized);
        qFromBigEndian<char16_t>(at, n / 2, s.data());
        at += n;
        sum += s.size();
    };
    const int groups = u16();
    for (int g = 0; g < groups; ++g) {
        string();
        const int procs = u16();
        for (int p = 0; p < procs; ++p) {
            string();
            at += 2; // QLs
            const int reqs = u16();
            for (int k = 0; k < reqs; ++k) {
                string();
                string();
                at += 1 + 4; // type, id
            }
        }
    }
    const Sample time = watch.elapsed();
    sink = sum;
    return time;
}

// The trace lines, as format strings for qDebug (which ends each line itself) and for
// fprintf.
struct TraceFormats
{
    const char *groups, *group, *procCount, *proc, *qls, *reqCount, *req, *finished;
};
constexpr TraceFormats DebugFormats = {"Groups: %d",
                                       "* Group #%d: %s",
                                       "  + Procs: %d",
                                       "    * Proc #%d: %s",
                                       "      (Max QL: %d, Min QL: %d)",
                                       "      + Reqs: %d",
                                       "        * Req #%d: %s - x%s (t=%d) (id=%d)",
                                       "Finished loading data file"};
constexpr TraceFormats FileFormats = {"Groups: %d\n",
                                      "* Group #%d: %s\n",
                                      "  + Procs: %d\n",
                                      "    * Proc #%d: %s\n",
                                      "      (Max QL: %d, Min QL: %d)\n",
                                      "      + Reqs: %d\n",
                                      "        * Req #%d: %s - x%s (t=%d) (id=%d)\n",
                                      "Finished loading data file\n"};

// Prints the load trace of `data` with `print(format, args...)`, one call per line, names
// converted as the loader converts them.
template <typename Print>
void printTrace(const CraftingData &data, const TraceFormats &f, Print print)
{
    print(f.groups, int(data.size()));
    for (int i = 0; i < data.size(); ++i) {
        const ProcGroup &g = data.at(i);
        print(f.group, i, traceText(g.name).constData());
        print(f.procCount, int(g.procs.size()));
        for (int j = 0; j < g.procs.size(); ++j) {
            const Proc &p = g.procs.at(j);
            print(f.proc, j, traceText(p.name).constData());
            print(f.qls, int(p.maxQL), int(p.minQL));
            print(f.reqCount, int(p.reqs.size()));
            for (int k = 0; k < p.reqs.size(); ++k) {
                const Req &r = p.reqs.at(k);
                print(f.req, k, traceText(r.name).constData(), traceText(r.multiplier).constData(),
                      int(quint8(r.type)), int(r.id));
            }
        }
    }
    print(f.finished);
}

// The baseline for the trace: one fprintf per line into stdio's buffer for the sink.
Sample fprintfTo(Sink sink, const CraftingData &data)
{
    FILE *out = sink == Sink::Pipe ? ::fdopen(::dup(pipeToCat), "w") : std::fopen("/dev/null", "w");
    Stopwatch watch;
    printTrace(data, FileFormats,
               [out](const char *format, auto... args) { std::fprintf(out, format, args...); });
    std::fclose(out); // the last buffer's write belongs to the printing
    return watch.elapsed();
}

// What Qt's stderr handler does with a finished line: fprintf to the unbuffered stderr,
// then fflush, which makes one write() per line.
Sample fprintfFlushedToStderr(const CraftingData &data)
{
    StderrTo quiet(Sink::Null);
    Stopwatch watch;
    printTrace(data, FileFormats, [](const char *format, auto... args) {
        std::fprintf(stderr, format, args...);
        std::fflush(stderr);
    });
    return watch.elapsed();
}

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// The same lines through qDebug, without loading anything: with Qt's own handler, or with
// one that drops every message, which leaves what Qt's printf formatting costs.
Sample qDebugLines(const CraftingData &data, bool discard)
{
    // None installed: Qt's own, in place of the program's.
    const QtMessageHandler program = qInstallMessageHandler(discard ? discardMessage : nullptr);
    StderrTo quiet(Sink::Null);
    Stopwatch watch;
    printTrace(data, DebugFormats,
               [](const char *format, auto... args) { qDebug(format, args...); });
    const Sample time = watch.elapsed();
    qInstallMessageHandler(program);
    return time;
}

// The same lines through the buffered trace, as the loader prints them, until they are on
// /dev/null; nothing is loaded.
Sample bufferedLines(const CraftingData &data)
{
    StderrTo quiet(Sink::Null);
    Stopwatch watch;
    const Tracer trace;
    trace.line("Groups: ", int(data.size()));
    for (int i = 0; i < data.size(); ++i) {
        const ProcGroup &g = data.at(i);
        trace.line("* Group #", i, ": ", g.name);
        trace.line("  + Procs: ", int(g.procs.size()));
        for (int j = 0; j < g.procs.size(); ++j) {
            const Proc &p = g.procs.at(j);
            trace.line("    * Proc #", j, ": ", p.name);
            trace.line("      (Max QL: ", int(p.maxQL), ", Min QL: ", int(p.minQL), ")");
            trace.line("      + Reqs: ", int(p.reqs.size()));
            for (int k = 0; k < p.reqs.size(); ++k) {
                const Req &r = p.reqs.at(k);
                trace.line("        * Req #", k, ": ", r.name, " - x", r.multiplier,
                           " (t=", int(quint8(r.type)), ") (id=", int(r.id), ")");
            }
        }
    }
    trace.line("Finished loading data file");
    flushTrace();
    return watch.elapsed();
}

// A load or a save until its trace is on the sink: `viaQDebug` sends every line through
// qDebug() and Qt's handler instead of the buffer.
Sample timedLoad(const QString &path, bool trace, Sink sink = Sink::Null, bool viaQDebug = false)
{
    setTrace(trace);
    CraftingData data;
    Sample time;
    FileReport report;
    {
        const std::unique_ptr<ThroughQDebug> qDebugPath(viaQDebug ? new ThroughQDebug : nullptr);
        Stopwatch watch;
        {
            StderrTo quiet(sink);
            report = loadFile(path, data);
        }
        time = watch.elapsed();
    }
    if (report.status != LoadStatus::Loaded)
        qFatal("bench: %s did not load", qPrintable(path));
    setTrace(true);
    return time; // the tree is freed outside the timed part
}

Sample timedSave(const QString &path, const CraftingData &data, bool trace, Sink sink = Sink::Null,
                 bool viaQDebug = false)
{
    setTrace(trace);
    SaveStatus status;
    Sample time;
    {
        const std::unique_ptr<ThroughQDebug> qDebugPath(viaQDebug ? new ThroughQDebug : nullptr);
        Stopwatch watch;
        {
            StderrTo quiet(sink);
            status = saveFile(path, data, false).status;
        }
        time = watch.elapsed();
    }
    setTrace(true);
    if (status != SaveStatus::Saved)
        qFatal("bench: %s was not saved", qPrintable(path));
    return time;
}

// Notes the first paint of a widget.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void processUntil(const bool &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done)
        qFatal("bench: the window was never painted");
}

struct WindowTimes
{
    Sample window;
    Sample popup;
    Sample refill;
    Sample close;
};

// The window as main() builds it, with its requirement lists' filler in reach.
class BenchWindow : public SmeltworkAdminDialog
{
public:
    BenchWindow() : SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags()) {}
    using SmeltworkAdminDialogBase::fillReqLists;
};

// Builds the window on the data file in the current folder, as main() does, until it and
// its group list have been painted; then opens the group list until the list is painted;
// then refills the requirement lists of the first process (65,535 rows, columns measured);
// then closes the window as Escape does and saves and deletes it, as main() does, until the
// trace is on the pipe. Everything goes to stderr piped into cat.
WindowTimes openAndCloseWindow(bool trace)
{
    setTrace(trace);
    WindowTimes times;
    {
        StderrTo piped(Sink::Pipe);
        Stopwatch watch;
        auto *window = new BenchWindow;
        PaintWatch shown;
        window->ProcGroupList->installEventFilter(&shown);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            qFatal("bench: the window was never exposed");
        processUntil(shown.painted);
        times.window = watch.elapsed();

        PaintWatch opened;
        window->ProcGroupList->view()->viewport()->installEventFilter(&opened);
        watch.restart();
        window->ProcGroupList->showPopup();
        processUntil(opened.painted);
        times.popup = watch.elapsed();
        window->ProcGroupList->hidePopup();
        QCoreApplication::processEvents();

        watch.restart();
        window->fillReqLists();
        times.refill = watch.elapsed();

        watch.restart();
        window->reject();
        window->saveData();
        delete window;
        flushTrace();
        times.close = watch.elapsed();
    }
    setTrace(true);
    return times;
}

// ---- Memory ---------------------------------------------------------------------------

// What the heap has handed out and not taken back, by glibc's count.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// Resident memory that is not shared: the heap and the other private pages, not the code or
// a file mapped into memory (/proc/self/statm: resident less shared).
qint64 privateResident()
{
    const int fd = ::open("/proc/self/statm", O_RDONLY);
    char text[128] = {};
    const ssize_t got = fd >= 0 ? ::read(fd, text, sizeof text - 1) : -1;
    if (fd >= 0)
        ::close(fd);
    long size = 0, resident = 0, shared = 0;
    if (got <= 0 || std::sscanf(text, "%ld %ld %ld", &size, &resident, &shared) != 3)
        return 0;
    return qint64(resident - shared) * ::sysconf(_SC_PAGESIZE);
}

// The most private resident memory while `work` runs, looked at every millisecond.
qint64 peakWhile(const std::function<void()> &work)
{
    std::atomic<bool> done{false};
    std::atomic<qint64> peak{privateResident()};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), privateResident());
            ::usleep(1000);
        }
    });
    work();
    done = true;
    sampler.join();
    return std::max(peak.load(), privateResident());
}

struct MemoryRow
{
    QString what;
    double fileMb = 0;
    double treeMb = 0;  // the heap the document holds after its load: the tree and its texts
    double textsMb = 0; // of which the pool of distinct texts the document keeps for edits
    double saveMb = 0;  // the most a save takes on top, private resident memory
    double maxTree = 0; // target: tree at most this many times the file
};

// Loads the file into a document as the window does (trace off), then saves it as closing
// the window does.
MemoryRow measureMemory(const QString &what, const QString &path, double maxTree)
{
    setTrace(false);
    MemoryRow row{what, double(QFileInfo(path).size()) / 1e6, 0, 0, 0, maxTree};
    malloc_trim(0);
    const qint64 before = heapInUse();
    auto document = std::make_unique<CraftingDocument>(path);
    if (document->load().status != LoadStatus::Loaded)
        qFatal("bench: %s did not load", qPrintable(path));
    row.treeMb = double(heapInUse() - before) / 1e6;
    row.textsMb = double(document->textsCost()) / 1e6;
    malloc_trim(0);
    const qint64 resident = privateResident();
    const qint64 peak = peakWhile([&] {
        if (document->save().status != SaveStatus::Saved)
            qFatal("bench: %s was not saved", qPrintable(path));
    });
    row.saveMb = double(peak - resident) / 1e6;
    document.reset();
    setTrace(true);
    return row;
}

void printMemory(const std::vector<MemoryRow> &rows)
{
    std::printf("\n%-34s %8s %9s %7s %8s %9s %9s %8s\n", "memory (MB, 10^6 bytes)", "file", "tree",
                "x file", "target", "met", "save +", "x tree");
    std::printf("%s\n", QByteArray(100, '-').constData());
    for (const MemoryRow &row : rows) {
        const double ratio = row.treeMb / row.fileMb;
        const double save = (row.treeMb + row.saveMb) / row.treeMb;
        std::printf("%-34s %8.1f %9.1f %6.2fx %7.2fx %9s %9.1f %7.2fx\n",
                    row.what.toUtf8().constData(), row.fileMb, row.treeMb, ratio, row.maxTree,
                    ratio <= row.maxTree ? "yes" : "NO", row.saveMb, save);
        std::printf(
            "%-34s %8s %9.3f   (the document's pool of distinct texts, in the tree's figure)\n", "",
            "", row.textsMb);
    }
}

// ---- Report ---------------------------------------------------------------------------

struct Row
{
    QString what;
    Figure figure;
    int baseline = -1;   // index of the row this one is compared with, -1 for none
    double maxRatio = 0; // target as a ratio to the baseline, 0 for none
    double maxMs = 0;    // target in milliseconds, 0 for none
};

void printTable(const std::vector<Row> &rows)
{
    std::printf("\n%-52s %9s %9s  %-36s %7s %7s %9s %-9s\n", "measurement", "wall ms", "cpu ms",
                "compared with", "wall", "cpu", "target", "met");
    std::printf("%-52s %9s %9s  %-36s %7s %7s %9s %-9s\n", "", "(median)", "(median)", "", "ratio",
                "ratio", "", "wall/cpu");
    std::printf("%s\n", QByteArray(147, '-').constData());
    auto verdict = [](bool met) { return met ? "yes" : "NO"; };
    for (const Row &row : rows) {
        const Row *baseline = row.baseline >= 0 ? &rows.at(size_t(row.baseline)) : nullptr;
        QByteArray wallRatio, cpuRatio, target, met;
        if (baseline) {
            const double wall = row.figure.wallMs / baseline->figure.wallMs;
            const double cpu = row.figure.cpuMs / baseline->figure.cpuMs;
            wallRatio = QByteArray::number(wall, 'f', 2) + "x";
            cpuRatio = QByteArray::number(cpu, 'f', 2) + "x";
            if (row.maxRatio > 0) {
                target = "<= " + QByteArray::number(row.maxRatio, 'g', 2) + "x";
                met =
                    QByteArray(verdict(wall <= row.maxRatio)) + "/" + verdict(cpu <= row.maxRatio);
            }
        }
        if (row.maxMs > 0) {
            target = "< " + QByteArray::number(row.maxMs, 'f', 0) + " ms";
            met = QByteArray(verdict(row.figure.wallMs < row.maxMs)) + "/" +
                  verdict(row.figure.cpuMs < row.maxMs);
        }
        std::printf("%-52s %9.1f %9.1f  %-36s %7s %7s %9s %-9s\n", row.what.toUtf8().constData(),
                    row.figure.wallMs, row.figure.cpuMs,
                    baseline ? baseline->what.toUtf8().constData() : "", wallRatio.constData(),
                    cpuRatio.constData(), target.constData(), met.constData());
    }
}

struct FileSet
{
    QString label;
    QString path;
    CraftingData data; // as loaded from the file, so its strings lie in memory as in a run
};

using Rows = std::vector<Row>;

void benchFile(const FileSet &file, Rows &rows)
{
    auto name = [&file](const char *what) { return file.label + QLatin1String(what); };
    const Figure decode = measure([&] { return readAndDecode(file.path); });
    const Figure printed = measure([&] { return fprintfTo(Sink::Null, file.data); });
    const Figure printedPipe = measure([&] { return fprintfTo(Sink::Pipe, file.data); });
    const Figure buffered = measure([&] { return bufferedLines(file.data); });
    const Figure flushed = measure([&] { return fprintfFlushedToStderr(file.data); });
    const Figure dropped = measure([&] { return qDebugLines(file.data, true); });
    const Figure debugged = measure([&] { return qDebugLines(file.data, false); });

    const QString scratch = file.path + QStringLiteral(".saved");
    const Figure loadOff = measure([&] { return timedLoad(file.path, false); });
    const Figure saveOff = measure([&] { return timedSave(scratch, file.data, false); });
    const Figure loadOn = measure([&] { return timedLoad(file.path, true); });
    const Figure saveOn = measure([&] { return timedSave(scratch, file.data, true); });
    const Figure loadPipe = measure([&] { return timedLoad(file.path, true, Sink::Pipe); });
    const Figure savePipe =
        measure([&] { return timedSave(scratch, file.data, true, Sink::Pipe); });
    const Figure loadQDebug = measure([&] { return timedLoad(file.path, true, Sink::Null, true); });
    const Figure saveQDebug =
        measure([&] { return timedSave(scratch, file.data, true, Sink::Null, true); });

    const int decodeRow = int(rows.size());
    rows.push_back({name(" read+decode baseline"), decode});
    rows.push_back({name(" load, trace off"), loadOff, decodeRow, 3});
    rows.push_back({name(" save, trace off"), saveOff, decodeRow, 3});
    const int printRow = int(rows.size());
    rows.push_back({name(" fprintf baseline, /dev/null"), printed});
    rows.push_back({name(" load, trace on, /dev/null"), loadOn, printRow, 2});
    rows.push_back({name(" save, trace on, /dev/null"), saveOn, printRow, 2});
    const int printPipeRow = int(rows.size());
    rows.push_back({name(" fprintf baseline, pipe"), printedPipe, printRow});
    rows.push_back({name(" load, trace on, pipe"), loadPipe, printPipeRow, 2});
    rows.push_back({name(" save, trace on, pipe"), savePipe, printPipeRow, 2});
    rows.push_back({name(" load, trace through qDebug"), loadQDebug, printRow});
    rows.push_back({name(" save, trace through qDebug"), saveQDebug, printRow});
    rows.push_back({name("   lines only: buffered trace"), buffered, printRow});
    rows.push_back({name("   lines only: fprintf+fflush stderr"), flushed, printRow});
    rows.push_back({name("   lines only: qDebug, handler drops"), dropped, printRow});
    rows.push_back({name("   lines only: qDebug, Qt's handler"), debugged, printRow});
}

void benchWindow(Rows &rows)
{
    int offRow = -1, offCloseRow = -1;
    for (const bool trace : {false, true}) {
        std::vector<Sample> window, popup, refill, close;
        for (int r = 0; r < repetitions; ++r) {
            const WindowTimes t = openAndCloseWindow(trace);
            window.push_back(t.window);
            popup.push_back(t.popup);
            refill.push_back(t.refill);
            close.push_back(t.close);
        }
        if (trace) {
            rows.push_back({QStringLiteral("65,535: window shown and painted, trace on, piped"),
                            medianOf(window), offRow, 1.5});
            rows.push_back({QStringLiteral("65,535: window closed, saved, trace on, piped"),
                            medianOf(close), offCloseRow, 3});
            continue;
        }
        offRow = int(rows.size());
        rows.push_back({QStringLiteral("65,535: window shown and painted, trace off, piped"),
                        medianOf(window), -1, 0, 500});
        rows.push_back({QStringLiteral("65,535: group list opened and painted"), medianOf(popup)});
        rows.push_back({QStringLiteral("65,535: requirement lists refilled"), medianOf(refill)});
        offCloseRow = int(rows.size());
        rows.push_back(
            {QStringLiteral("65,535: window closed, saved, trace off, piped"), medianOf(close)});
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--write-wide") == 0) {
        setTrace(false);
        return saveFile(QString::fromLocal8Bit(argv[2]), makeWideTree(), false).status ==
                       SaveStatus::Saved
                   ? 0
                   : 1;
    }
    QApplication app(argc, argv);
    const bool memoryOnly = argc > 1 && qstrcmp(argv[argc - 1], "--memory") == 0;
    if (argc > 1 && !memoryOnly)
        repetitions = qMax(1, atoi(argv[1]));
    startTraceBuffering();
    startCat();
    QElapsedTimer total;
    total.start();

    QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("bench: no scratch folder");
    setTrace(true);
    if (!traceEnabled())
        qFatal("bench: debug output is switched off (QT_LOGGING_RULES?); the trace rows "
               "would measure nothing");

    // The window reads Smeltwork.dat from the working folder, as the program does.
    QList<FileSet> files = {
        {QStringLiteral("1M:"), folder.filePath(QStringLiteral("big.dat")), {}},
        {QStringLiteral("1M real:"), folder.filePath(QStringLiteral("realistic.dat")), {}},
        {QStringLiteral("65,535:"), folder.filePath(QStringLiteral("Smeltwork.dat")), {}},
    };
    // Saved from the generated tree (or written by the script), then loaded back: the
    // benchmark works on what a run holds.
    auto save = [](const FileSet &file, const CraftingData &generated) {
        setTrace(false);
        if (saveFile(file.path, generated, false).status != SaveStatus::Saved)
            qFatal("bench: cannot save %s", qPrintable(file.path));
    };
    auto prepare = [](FileSet &file) {
        setTrace(false);
        if (loadFile(file.path, file.data).status != LoadStatus::Loaded)
            qFatal("bench: cannot load %s", qPrintable(file.path));
        setTrace(true);
        std::printf("%-8s %-14s %5.1f MB, %7lld trace lines\n", file.label.toUtf8().constData(),
                    qPrintable(QFileInfo(file.path).fileName()),
                    double(QFileInfo(file.path).size()) / 1e6,
                    qlonglong(traceLineCount(file.data)));
    };
    save(files[0], makeUniformTree(1000, 100, 10));
    if (QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral(SMELT_SOURCE_DIR "/bench/make_realistic.py"),
                           QStringLiteral("1000000"), files[1].path}) != 0)
        qFatal("bench: bench/make_realistic.py did not write the realistic tree");
    save(files[2], makeWideTree());
    for (FileSet &file : files)
        prepare(file);
    std::printf("1M:      1,000 groups x 100 processes x 10 requirements\n"
                "1M real: 1,000,000 requirements named from a game's vocabulary "
                "(bench/make_realistic.py)\n"
                "65,535:  65,535 groups; the first holds 65,535 processes, whose first holds "
                "65,535 requirements\n"
                "Medians of %d runs. The trace is buffered as in the program, with file "
                "descriptor 2 on /dev/null or on a pipe read by cat.\n",
                repetitions);
    std::printf("Load average at the start: %s\n", loadAverage().constData());
    std::fflush(stdout);

    Rows rows;
    for (const FileSet &file : std::as_const(files)) {
        if (memoryOnly)
            break;
        benchFile(file, rows);
        std::printf("  %s done after %.0f s\n", file.label.toUtf8().constData(),
                    double(total.elapsed()) / 1000);
        std::fflush(stdout);
    }
    QDir::setCurrent(folder.path());
    if (!memoryOnly)
        benchWindow(rows);

    stopCat();
    printTable(rows);
    // Measured last, on a heap the runs above have left in use.
    std::vector<MemoryRow> memory;
    for (FileSet &file : files)
        file.data = {}; // only the document's tree counts
    memory.push_back(measureMemory(QStringLiteral("1M synthetic"), files[0].path, 3));
    memory.push_back(measureMemory(QStringLiteral("1M realistic"), files[1].path, 1.75));
    printMemory(memory);
    std::printf("\nLoad average at the end: %s. Total run time %.0f s\n", loadAverage().constData(),
                double(total.elapsed()) / 1000);
    return 0;
}
