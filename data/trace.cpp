#include "data/trace.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>

#include <atomic>
#include <cstdarg>
#include <mutex>

// The buffer writes to file descriptor 2 itself, with the POSIX calls that a signal
// handler may make. Elsewhere, and wherever Qt's default handler writes to a system log
// (journald, syslog, slog2, Android's log, Apple's unified log, the Windows debugger) rather
// than to stderr, every line goes through Qt's handler.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID) && !defined(Q_OS_WASM)
#define SMELT_TRACE_BUFFER
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>
#endif

namespace {

// One character as the trace prints it: its Latin-1 byte re-encoded as UTF-8, "?" outside
// Latin-1.
inline char *putLatin1(char *at, char16_t u)
{
    if (u < 0x80) {
        *at++ = char(u);
    } else if (u < 0x100) {
        *at++ = char(0xC0 | (u >> 6));
        *at++ = char(0x80 | (u & 0x3F));
    } else {
        *at++ = '?';
    }
    return at;
}

} // namespace

QByteArray traceText(const QString &text)
{
    // Filled through a pointer and cut to length once: the trace converts two names per
    // requirement, and append() per character cost more than the conversion itself.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *at = out.data();
    for (const QChar c : text)
        at = putLatin1(at, c.unicode());
    out.truncate(at - out.constData());
    return out;
}

bool traceEnabled()
{
    const QLoggingCategory *category = QLoggingCategory::defaultCategory();
    return category && category->isDebugEnabled();
}

namespace {

// What qDebug() hands to the message handler; in release builds Qt records no place.
void logDebug(const QString &message)
{
    qt_message_output(QtDebugMsg, QMessageLogContext(nullptr, 0, nullptr, "default"), message);
}

} // namespace

#ifdef SMELT_TRACE_BUFFER

namespace {

// The lines go into blocks, oldest first, which a writer thread of the trace's own writes
// out: the program goes on while a terminal or a pipe takes its time reading them. The writer
// writes only what it was handed (a full block, or everything when a message, a window or an
// idle event loop comes), so the lines go out in large writes, in order, and a writer that
// keeps up still leaves the lines of the moment gathered until then.
//
// A signal handler must be able to write out what is left without a lock and without
// freeing memory, so the blocks are plain memory reached through atomic pointers and counts,
// and only the writer frees a block, while it says it is busy.
struct Block
{
    explicit Block(qsizetype size) : capacity(size) {}
    char *data() { return reinterpret_cast<char *>(this + 1); }

