#include "resources/appicon.h"

#include "appicon.xpm"

QPixmap applicationPixmap()
{
    return QPixmap(appicon_xpm);
}

QIcon applicationIcon()
{
    return QIcon(applicationPixmap());
}
