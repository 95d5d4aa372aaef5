// Files built to break a loader: counts far beyond the data, lengths that are odd, huge or
// past the end, and files cut inside every kind of field. Each loader must stop at the
// end of the data, keep the records it read completely, and say where it stopped. Inputs
// that the fuzz targets (fuzz/) find failing are added here as rows, with the bytes that
// failed.
#include "craftingfile.h"
#include "helpfile.h"
#include "testsupport.h"

#include <QTest>

class HostileFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dataFileLoaderStopsAtTheEndOfTheData_data();
    void dataFileLoaderStopsAtTheEndOfTheData();
    void helpFileLoaderStopsAtTheEndOfTheData_data();
    void helpFileLoaderStopsAtTheEndOfTheData();
};

void HostileFilesTest::dataFileLoaderStopsAtTheEndOfTheData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadStatus>("status");
    QTest::addColumn<QList<int>>("kept"); // groups, processes, requirements
    QTest::addColumn<QStringList>("warnings");

    const auto damagedAt = [](int at, int groups, int procs, int reqs) {
        return QStringList{QStringLiteral("Data file damaged at byte %1: kept %2 groups, %3 "
                                          "processes, %4 requirements")
                               .arg(at)
                               .arg(groups)
                               .arg(procs)
                               .arg(reqs)};
    };
    const QStringList badMagic{QStringLiteral("BAD MAGIC NUMBER!")};
    // Group "A" (6 bytes + name), then process "B" with QLs 2 and 1.
    const char *groupA = "2A E5 10 A4 00 01 00 00 00 02 00 41";
    const QByteArray procB = fromHex(groupA) + fromHex("00 01 00 00 00 02 00 42 02 01");

    QTest::newRow("no bytes") << QByteArray() << LoadStatus::BadMagic << QList<int>{0, 0, 0}
                              << badMagic;
    QTest::newRow("three bytes of the magic")
        << fromHex("2A E5 10") << LoadStatus::BadMagic << QList<int>{0, 0, 0} << badMagic;
    QTest::newRow("the magic only") << fromHex("2A E5 10 A4") << LoadStatus::Damaged
                                    << QList<int>{0, 0, 0} << damagedAt(4, 0, 0, 0);
    QTest::newRow("65535 groups announced, none there")
        << fromHex("2A E5 10 A4 FF FF") << LoadStatus::Damaged << QList<int>{0, 0, 0}
        << damagedAt(6, 0, 0, 0);
    QTest::newRow("group name longer than the file")
        << fromHex("2A E5 10 A4 00 01 00 00 00 04 00 41") << LoadStatus::Damaged
        << QList<int>{0, 0, 0} << damagedAt(10, 0, 0, 0);
    QTest::newRow("group name of an odd length")
        << fromHex("2A E5 10 A4 00 01 00 00 00 03 00 41 00 00 00") << LoadStatus::Damaged
        << QList<int>{0, 0, 0} << damagedAt(10, 0, 0, 0);
    QTest::newRow("group name of length FFFFFFFE")
        << fromHex("2A E5 10 A4 00 01 FF FF FF FE 00 41 00 00") << LoadStatus::Damaged
        << QList<int>{0, 0, 0} << damagedAt(10, 0, 0, 0);
    QTest::newRow("group cut inside its process count")
        << fromHex(groupA) + fromHex("00") << LoadStatus::Damaged << QList<int>{1, 0, 0}
        << damagedAt(12, 1, 0, 0);
    QTest::newRow("65535 processes announced, none there")
        << fromHex(groupA) + fromHex("FF FF") << LoadStatus::Damaged << QList<int>{1, 0, 0}
        << damagedAt(14, 1, 0, 0);
    QTest::newRow("process cut between its QLs")
        << procB.chopped(1) << LoadStatus::Damaged << QList<int>{1, 0, 0} << damagedAt(21, 1, 0, 0);
    QTest::newRow("process cut inside its requirement count")
        << procB + fromHex("00") << LoadStatus::Damaged << QList<int>{1, 1, 0}
        << damagedAt(22, 1, 1, 0);
    QTest::newRow("65535 requirements announced, none there")
        << procB + fromHex("FF FF") << LoadStatus::Damaged << QList<int>{1, 1, 0}
        << damagedAt(24, 1, 1, 0);
    QTest::newRow("requirement cut inside its id")
        << procB + fromHex("00 01 FF FF FF FF FF FF FF FF 01 00 00 00") << LoadStatus::Damaged
        << QList<int>{1, 1, 0} << damagedAt(33, 1, 1, 0);
    QTest::newRow("null names everywhere, then bytes that are never read")
        << fromHex("2A E5 10 A4 00 01 FF FF FF FF 00 01 FF FF FF FF C8 00 00 01 "
                   "FF FF FF FF FF FF FF FF 01 FF FF FF FF  DE AD BE EF")
        << LoadStatus::Loaded << QList<int>{1, 1, 1} << QStringList();
}

