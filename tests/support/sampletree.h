#pragma once

// A small crafting tree that exercises every corner of the format and the trace, and an
// encoder built on Qt's own QDataStream that the data file's bytes are checked against.

#include "records.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

// QStringLiteral("") is empty but not null; the format keeps the two apart.
inline QString emptyText()
{
    return QStringLiteral("");
}

// Group 0 has a Latin-1 name, a QL of 200, a skill, an id of -1 and a name outside
// Latin-1; group 1 is all null and empty strings; group 2 has no processes.
inline CraftingData sampleTree()
{
    const Req hammer{QStringLiteral("Hammer"), QStringLiteral("1"), 0, 1234};
    const Req forging{QStringLiteral("Schmieden"), QStringLiteral("0.5"), 1, 0};
    const Req unknown{QString(), emptyText(), 0, -1};
    const Proc axe{QStringLiteral("Axt"), 200, 1, {hammer, forging}};
    const Proc hatchet{QString::fromUtf8("Beil \u2713"), 120, 120, {unknown}};
    const Proc blank{emptyText(), 0, 0, {}};
    return {ProcGroup{QString::fromUtf8("St\u00e4hlerne \u00c4xte"), {axe, hatchet}},
            ProcGroup{QString(), {blank}}, ProcGroup{QStringLiteral("Leer"), {}}};
}

// The tree as Qt's QDataStream writes it with its default settings, field by field.
inline QByteArray encodeWithQDataStream(const CraftingData &data)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_0); // any version: these types never changed
    out << quint32(0x2AE510A4) << quint16(data.size());
    for (const ProcGroup &g : data) {
        out << g.name << quint16(g.procs.size());
        for (const Proc &p : g.procs) {
            out << p.name << p.maxQL << p.minQL << quint16(p.reqs.size());
            for (const Req &r : p.reqs)
                out << r.name << r.multiplier << r.type << r.id;
        }
    }
    return bytes;
}

// Reads bytes back with QDataStream; `ok` is false when the stream ran short or the
// magic is wrong.
inline CraftingData decodeWithQDataStream(const QByteArray &bytes, bool &ok)
{
    CraftingData data;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_0);
    quint32 magic = 0;
    quint16 groups = 0;
    in >> magic >> groups;
    ok = magic == 0x2AE510A4;
    for (int i = 0; ok && i < groups && in.status() == QDataStream::Ok; ++i) {
        ProcGroup g;
        quint16 procs = 0;
        in >> g.name >> procs;
        for (int j = 0; j < procs && in.status() == QDataStream::Ok; ++j) {
            Proc p;
            quint16 reqs = 0;
            in >> p.name >> p.maxQL >> p.minQL >> reqs;
            for (int k = 0; k < reqs && in.status() == QDataStream::Ok; ++k) {
                Req r;
                in >> r.name >> r.multiplier >> r.type >> r.id;
                p.reqs.append(r);
            }
            g.procs.append(p);
        }
        data.append(g);
    }
    ok = ok && in.status() == QDataStream::Ok && in.atEnd();
    return data;
}
