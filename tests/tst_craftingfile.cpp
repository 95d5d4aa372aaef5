#include "craftingfile.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <atomic>

Q_DECLARE_METATYPE(CraftingData)
Q_DECLARE_METATYPE(LoadStatus)

// The largest single allocation made while `watchingAllocations` is set. glibc lets a
// program replace malloc and still reach its own, which is enough to see whether a
// hostile length in a tiny file gets memory reserved for it.
namespace {
std::atomic<bool> watchingAllocations{false};
std::atomic<size_t> largestAllocation{0};

[[maybe_unused]] void noteAllocation(size_t size)
{
    if (!watchingAllocations.load(std::memory_order_relaxed))
        return;
    size_t seen = largestAllocation.load();
    while (size > seen && !largestAllocation.compare_exchange_weak(seen, size)) {
    }
}
} // namespace

// AddressSanitizer brings its own malloc, and calls it before this one could work.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#define SMELT_WATCH_ALLOCATIONS 1
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_realloc(void *ptr, size_t size);
void *malloc(size_t size) noexcept
{
    noteAllocation(size);
    return __libc_malloc(size);
}
void *realloc(void *ptr, size_t size) noexcept
{
    noteAllocation(size);
    return __libc_realloc(ptr, size);
}
}
#endif

namespace {

QString describe(const CraftingData &data)
{
    QString text;
    QDebug(&text) << data;
    return text.size() > 600 ? text.left(600) + QStringLiteral("...") : text;
}

#define COMPARE_TREE(actual, expected)                                                             \
    QVERIFY2((actual) == (expected), qPrintable(QStringLiteral("\n   Actual: %1\n Expected: %2")   \
                                                    .arg(describe(actual), describe(expected))))

// Groups, processes and requirements held.
QList<int> countsOf(const CraftingData &data)
{
    QList<int> counts{int(data.size()), 0, 0};
    for (const ProcGroup &g : data) {
        counts[1] += int(g.procs.size());
        for (const Proc &p : g.procs)
            counts[2] += int(p.reqs.size());
    }
    return counts;
}

QList<int> countsOf(const LoadReport &report)
{
    return {report.groups, report.procs, report.reqs};
}

QStringList debugLines(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        out.append(QStringLiteral("D: ") + line);
    return out;
}

QStringList goldenSampleTrace()
{
    QFile file(QStringLiteral(SMELT_TEST_DATA "/sample-trace.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("missing golden file %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray written(const CraftingData &data)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeCraftingData(buffer, data))
        qWarning("writeCraftingData failed on a buffer");
    return bytes;
}

// What a reader must keep of `full` when the file ends after `cut` bytes: every
// requirement read whole, every process whose name and QLs were read, every group whose
// name was read.
CraftingData keptBeforeCut(const CraftingData &full, qsizetype cut)
{
    auto stringSize = [](const QString &s) { return 4 + (s.isNull() ? 0 : 2 * s.size()); };
    CraftingData kept;
    qsizetype at = 4 + 2;
    if (at > cut)
        return kept;
    for (const ProcGroup &g : full) {
        if ((at += stringSize(g.name)) > cut)
            return kept;
        kept.append(ProcGroup{g.name, {}});
        if ((at += 2) > cut)
            return kept;
        for (const Proc &p : g.procs) {
            if ((at += stringSize(p.name) + 2) > cut)
                return kept;
            kept.last().procs.append(Proc{p.name, p.maxQL, p.minQL, {}});
            if ((at += 2) > cut)
                return kept;
            for (const Req &r : p.reqs) {
                if ((at += stringSize(r.name) + stringSize(r.multiplier) + 1 + 4) > cut)
                    return kept;
                kept.last().procs.last().reqs.append(r);
            }
        }
    }
    return kept;
}

const QString BadMagicLine = QStringLiteral("W: BAD MAGIC NUMBER!");

QString damagedLine(int atByte, int groups, int procs, int reqs)
{
    return QStringLiteral("W: Data file damaged at byte %1: kept %2 groups, %3 processes, %4 "
                          "requirements")
        .arg(atByte)
        .arg(groups)
        .arg(procs)
        .arg(reqs);
}

} // namespace

class CraftingFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsBytesIntoTree_data();
    void readsBytesIntoTree();
    void allocationsAreWatched();
    void truncatedAtEveryByteKeepsWhatWasComplete();
    void agreesWithQDataStream_data();
    void agreesWithQDataStream();
    void loadAndSaveTraceTheSampleWhole();
};

