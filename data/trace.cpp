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
#include <cerrno>
#include <csignal>
#include <poll.h>
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

// Large enough that a write costs little per line, small enough to stay in the cache.
constexpr qsizetype Capacity = 64 * 1024;

// Plain static storage with trivial destructors: the buffer still works while other static
// objects are destroyed at exit, and from a signal handler. Bytes from `sent` to `filled`
// are still to be written. The signal handler reads both without the lock, so `filled`
// grows only once a line is whole, and `sent` as each write goes out.
char buffer[Capacity];
std::atomic<qsizetype> sent{0};
std::atomic<qsizetype> filled{0};
std::mutex lock;

std::atomic<bool> buffering{false};
QtMessageHandler qtHandler = nullptr; // Qt's default handler, which ours hands messages to

// Writes the bytes from `data` to `end`, as stdio would: again after a signal or a partial
// write, waiting while a non-blocking stderr is full. A broken stderr loses the bytes, as
// it does for stdio. Only calls that a signal handler may make. `progress`, if given,
// follows what has gone out.
void writeOut(const char *data, const char *end, std::atomic<qsizetype> *progress = nullptr)
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
            return;
        }
    }
}

// With the lock held.
void flushLocked()
{
    const qsizetype size = filled.load(std::memory_order_relaxed);
    if (size == 0)
        return;
    // Whatever went to stdio's stderr first stays first (stderr is unbuffered unless
    // someone changed that).
    std::fflush(stderr);
    writeOut(buffer + sent.load(std::memory_order_relaxed), buffer + size, &sent);
    filled.store(0, std::memory_order_release);
    sent.store(0, std::memory_order_release);
}

// Every message reaches stderr after the trace lines before it: ours (warnings, and the
// debug lines not printed through the buffer) and Qt's own, from any of its modules.
void flushThenPrint(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    flushTrace();
    qtHandler(type, context, message);
}

// Writes the buffer out when a window is about to be shown (a dialog or a message box
// waits for the user: what led to it is on stderr by then), and before the event loop
// waits for the next event.
class FlushPoints : public QObject
{
public:
    explicit FlushPoints(QObject *parent) : QObject(parent)
    {
        if (auto *dispatcher = QAbstractEventDispatcher::instance())
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &flushTrace);
        parent->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            flushTrace();
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
    if (previous != qtDefault && previous != flushThenPrint) {
        qInstallMessageHandler(previous);
        return;
    }
    qtHandler = qtDefault;
    qInstallMessageHandler(flushThenPrint);

    static QPointer<QObject> flushPoints;
    if (!flushPoints)
        flushPoints = new FlushPoints(QCoreApplication::instance());
    buffering = true;
}

void writeOutTraceOnSignal()
{
    // A closed stderr must not turn the signal into a SIGPIPE.
    struct sigaction ignore = {}, pipeAction;
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &pipeAction);
    // A signal that cuts a write short sees the bytes written by it once more.
    const qsizetype from = sent.load(std::memory_order_acquire);
    writeOut(buffer + from, buffer + filled.load(std::memory_order_acquire), &sent);
    ::sigaction(SIGPIPE, &pipeAction, nullptr);
}

void flushTrace()
{
    if (filled.load(std::memory_order_acquire) == 0)
        return;
    const std::lock_guard<std::mutex> hold(lock);
    flushLocked();
}

TraceParts::Route TraceParts::route()
{
    if (!traceEnabled())
        return Route::Off;
    if (!buffering.load(std::memory_order_relaxed))
        return Route::Logged;
    // Another handler installed since: it gets the lines, after what the buffer holds.
    const QtMessageHandler current = qInstallMessageHandler(flushThenPrint);
    if (current == flushThenPrint)
        return Route::Buffered;
    qInstallMessageHandler(current == qtHandler ? nullptr : current);
    flushTrace();
    return Route::Logged;
}

char *TraceParts::reserve(qsizetype size)
{
    if (size >= Capacity)
        return nullptr;
    lock.lock();
    const qsizetype used = filled.load(std::memory_order_relaxed);
    if (used + size + 1 > Capacity) {
        flushLocked();
        return buffer;
    }
    return buffer + used;
}

void TraceParts::commit(char *end)
{
    *end++ = '\n';
    filled.store(end - buffer, std::memory_order_release);
    lock.unlock();
}

void TraceParts::print(Route route, const char *line, qsizetype size)
{
    if (route == Route::Logged) {
        logDebug(QString::fromUtf8(line, size));
        return;
    }
    const std::lock_guard<std::mutex> hold(lock);
    flushLocked();
    static const char newline = '\n';
    writeOut(line, line + size);
    writeOut(&newline, &newline + 1);
}

#else

void startTraceBuffering() {}

void flushTrace() {}

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