    std::atomic<Block *> next{nullptr};
    const qsizetype capacity;
    std::atomic<qsizetype> filled{0}; // complete lines; grows only under `gather`
    std::atomic<qsizetype> sent{0};   // written out (or dropped with a broken stderr)
    // Under the writer's lock: what the writer may write, and whether more lines can come.
    qsizetype handed = 0;
    bool sealed = false;
};

// Large enough that a write costs little per line, small enough to stay in the cache while
// it fills.
constexpr qsizetype BlockSize = 64 * 1024;
// A reader that never reads must not take all the memory there is.
constexpr qsizetype MostWaiting = qsizetype(256) * 1024 * 1024;

// Plain static storage with trivial destructors: the blocks still work while other static
// objects are destroyed at exit, and from a signal handler.
std::atomic<Block *> head{nullptr}; // the oldest block not written out yet
Block *tail = nullptr;              // the one lines go into; under `gather`
std::atomic<qsizetype> waiting{0};  // bytes held by blocks, written or not
std::mutex gather;                  // taken by whoever adds lines
std::atomic<bool> finished{false};  // the program is ending: every line goes out at once

// The writer thread of this process, with what it waits on. A child made by fork() has no
// thread of its parent's, nor may it touch a lock the parent's writer might have held:
// it makes a writer of its own.
struct Writer
{
    pid_t process = ::getpid();
    pthread_t thread{};
    bool running = false;
    std::mutex lock;
    std::condition_variable work;     // something was handed over
    std::condition_variable progress; // something was written, or a block freed
    // Busy writing or freeing a block: a signal handler waits until it is not.
    std::atomic<bool> busy{false};
};
std::atomic<Writer *> processWriter{nullptr};
// A signal handler is writing the blocks out: the writer stops before its next write.
std::atomic<bool> signalled{false};

std::atomic<bool> buffering{false};
QtMessageHandler qtHandler = nullptr; // Qt's default handler, which ours stands in for
bool fatalWarnings = false;           // QT_FATAL_WARNINGS or QT_FATAL_CRITICALS set

// Writes the bytes from `data` to `end`, as stdio would: again after a signal or a partial
// write, waiting while a non-blocking stderr is full. Only calls that a signal handler may
// make. `progress`, if given, follows what has gone out. False when stderr is broken (a
// closed pipe, say): the rest is lost, as it is for stdio.
bool writeOut(const char *data, const char *end, std::atomic<qsizetype> *progress = nullptr)
{
    while (data < end) {
        const ssize_t written = ::write(STDERR_FILENO, data, size_t(end - data));
        if (written > 0) {
            data += written;
            if (progress)
                progress->fetch_add(written, std::memory_order_release);
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd out{STDERR_FILENO, POLLOUT, 0};
            ::poll(&out, 1, -1);
        } else if (written < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool enterBusy(Writer *writer)
{
    writer->busy.store(true);
    if (!signalled.load())
        return true;
    writer->busy.store(false);
    return false;
}

// One piece of the writer's work, with its lock held: the handed bytes of the oldest block
// (written with the lock let go), or that block freed once it is written and sealed. False
// when there is nothing to do.
bool writeStep(Writer *writer, std::unique_lock<std::mutex> &hold)
{
    Block *block = head.load(std::memory_order_acquire);
    if (!block)
        return false;
    const qsizetype to = block->handed;
    Block *next = block->next.load(std::memory_order_acquire);
    const bool spent = block->sealed && next;
    if (block->sent.load(std::memory_order_acquire) >= to && !spent)
        return false;
    if (!enterBusy(writer)) {
        // A signal handler is writing; it ends the process, or lets the writer go on after.
        hold.unlock();
        ::usleep(1000);
        hold.lock();
        return true;
    }
    // Read again now that no handler can write: one may have written these bytes already.
    const qsizetype from = block->sent.load(std::memory_order_acquire);
    if (from < to) {
        hold.unlock();
        // Whatever went to stdio's stderr first stays first (stderr is unbuffered unless
        // someone changed that). Stdio drops what a broken stderr does not take, and goes on.
        std::fflush(stderr);
        if (!writeOut(block->data() + from, block->data() + to, &block->sent))
            block->sent.store(to, std::memory_order_release);
        hold.lock();
    } else if (spent) {
        head.store(next, std::memory_order_release);
        waiting.fetch_sub(block->capacity);
        block->~Block();
        std::free(block);
    }
    writer->busy.store(false);
    writer->progress.notify_all();
    return true;
}

void runWriter(Writer *writer)
{
    std::unique_lock<std::mutex> hold(writer->lock);
    for (;;) {
        if (!writeStep(writer, hold))
            writer->work.wait(hold);
    }
}

// The writer of this process, started at its first use. Signals are blocked in its thread,
// so that a handler never runs there while it writes; where no thread can be started, the
// callers do its work themselves.
Writer *writerOfProcess()
{
    Writer *writer = processWriter.load(std::memory_order_acquire);
    if (writer && writer->process == ::getpid())
        return writer;
    writer = new Writer; // for the rest of the process: a thread may still wait in it at exit
    sigset_t all, before;
    sigfillset(&all);
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        sigdelset(&all, fault);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    writer->running = pthread_create(
                          &writer->thread, nullptr,
                          [](void *self) -> void * {
                              runWriter(static_cast<Writer *>(self));
                              return nullptr;
                          },
                          writer) == 0;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (writer->running) {
        pthread_detach(writer->thread);
#ifdef Q_OS_LINUX
        pthread_setname_np(writer->thread, "trace writer");
#endif
    }
    processWriter.store(writer, std::memory_order_release);
    return writer;
}

// Whether everything handed over is written, with the writer's lock held.
bool writtenOut()
{
    return head.load(std::memory_order_acquire) == tail &&
           (!tail || tail->sent.load(std::memory_order_acquire) >= tail->handed);
}

// Waits, with the writer's lock held, until `done` is true; without a writer thread, does the
// writer's work meanwhile.
template <typename Done>
void waitUntil(Writer *writer, std::unique_lock<std::mutex> &hold, Done done)
{
    while (!done()) {
        if (writer->running)
            writer->progress.wait(hold);
        else if (!writeStep(writer, hold))
            return;
    }
}

// Hands the gathered lines to the writer, with `gather` held; `seal` when no more lines
// will go into the current block. At the end of the program, waits until they are written.
void handOverLocked(bool seal = false)
{
    if (!tail)
        return;
    Writer *writer = writerOfProcess();
    std::unique_lock<std::mutex> hold(writer->lock);
    tail->handed = tail->filled.load(std::memory_order_relaxed);
    tail->sealed = tail->sealed || seal;
    if (writer->running)
        writer->work.notify_one();
    if (finished.load() || !writer->running)
        waitUntil(writer, hold, writtenOut);
}

void handOver()
{
    const std::lock_guard<std::mutex> hold(gather);
    handOverLocked();
}

// A new block for lines of at least `size` bytes behind the current one, with `gather`
// held. Past the most that may wait, waits until the writer has freed enough.
bool addBlock(qsizetype size)
{
    const qsizetype capacity = std::max(BlockSize, size);
    if (tail && waiting.load() + capacity > MostWaiting) {
        handOverLocked(false);
        Writer *writer = writerOfProcess();
        std::unique_lock<std::mutex> hold(writer->lock);
        waitUntil(writer, hold, [capacity] {
            return waiting.load() + capacity <= MostWaiting ||
                   head.load(std::memory_order_acquire) == tail;
        });
    }
    void *memory = std::malloc(sizeof(Block) + size_t(capacity));
    if (!memory)
        return false;
    Block *block = new (memory) Block(capacity);
    waiting.fetch_add(capacity);
    if (!tail) {
        head.store(block, std::memory_order_release);
        tail = block;
        return true;
    }
    Writer *writer = writerOfProcess();
    {
        const std::lock_guard<std::mutex> hold(writer->lock);
        tail->next.store(block, std::memory_order_release);
    }
    handOverLocked(true);
    tail = block;
    return true;
}

// Every message reaches stderr in its place among the trace lines: ours (warnings, and the
// debug lines not printed through the blocks) and Qt's own, from any of its modules. It
// goes into the blocks as Qt's handler prints it: formatted by the message pattern, then
// printed with "%s\n" (which ends at a NUL), nothing when the pattern gives a null text.
void queueMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString formatted = qFormatLogMessage(type, context, message);
    if (!formatted.isNull()) {
        const QByteArray text = formatted.toLocal8Bit();
        const qsizetype size = qsizetype(qstrnlen(text.constData(), size_t(text.size())));
        const std::lock_guard<std::mutex> hold(gather);
        if (!tail || tail->filled.load(std::memory_order_relaxed) + size + 1 > tail->capacity) {
            if (!addBlock(size + 1)) {
                qtHandler(type, context, message);
                return;
            }
        }
        char *at = tail->data() + tail->filled.load(std::memory_order_relaxed);
        std::memcpy(at, text.constData(), size_t(size));
        at[size] = '\n';
        tail->filled.store(at + size + 1 - tail->data(), std::memory_order_release);
        handOverLocked();
    }
    // Qt ends the program after a fatal message: it must be out before.
    if (type == QtFatalMsg || (fatalWarnings && type != QtDebugMsg && type != QtInfoMsg))
        flushTrace();
}

// Hands the lines over when a window is about to be shown (a dialog or a message box waits
// for the user: what led to it should be on its way by then), and before the event loop
// waits for the next event.
class HandOverPoints : public QObject
{
public:
    explicit HandOverPoints(QObject *parent) : QObject(parent)
    {
        if (auto *dispatcher = QAbstractEventDispatcher::instance())
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &handOver);
        parent->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            handOver();
        return false;
    }
};

// Whether Qt's default handler prints to stderr. Qt prints every message to stderr with
// its default pattern, "%{if-category}%{category}: %{endif}%{message}", which for the
// default category is the message alone, unless QT_MESSAGE_PATTERN names another (the
// program never calls qSetMessagePattern()). A Qt built with a system log as its sink
// writes there instead unless QT_FORCE_STDERR_LOGGING is set (or stderr is a terminal, a
// case left to Qt's handler here); Debian's Qt 6.4 is built without one, and CMake tells
// which kind this build links (SMELT_QT_LOG_SINK).
bool qtPrintsToStderr()
{
    if (!qEnvironmentVariableIsEmpty("QT_MESSAGE_PATTERN"))
        return false;
#ifdef SMELT_QT_LOG_SINK
    if (!qEnvironmentVariableIntValue("QT_FORCE_STDERR_LOGGING"))
        return false;
#endif
    return true;
}

} // namespace

void startTraceBuffering()
{
    if (!QCoreApplication::instance() || !qtPrintsToStderr())
        return;
    // qInstallMessageHandler() gives the handler it replaces, Qt's own when none was
    // installed: asking twice tells whether someone else's is in place.
    const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    const QtMessageHandler qtDefault = qInstallMessageHandler(nullptr);
    if (previous != qtDefault && previous != queueMessage) {
        qInstallMessageHandler(previous);
        return;
    }
    qtHandler = qtDefault;
    fatalWarnings = qEnvironmentVariableIsSet("QT_FATAL_WARNINGS") ||
                    qEnvironmentVariableIsSet("QT_FATAL_CRITICALS");
    qInstallMessageHandler(queueMessage);

    static QPointer<QObject> handOverPoints;
    if (!handOverPoints)
        handOverPoints = new HandOverPoints(QCoreApplication::instance());
    buffering = true;
}

void writeOutTraceOnSignal()
{
    // A closed stderr must not turn the signal into a SIGPIPE.
    struct sigaction ignore = {}, pipeAction;
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &pipeAction);
    // The writer finishes the write it is in, and stops; only then are the blocks ours.
    signalled.store(true);
    const Writer *writer = processWriter.load(std::memory_order_acquire);
    if (writer && writer->running && writer->process == ::getpid() &&
        !pthread_equal(writer->thread, pthread_self())) {
        while (writer->busy.load()) {
            const timespec pause{0, 1000000};
            ::nanosleep(&pause, nullptr);
        }
    }
    for (Block *block = head.load(std::memory_order_acquire); block;
         block = block->next.load(std::memory_order_acquire)) {
        const qsizetype from = block->sent.load(std::memory_order_acquire);
        const qsizetype to = block->filled.load(std::memory_order_acquire);
        if (from < to)
            writeOut(block->data() + from, block->data() + to, &block->sent);
    }
    signalled.store(false);
    ::sigaction(SIGPIPE, &pipeAction, nullptr);
}

