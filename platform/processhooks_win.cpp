#include "platform/processhooks.h"
#include "platform/processhooks_p.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {

std::atomic<ProcessHooks *> hooks{nullptr};
std::atomic<int> pendingRequest{0};

// Hands the request to the thread that owns the windows, as the signal it stands for. A
// second one that comes while the first still waits for the event loop finds the program
// stuck, and ends it at once.
void request(int signal, bool endsAStuckProgram)
{
    ProcessHooks *target = hooks.load();
    if (!target)
        return;
    int none = 0;
    if (!pendingRequest.compare_exchange_strong(none, signal)) {
        if (endsAStuckProgram)
            std::_Exit(128 + signal);
        return;
    }
    QMetaObject::invokeMethod(
        target,
        [target] {
            if (const int signal = pendingRequest.exchange(0))
                emit target->terminationRequested(signal);
        },
        Qt::QueuedConnection);
}

// Runs on a thread that Windows starts for the event. After Ctrl+C and Ctrl+Break the
// program goes on by itself. Closing the console, a logoff or a shutdown end the process as
// soon as this returns, so it never returns: the process ends once its windows are closed
// and saved, or when Windows gives up waiting (5 s for a console, 20 s at shutdown).
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        request(SIGINT, true);
        return TRUE;
    case CTRL_BREAK_EVENT:
        request(SIGBREAK, true);
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (!hooks.load())
            return FALSE;
        request(SIGTERM, false);
        Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

// A logoff or shutdown asks each top-level window first. The program answers "not yet",
// with the reason Windows shows, and ends as closing its windows does; Windows goes on with
// the logoff once it is gone. Answering yes would leave no time to save: Windows may end the
// process as soon as WM_ENDSESSION has been handled. Every window is asked, so a question
// while the request waits is no second request.
class EndSessionFilter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *result) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (type != "windows_generic_MSG" || msg->message != WM_QUERYENDSESSION)
            return false;
        const QString reason =
            QCoreApplication::translate("ProcessHooks", "Saving the Smeltwork files");
        ShutdownBlockReasonCreate(msg->hwnd, reinterpret_cast<LPCWSTR>(reason.utf16()));
        request(SIGTERM, false);
        *result = FALSE;
        return true;
    }
};

EndSessionFilter endSession;

} // namespace

void installEndRequests(ProcessHooks *target)
{
    // A program of the window subsystem starts without a console. Started from one, it joins
    // it: Ctrl+C and closing the console then reach the handler, and the trace shows there
    // unless standard error already goes elsewhere.
    if (AttachConsole(ATTACH_PARENT_PROCESS) && _fileno(stderr) < 0)
        std::freopen("CONOUT$", "w", stderr);
    hooks = target;
    pendingRequest = 0;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installNativeEventFilter(&endSession);
}

void removeEndRequests()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(&endSession);
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    hooks = nullptr;
}