// The loader keeps what it read completely: a group whose process count was read, a
// process whose QLs were read, only whole requirements.
void HostileFilesTest::dataFileLoaderStopsAtTheEndOfTheData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadStatus, status);
    QFETCH(QList<int>, kept);
    QFETCH(QStringList, warnings);

    TraceCapture trace;
    CraftingData tree;
    const LoadReport report = readCraftingData(bytes, tree);
    QCOMPARE(report.status, status);
    QCOMPARE((QList<int>{report.groups, report.procs, report.reqs}), kept);
    QCOMPARE(tree.size(), kept.at(0));
    QCOMPARE(trace.warningLines(), warnings);
}

void HostileFilesTest::helpFileLoaderStopsAtTheEndOfTheData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadStatus>("status");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QStringList>("warnings");

    const auto damagedAt = [](int at, int topics) {
        return QStringList{
            QStringLiteral("Help file damaged at byte %1: kept %2 topics").arg(at).arg(topics)};
    };
    const QStringList badMagic{QStringLiteral("BAD MAGIC NUMBER!")};
    // One topic: id "1", header "Intro", null body.
    const char *intro = "00 00 00 02 00 31 00 00 00 0A 00 49 00 6E 00 74 00 72 00 6F FF FF FF FF";

    QTest::newRow("no bytes") << QByteArray() << LoadStatus::BadMagic << 0 << badMagic;
    QTest::newRow("the data file's magic")
        << fromHex("2A E5 10 A4 00 00") << LoadStatus::BadMagic << 0 << badMagic;
    QTest::newRow("the magic only")
        << fromHex("E9 A7 14 3D") << LoadStatus::Damaged << 0 << damagedAt(4, 0);
    QTest::newRow("40000 topics announced, one there")
        << fromHex("E9 A7 14 3D 9C 40") + fromHex(intro) << LoadStatus::Damaged << 1
        << damagedAt(30, 1);
    QTest::newRow("header longer than the file")
        << fromHex("E9 A7 14 3D 00 01 00 00 00 02 00 31 7F FF FF FE 00 49") << LoadStatus::Damaged
        << 0 << damagedAt(16, 0);
    QTest::newRow("body of an odd length")
        << fromHex("E9 A7 14 3D 00 01 FF FF FF FF FF FF FF FF 00 00 00 01 00")
        << LoadStatus::Damaged << 0 << damagedAt(18, 0);
    QTest::newRow("topic cut inside its body's length")
        << fromHex("E9 A7 14 3D 00 01") + fromHex(intro).chopped(2) << LoadStatus::Damaged << 0
        << damagedAt(26, 0);
    QTest::newRow("one topic, then bytes that are never read")
        << fromHex("E9 A7 14 3D 00 01") + fromHex(intro) + fromHex("00 00 00 08")
        << LoadStatus::Loaded << 1 << QStringList();
}

// A topic is kept only when all three of its strings were read.
void HostileFilesTest::helpFileLoaderStopsAtTheEndOfTheData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadStatus, status);
    QFETCH(int, kept);
    QFETCH(QStringList, warnings);

    TraceCapture trace;
    HelpTopics topics;
    const HelpLoadReport report = readHelpTopics(bytes, topics);
    QCOMPARE(report.status, status);
    QCOMPARE(report.topics, kept);
    QCOMPARE(topics.size(), kept);
    QCOMPARE(trace.warningLines(), warnings);
}

QTEST_GUILESS_MAIN(HostileFilesTest)
#include "tst_hostilefiles.moc"
