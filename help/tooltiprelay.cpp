#include "tooltiprelay.h"

#include <QEvent>
#include <QWidget>

ToolTipRelay::ToolTipRelay(QObject *parent, const char *name) : QObject(parent)
{
    if (name)
        setObjectName(QLatin1String(name));
}

void ToolTipRelay::add(QWidget *widget, const QString &tip, const QString &longText)
{
    widget->setToolTip(tip);
    m_longTexts.insert(widget, longText);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this](QObject *gone) { m_longTexts.remove(gone); });
}

bool ToolTipRelay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::ToolTip:
        // Shown at once on entering, and again with the tip in case something replaced it.
        if (const auto found = m_longTexts.constFind(watched); found != m_longTexts.cend())
            emit showTip(*found);
        break;
    case QEvent::Leave:
        if (m_longTexts.contains(watched))
            emit removeTip();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
