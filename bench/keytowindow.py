#!/usr/bin/env python3
"""Presses keys as a user would and times the last one until a window appears.

Usage: keytowindow.py KEY...

Each KEY is a keysym name ("Tab", "space", "Down") or modifiers and a keysym joined by "+"
("ctrl+f"), sent through the X server's XTest extension to the focused window, a third of a
second apart. After the last one, waits (at most 10 s) until a new window is mapped on the
screen, and prints the milliseconds from the key to the map, and the window's name.

The timing is the X server's own: the key and the map are events of one connection, so no
process has to start or poll in between (as with xdotool, whose every call starts a process).
It needs only libX11 and libXtst, which xdotool brings, through ctypes.
"""
import ctypes
import select
import sys
import time

X = ctypes.cdll.LoadLibrary("libX11.so.6")
XTEST = ctypes.cdll.LoadLibrary("libXtst.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
X.XStringToKeysym.restype = ctypes.c_ulong
X.XStringToKeysym.argtypes = [ctypes.c_char_p]
X.XKeysymToKeycode.restype = ctypes.c_ubyte
X.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
X.XFlush.argtypes = [ctypes.c_void_p]
X.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
X.XPending.argtypes = [ctypes.c_void_p]
X.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
X.XConnectionNumber.argtypes = [ctypes.c_void_p]
X.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
XTEST.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
MODIFIERS = {"ctrl": "Control_L", "alt": "Alt_L", "shift": "Shift_L"}


def main():
    keys = sys.argv[1:]
    if not keys:
        sys.exit("usage: keytowindow.py KEY...")
    display = X.XOpenDisplay(None)
    if not display:
        sys.exit("keytowindow.py: no X display")
    X.XSelectInput(display, X.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    event = (ctypes.c_long * 24)()

    def code(name):
        return X.XKeysymToKeycode(display, X.XStringToKeysym(name.encode()))

    def press(key):
        parts = key.split("+")
        held = [code(MODIFIERS[m]) for m in parts[:-1]]
        for c in held:
            XTEST.XTestFakeKeyEvent(display, c, 1, 0)
        XTEST.XTestFakeKeyEvent(display, code(parts[-1]), 1, 0)
        XTEST.XTestFakeKeyEvent(display, code(parts[-1]), 0, 0)
        for c in reversed(held):
            XTEST.XTestFakeKeyEvent(display, c, 0, 0)
        X.XSync(display, 0)

    for key in keys[:-1]:
        press(key)
        time.sleep(0.33)
    while X.XPending(display):
        X.XNextEvent(display, event)
    start = time.monotonic()
    press(keys[-1])
    fd = X.XConnectionNumber(display)
    while time.monotonic() - start < 10:
        if not X.XPending(display):
            select.select([fd], [], [], 0.1)
            continue
        X.XNextEvent(display, event)
        if ctypes.cast(event, ctypes.POINTER(ctypes.c_int))[0] != MAP_NOTIFY:
            continue
        ms = (time.monotonic() - start) * 1000
        name = ctypes.c_char_p()
        X.XFetchName(display, ctypes.c_ulong(event[5]), ctypes.byref(name))
        print("%.1f %s" % (ms, (name.value or b"").decode("utf-8", "replace")))
        return
    sys.exit("keytowindow.py: no window appeared")


if __name__ == "__main__":
    main()
