#include "helpfile.h"
#include "testsupport.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <limits>

class HelpFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsFilesAsWritten_data();
    void readsFilesAsWritten();
    void writesTheWorkedExample();
    void loadTracePrintsEveryTopicButNoBody();
    void truncatedFileKeepsTheCompleteTopics();
    void missingFileIsSilent();
    void dataFileUnderTheHelpNameIsRefused();
    void saveReplacesTheFileAndKeepsABackupWhenAsked();
    void countThatWouldWrapIsNeverWritten();
    void idValue_data();
    void idValue();
};

namespace {

HelpTopic topic(const QString &id, const QString &header, const QString &body = QString())
{
    return HelpTopic{id, header, body};
}

QByteArray written(const HelpTopics &topics)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeHelpTopics(buffer, topics))
        return "write refused";
    return bytes;
}

// Three topics, the last with empty (not null) strings: 6 + 24 + 32 + 12 bytes.
const char *const sampleHex = "E9 A7 14 3D 00 03"
                              " 00 00 00 02 00 31 . 00 00 00 0A 00 49 00 6E 00 74 00 72 00 6F"
                              " . FF FF FF FF"
                              " 00 00 00 06 00 31 00 2E 00 31 . 00 00 00 06 00 53 00 75 00 62"
                              " . 00 00 00 08 00 3C 00 62 00 3E 00 78"
                              " 00 00 00 00 . 00 00 00 00 . 00 00 00 00";

HelpTopics sampleTopics()
{
    return {topic("1", "Intro"), topic("1.1", "Sub", "<b>x"), topic("", "", "")};
}

} // namespace

Q_DECLARE_METATYPE(HelpTopics)
Q_DECLARE_METATYPE(LoadStatus)

void HelpFileTest::readsFilesAsWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LoadStatus>("status");
    QTest::addColumn<HelpTopics>("topics");

    const HelpTopics none;
    QTest::newRow("worked example: body never written")
        << fromHex("E9A7143D 0001 00000002 0031 0000000A 0049006E00740072006F FFFFFFFF")
        << LoadStatus::Loaded << HelpTopics{topic("1", "Intro")};
    QTest::newRow("empty list") << fromHex("E9A7143D 0000") << LoadStatus::Loaded << none;
    QTest::newRow("null and empty strings stay apart")
        << fromHex("E9A7143D 0001 FFFFFFFF 00000000 FFFFFFFF") << LoadStatus::Loaded
        << HelpTopics{topic(QString(), "", QString())};
    QTest::newRow("bytes after the last topic are ignored")
        << fromHex("E9A7143D 0000 DEADBEEF") << LoadStatus::Loaded << none;
    QTest::newRow("sample") << fromHex(sampleHex) << LoadStatus::Loaded << sampleTopics();
    QTest::newRow("nothing at all") << QByteArray() << LoadStatus::BadMagic << none;
    QTest::newRow("shorter than the magic") << fromHex("E9A714") << LoadStatus::BadMagic << none;
    QTest::newRow("magic alone, count missing")
        << fromHex("E9A7143D") << LoadStatus::Damaged << none;
    QTest::newRow("count with the top bit set is 40000, not negative")
        << fromHex("E9A7143D 9C40 00000002 0031 00000000 FFFFFFFF") << LoadStatus::Damaged
        << HelpTopics{topic("1", "")};
    QTest::newRow("odd byte count")
        << fromHex("E9A7143D 0001 00000003 003100") << LoadStatus::Damaged << none;
    QTest::newRow("length beyond the end, nothing allocated for it")
        << fromHex("E9A7143D 0001 7FFFFFFE 0031") << LoadStatus::Damaged << none;
}

void HelpFileTest::readsFilesAsWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LoadStatus, status);
    QFETCH(HelpTopics, topics);

    TraceCapture trace;
    HelpTopics loaded;
    const HelpLoadReport report = readHelpTopics(bytes, loaded);
    QCOMPARE(report.status, status);
    QCOMPARE(report.topics, int(topics.size()));
    QCOMPARE(loaded, topics);
    // Written back, a file loses only what followed its last topic.
    const QByteArray trailer = fromHex("DEADBEEF");
    if (status == LoadStatus::Loaded)
        QCOMPARE(written(loaded), bytes.endsWith(trailer) ? bytes.chopped(4) : bytes);
}

