#include "resources/toolpixmaps.h"

#include "buttons/bold.xpm"
#include "buttons/close.xpm"
#include "buttons/italic.xpm"
#include "buttons/redo.xpm"
#include "buttons/save.xpm"
#include "buttons/uline.xpm"
#include "buttons/undo.xpm"

QPixmap toolPixmap(ToolPicture picture)
{
    switch (picture) {
    case ToolPicture::Close:
        return QPixmap(close_xpm);
    case ToolPicture::Save:
        return QPixmap(save_xpm);
    case ToolPicture::Bold:
        return QPixmap(bold_xpm);
    case ToolPicture::Underline:
        return QPixmap(uline_xpm);
    case ToolPicture::Italic:
        return QPixmap(italic_xpm);
    case ToolPicture::Undo:
        return QPixmap(undo_xpm);
    case ToolPicture::Redo:
        return QPixmap(redo_xpm);
    }
    return QPixmap();
}