// Bytes -> status -> tree -> every trace line. Rows marked `writesBack` also pin down the
// writer: the tree read must be written as exactly the same bytes.
void CraftingFileTest::readsBytesIntoTree_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadStatus>("status");
    QTest::addColumn<CraftingData>("tree");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<bool>("writesBack");

    const Req hammer{QStringLiteral("Hammer"), QStringLiteral("1"), 0, 1234};
    QTest::newRow("worked example")
        << fromHex(
               "2A E5 10 A4 · 00 01 · 00 00 00 08 00 4F 00 72 00 65 00 73 · 00 01 · 00 00 00 0A "
               "00 49 00 6E 00 67 00 6F 00 74 · 64 · 01 · 00 01 · 00 00 00 0C 00 48 00 61 00 6D "
               "00 6D 00 65 00 72 · 00 00 00 02 00 31 · 00 · 00 00 04 D2")
        << LoadStatus::Loaded
        << CraftingData{{QStringLiteral("Ores"), {{QStringLiteral("Ingot"), 100, 1, {hammer}}}}}
        << debugLines({"Groups: 1", "* Group #0: Ores", "  + Procs: 1", "    * Proc #0: Ingot",
                       "      (Max QL: 100, Min QL: 1)", "      + Reqs: 1",
                       "        * Req #0: Hammer - x1 (t=0) (id=1234)",
                       "Finished loading data file"})
        << true;
    QTest::newRow("empty tree") << fromHex("2A E5 10 A4 00 00") << LoadStatus::Loaded
                                << CraftingData{}
                                << debugLines({"Groups: 0", "Finished loading data file"}) << true;
    QTest::newRow("null and empty strings")
        << fromHex("2A E5 10 A4 00 02 · FF FF FF FF 00 00 · 00 00 00 00 00 01 · FF FF FF FF 00 00 "
                   "00 01 · 00 00 00 00 FF FF FF FF 01 00 00 00 00")
        << LoadStatus::Loaded
        << CraftingData{{QString(), {}},
                        {emptyText(), {{QString(), 0, 0, {{emptyText(), QString(), 1, 0}}}}}}
        << debugLines({"Groups: 2", "* Group #0: ", "  + Procs: 0", "* Group #1: ", "  + Procs: 1",
                       "    * Proc #0: ", "      (Max QL: 0, Min QL: 0)", "      + Reqs: 1",
                       "        * Req #0:  - x (t=1) (id=0)", "Finished loading data file"})
        << true;
    QTest::newRow("QL C8, type FF, id FF FF FF FF")
        << fromHex("2A E5 10 A4 00 01 · FF FF FF FF 00 01 · FF FF FF FF C8 00 00 01 · FF FF FF FF "
                   "FF FF FF FF FF FF FF FF FF")
        << LoadStatus::Loaded
        << CraftingData{{QString(), {{QString(), 200, 0, {{{}, {}, -1, -1}}}}}}
        << debugLines({"Groups: 1", "* Group #0: ", "  + Procs: 1",
                       "    * Proc #0: ", "      (Max QL: 200, Min QL: 0)", "      + Reqs: 1",
                       "        * Req #0:  - x (t=255) (id=-1)", "Finished loading data file"})
        << true;
    QTest::newRow("bytes after the last group are ignored")
        << fromHex("2A E5 10 A4 00 00 DE AD BE EF") << LoadStatus::Loaded << CraftingData{}
        << debugLines({"Groups: 0", "Finished loading data file"}) << false;

    const struct
    {
        const char *name, *hex;
    } foreign[] = {{"wrong magic", "2A E5 10 A5 00 00"},
                   {"byte-swapped magic", "A4 10 E5 2A 00 00"},
                   {"0 bytes", ""},
                   {"1 byte", "2A"},
                   {"2 bytes", "2A E5"},
                   {"3 bytes", "2A E5 10"}};
    for (const auto &row : foreign) {
        QTest::newRow(row.name) << fromHex(row.hex) << LoadStatus::BadMagic << CraftingData{}
                                << QStringList{BadMagicLine} << false;
    }

    QTest::newRow("magic only") << fromHex("2A E5 10 A4") << LoadStatus::Damaged << CraftingData{}
                                << QStringList{damagedLine(4, 0, 0, 0)} << false;
    QTest::newRow("odd string byte count")
        << fromHex("2A E5 10 A4 00 01 00 00 00 03 00 41 00") << LoadStatus::Damaged
        << CraftingData{} << QStringList{"D: Groups: 1", damagedLine(10, 0, 0, 0)} << false;
    QTest::newRow("string of 0x7FFFFFF0 bytes in a 100-byte file")
        << fromHex("2A E5 10 A4 00 01 7F FF FF F0") + QByteArray(90, '\0') << LoadStatus::Damaged
        << CraftingData{} << QStringList{"D: Groups: 1", damagedLine(10, 0, 0, 0)} << false;
    QTest::newRow("more groups counted than held")
        << fromHex("2A E5 10 A4 00 03 FF FF FF FF 00 00") << LoadStatus::Damaged
        << CraftingData{ProcGroup{}}
        << QStringList{"D: Groups: 3", "D: * Group #0: ", "D:   + Procs: 0",
                       damagedLine(12, 1, 0, 0)}
        << false;
    QTest::newRow("65535 counted at every level, one of each held")
        << fromHex("2A E5 10 A4 FF FF FF FF FF FF FF FF FF FF FF FF 01 01 FF FF")
        << LoadStatus::Damaged << CraftingData{{QString(), {{QString(), 1, 1, {}}}}}
        << QStringList{"D: Groups: 65535",
                       "D: * Group #0: ",
                       "D:   + Procs: 65535",
                       "D:     * Proc #0: ",
                       "D:       (Max QL: 1, Min QL: 1)",
                       "D:       + Reqs: 65535",
                       damagedLine(20, 1, 1, 0)}
        << false;

    // Counts of 32,768 and more are unsigned at every level.
    {
        QByteArray bytes =
            fromHex("2A E5 10 A4 80 00") + fromHex("FF FF FF FF 00 00").repeated(32768);
        QStringList trace{"D: Groups: 32768"};
        for (int i = 0; i < 32768; ++i)
            trace << QStringLiteral("D: * Group #%1: ").arg(i) << "D:   + Procs: 0";
        trace << "D: Finished loading data file";
        QTest::newRow("32768 groups")
            << bytes << LoadStatus::Loaded << CraftingData(32768) << trace << true;
    }
    {
        QByteArray bytes = fromHex("2A E5 10 A4 00 01 FF FF FF FF FF FF") +
                           fromHex("FF FF FF FF 01 01 00 00").repeated(65535);
        QStringList trace{"D: Groups: 1", "D: * Group #0: ", "D:   + Procs: 65535"};
        for (int j = 0; j < 65535; ++j) {
            trace << QStringLiteral("D:     * Proc #%1: ").arg(j)
                  << "D:       (Max QL: 1, Min QL: 1)"
                  << "D:       + Reqs: 0";
        }
        trace << "D: Finished loading data file";
        QTest::newRow("65535 processes")
            << bytes << LoadStatus::Loaded
            << CraftingData{{QString(), QList<Proc>(65535, Proc{QString(), 1, 1, {}})}} << trace
            << true;
    }
    {
        QByteArray bytes = fromHex("2A E5 10 A4 00 01 FF FF FF FF 00 01 FF FF FF FF 01 01 80 00") +
                           fromHex("FF FF FF FF FF FF FF FF 00 00 00 00 00").repeated(32768);
        QStringList trace{"D: Groups: 1",
                          "D: * Group #0: ",
                          "D:   + Procs: 1",
                          "D:     * Proc #0: ",
                          "D:       (Max QL: 1, Min QL: 1)",
                          "D:       + Reqs: 32768"};
        for (int k = 0; k < 32768; ++k)
            trace << QStringLiteral("D:         * Req #%1:  - x (t=0) (id=0)").arg(k);
        trace << "D: Finished loading data file";
        QTest::newRow("32768 requirements")
            << bytes << LoadStatus::Loaded
            << CraftingData{{QString(), {{QString(), 1, 1, QList<Req>(32768, Req{})}}}} << trace
            << true;
    }
}

