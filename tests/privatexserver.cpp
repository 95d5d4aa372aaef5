#include "privatexserver.h"

#include <QtGlobal>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// Xlib after Qt: it defines macros such as Status and None.
#include <X11/Xlib.h>

namespace {

bool answers(const QByteArray &display)
{
    Display *connection = XOpenDisplay(display.constData());
    if (!connection)
        return false;
    XCloseDisplay(connection);
    return true;
}

} // namespace

PrivateXServer::PrivateXServer(bool ownServer)
{
    const QByteArray given = ownServer ? QByteArray() : qgetenv("DISPLAY");
    if (!given.isEmpty() && answers(given)) {
        m_display = given;
    } else {
        int fds[2];
        if (pipe(fds) != 0) {
            m_reason = "no pipe for Xvfb";
            return;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const QByteArray fd = QByteArray::number(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            m_reason = "cannot start a process";
            return;
        }
        m_pid = pid;
        // Xvfb writes its display number once it accepts connections.
        QByteArray number;
        pollfd wait{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number.append(c);
        close(fds[0]);
        if (number.isEmpty() || !answers(':' + number)) {
            m_reason = !given.isEmpty()
                           ? "DISPLAY " + given + " does not answer and Xvfb could not be started"
                       : ownServer ? QByteArray("Xvfb could not be started")
                                   : QByteArray("DISPLAY is not set and Xvfb could not be started");
            return;
        }
        m_display = ':' + number;
    }
    qputenv("DISPLAY", m_display);
    qputenv("QT_QPA_PLATFORM", "xcb");
}

PrivateXServer::~PrivateXServer()
{
    if (m_pid > 0) {
        kill(pid_t(m_pid), SIGTERM);
        waitpid(pid_t(m_pid), nullptr, 0);
    }
}

bool requestWindowClose(unsigned long window)
{
    Display *connection = XOpenDisplay(nullptr);
    if (!connection)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(connection, window, False, NoEventMask, &event) != 0;
    XCloseDisplay(connection); // flushes the message out
    return sent;
}
