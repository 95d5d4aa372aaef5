#pragma once

#include <QHeaderView>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <Qt>
#include <functional>

class QDialog;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QShortcut;
class QSpacerItem;
class QTreeWidget;
class QWidget;

// Builders shared by every window of the program, so that each window's constructor
// lists its widgets and not the steps of making them.

// A title bar with a system menu and a close button, a dialog border, no minimise or
// maximise button: the decorations of every window of the program.
Qt::WindowFlags smeltworkWindowFlags();

// Modality, object name (the class name when the caller gives none), initial size and
// caption of a dialog.
void setUpDialog(QDialog *dialog, bool modal, const char *name, const char *className, int width,
                 int height, const QString &caption);

template <class Widget> Widget *makeNamed(QWidget *parent, const char *name)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text);
// A line edit that takes text of any length: what a file holds must survive Edit + OK.
QLineEdit *makeLineEdit(QWidget *parent, const char *name);
QPushButton *makeButton(QWidget *parent, const char *name, const QString &text);

// A layout with its spacing and (equal) margins; set on `owner` when one is given.
template <class Layout> Layout *makeLayout(int spacing, int margin, QWidget *owner = nullptr)
{
    auto *layout = new Layout(owner);
    layout->setSpacing(spacing);
    layout->setContentsMargins(margin, margin, margin, margin);
    return layout;
}

// A list of rows with `labels.size()` columns, sorted by `sortColumn`, whose last
// `hiddenColumns` columns carry what maps a row back to its record: the user never sees them,
// and the header cannot make them visible. The visible columns are sized as `sizing` says.
QTreeWidget *makeIndexedList(QWidget *parent, const char *name, const QStringList &labels,
                             int hiddenColumns, QHeaderView::ResizeMode sizing, int sortColumn);

// The 20 x 20 spacer that pushes buttons apart or keeps them centred.
QSpacerItem *makeExpandingSpacer();

// A titled box whose widgets stand in one row along its top; returns that row.
QHBoxLayout *makeTitledRow(QWidget *parent, const char *name, const QString &title,
                           QGroupBox *&box);

// The sunken box that holds everything of the small record and topic dialogs.
QFrame *makeMainFrame(QDialog *dialog);

// A key of a window: its name in the window's key list, the keys, and what they do.
struct WindowKey
{
    QString name;
    QList<QKeySequence> keys;
    std::function<void()> run;
};

// The keys of every window on a document: Undo, Redo and Save, in that order.
QList<WindowKey> documentKeys(const std::function<void()> &undo, const std::function<void()> &redo,
                              const std::function<void()> &save);
QList<QKeySequence> findKeys();
QList<QKeySequence> problemsKeys();
// Makes `keys` answer while `window` is the active window, and lists them as its tool tip,
// one line each: "Redo: Ctrl+Shift+Z; Ctrl+Y", which shows over the window's own background
// only, not over a widget in it. None holds Alt, so none can take the place of a label's or
// a button's mnemonic.
void addWindowKeys(QWidget *window, const QList<WindowKey> &keys);

// Gives `list` (an item view or a combo box) the actions on its records: Add (Insert), Edit
// (F2, and on an item view a double-click on a row) and Delete (Delete), each while the list
// has the focus, and a context menu (the right mouse button, the Menu key, Shift+F10) that
// offers them with their keys. No key holds Alt.
// `more` follows in the menu, after a line, each with its keys, also while the list has the
// focus.
void addRecordActions(QWidget *list, const std::function<void()> &add,
                      const std::function<void()> &edit, const std::function<void()> &remove,
                      const QList<WindowKey> &more = {});

// Moves `window`, not yet shown, beside `anchor` so that it leaves it in view: to its right,
// else to its left; where neither side has room, as far right as the screen allows.
void placeBeside(QWidget *window, const QWidget *anchor);