void CraftingFileTest::readsBytesIntoTree()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadStatus, status);
    QFETCH(CraftingData, tree);
    QFETCH(QStringList, trace);
    QFETCH(bool, writesBack);

    TraceCapture capture;
    CraftingData loaded;
    largestAllocation = 0;
    watchingAllocations = true;
    const LoadReport report = readCraftingData(bytes, loaded);
    watchingAllocations = false;
    QCOMPARE(report.status, status);
    COMPARE_TREE(loaded, tree);
    QCOMPARE(countsOf(report), countsOf(loaded));
    QCOMPARE(capture.lines(), trace);
    // A length or count that the rest of the file could never hold gets no memory (the
    // trace lines captured take their share too).
    QVERIFY2(largestAllocation <= 32 * size_t(bytes.size()) + 64 * 1024,
             qPrintable(QStringLiteral("%1 bytes allocated at once").arg(largestAllocation)));

    if (writesBack)
        QCOMPARE(written(loaded), bytes);
}

// The allocation watch itself: without it the check above proves nothing.
void CraftingFileTest::allocationsAreWatched()
{
#ifndef SMELT_WATCH_ALLOCATIONS
    QSKIP("allocations can only be watched with glibc, and not under AddressSanitizer");
#endif
    largestAllocation = 0;
    watchingAllocations = true;
    const QByteArray big(1 << 20, 'x');
    watchingAllocations = false;
    QVERIFY(largestAllocation >= size_t(big.size()));
}

