#pragma once

#include <QIcon>
#include <QPixmap>

// Two crossed tools, 32 x 32: the icon of every window of the program.
QPixmap applicationPixmap();
QIcon applicationIcon();
// An icon with no picture. A window given it shows none, where a window given no icon at
// all would show its parent's.
QIcon noIcon();