void flushTrace()
{
    const std::lock_guard<std::mutex> hold(gather);
    if (!tail)
        return;
    handOverLocked();
    Writer *writer = writerOfProcess();
    std::unique_lock<std::mutex> written(writer->lock);
    waitUntil(writer, written, writtenOut);
}

void awaitTraceWriter()
{
    const std::lock_guard<std::mutex> gathered(gather);
    Writer *writer = processWriter.load(std::memory_order_acquire);
    if (!writer || writer->process != ::getpid())
        return;
    std::unique_lock<std::mutex> hold(writer->lock);
    waitUntil(writer, hold, [] {
        Block *block = head.load(std::memory_order_acquire);
        for (; block; block = block->next.load(std::memory_order_acquire)) {
            if (block->sent.load(std::memory_order_acquire) < block->handed)
                return false;
        }
        return true;
    });
}

void finishTrace()
{
    finished = true;
    flushTrace();
}

TraceParts::Route TraceParts::route()
{
    if (!traceEnabled())
        return Route::Off;
    if (!buffering.load(std::memory_order_relaxed))
        return Route::Logged;
    // Another handler installed since: it gets the lines, after what the blocks hold.
    const QtMessageHandler current = qInstallMessageHandler(queueMessage);
    if (current == queueMessage)
        return Route::Buffered;
    qInstallMessageHandler(current == qtHandler ? nullptr : current);
    flushTrace();
    return Route::Logged;
}