// The sample cut after every byte. The reader is handed a view of the first `cut` bytes of
// the intact file, so reading past the end would find valid data and keep records it
// must not have.
void CraftingFileTest::truncatedAtEveryByteKeepsWhatWasComplete()
{
    const CraftingData full = sampleTree();
    const QByteArray bytes = encodeWithQDataStream(full);
    const QStringList golden = goldenSampleTrace() + QStringList{"D: Finished loading data file"};
    const QRegularExpression damaged(
        QStringLiteral("^W: Data file damaged at byte \\d+: kept (\\d+) groups, (\\d+) processes, "
                       "(\\d+) requirements$"));

    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        const QByteArray where = QByteArray("cut at byte ") + QByteArray::number(cut);
        TraceCapture capture;
        CraftingData loaded;
        const LoadReport report = readCraftingData(QByteArrayView(bytes.constData(), cut), loaded);

        const LoadStatus expected = cut < 4              ? LoadStatus::BadMagic
                                    : cut < bytes.size() ? LoadStatus::Damaged
                                                         : LoadStatus::Loaded;
        QVERIFY2(report.status == expected, where);
        QVERIFY2(loaded == keptBeforeCut(full, cut),
                 qPrintable(where + "\n" + describe(loaded).toUtf8()));
        const QList<int> counts = countsOf(loaded);
        QVERIFY2(countsOf(report) == counts, where);

        // Every debug line printed is the line a whole load prints at that point.
        const QStringList debug = debugLines(capture.debugLines());
        QVERIFY2(debug == golden.mid(0, debug.size()), where);
        const QStringList warnings = capture.warningLines();
        if (expected == LoadStatus::BadMagic) {
            QCOMPARE(warnings, QStringList{"BAD MAGIC NUMBER!"});
        } else if (expected == LoadStatus::Damaged) {
            QCOMPARE(warnings.size(), 1);
            const auto match = damaged.match(QStringLiteral("W: ") + warnings.first());
            QVERIFY2(match.hasMatch(), qPrintable(warnings.first()));
            QCOMPARE((QList<int>{match.captured(1).toInt(), match.captured(2).toInt(),
                                 match.captured(3).toInt()}),
                     counts);
        } else {
            QVERIFY(warnings.isEmpty());
        }
    }
}

// QDataStream, written and read in the test field by field, is the reference for the bytes.
void CraftingFileTest::agreesWithQDataStream_data()
{
    QTest::addColumn<CraftingData>("tree");
    QTest::newRow("sample") << sampleTree();
    QTest::newRow("empty tree") << CraftingData{};
    QTest::newRow("1000 groups") << CraftingData(
        1000, sampleTree().first()); // long enough to cross buffer sizes
}

void CraftingFileTest::agreesWithQDataStream()
{
    QFETCH(CraftingData, tree);
    TraceCapture quiet;

    CraftingData loaded;
    const LoadReport report = readCraftingData(encodeWithQDataStream(tree), loaded);
    QCOMPARE(report.status, LoadStatus::Loaded);
    COMPARE_TREE(loaded, tree);

    bool ok = false;
    const CraftingData readBack = decodeWithQDataStream(written(tree), ok);
    QVERIFY(ok);
    COMPARE_TREE(readBack, tree);
}

// Both directions print the same lines; the golden file holds them (mind the trailing blank
// after an empty name).
void CraftingFileTest::loadAndSaveTraceTheSampleWhole()
{
    const QStringList golden = goldenSampleTrace();
    ScratchFolder folder;
    folder.writeFile(QStringLiteral("Smeltwork.dat"), encodeWithQDataStream(sampleTree()));

    TraceCapture load;
    CraftingData loaded;
    QCOMPARE(loadCraftingFile(craftingFilePath(), loaded).status, LoadStatus::Loaded);
    QCOMPARE(load.lines(), golden + QStringList{"D: Finished loading data file"});

    load.clear();
    QVERIFY(saveCraftingFile(craftingFilePath(), loaded, false) == SaveStatus::Saved);
    QCOMPARE(load.lines(), QStringList{"D: Saving data file..."} + golden +
                               QStringList{"D: Finished saving data file"});
}

QTEST_GUILESS_MAIN(CraftingFileTest)
#include "tst_craftingfile.moc"
