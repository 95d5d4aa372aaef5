#include "dialogs/dialogkit.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpacerItem>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

Qt::WindowFlags smeltworkWindowFlags()
{
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

void setUpDialog(QDialog *dialog, bool modal, const char *name, const char *className, int width,
                 int height, const QString &caption)
{
    dialog->setModal(modal);
    dialog->setObjectName(QString::fromLatin1(name ? name : className));
    dialog->resize(width, height);
    dialog->setWindowTitle(caption);
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = makeNamed<QLabel>(parent, name);
    label->setText(text);
    return label;
}

QLineEdit *makeLineEdit(QWidget *parent, const char *name)
{
    auto *edit = makeNamed<QLineEdit>(parent, name);
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = makeNamed<QPushButton>(parent, name);
    button->setText(text);
    return button;
}

QTreeWidget *makeIndexedList(QWidget *parent, const char *name, const QStringList &labels,
                             int hiddenColumns, QHeaderView::ResizeMode sizing, int sortColumn)
{
    auto *list = makeNamed<QTreeWidget>(parent, name);
    list->setColumnCount(int(labels.size()));
    list->setHeaderLabels(labels);
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    const int visible = int(labels.size()) - hiddenColumns;
    for (int column = 0; column < labels.size(); ++column) {
        header->setSectionResizeMode(column, column < visible ? sizing : QHeaderView::Fixed);
        if (column >= visible) {
            header->resizeSection(column, 0);
            list->setColumnHidden(column, true);
        }
    }
    list->setAllColumnsShowFocus(true);
    list->setUniformRowHeights(true);
    list->setSortingEnabled(true);
    list->sortByColumn(sortColumn, Qt::AscendingOrder);
    return list;
}

QSpacerItem *makeExpandingSpacer()
{
    return new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
}

QFrame *makeMainFrame(QDialog *dialog)
{
    auto *frame = makeNamed<QFrame>(dialog, "MainFrame");
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

QHBoxLayout *makeTitledRow(QWidget *parent, const char *name, const QString &title, QGroupBox *&box)
{
    box = makeNamed<QGroupBox>(parent, name);
    box->setTitle(title);
    auto *column = makeLayout<QVBoxLayout>(0, 0, box);
    auto *row = makeLayout<QHBoxLayout>(6, 11);
    row->setAlignment(Qt::AlignTop);
    column->addLayout(row);
    return row;
}

namespace {

class SmeltworkKeys
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkKeys)
};

// Lets a window's tool tip show over the window's own background, not over a widget that
// has no tip of its own and passes the question on: a list's row or a button says nothing
// about the window's keys.
class BackgroundTip : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::ToolTip &&
            window->childAt(static_cast<QHelpEvent *>(event)->pos())) {
            QToolTip::hideText();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Where the keyboard's context menu of `list` opens: at its current row, or over the box.
QPoint menuPlace(QWidget *list)
{
    if (auto *view = qobject_cast<QAbstractItemView *>(list)) {
        const QRect row = view->visualRect(view->currentIndex());
        if (row.isValid())
            return view->viewport()->mapTo(list, row.bottomLeft());
    }
    return list->rect().bottomLeft();
}

} // namespace

QList<WindowKey> documentKeys(const std::function<void()> &undo, const std::function<void()> &redo,
                              const std::function<void()> &save)
{
    return {{SmeltworkKeys::tr("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)}, undo},
            {SmeltworkKeys::tr("Redo"),
             {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
             redo},
            {SmeltworkKeys::tr("Save"), {QKeySequence(Qt::CTRL | Qt::Key_S)}, save}};
}

QList<QKeySequence> findKeys()
{
    return {QKeySequence(Qt::CTRL | Qt::Key_F)};
}

QList<QKeySequence> problemsKeys()
{
    return {QKeySequence(Qt::Key_F8)};
}

void addWindowKeys(QWidget *window, const QList<WindowKey> &keys)
{
    QStringList lines;
    for (const WindowKey &key : keys) {
        auto *shortcut = new QShortcut(window);
        shortcut->setKeys(key.keys);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, key.run);
        lines << key.name + QStringLiteral(": ") +
                     QKeySequence::listToString(key.keys, QKeySequence::NativeText);
    }
    window->setToolTip(lines.join(u'\n'));
    window->installEventFilter(new BackgroundTip(window));
}

void addRecordActions(QWidget *list, const std::function<void()> &add,
                      const std::function<void()> &edit, const std::function<void()> &remove,
                      const QList<WindowKey> &more)
{
    QList<WindowKey> actions{
        {SmeltworkKeys::tr("&Add..."), {QKeySequence(Qt::Key_Insert)}, add},
        {SmeltworkKeys::tr("&Edit..."), {QKeySequence(Qt::Key_F2)}, edit},
        {SmeltworkKeys::tr("&Delete..."), {QKeySequence(Qt::Key_Delete)}, remove}};
    if (!more.isEmpty())
        actions << WindowKey{} << more; // a line between
    for (const WindowKey &action : actions) {
        auto *made = new QAction(action.name, list);
        made->setSeparator(!action.run);
        made->setShortcuts(action.keys);
        made->setShortcutContext(Qt::WidgetShortcut);
        made->setShortcutVisibleInContextMenu(true);
        if (action.run)
            QObject::connect(made, &QAction::triggered, list, action.run);
        list->addAction(made);
    }
    // Qt opens the menu of the actions for the right mouse button and the Menu key;
    // Shift+F10, the other key for it, asks as the Menu key does.
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), list);
    menuKey->setContext(Qt::WidgetShortcut);
    QObject::connect(menuKey, &QShortcut::activated, list, [list] {
        const QPoint at = menuPlace(list);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, list->mapToGlobal(at));
        QCoreApplication::sendEvent(list, &event);
    });
    if (auto *view = qobject_cast<QAbstractItemView *>(list))
        QObject::connect(view, &QAbstractItemView::doubleClicked, list, edit);
}

void placeBeside(QWidget *window, const QWidget *anchor)
{
    constexpr int Gap = 8;
    const QRect screen = anchor->screen()->availableGeometry();
    const QRect beside = anchor->frameGeometry();
    const int width = window->width();
    int x = beside.right() + 1 + Gap;
    if (x + width > screen.right() + 1 && beside.left() - Gap - width >= screen.left())
        x = beside.left() - Gap - width;
    x = std::max(screen.left(), std::min(x, screen.right() + 1 - width));
    const int y =
        std::max(screen.top(), std::min(beside.top(), screen.bottom() + 1 - window->height()));
    window->move(x, y);
}