char *TraceParts::reserve(qsizetype size)
{
    gather.lock();
    if (!tail || tail->filled.load(std::memory_order_relaxed) + size + 1 > tail->capacity) {
        if (!addBlock(size + 1)) {
            gather.unlock();
            return nullptr;
        }
    }
    return tail->data() + tail->filled.load(std::memory_order_relaxed);
}

void TraceParts::commit(char *end)
{
    *end++ = '\n';
    tail->filled.store(end - tail->data(), std::memory_order_release);
    if (finished.load())
        handOverLocked();
    gather.unlock();
}

void TraceParts::print(Route route, const char *line, qsizetype size)
{
    if (route == Route::Logged) {
        logDebug(QString::fromUtf8(line, size));
        return;
    }
    // No memory for a block: the line goes out here and now, after the others.
    flushTrace();
    const std::lock_guard<std::mutex> hold(gather);
    static const char newline = '\n';
    writeOut(line, line + size);
    writeOut(&newline, &newline + 1);
}

#else

void startTraceBuffering() {}

void flushTrace() {}

void awaitTraceWriter() {}

void finishTrace() {}

void writeOutTraceOnSignal() {}

TraceParts::Route TraceParts::route()
{
    return traceEnabled() ? Route::Logged : Route::Off;
}

char *TraceParts::reserve(qsizetype)
{
    return nullptr;
}

