#pragma once

// Records in a line, a tree that exercises every corner of the data file and its trace, and
// Qt's own QDataStream as the reference encoder of that file.

#include "data/records.h"

#include <QDataStream>
#include <QDebug>
#include <QIODevice>

inline QString text(const char *utf8) // nullptr: a null string
{
    return utf8 ? QString::fromUtf8(utf8) : QString();
}
inline Req item(const char *name, const char *multiplier, qint32 id)
{
    return {text(name), text(multiplier), 0, id};
}
inline Req skill(const char *name, const char *multiplier, qint8 type = 1, qint32 id = 0)
{
    return {text(name), text(multiplier), type, id};
}
inline Proc proc(const char *name, QList<Req> reqs = {}, quint8 maxQL = 100, quint8 minQL = 1)
{
    return {text(name), maxQL, minQL, reqs};
}

// Group 0: a Latin-1 name, QL 200, a skill, id -1, a name outside Latin-1; group 1: null
// and empty strings; group 2: no processes. tests/data/sample-trace.txt is its trace.
inline CraftingData sampleTree()
{
    return {{text("St\u00e4hlerne \u00c4xte"),
             {proc("Axt", {item("Hammer", "1", 1234), skill("Schmieden", "0.5")}, 200, 1),
              proc("Beil \u2713", {item(nullptr, "", -1)}, 120, 120)}},
            {QString(), {proc("", {}, 0, 0)}},
            {text("Leer"), {}}};
}

// Ores: Ingot mixes items and skills (Mining with an odd type and id as a file may hold them),
// Dust has QL 0; Wood: Bar is special, Plank's multipliers read as 0; Empty has no process.
inline CraftingData forge()
{
    return {{"Ores",
             {proc("Ingot", {item("Hammer", "1", 1234), skill("Smithing", "2"),
                             item("Anvil", "0", -5), skill("Mining", "0.5", 5, 42)}),
              proc("Dust", {}, 10, 0)}},
            {"Wood", {proc("Bar", {}, 120, 120), proc("Plank", {item("Glue", "lots", 3)}, 50, 10)}},
            {"Empty", {}}};
}

// Names only: "A(P[r s] Q) B", a null name as "~"; a list of 100 records or more by its size.
inline QString shape(const CraftingData &data)
{
    const auto name = [](const QString &n) { return n.isNull() ? QStringLiteral("~") : n; };
    if (data.size() >= 100)
        return QString::number(data.size());
    QStringList groups;
    for (const ProcGroup &g : data) {
        QStringList procs;
        for (const Proc &p : g.procs) {
            QStringList reqs;
            for (const Req &r : p.reqs)
                reqs << name(r.name);
            if (reqs.size() >= 100)
                reqs = QStringList{QString::number(reqs.size())};
            procs << name(p.name) + (reqs.isEmpty() ? "" : '[' + reqs.join(' ') + ']');
        }
        groups << name(g.name) + (procs.isEmpty() ? "" : '(' + procs.join(' ') + ')');
    }
    return groups.join(' ');
}

// QDataStream's encoding of these types has never changed between its versions.
inline QByteArray encodeWithQDataStream(const CraftingData &data)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
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

inline char *toString(const CraftingData &data) // failing comparisons of trees show them
{
    QString shown;
    QDebug(&shown) << data;
    return qstrdup(qPrintable(shown.left(600)));
}
