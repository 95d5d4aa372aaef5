#include "platform/processhooks.h"

#include "data/trace.h"
#include "platform/processhooks_p.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <cstdlib>

namespace {

ProcessHooks *current = nullptr;

// Registered once for the process; after the hooks have gone it only writes the trace out.
// The process ends once the trace is out, however slowly stderr takes it.
void atExit()
{
    if (current)
        emit current->exiting();
    finishTrace();
}

} // namespace

ProcessHooks *ProcessHooks::instance()
{
    return current;
}

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int TerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGQUIT};

// The actions the hooks replaced, by signal number.
struct sigaction previous[NSIG];
bool replaced[NSIG];

// The handlers may do next to nothing: a termination request is a byte that the event loop
// reads, with the signal's number beside it.
int wakeUp[2] = {-1, -1};
std::atomic<int> pendingRequest{0};

// Takes the course the signal would have taken without the hooks: a fault returns to the
// faulting instruction and faults again, a signal sent by a process or by abort() is raised
// once more (blocked in the handler: delivered as it returns).
void passOn(int signal, const siginfo_t *info)
{
    ::sigaction(signal, &previous[signal], nullptr);
    const bool fault =
        signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL;
    if (!fault || !info || info->si_code <= 0)
        ::raise(signal);
}

void onFatalSignal(int signal, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    writeOutTraceOnSignal();
    passOn(signal, info);
    errno = savedErrno;
}

void onTermination(int signal, siginfo_t *info, void *context)
{
    // A request the event loop has not taken yet: the program is stuck, and this one ends it.
    int none = 0;
    if (!pendingRequest.compare_exchange_strong(none, signal)) {
        onFatalSignal(signal, info, context);
        return;
    }
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &byte, 1);
    errno = savedErrno;
}

void take(int signal, void (*handler)(int, siginfo_t *, void *))
{
    struct sigaction old;
    if (::sigaction(signal, nullptr, &old) != 0 ||
        (!(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN))
        return;
    struct sigaction action = {};
    action.sa_sigaction = handler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    previous[signal] = old;
    replaced[signal] = ::sigaction(signal, &action, nullptr) == 0;
}

} // namespace

ProcessHooks::ProcessHooks(QObject *parent) : QObject(parent)
{
    current = this;
    static const bool registered = std::atexit(atExit) == 0;
    Q_UNUSED(registered);

    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    replaced[SIGPIPE] = ::sigaction(SIGPIPE, &ignore, &previous[SIGPIPE]) == 0;
    for (const int signal : FatalSignals)
        take(signal, onFatalSignal);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) != 0)
        return;
    m_notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const ssize_t read = ::read(wakeUp[0], &byte, 1);
        if (const int signal = pendingRequest.exchange(0))
            emit terminationRequested(signal);
    });
    for (const int signal : TerminationSignals)
        take(signal, onTermination);
}

ProcessHooks::~ProcessHooks()
{
    for (int signal = 1; signal < NSIG; ++signal) {
        if (std::exchange(replaced[signal], false))
            ::sigaction(signal, &previous[signal], nullptr);
    }
    delete m_notifier;
    for (int &end : wakeUp)
        ::close(std::exchange(end, -1));
    current = nullptr;
}

void ProcessHooks::endBySignal(int signal)
{
    flushTrace();
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

#else

ProcessHooks::ProcessHooks(QObject *parent) : QObject(parent)
{
    current = this;
    static const bool registered = std::atexit(atExit) == 0;
    Q_UNUSED(registered);
#ifdef Q_OS_WIN
    installEndRequests(this);
#endif
}

ProcessHooks::~ProcessHooks()
{
#ifdef Q_OS_WIN
    removeEndRequests();
#endif
    current = nullptr;
}

void ProcessHooks::endBySignal(int signal)
{
    flushTrace();
    std::_Exit(128 + signal);
}

#endif
