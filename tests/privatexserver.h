#pragma once

#include <QByteArray>

// Makes sure an X server is there for the tests that need one: the one DISPLAY names when
// it answers, or else a private Xvfb (started with -noreset, so lock states survive the
// test's own connections coming and going), which is stopped again with this object.
// Call before the application object exists; it sets DISPLAY and QT_QPA_PLATFORM.
// With `ownServer` it always starts its own Xvfb, whose focus and lock states no other
// test shares.
class PrivateXServer
{
public:
    explicit PrivateXServer(bool ownServer = false);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;

    bool available() const { return !m_display.isEmpty(); }
    // Why there is no X server, for the skip message.
    QByteArray reason() const { return m_reason; }

private:
    QByteArray m_display;
    QByteArray m_reason;
    long m_pid = 0;
};

// Asks `window` to close as a window manager does when its close button is clicked: a
// WM_DELETE_WINDOW message, which the program may act on as it likes. (xdotool's
// windowclose destroys the window instead, which no user can do.)
bool requestWindowClose(unsigned long window);
