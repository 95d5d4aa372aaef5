#include "help/tooltiprelay.h"

#include <QEvent>
#include <QToolTip>
#include <QWidget>

ToolTipRelay::ToolTipRelay(QObject *parent, const char *name) : QObject(parent)
{
    if (name)
        setObjectName(QLatin1String(name));
    m_tipWatch.setInterval(50);
    connect(&m_tipWatch, &QTimer::timeout, this, &ToolTipRelay::checkTipShown);
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
    // The button shows its tip once this filter has let the event through.
    if (event->type() == QEvent::ToolTip) {
        if (const auto found = m_longTexts.constFind(watched); found != m_longTexts.cend()) {
            emit showTip(*found);
            m_tipWatch.start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ToolTipRelay::checkTipShown()
{
    if (QToolTip::isVisible())
        return;
    m_tipWatch.stop();
    emit removeTip();
}
