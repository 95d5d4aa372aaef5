#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QDebug;

// One requirement of a process: an item/tool (type 0) or a skill (any other type).
struct Req
{
    QString name;
    QString multiplier; // kept exactly as typed; never converted for storage
    qint8 type = 0;
    qint32 id = 0; // item-database number; skills carry 0
};

// One product that can be made, with the QL range it can be made at.
struct Proc
{
    QString name;
    quint8 maxQL = 0;
    quint8 minQL = 0;
    QList<Req> reqs;
};

struct ProcGroup
{
    QString name;
    QList<Proc> procs;
};

using CraftingData = QList<ProcGroup>;

// The most records one list can hold: the data file counts them in 16 bits.
constexpr qsizetype MaxListSize = 0xFFFF;

// A requirement is fixed when its multiplier does not read as a non-zero number.
bool isFixed(const Req &req);
// A process is special when it is made at one QL only.
bool isSpecial(const Proc &proc);

// Null and empty strings are different values in the file, so they differ here too.
bool sameText(const QString &a, const QString &b);
bool operator==(const Req &a, const Req &b);
bool operator==(const Proc &a, const Proc &b);
bool operator==(const ProcGroup &a, const ProcGroup &b);
inline bool operator!=(const Req &a, const Req &b)
{
    return !(a == b);
}
inline bool operator!=(const Proc &a, const Proc &b)
{
    return !(a == b);
}
inline bool operator!=(const ProcGroup &a, const ProcGroup &b)
{
    return !(a == b);
}

// Prints a text as the record printers do: a null one as null, unquoted.
void printText(QDebug &dbg, const QString &text);
QDebug operator<<(QDebug dbg, const Req &req);
QDebug operator<<(QDebug dbg, const Proc &proc);
QDebug operator<<(QDebug dbg, const ProcGroup &group);
