#include "craftingfile.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(LoadStatus)

// The largest single allocation made while `watching` is set. glibc lets a program replace
// malloc and still reach its own: enough to see whether a hostile length gets memory.
static bool watching = false;
static size_t largest = 0;
#if defined(__GLIBC__)
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_realloc(void *ptr, size_t size);
void *malloc(size_t size) noexcept
{
    largest = watching ? std::max(largest, size) : largest;
    return __libc_malloc(size);
}
void *realloc(void *ptr, size_t size) noexcept
{
    largest = watching ? std::max(largest, size) : largest;
    return __libc_realloc(ptr, size);
}
}
#endif

namespace {

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

QStringList debug(QStringList lines)
{
    return lines.replaceInStrings(QRegularExpression(QStringLiteral("^")), QStringLiteral("D: "));
}

QStringList sampleTrace() // as loading and saving print it, in between their first and last line
{
    QFile file(QStringLiteral(SMELT_TEST_DATA "/sample-trace.txt"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString damaged(int atByte, int groups, int procs, int reqs)
{
    return QString::asprintf("W: Data file damaged at byte %d: kept %d groups, %d processes, "
                             "%d requirements",
                             atByte, groups, procs, reqs);
}

// What a reader must keep of `full` when the file ends after `cut` bytes: every requirement
// read whole, every process whose name and QLs were read, every group whose name was read.
CraftingData keptBeforeCut(const CraftingData &full, qsizetype cut)
{
    auto size = [](const QString &s) { return 4 + 2 * s.size(); };
    CraftingData kept;
    qsizetype at = 6;
    for (const ProcGroup &g : full) {
        if (at > cut || (at += size(g.name)) > cut)
            return kept;
        kept.append({g.name, {}});
        at += 2;
        for (const Proc &p : g.procs) {
            if (at > cut || (at += size(p.name) + 2) > cut)
                return kept;
            kept.last().procs.append({p.name, p.maxQL, p.minQL, {}});
            at += 2;
            for (const Req &r : p.reqs) {
                if (at > cut || (at += size(r.name) + size(r.multiplier) + 5) > cut)
                    return kept;
                kept.last().procs.last().reqs.append(r);
            }
        }
    }
    return kept;
}

// Every entry below `dir` with its contents, so that "nothing changed" is one comparison.
QStringList snapshot(const QString &dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        entries << it.filePath() + " = " +
                       (file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : "folder");
    }
    entries.sort();
    return entries;
}

} // namespace

class CraftingFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Without a working watch the allocation limit below proves nothing.
    void initTestCase()
    {
#if defined(__GLIBC__)
        watching = true;
        const QByteArray megabyte(1 << 20, 'x');
        watching = false;
        QVERIFY(largest >= size_t(megabyte.size()));
#endif
    }

    // Bytes -> status -> tree -> every trace line. `writesBack`: the tree read is written as
    // the same bytes, so the rows made by QDataStream check the writer against it too.
    void readsBytesIntoTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<bool>("writesBack");
        const QString end = QStringLiteral("Finished loading data file");

        QTest::newRow("worked example")
            << fromHex("2A E5 10 A4 · 00 01 · 00 00 00 08 00 4F 00 72 00 65 00 73 · 00 01 · 00 "
                       "00 00 0A 00 49 00 6E 00 67 00 6F 00 74 · 64 · 01 · 00 01 · 00 00 00 0C 00 "
                       "48 00 61 00 6D 00 6D 00 65 00 72 · 00 00 00 02 00 31 · 00 · 00 00 04 D2")
            << LoadStatus::Loaded
            << CraftingData{{"Ores", {proc("Ingot", {item("Hammer", "1", 1234)})}}}
            << debug({"Groups: 1", "* Group #0: Ores", "  + Procs: 1", "    * Proc #0: Ingot",
                      "      (Max QL: 100, Min QL: 1)", "      + Reqs: 1",
                      "        * Req #0: Hammer - x1 (t=0) (id=1234)", end})
            << true;
        QTest::newRow("null and empty strings, QL C8, type FF, id FF FF FF FF")
            << fromHex("2A E5 10 A4 00 02 · FF FF FF FF 00 00 · 00 00 00 00 00 01 · FF FF FF FF "
                       "C8 00 00 01 · 00 00 00 00 FF FF FF FF FF FF FF FF FF")
            << LoadStatus::Loaded
            << CraftingData{{QString(), {}},
                            {"", {proc(nullptr, {skill("", nullptr, -1, -1)}, 200, 0)}}}
            << debug({"Groups: 2", "* Group #0: ", "  + Procs: 0", "* Group #1: ", "  + Procs: 1",
                      "    * Proc #0: ", "      (Max QL: 200, Min QL: 0)", "      + Reqs: 1",
                      "        * Req #0:  - x (t=255) (id=-1)", end})
            << true;
        QTest::newRow("sample") << encodeWithQDataStream(sampleTree()) << LoadStatus::Loaded
                                << sampleTree() << sampleTrace() + debug({end}) << true;
        QTest::newRow("empty tree") << fromHex("2A E5 10 A4 00 00") << LoadStatus::Loaded
                                    << CraftingData{} << debug({"Groups: 0", end}) << true;
        QTest::newRow("bytes after the last group are ignored")
            << fromHex("2A E5 10 A4 00 00 DE AD BE EF") << LoadStatus::Loaded << CraftingData{}
            << debug({"Groups: 0", end}) << false;
        for (const char *hex :
             {"2A E5 10 A5 00 00", "A4 10 E5 2A 00 00", "", "2A", "2A E5", "2A E5 10"})
            QTest::addRow("foreign: %s", hex)
                << fromHex(hex) << LoadStatus::BadMagic << CraftingData{}
                << QStringList{"W: BAD MAGIC NUMBER!"} << false;
        QTest::newRow("magic only") << fromHex("2A E5 10 A4") << LoadStatus::Damaged
                                    << CraftingData{} << QStringList{damaged(4, 0, 0, 0)} << false;
        QTest::newRow("odd string byte count")
            << fromHex("2A E5 10 A4 00 01 00 00 00 03 00 41 00") << LoadStatus::Damaged
            << CraftingData{} << QStringList{"D: Groups: 1", damaged(10, 0, 0, 0)} << false;
        QTest::newRow("string of 0x7FFFFFF0 bytes in a 100-byte file")
            << fromHex("2A E5 10 A4 00 01 7F FF FF F0") + QByteArray(90, '\0')
            << LoadStatus::Damaged << CraftingData{}
            << QStringList{"D: Groups: 1", damaged(10, 0, 0, 0)} << false;
        QTest::newRow("65535 counted at every level, one of each held")
            << fromHex("2A E5 10 A4 FF FF FF FF FF FF FF FF FF FF FF FF 01 01 FF FF")
            << LoadStatus::Damaged << CraftingData{{QString(), {proc(nullptr, {}, 1, 1)}}}
            << debug({"Groups: 65535", "* Group #0: ", "  + Procs: 65535",
                      "    * Proc #0: ", "      (Max QL: 1, Min QL: 1)", "      + Reqs: 65535"}) +
                   QStringList{damaged(20, 1, 1, 0)}
            << false;

        // Counts of 32,768 and more are unsigned at every level: 32,768 groups, the first
        // with 65,535 processes, the last of them with 32,768 requirements. The file is large
        // enough to cross any buffer.
        CraftingData big(32768);
        big[0].procs = QList<Proc>(65535, proc(nullptr, {}, 1, 1));
        big[0].procs.last().reqs = QList<Req>(32768);
        QStringList trace{"Groups: 32768", "* Group #0: ", "  + Procs: 65535"};
        for (int j = 0; j < 65535; ++j)
            trace << QStringLiteral("    * Proc #%1: ").arg(j) << "      (Max QL: 1, Min QL: 1)"
                  << QStringLiteral("      + Reqs: %1").arg(j < 65534 ? 0 : 32768);
        for (int k = 0; k < 32768; ++k)
            trace << QStringLiteral("        * Req #%1:  - x (t=0) (id=0)").arg(k);
        for (int i = 1; i < 32768; ++i)
            trace << QStringLiteral("* Group #%1: ").arg(i) << "  + Procs: 0";
        QTest::newRow("32768 and 65535 records") << encodeWithQDataStream(big) << LoadStatus::Loaded
                                                 << big << debug(trace << end) << true;
    }

