#include "app/namecombo.h"

#include "dialogs/wholetext.h"

#include <QHelpEvent>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolTip>
#include <algorithm>

NameCombo::NameCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
    // The entries are plain texts: a string list model takes a whole list in one reset,
    // where the default model makes an item object for each of up to 65,535 entries.
    setModel(new QStringListModel(this));
    // Never measure every entry to size the box: the layout gives it the room there is.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    setMaxVisibleItems(20);
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    // The list drops below the box (AdminStyle) and scrolls with a bar; Qt took the bar away
    // for the style in place as the box was made, which lays the list over the box instead.
    view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    showCutTextsAsTips(view());
}

void NameCombo::setEntries(const QStringList &entries)
{
    static_cast<QStringListModel *>(model())->setStringList(entries);
    m_widest = -1;
}

void NameCombo::showPopup()
{
    QComboBox::showPopup();
    QWidget *popup = view()->window();
    if (!popup->isVisible() || popup == window())
        return;
    if (m_widest < 0) {
        WidestText widest(view()->font());
        const QStringList entries = static_cast<QStringListModel *>(model())->stringList();
        for (const QString &entry : entries)
            widest.add(entry);
        m_widest = widest.width();
    }
    // The row's text and its margins, the frames, and the scroll bar when the list has one.
    const int scrollBar =
        count() > maxVisibleItems() ? view()->verticalScrollBar()->sizeHint().width() : 0;
    const int needed = m_widest + textMargins(view()) + 2 * view()->frameWidth() + scrollBar +
                       popup->width() - view()->width();
    if (needed <= popup->width())
        return;
    const QRect screen = popup->screen()->availableGeometry();
    QRect place = popup->geometry();
    place.setWidth(std::min(needed, screen.width()));
    if (place.right() > screen.right())
        place.moveRight(screen.right());
    popup->setGeometry(place);
}

bool NameCombo::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QComboBox::event(event);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The box draws its text a pixel in from either side of its field.
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (isCut(currentText(), font(), field.width() - 2))
        showWholeText(static_cast<QHelpEvent *>(event)->globalPos(), currentText(), this, rect());
    else
        QToolTip::hideText();
    return true;
}
