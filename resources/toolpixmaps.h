#pragma once

#include <QPixmap>

// The 16 x 16 pictures of the body editor's tool buttons (drawn by tools/make_buttons.py).
enum class ToolPicture { Close, Save, Bold, Underline, Italic, Undo, Redo };

QPixmap toolPixmap(ToolPicture picture);
