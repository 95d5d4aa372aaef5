#pragma once

// Whether the window system has Caps Lock and Num Lock switched on. Where it cannot be
// asked (the offscreen platform, Wayland without X), both read as off.
bool isCapsLockOn();
bool isNumLockOn();
