#pragma once

#include <QTreeWidgetItem>

struct Req;

// The rows of the requirement lists. Columns 0 and 1 show the name and the multiplier; the
// two hidden ones carry what maps a row back to its record: an item/tool row has its id
// (unsigned) and then its position in the process's requirements, a skill row the position
// and then nothing.
enum ReqColumn { NameColumn, MultiplierColumn, HiddenColumnA, HiddenColumnB };

class ReqRow : public QTreeWidgetItem
{
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    ReqRow(const Req &req, int position);

    int position() const { return m_position; }

    // Rows sort by name as the user's language sorts, and only by name: the lists are never
    // sorted by another column.
    bool operator<(const QTreeWidgetItem &other) const override;

private:
    QString m_name; // shared with the column's text; a QVariant copy per comparison is slow
    int m_position;
};

// The position in the process's requirements of a row of either list, or -1 for no row.
int reqPosition(const QTreeWidgetItem *row);
