#include "craftingfile.h"
#include "testsupport.h"

#include <QBuffer>
#include <QTest>

class CraftingFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workedExampleReadsAndWritesTheSameBytes();
};

static CraftingData oresExample()
{
    Req hammer{QStringLiteral("Hammer"), QStringLiteral("1"), 0, 1234};
    Proc ingot{QStringLiteral("Ingot"), 100, 1, {hammer}};
    return {ProcGroup{QStringLiteral("Ores"), {ingot}}};
}

void CraftingFileTest::workedExampleReadsAndWritesTheSameBytes()
{
    const QByteArray bytes = fromHex(
        "2A E5 10 A4 00 01 00 00 00 08 00 4F 00 72 00 65 00 73 00 01 00 00 00 0A 00 49 00 6E 00 "
        "67 00 6F 00 74 64 01 00 01 00 00 00 0C 00 48 00 61 00 6D 00 6D 00 65 00 72 00 00 00 02 "
        "00 31 00 00 00 04 D2");
    QCOMPARE(bytes.size(), 65);

    TraceCapture trace;
    CraftingData loaded;
    const LoadReport report = readCraftingData(bytes, loaded);
    QCOMPARE(report.status, LoadReport::Loaded);
    QCOMPARE(loaded, oresExample());

    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeCraftingData(buffer, loaded));
    QCOMPARE(written, bytes);
}

QTEST_GUILESS_MAIN(CraftingFileTest)
#include "tst_craftingfile.moc"
