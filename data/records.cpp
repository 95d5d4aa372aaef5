#include "data/records.h"

#include <QDebug>

bool isFixed(const Req &req)
{
    return req.multiplier.toDouble() == 0.0;
}

bool isSpecial(const Proc &proc)
{
    return proc.maxQL == proc.minQL;
}

bool sameText(const QString &a, const QString &b)
{
    return a.isNull() == b.isNull() && a == b;
}

bool operator==(const Req &a, const Req &b)
{
    return sameText(a.name, b.name) && sameText(a.multiplier, b.multiplier) && a.type == b.type &&
           a.id == b.id;
}

bool operator==(const Proc &a, const Proc &b)
{
    return sameText(a.name, b.name) && a.maxQL == b.maxQL && a.minQL == b.minQL && a.reqs == b.reqs;
}

bool operator==(const ProcGroup &a, const ProcGroup &b)
{
    return sameText(a.name, b.name) && a.procs == b.procs;
}

void printText(QDebug &dbg, const QString &text)
{
    if (text.isNull())
        dbg << "null";
    else
        dbg << text;
}

QDebug operator<<(QDebug dbg, const Req &req)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "Req(";
    printText(dbg, req.name);
    dbg << ", x";
    printText(dbg, req.multiplier);
    dbg << ", t=" << int(req.type) << ", id=" << req.id << ')';
    return dbg;
}

QDebug operator<<(QDebug dbg, const Proc &proc)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "Proc(";
    printText(dbg, proc.name);
    dbg << ", QL " << int(proc.minQL) << '-' << int(proc.maxQL) << ", " << proc.reqs << ')';
    return dbg;
}

QDebug operator<<(QDebug dbg, const ProcGroup &group)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "ProcGroup(";
    printText(dbg, group.name);
    dbg << ", " << group.procs << ')';
    return dbg;
}