void TraceParts::commit(char *) {}

void TraceParts::print(Route, const char *line, qsizetype size)
{
    logDebug(QString::fromUtf8(line, size));
}

#endif

char *TraceParts::put(char *at, int value)
{
    char digits[10];
    int count = 0;
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *at++ = '-';
    while (count)
        *at++ = digits[--count];
    return at;
}

char *TraceParts::put(char *at, const QString &text)
{
    // traceText(), written in place, up to the first U+0000.
    for (const QChar c : text) {
        if (c.unicode() == 0)
            break;
        at = putLatin1(at, c.unicode());
    }
    return at;
}

void traceLine(const char *format, ...)
{
    using namespace TraceParts;
    const Route to = route();
    if (to == Route::Off)
        return;
    va_list arguments;
    va_start(arguments, format);
    const QString message = QString::vasprintf(format, arguments);
    va_end(arguments);
    if (to == Route::Logged) {
        logDebug(message);
        return;
    }
    // What Qt's handler prints: nothing for a null message, else the message converted
    // with toLocal8Bit() and printed with "%s", which ends at a NUL.
    if (message.isNull())
        return;
    const QByteArray text = message.toLocal8Bit();
    const qsizetype size = qsizetype(qstrnlen(text.constData(), size_t(text.size())));
    if (char *at = reserve(size)) {
        std::memcpy(at, text.constData(), size_t(size));
        commit(at + size);
        return;
    }
    print(to, text.constData(), size);
}
