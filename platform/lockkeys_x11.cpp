#include "platform/lockkeys_p.h"

#include <QGuiApplication>

// Xlib after Qt: it defines macros such as Status, Bool and None that clash with Qt names.
#include <X11/XKBlib.h>
#include <X11/keysym.h>

static Display *x11Display()
{
#if QT_CONFIG(xcb)
    if (auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->display();
#endif
    return nullptr;
}

bool queryLockKey(LockKey key)
{
    Display *display = x11Display();
    if (!display)
        return false;
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return false;
    unsigned int mask = LockMask;
    if (key == LockKey::NumLock) {
        // Num Lock is a virtual modifier; ask which real one it is bound to.
        mask = XkbKeysymToModifiers(display, XK_Num_Lock);
        if (mask == 0)
            mask = Mod2Mask;
    }
    return (state.locked_mods & mask) != 0;
}
