#include "app/reqrow.h"

#include "data/editing.h"
#include "data/records.h"

namespace {

QStringList columnsOf(const Req &req, int position)
{
    const QString at = QString::number(position);
    if (req.type == 0)
        return {req.name, req.multiplier, idText(req.id), at};
    return {req.name, req.multiplier, at, QString()};
}

} // namespace

ReqRow::ReqRow(const Req &req, int position)
    : QTreeWidgetItem(columnsOf(req, position), Type), m_name(req.name), m_position(position)
{}

bool ReqRow::operator<(const QTreeWidgetItem &other) const
{
    if (other.type() != Type)
        return QTreeWidgetItem::operator<(other);
    return reqNameBefore(m_name, static_cast<const ReqRow &>(other).m_name);
}

int reqPosition(const QTreeWidgetItem *row)
{
    return row && row->type() == ReqRow::Type ? static_cast<const ReqRow *>(row)->position() : -1;
}