    void readsBytesIntoTree()
    {
        QFETCH(QByteArray, bytes);
        TraceCapture capture;
        CraftingData loaded;
        largest = 0;
        watching = true;
        const LoadReport report = readCraftingData(bytes, loaded);
        watching = false;
        QTEST(report.status, "status");
        QTEST(loaded, "tree");
        QCOMPARE((QList<int>{report.groups, report.procs, report.reqs}), countsOf(loaded));
        QTEST(capture.lines(), "trace");
        // A length the rest of the file could never hold gets no memory (the trace takes some).
        QVERIFY2(largest <= 32 * size_t(bytes.size()) + 64 * 1024, QByteArray::number(largest));
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        QVERIFY(writeCraftingData(written, loaded));
        QFETCH(bool, writesBack);
        if (writesBack)
            QCOMPARE(written.data(), bytes);
    }

    // The reader gets a view of the first `cut` bytes of the intact file, so reading past the
    // end would find valid data and keep records it must not have.
    void truncatedAtEveryByteKeepsWhatWasComplete()
    {
        const QByteArray bytes = encodeWithQDataStream(sampleTree());
        for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
            TraceCapture capture;
            CraftingData loaded;
            const LoadReport report = readCraftingData(QByteArrayView(bytes.data(), cut), loaded);
            const CraftingData kept = keptBeforeCut(sampleTree(), cut);
            const QList<int> counts = countsOf(kept);
            QCOMPARE(loaded, kept);
            QCOMPARE((QList<int>{report.groups, report.procs, report.reqs}), counts);
            QCOMPARE(report.status, cut < 4 ? LoadStatus::BadMagic : LoadStatus::Damaged);
            // The debug lines are those a whole load prints up to there; one warning follows.
            const QStringList lines = capture.lines();
            QCOMPARE(lines.mid(0, lines.size() - 1), sampleTrace().mid(0, lines.size() - 1));
            QCOMPARE(capture.warningLines().size(), 1);
            if (cut >= 4)
                QCOMPARE(lines.last().section(QStringLiteral(": "), 2),
                         QString::asprintf("kept %d groups, %d processes, %d requirements",
                                           counts[0], counts[1], counts[2]));
        }
    }

    // A reader that had the old file open still reads the old bytes: the new file was renamed
    // into place, not written over the old one; nothing else is left behind.
    void saveReplacesTheFileInOneStep()
    {
        ScratchFolder folder;
        folder.writeFile(QStringLiteral("Smeltwork.dat"), "old");
        QFile before(craftingFilePath());
        QVERIFY(before.open(QIODevice::ReadOnly));
        TraceCapture trace;
        QVERIFY(saveCraftingFile(craftingFilePath(), sampleTree(), false) == SaveStatus::Saved);
        QCOMPARE(trace.lines(), debug({"Saving data file..."}) + sampleTrace() +
                                    debug({"Finished saving data file"}));
        QCOMPARE(folder.readFile("Smeltwork.dat"), encodeWithQDataStream(sampleTree()));
        QCOMPARE(before.readAll(), QByteArray("old"));
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"Smeltwork.dat"});
    }

    void saveThatCannotWriteChangesNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("keepBackup");
        QTest::addColumn<bool>("diskFull");
        for (bool backup : {false, true}) {
            QTest::addRow("folder removed, backup %d", backup)
                << "gone/Smeltwork.dat" << backup << false;
            QTest::addRow("file is a folder, backup %d", backup) << "folder.dat" << backup << false;
        }
        QTest::newRow("disk full") << "Smeltwork.dat" << false << true;
    }

    void saveThatCannotWriteChangesNothing()
    {
        QFETCH(QString, path);
        QFETCH(bool, keepBackup);
        QFETCH(bool, diskFull);
        ScratchFolder folder;
        folder.writeFile(QStringLiteral("Smeltwork.dat"), "old");
        QDir().mkdir(QStringLiteral("folder.dat"));
        folder.writeFile(QStringLiteral("folder.dat/inside"), "kept");
        const QStringList before = snapshot(folder.path());

        TraceCapture capture;
        // Files this process writes stop at 100 bytes, without the signal that would end it.
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{}, limit{};
        getrlimit(RLIMIT_FSIZE, &old);
        limit = {diskFull ? 100 : old.rlim_cur, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        const SaveStatus status = saveCraftingFile( // a tree past any write buffer
            folder.filePath(path), CraftingData(2000, sampleTree().first()), keepBackup);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
        QVERIFY(status != SaveStatus::Saved);
        QCOMPARE(snapshot(folder.path()), before);
        // Nothing is traced for a file that cannot be opened, and no save is reported done.
        QCOMPARE(capture.lines().isEmpty(), !diskFull);
        QVERIFY(!capture.lines().contains("D: Finished saving data file"));
    }
};

QTEST_GUILESS_MAIN(CraftingFileTest)
#include "tst_craftingfile.moc"
