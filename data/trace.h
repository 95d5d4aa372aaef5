#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>

// The trace prints names as Latin-1 text. Qt reads a "%s" argument as UTF-8, so the
// Latin-1 form is handed over re-encoded: "Stählerne Äxte" stays readable, and a
// character outside Latin-1 prints as "?".
QByteArray traceText(const QString &text);

// Building trace lines for a million records costs more than loading them; callers
// skip the formatting when debug output is switched off.
bool traceEnabled();

// Every trace line is a debug message of the default category, and prints as qDebug()
// prints it: through Qt's message handler, or, once startTraceBuffering() has run and
// while Qt's own handler with its default message pattern is the one that would print
// it, formatted straight into blocks that a thread of the trace's own writes to stderr.
// Qt's handler formats, converts and flushes each line on its own, which cost five times
// what printing the line takes, and a terminal that reads slowly held the program up for
// as long as it took; the bytes on stderr are the same either way, in the same order.

// Called once by main() when the QApplication exists. Buffers the trace when Qt's
// default handler and message pattern are in place: every other message then goes into
// the same blocks, formatted as Qt's handler formats it, so that it keeps its place among
// the lines. The lines gathered so far go to the writer when a block is full, with any
// other message, when a window is shown and before the event loop waits; the program's
// process hooks write everything out at exit and on a fatal signal. Past 256 MB waiting
// to be written, the program waits for the writer.
void startTraceBuffering();

// Writes out everything gathered and waits until it is on stderr. Code that prints to
// stderr other than through Qt's messages calls it first, or its text would come before
// trace lines printed earlier.
void flushTrace();
// Waits until the writer has written what it was given; lines still being gathered stay
// where they are.
void awaitTraceWriter();
// flushTrace() for the end of the program: every later line is written out at once, as
// no writer may be left waiting once the program exits.
void finishTrace();
// The same from a signal handler: the complete lines, without taking a lock (the signal
// may have come while one was held) and with only the calls a handler may make.
void writeOutTraceOnSignal();

// One trace line, formatted as qDebug(format, ...) formats it: with Qt's printf.
void traceLine(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

namespace TraceParts {
// The most bytes a part of a line can take.
inline qsizetype room(int)
{
    return 11;
}
template <size_t N> constexpr qsizetype room(const char (&)[N])
{
    return qsizetype(N - 1);
}
inline qsizetype room(const QString &text)
{
    return 2 * text.size();
}

// Each writes its part at `at` and returns where the part ends.
char *put(char *at, int value);
char *put(char *at, const QString &text);
template <size_t N> char *put(char *at, const char (&literal)[N])
{
    std::memcpy(at, literal, N - 1);
    return at + N - 1;
}

enum class Route { Off, Buffered, Logged };
Route route();
// Room for a line of `size` bytes in the current block, which stays locked until commit();
// null only when there is no memory for it.
char *reserve(qsizetype size);
void commit(char *end);
// A line that does not go into the buffer.
void print(Route route, const char *line, qsizetype size);
} // namespace TraceParts

// The lines of one load, save or sort. Where they go is decided once, when it is made.
class Tracer
{
public:
    // `wanted` false: no line at all, whatever the debug output is set to.
    explicit Tracer(bool wanted = true)
        : m_route(wanted ? TraceParts::route() : TraceParts::Route::Off)
    {}

    bool on() const { return m_route != TraceParts::Route::Off; }

    // A line made of string literals, ints and names, without printf: each part prints as
    // "%s", "%d" and "%s" of traceText() would print it. A name ends at its first U+0000,
    // where "%s" stops reading it.
    template <typename... Parts> void line(const Parts &...parts) const
    {
        using namespace TraceParts;
        if (m_route == Route::Off)
            return;
        const qsizetype size = (qsizetype(0) + ... + room(parts));
        if (m_route == Route::Buffered) {
            if (char *at = reserve(size)) {
                ((at = put(at, parts)), ...);
                commit(at);
                return;
            }
        }
        QByteArray text(size, Qt::Uninitialized);
        char *at = text.data();
        ((at = put(at, parts)), ...);
        print(m_route, text.constData(), at - text.constData());
    }

private:
    TraceParts::Route m_route;
};
