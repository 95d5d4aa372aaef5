#pragma once

#include <QIcon>
#include <QPixmap>

// Two crossed tools, 32 x 32: the icon of every window of the program.
QPixmap applicationPixmap();
QIcon applicationIcon();