void HelpFileTest::writesTheWorkedExample()
{
    QCOMPARE(written({topic("1", "Intro")}),
             fromHex("E9A7143D 0001 00000002 0031 0000000A 0049006E00740072006F FFFFFFFF"));
    QCOMPARE(written({}), fromHex("E9A7143D 0000"));
    QCOMPARE(written(sampleTopics()), fromHex(sampleHex));
}

void HelpFileTest::loadTracePrintsEveryTopicButNoBody()
{
    const QByteArray bytes =
        written({topic("1", "Intro", "secret body"), topic("2.5", QString::fromUtf8("Äxte Ω"))});
    TraceCapture trace;
    HelpTopics loaded;
    readHelpTopics(bytes, loaded);
    const QStringList expected = {
        "D: Topics: 2",
        "D:  * Topic #0: 1> \"Intro\" (not displaying body...)",
        QString::fromUtf8("D:  * Topic #1: 2.5> \"Äxte ?\" (not displaying body...)"),
        "D: Finished loading help file",
    };
    QCOMPARE(trace.lines(), expected);

    trace.clear();
    loaded.clear();
    readHelpTopics(fromHex("E9A7143D 0000"), loaded);
    QCOMPARE(trace.lines(), QStringList({"D: Topics: 0", "D: Finished loading help file"}));

    trace.clear();
    readHelpTopics(fromHex("2AE510A4 0000"), loaded);
    QCOMPARE(trace.lines(), QStringList({"W: BAD MAGIC NUMBER!"}));
}

void HelpFileTest::truncatedFileKeepsTheCompleteTopics()
{
    const QByteArray whole = fromHex(sampleHex);
    const HelpTopics all = sampleTopics();
    // A topic is complete once the file reaches the end of its record.
    const QList<int> recordEnds = {6 + 24, 6 + 24 + 32, 6 + 24 + 32 + 12};
    QCOMPARE(whole.size(), recordEnds.last());

    for (int size = 0; size < whole.size(); ++size) {
        int complete = 0;
        while (complete < recordEnds.size() && recordEnds.at(complete) <= size)
            ++complete;
        TraceCapture trace;
        HelpTopics loaded;
        const HelpLoadReport report = readHelpTopics(whole.left(size), loaded);
        const QByteArray where = "at size " + QByteArray::number(size);
        QVERIFY2(report.status == (size < 4 ? LoadStatus::BadMagic : LoadStatus::Damaged), where);
        QVERIFY2(loaded == all.mid(0, complete), where);
        QCOMPARE(report.topics, complete);
        if (size >= 4) {
            const QRegularExpression line(
                QStringLiteral("^Help file damaged at byte \\d+: kept %1 topics$").arg(complete));
            QCOMPARE(trace.warningLines().size(), 1);
            QVERIFY2(line.match(trace.warningLines().first()).hasMatch(), where);
        }
    }
}

void HelpFileTest::missingFileIsSilent()
{
    ScratchFolder folder;
    TraceCapture trace;
    HelpTopics loaded;
    QCOMPARE(loadHelpTopics(helpFilePath(), loaded).status, LoadStatus::NotOpened);
    QVERIFY(loaded.isEmpty());
    QVERIFY(trace.lines().isEmpty());
}

void HelpFileTest::dataFileUnderTheHelpNameIsRefused()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", fromHex("2A E5 10 A4 00 01 00 00 00 02 00 41 00 00"));
    TraceCapture trace;
    HelpTopics loaded;
    QCOMPARE(loadHelpTopics(helpFilePath(), loaded).status, LoadStatus::BadMagic);
    QVERIFY(loaded.isEmpty());
    QCOMPARE(trace.lines(), QStringList({"W: BAD MAGIC NUMBER!"}));
}

void HelpFileTest::saveReplacesTheFileAndKeepsABackupWhenAsked()
{
    ScratchFolder folder;
    QCOMPARE(helpFilePath(), folder.filePath("Smeltwork.hlp"));
    {
        TraceCapture trace;
        QCOMPARE(saveHelpTopics(helpFilePath(), {}, false), SaveStatus::Saved);
        QCOMPARE(folder.readFile("Smeltwork.hlp"), fromHex("E9A7143D 0000"));
        QCOMPARE(trace.lines(),
                 QStringList({"D: Saving help file...", "D: Finished saving help file"}));
        QVERIFY(!folder.exists("Smeltwork.hlp.bak"));
    }
    folder.writeFile("Smeltwork.hlp", "not a help file");
    TraceCapture trace;
    QCOMPARE(saveHelpTopics(helpFilePath(), sampleTopics(), true), SaveStatus::Saved);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), fromHex(sampleHex));
    QCOMPARE(folder.readFile("Smeltwork.hlp.bak"), QByteArray("not a help file"));
    QCOMPARE(trace.lines(),
             QStringList({"W: Kept the old file as Smeltwork.hlp.bak", "D: Saving help file...",
                          "D: Finished saving help file"}));
}

