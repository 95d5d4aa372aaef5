#include "helpfile.h"
#include "testsupport.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTest>

Q_DECLARE_METATYPE(HelpTopics)
Q_DECLARE_METATYPE(LoadStatus)

class HelpFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAndWritesBack_data();
    void readsAndWritesBack();
    void truncatedFileKeepsTheCompleteTopics();
    void countThatWouldWrapIsNeverWritten();
};

namespace {

QByteArray written(const HelpTopics &topics)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return writeHelpTopics(buffer, topics) ? bytes : QByteArray("refused");
}

// Three topics, the last with empty (not null) strings: 6 + 24 + 32 + 12 bytes.
const char *const sampleHex = "E9 A7 14 3D 00 03"
                              " 00 00 00 02 00 31 . 00 00 00 0A 00 49 00 6E 00 74 00 72 00 6F"
                              " . FF FF FF FF"
                              " 00 00 00 06 00 31 00 2E 00 31 . 00 00 00 06 00 53 00 75 00 62"
                              " . 00 00 00 08 00 3C 00 62 00 3E 00 78"
                              " 00 00 00 00 . 00 00 00 00 . 00 00 00 00";
const HelpTopics sample = {{"1", "Intro", QString()}, {"1.1", "Sub", "<b>x"}, {"", "", ""}};

} // namespace

void HelpFileTest::readsAndWritesBack_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadStatus>("status");
    QTest::addColumn<HelpTopics>("topics");
    QTest::addColumn<QString>("warning");

    const auto row = [](const char *name, const char *hex, LoadStatus status,
                        const HelpTopics &topics, const char *warning = "") {
        QTest::newRow(name) << fromHex(hex) << status << topics << QString(warning);
    };
    const auto loaded = LoadStatus::Loaded, refused = LoadStatus::BadMagic,
               damaged = LoadStatus::Damaged;
    const char *badMagic = "BAD MAGIC NUMBER!";
    row("worked example, body never written",
        "E9A7143D 0001 00000002 0031 0000000A 0049006E00740072006F FFFFFFFF", loaded,
        sample.mid(0, 1));
    row("empty list", "E9A7143D 0000", loaded, {});
    row("null and empty strings stay apart", "E9A7143D 0001 FFFFFFFF 00000000 FFFFFFFF", loaded,
        {{QString(), "", QString()}});
    row("bytes after the last topic are ignored", "E9A7143D 0000 DEADBEEF", loaded, {});
    row("sample", sampleHex, loaded, sample);
    row("nothing at all", "", refused, {}, badMagic);
    row("shorter than the magic", "E9A714", refused, {}, badMagic);
    row("the data file", "2AE510A4 0001 00000002 0041 0000", refused, {}, badMagic);
    row("count missing", "E9A7143D", damaged, {}, "Help file damaged at byte 4: kept 0 topics");
    row("count with the top bit set is 40000, not negative",
        "E9A7143D 9C40 00000002 0031 00000000 FFFFFFFF", damaged, {{"1", "", QString()}},
        "Help file damaged at byte 20: kept 1 topics");
    row("odd byte count", "E9A7143D 0001 00000003 003100", damaged, {},
        "Help file damaged at byte 10: kept 0 topics");
    row("length beyond the end, nothing allocated for it", "E9A7143D 0001 7FFFFFFE 0031", damaged,
        {}, "Help file damaged at byte 10: kept 0 topics");
}

void HelpFileTest::readsAndWritesBack()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadStatus, status);
    QFETCH(HelpTopics, topics);
    QFETCH(QString, warning);

    TraceCapture trace;
    HelpTopics read;
    const HelpLoadReport report = readHelpTopics(bytes, read);
    QCOMPARE(report.status, status);
    QCOMPARE(report.topics, int(topics.size()));
    QCOMPARE(read, topics);
    QCOMPARE(trace.warningLines(), warning.isEmpty() ? QStringList() : QStringList(warning));
    // Written back, a file loses only what followed its last topic.
    if (status == LoadStatus::Loaded)
        QCOMPARE(written(read), bytes.endsWith("\xDE\xAD\xBE\xEF") ? bytes.chopped(4) : bytes);
}

void HelpFileTest::truncatedFileKeepsTheCompleteTopics()
{
    const QByteArray whole = fromHex(sampleHex);
    // A topic is complete once the file reaches the end of its record.
    const QList<int> recordEnds = {6 + 24, 6 + 24 + 32, 6 + 24 + 32 + 12};
    QCOMPARE(whole.size(), recordEnds.last());
    for (int size = 0; size < whole.size(); ++size) {
        const int complete = int(std::count_if(recordEnds.begin(), recordEnds.end(),
                                               [size](int end) { return end <= size; }));
        TraceCapture trace;
        HelpTopics read;
        const HelpLoadReport report = readHelpTopics(whole.left(size), read);
        const QByteArray where = "at size " + QByteArray::number(size);
        QVERIFY2(report.status == (size < 4 ? LoadStatus::BadMagic : LoadStatus::Damaged), where);
        QVERIFY2(read == sample.mid(0, complete) && report.topics == complete, where);
        const QRegularExpression damage(
            QStringLiteral("^Help file damaged at byte \\d+: kept %1 topics$").arg(complete));
        QVERIFY2(size < 4 || damage.match(trace.warningLines().value(0)).hasMatch(), where);
    }
}

void HelpFileTest::countThatWouldWrapIsNeverWritten()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", fromHex("E9A7143D 0000"));
    const HelpTopics tooMany(MaxHelpTopics + 1, HelpTopic{"1", "x", QString()});
    TraceCapture trace;
    QCOMPARE(written(tooMany), QByteArray("refused"));
    QCOMPARE(saveHelpTopics(helpFilePath(), tooMany, false), SaveStatus::WriteFailed);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), fromHex("E9A7143D 0000"));
    QCOMPARE(written(tooMany.mid(1)).mid(4, 2), fromHex("FFFF"));
}

QTEST_GUILESS_MAIN(HelpFileTest)
#include "tst_helpfile.moc"
