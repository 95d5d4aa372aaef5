#include "resources/appicon.h"

#include "appicon.xpm"

#include <QIconEngine>

namespace {

class NoPicture : public QIconEngine
{
public:
    void paint(QPainter *, const QRect &, QIcon::Mode, QIcon::State) override {}
    QPixmap pixmap(const QSize &, QIcon::Mode, QIcon::State) override { return {}; }
    QIconEngine *clone() const override { return new NoPicture; }
};

} // namespace

QPixmap applicationPixmap()
{
    return QPixmap(appicon_xpm);
}

QIcon applicationIcon()
{
    return QIcon(applicationPixmap());
}

QIcon noIcon()
{
    return QIcon(new NoPicture);
}
