#include "data/craftingfile.h"

#include "data/datastream.h"
#include "data/textpool.h"
#include "data/trace.h"

#include <QIODevice>

namespace {

// The load and save traces print the same lines; keeping them here keeps them equal.
struct Trace
{
    explicit Trace(bool wanted = true) : out(wanted) {}
    const Tracer out;

    bool on() const { return out.on(); }
    void groups(int count) const
    {
        if (on())
            out.line("Groups: ", count);
    }
    void group(int i, const QString &name) const
    {
        if (on())
            out.line("* Group #", i, ": ", name);
    }
    void procCount(int count) const
    {
        if (on())
            out.line("  + Procs: ", count);
    }
    void proc(int j, const QString &name) const
    {
        if (on())
            out.line("    * Proc #", j, ": ", name);
    }
    void qls(const Proc &p) const
    {
        if (on())
            out.line("      (Max QL: ", int(p.maxQL), ", Min QL: ", int(p.minQL), ")");
    }
    void reqCount(int count) const
    {
        if (on())
            out.line("      + Reqs: ", count);
    }
    void req(int k, const Req &r) const
    {
        if (on())
            out.line("        * Req #", k, ": ", r.name, " - x", r.multiplier,
                     " (t=", int(quint8(r.type)), ") (id=", int(r.id), ")");
    }
};

// Smallest encoded sizes, used only to keep a hostile count from reserving memory that the
// remaining bytes could never fill.
constexpr qsizetype MinGroupBytes = 4 + 2;
constexpr qsizetype MinProcBytes = 4 + 1 + 1 + 2;
constexpr qsizetype MinReqBytes = 4 + 4 + 1 + 4;

qsizetype plausible(quint16 count, const StreamReader &in, qsizetype minBytes)
{
    return qMin<qsizetype>(count, in.remaining() / minBytes);
}

bool readReq(StreamReader &in, TextPool &texts, Req &r)
{
    return in.readString(r.name, &texts) && in.readString(r.multiplier, &texts) &&
           in.readI8(r.type) && in.readI32(r.id);
}

// Reads one process into `p`. Returns false at the first fault; `started` tells the caller
// whether the process's own fields were read, so it can be kept with what it holds so far.
bool readProc(StreamReader &in, TextPool &texts, const Trace &trace, int j, Proc &p, bool &started,
              int &reqs)
{
    if (!in.readString(p.name, &texts))
        return false;
    trace.proc(j, p.name);
    if (!in.readU8(p.maxQL) || !in.readU8(p.minQL))
        return false;
    trace.qls(p);
    started = true;
    quint16 count = 0;
    if (!in.readU16(count))
        return false;
    trace.reqCount(count);
    p.reqs.reserve(plausible(count, in, MinReqBytes));
    for (int k = 0; k < count; ++k) {
        Req r;
        if (!readReq(in, texts, r))
            return false;
        trace.req(k, r);
        p.reqs.append(std::move(r));
        ++reqs;
    }
    return true;
}

} // namespace

FileReport readCraftingData(QByteArrayView bytes, CraftingData &data)
{
    FileReport report;
    StreamReader in(bytes);
    quint32 magic = 0;
    if (!in.readU32(magic) || magic != CraftingMagic) {
        report.status = LoadStatus::BadMagic;
        return report;
    }

    const Trace trace;
    // Names and multipliers repeat all over a real tree: equal texts share one string.
    report.texts = std::make_shared<TextPool>();
    TextPool &texts = *report.texts;
    quint16 groupCount = 0;
    bool intact = in.readU16(groupCount);
    if (intact) {
        trace.groups(groupCount);
        data.reserve(data.size() + plausible(groupCount, in, MinGroupBytes));
    }
    for (int i = 0; intact && i < groupCount; ++i) {
        ProcGroup g;
        if (!in.readString(g.name, &texts)) {
            intact = false;
            break;
        }
        trace.group(i, g.name);
        quint16 procCount = 0;
        intact = in.readU16(procCount);
        if (intact) {
            trace.procCount(procCount);
            g.procs.reserve(plausible(procCount, in, MinProcBytes));
        }
        for (int j = 0; intact && j < procCount; ++j) {
            Proc p;
            bool started = false;
            intact = readProc(in, texts, trace, j, p, started, report.reqs);
            if (started) {
                g.procs.append(std::move(p));
                ++report.procs;
            }
        }
        data.append(std::move(g));
        ++report.groups;
    }

    if (!intact) {
        report.status = LoadStatus::Damaged;
        report.damagedAt = in.position();
        return report;
    }
    if (trace.on())
        trace.out.line("Finished loading data file");
    report.status = LoadStatus::Loaded;
    report.trailing = in.remaining();
    return report;
}

bool writeCraftingData(QIODevice &device, const CraftingData &data, bool traced)
{
    const Trace trace(traced);
    if (trace.on())
        trace.out.line("Saving data file...");
    // The bytes go out in chunks: a buffer the size of a large file costs a page fault for
    // every 4 KB of it, while a small one stays in the cache and is reused.
    constexpr qsizetype ChunkSize = 64 * 1024;
    QByteArray bytes;
    bytes.reserve(ChunkSize + 1024);
    bool written = true;
    auto writeOut = [&bytes, &device, &written](qsizetype atLeast) {
        if (bytes.size() < atLeast)
            return;
        written = written && device.write(bytes) == bytes.size();
        bytes.resize(0);
    };
    StreamWriter out(bytes);
    out.writeU32(CraftingMagic);
    trace.groups(int(data.size()));
    out.writeU16(quint16(data.size()));
    for (int i = 0; i < data.size(); ++i) {
        const ProcGroup &g = data.at(i);
        trace.group(i, g.name);
        out.writeString(g.name);
        trace.procCount(int(g.procs.size()));
        out.writeU16(quint16(g.procs.size()));
        for (int j = 0; j < g.procs.size(); ++j) {
            const Proc &p = g.procs.at(j);
            trace.proc(j, p.name);
            out.writeString(p.name);
            trace.qls(p);
            out.writeU8(p.maxQL);
            out.writeU8(p.minQL);
            trace.reqCount(int(p.reqs.size()));
            out.writeU16(quint16(p.reqs.size()));
            for (int k = 0; k < p.reqs.size(); ++k) {
                const Req &r = p.reqs.at(k);
                trace.req(k, r);
                out.writeString(r.name);
                out.writeString(r.multiplier);
                out.writeI8(r.type);
                out.writeI32(r.id);
                writeOut(ChunkSize);
            }
            writeOut(ChunkSize);
        }
        writeOut(ChunkSize);
    }
    writeOut(0);
    return written;
}