void HelpFileTest::countThatWouldWrapIsNeverWritten()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", fromHex("E9A7143D 0000"));
    const HelpTopics tooMany(MaxHelpTopics + 1, topic("1", "x"));
    TraceCapture trace;
    QCOMPARE(written(tooMany), QByteArray("write refused"));
    QCOMPARE(saveHelpTopics(helpFilePath(), tooMany, false), SaveStatus::WriteFailed);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), fromHex("E9A7143D 0000"));

    const HelpTopics most(MaxHelpTopics, topic("1", "x"));
    const QByteArray bytes = written(most);
    QCOMPARE(bytes.mid(4, 2), fromHex("FF FF"));
}

void HelpFileTest::idValue_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("whole");
    QTest::addColumn<double>("fraction");

    constexpr int intMax = std::numeric_limits<int>::max();
    constexpr int intMin = std::numeric_limits<int>::min();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("whole number") << "2" << 2.0 << 2 << 0.0;
    QTest::newRow("sub-topic") << "2.1" << 2.1 << 2 << 2.1 - 2;
    QTest::newRow("negative") << "-1.5" << -1.5 << -1 << -0.5;
    QTest::newRow("negative below one") << "-0.5" << -0.5 << 0 << -0.5;
    QTest::newRow("no number") << "HLP_" << 0.0 << 0 << 0.0;
    QTest::newRow("empty") << "" << 0.0 << 0 << 0.0;
    QTest::newRow("trailing text ignored") << "3.25abc" << 3.25 << 3 << 0.25;
    QTest::newRow("leading white space") << " \t 7.5" << 7.5 << 7 << 0.5;
    QTest::newRow("plus sign") << "+4" << 4.0 << 4 << 0.0;
    QTest::newRow("point first") << ".5" << 0.5 << 0 << 0.5;
    QTest::newRow("point last") << "5." << 5.0 << 5 << 0.0;
    QTest::newRow("point alone") << "." << 0.0 << 0 << 0.0;
    QTest::newRow("sign alone") << "-" << 0.0 << 0 << 0.0;
    QTest::newRow("second point ends the number") << "1.2.3" << 1.2 << 1 << 1.2 - 1;
    QTest::newRow("exponent") << "1.5e1" << 15.0 << 15 << 0.0;
    QTest::newRow("signed exponent") << "25E-1" << 2.5 << 2 << 0.5;
    QTest::newRow("exponent without digits") << "3e" << 3.0 << 3 << 0.0;
    QTest::newRow("exponent sign without digits") << "3e+x" << 3.0 << 3 << 0.0;
    QTest::newRow("decimal comma is not a point") << "1,5" << 1.0 << 1 << 0.0;
    QTest::newRow("no hexadecimal") << "0x1A" << 0.0 << 0 << 0.0;
    QTest::newRow("no inf") << "inf" << 0.0 << 0 << 0.0;
    QTest::newRow("no nan") << "nan" << 0.0 << 0 << 0.0;
    QTest::newRow("space inside the number") << "- 1" << 0.0 << 0 << 0.0;
    QTest::newRow("whole part held at the top") << "3000000000.5" << 3000000000.5 << intMax << 0.5;
    QTest::newRow("whole part held at the bottom")
        << "-3000000000.25" << -3000000000.25 << intMin << -0.25;
    QTest::newRow("too large for a double") << "1e999" << inf << intMax << 0.0;
    QTest::newRow("too large, negative") << "-1e999" << -inf << intMin << 0.0;
    QTest::newRow("too small for a double") << "1e-999" << 0.0 << 0 << 0.0;
}

void HelpFileTest::idValue()
{
    QFETCH(QString, id);
    QFETCH(double, value);
    QFETCH(int, whole);
    QFETCH(double, fraction);

    QCOMPARE(topicIdValue(id), value);
    const TopicIdNumber number = splitTopicId(id);
    QCOMPARE(number.value, value);
    QCOMPARE(number.whole, whole);
    QCOMPARE(number.fraction, fraction);
}

QTEST_GUILESS_MAIN(HelpFileTest)
#include "tst_helpfile.moc"
