// Writes the seed corpus of the two fuzz targets: valid files of several shapes, made with
// the project's own writers, then cut short, given foreign magics, impossible lengths and
// counts, and trailing bytes. Usage: make_seeds <folder>; the seeds go into
// <folder>/craftingdata and <folder>/helptopics.
#include "data/smeltfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QtEndian>
#include <cstdio>

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

QByteArray encoded(const CraftingData &tree)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, tree);
    return bytes;
}

QByteArray encoded(const HelpTopics &topics)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeHelpTopics(buffer, topics);
    return bytes;
}

// The example of the file layout: one group, one process, one item/tool.
CraftingData oresTree()
{
    const Req hammer{text("Hammer"), text("1"), 0, 1234};
    return {ProcGroup{text("Ores"), {Proc{text("Ingot"), 100, 1, {hammer}}}}};
}

// Every kind of value: null and empty names, skills, negative ids, QLs above 127,
// non-Latin-1 names, a process with no requirements and a group with no processes.
CraftingData mixedTree()
{
    const Req skill{text("Smithing"), text("1.5"), 1, 0};
    const Req nullNames{QString(), QString(), 0, -1};
    const Req emptyNames{QStringLiteral(""), QStringLiteral(""), 0, 0};
    const Req wide{QStringLiteral("St\u00e4hlerne \u00c4xte \u2692"), text("x2"), 7, 0x7FFFFFFF};
    CraftingData tree;
    tree.append(
        ProcGroup{text("Metal"),
                  {Proc{text("Bar"), 200, 200, {skill, nullNames}}, Proc{text("Sheet"), 255, 0, {}},
                   Proc{QString(), 10, 20, {emptyNames, wide}}}});
    tree.append(ProcGroup{QString(), {}});
    tree.append(ProcGroup{QStringLiteral(""), {Proc{QStringLiteral(""), 1, 1, {skill}}}});
    return tree;
}

// Several groups of several processes, each with a few requirements.
CraftingData wideTree()
{
    CraftingData tree;
    for (int g = 0; g < 4; ++g) {
        ProcGroup group{text("Group ") + QString::number(g), {}};
        for (int p = 0; p < 3; ++p) {
            Proc proc{text("Proc ") + QString::number(p), quint8(10 * p + 5), quint8(p), {}};
            for (int r = 0; r < 3; ++r)
                proc.reqs.append(Req{text("R") + QString::number(r), QString::number(r),
                                     qint8(r % 2), g * 100 + r});
            group.procs.append(proc);
        }
        tree.append(group);
    }
    return tree;
}

HelpTopics introTopics()
{
    return {HelpTopic{text("1"), text("Intro"), QString()}};
}

HelpTopics mixedTopics()
{
    return {
        HelpTopic{text("1"), text("Getting started"), text("<b>Welcome</b><br>Pick a group.")},
        HelpTopic{text("1.1"), text("Groups"), text("<i>Groups</i> hold processes.")},
        HelpTopic{text("HLP_"), QStringLiteral(""), QStringLiteral("")},
        HelpTopic{QString(), QString(), QString()},
        HelpTopic{text("-1.5"), QStringLiteral("\u00dcbersicht \u2692"), text("<u>x</u>")},
    };
}

QByteArray withMagic(QByteArray bytes, quint32 magic)
{
    qToBigEndian(magic, bytes.data());
    return bytes;
}

// A count field set far beyond what follows it.
QByteArray withCountAt(QByteArray bytes, int at, quint16 count)
{
    qToBigEndian(count, bytes.data() + at);
    return bytes;
}

// Cuts of a file: inside the magic, inside the count, and at several points of the records.
QList<QByteArray> cuts(const QByteArray &bytes)
{
    QList<QByteArray> out;
    for (qsizetype at : {qsizetype(2), qsizetype(5), qsizetype(9), bytes.size() / 3,
                         bytes.size() / 2, bytes.size() - 1})
        if (at > 0 && at < bytes.size())
            out.append(bytes.left(at));
    return out;
}

class SeedFolder
{
public:
    explicit SeedFolder(const QString &path) : m_dir(path) { QDir().mkpath(path); }

    void add(const char *name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(QString::fromLatin1(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    }
    void addCuts(const char *name, const QByteArray &bytes)
    {
        int n = 0;
        for (const QByteArray &cut : cuts(bytes))
            add(qPrintable(QString::fromLatin1("%1-cut-%2").arg(QLatin1String(name)).arg(++n)),
                cut);
    }

private:
    QDir m_dir;
};

void writeCraftingSeeds(SeedFolder seeds)
{
    const QByteArray empty = encoded(CraftingData());
    const QByteArray ores = encoded(oresTree());
    const QByteArray mixed = encoded(mixedTree());
    const QByteArray wide = encoded(wideTree());
    seeds.add("empty-tree", empty);
    seeds.add("ores", ores);
    seeds.add("mixed", mixed);
    seeds.add("wide", wide);
    seeds.add("ores-trailing-bytes", ores + QByteArray("\x00\x01\xff\xfe", 4));
    seeds.addCuts("mixed", mixed);
    seeds.addCuts("wide", wide);
    seeds.add("nothing", QByteArray());
    seeds.add("magic-swapped", withMagic(ores, 0xA410E52A));
    seeds.add("magic-of-help-file", withMagic(ores, HelpMagic));
    seeds.add("group-count-too-large", withCountAt(ores, 4, 0xFFFF));
    seeds.add("group-count-high-bit", withCountAt(empty + QByteArray(8, '\0'), 4, 0x8000));
    // Byte 18 of the example is the group's process count, byte 36 the process's
    // requirement count.
    seeds.add("proc-count-too-large", withCountAt(ores, 18, 0xFFFF));
    seeds.add("req-count-too-large", withCountAt(ores, 36, 0xFFFF));
    QByteArray oddLength = ores;
    qToBigEndian(quint32(7), oddLength.data() + 6);
    seeds.add("name-length-odd", oddLength);
    QByteArray hugeLength = ores;
    qToBigEndian(quint32(0xFFFFFFFE), hugeLength.data() + 6);
    seeds.add("name-length-huge", hugeLength);
}

void writeHelpSeeds(SeedFolder seeds)
{
    const QByteArray empty = encoded(HelpTopics());
    const QByteArray intro = encoded(introTopics());
    const QByteArray mixed = encoded(mixedTopics());
    seeds.add("no-topics", empty);
    seeds.add("intro", intro);
    seeds.add("mixed", mixed);
    seeds.add("intro-trailing-bytes", intro + QByteArray("\x00\x00\x00\x02\x00", 5));
    seeds.addCuts("mixed", mixed);
    seeds.add("nothing", QByteArray());
    seeds.add("magic-of-data-file", encoded(oresTree()));
    seeds.add("magic-swapped", withMagic(intro, 0x3D14A7E9));
    seeds.add("count-high-bit", withCountAt(intro, 4, 0x9C40));
    QByteArray oddLength = intro;
    qToBigEndian(quint32(3), oddLength.data() + 6);
    seeds.add("id-length-odd", oddLength);
    QByteArray hugeLength = intro;
    qToBigEndian(quint32(0xFFFFFFFE), hugeLength.data() + 12);
    seeds.add("header-length-huge", hugeLength);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const QString folder = QFile::decodeName(argv[1]);
    writeCraftingSeeds(SeedFolder(folder + QStringLiteral("/craftingdata")));
    writeHelpSeeds(SeedFolder(folder + QStringLiteral("/helptopics")));
    return 0;
}
