#include "craftingfile.h"
#include "helpfile.h"
#include "jsonio.h"
#include "testsupport.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <limits>

class ToolJsonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomDataTreesSurviveExportAndImport();
    void randomHelpTopicsSurviveExportAndImport();
    void importOfAnExportWritesTheSameBytes_data();
    void importOfAnExportWritesTheSameBytes();
    void exportKeepsNullAndEmptyApart();
    void listsOfExactlyTheFileLimitAreAccepted();
    void badJsonIsRefusedWithThePathOfTheValue_data();
    void badJsonIsRefusedWithThePathOfTheValue();
    void aRefusedImportLeavesTheFileAlone();
};

namespace {

// Strings that a JSON exporter gets wrong: null and empty, quotes and escapes, control
// characters including NUL, a surrogate pair, and lone surrogates that UTF-8 cannot hold.
QString randomText(QRandomGenerator &random)
{
    switch (random.bounded(8)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("");
    default:
        break;
    }
    static const char16_t special[] = {u'"',   u'\\',  u'\n',  u'\r',  u'\t',  0,
                                       0x1F,   0x7F,   u'/',   0xE4,   0x20AC, 0xFFFF,
                                       0xD800, 0xDBFF, 0xDC00, 0xDFFF, u'<',   u'b'};
    QString text;
    const int length = int(random.bounded(1, 12));
    for (int i = 0; i < length; ++i) {
        switch (random.bounded(4)) {
        case 0:
            text += QChar(special[random.bounded(int(std::size(special)))]);
            break;
        case 1:
            text += QString::fromUcs4(U"\U0001F528"); // a pair
            break;
        default:
            text += QChar(char16_t(random.bounded(0x20, 0x7F)));
        }
    }
    return text;
}

template <typename T> T extreme(QRandomGenerator &random, std::initializer_list<T> values)
{
    return values.begin()[random.bounded(int(values.size()))];
}

CraftingData randomCraftingData(QRandomGenerator &random)
{
    CraftingData groups(random.bounded(4));
    for (ProcGroup &g : groups) {
        g.name = randomText(random);
        g.procs.resize(random.bounded(4));
        for (Proc &p : g.procs) {
            p.name = randomText(random);
            p.maxQL = extreme<quint8>(random, {0, 1, 127, 128, 200, 255});
            p.minQL = extreme<quint8>(random, {0, 1, 127, 128, 200, 255});
            p.reqs.resize(random.bounded(4));
            for (Req &r : p.reqs) {
                r.name = randomText(random);
                r.multiplier = randomText(random);
                r.type = qint8(extreme<int>(random, {0, 1, 2, 127, 128, 255}));
                r.id = extreme<qint32>(random, {0, 1, -1, 40211, std::numeric_limits<qint32>::min(),
                                                std::numeric_limits<qint32>::max()});
            }
        }
    }
    return groups;
}

HelpTopics randomHelpTopics(QRandomGenerator &random)
{
    HelpTopics topics(random.bounded(6));
    for (HelpTopic &t : topics) {
        t.id = randomText(random);
        t.header = randomText(random);
        t.body = randomText(random);
    }
    return topics;
}

QByteArray fileBytes(const SmeltFile &file)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (file.kind == SmeltFile::Crafting)
        writeCraftingData(buffer, file.groups);
    else
        writeHelpTopics(buffer, file.topics);
    return bytes;
}

constexpr int Rounds = 300;
constexpr quint32 Seed = 20261205;

} // namespace

void ToolJsonTest::randomDataTreesSurviveExportAndImport()
{
    TraceCapture quiet; // the writer traces every record
    QRandomGenerator random(Seed);
    for (int round = 0; round < Rounds; ++round) {
        SmeltFile file;
        file.groups = randomCraftingData(random);
        const QByteArray json = exportJson(file);
        SmeltFile back;
        QString error;
        QVERIFY2(importJson(json, back, error), qPrintable(error + QLatin1Char('\n') + json));
        QCOMPARE(back.kind, SmeltFile::Crafting);
        QVERIFY2(back.groups == file.groups, json.constData());
        QCOMPARE(fileBytes(back), fileBytes(file));
    }
}

void ToolJsonTest::randomHelpTopicsSurviveExportAndImport()
{
    TraceCapture quiet; // the writer traces every record
    QRandomGenerator random(Seed + 1);
    for (int round = 0; round < Rounds; ++round) {
        SmeltFile file;
        file.kind = SmeltFile::Help;
        file.topics = randomHelpTopics(random);
        const QByteArray json = exportJson(file);
        SmeltFile back;
        QString error;
        QVERIFY2(importJson(json, back, error), qPrintable(error + QLatin1Char('\n') + json));
        QCOMPARE(back.kind, SmeltFile::Help);
        QVERIFY2(back.topics == file.topics, json.constData());
        QCOMPARE(fileBytes(back), fileBytes(file));
    }
}

void ToolJsonTest::importOfAnExportWritesTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty data file") << fromHex("2A E5 10 A4 00 00");
    QTest::newRow("empty help file") << fromHex("E9 A7 14 3D 00 00");
    // One group "Ores" with the process "Ingot" (QL 100 to 1) needing a hammer (id 1234).
    QTest::newRow("worked data example")
        << fromHex("2A E5 10 A4 00 01 00 00 00 08 00 4F 00 72 00 65 00 73 00 01 00 00 00 0A 00 "
                   "49 00 6E 00 67 00 6F 00 74 64 01 00 01 00 00 00 0C 00 48 00 61 00 6D 00 6D "
                   "00 65 00 72 00 00 00 02 00 31 00 00 00 04 D2");
    QTest::newRow("worked help example")
        << fromHex("E9 A7 14 3D 00 01 00 00 00 02 00 31 00 00 00 0A 00 49 00 6E 00 74 00 72 00 "
                   "6F FF FF FF FF");
    QTest::newRow("type byte 0x80, id FF FF FF FF, QL 255")
        << fromHex("2A E5 10 A4 00 01 FF FF FF FF 00 01 00 00 00 00 FF 00 00 01 "
                   "FF FF FF FF 00 00 00 00 80 FF FF FF FF");
    QTest::newRow("lone surrogate and NUL in a help body")
        << fromHex("E9 A7 14 3D 00 01 00 00 00 00 FF FF FF FF 00 00 00 06 D8 00 00 00 00 41");
}

void ToolJsonTest::importOfAnExportWritesTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    TraceCapture quiet;
    SmeltFile file;
    QVERIFY(smeltFileKind(bytes, file.kind));
    if (file.kind == SmeltFile::Crafting)
        QCOMPARE(readCraftingData(bytes, file.groups).status, LoadStatus::Loaded);
    else
        QCOMPARE(readHelpTopics(bytes, file.topics).status, LoadStatus::Loaded);

    SmeltFile back;
    QString error;
    QVERIFY2(importJson(exportJson(file), back, error), qPrintable(error));
    QCOMPARE(fileBytes(back), bytes);
}

void ToolJsonTest::exportKeepsNullAndEmptyApart()
{
    SmeltFile file;
    file.kind = SmeltFile::Help;
    file.topics = {HelpTopic{QString(), QStringLiteral(""), QStringLiteral("a\"\\\n\x01")}};
    QCOMPARE(exportJson(file), QByteArray("{\n"
                                          "    \"format\": \"smeltwork-help\",\n"
                                          "    \"topics\": [\n"
                                          "        {\n"
                                          "            \"id\": null,\n"
                                          "            \"header\": \"\",\n"
                                          "            \"body\": \"a\\\"\\\\\\n\\u0001\"\n"
                                          "        }\n"
                                          "    ]\n"
                                          "}\n"));
    SmeltFile back;
    QString error;
    QVERIFY(importJson(exportJson(file), back, error));
    QVERIFY(back.topics.at(0).id.isNull());
    QVERIFY(!back.topics.at(0).header.isNull());
    QVERIFY(back.topics.at(0).header.isEmpty());
}

static QByteArray repeatedList(const char *head, const char *entry, int count, const char *tail)
{
    QByteArray json = head;
    for (int i = 0; i < count; ++i) {
        if (i)
            json += ',';
        json += entry;
    }
    return json + tail;
}

void ToolJsonTest::listsOfExactlyTheFileLimitAreAccepted()
{
    SmeltFile file;
    QString error;
    QVERIFY2(importJson(repeatedList("{\"format\":\"smeltwork-data\",\"groups\":[",
                                     "{\"name\":null,\"procs\":[]}", 65535, "]}"),
                        file, error),
             qPrintable(error));
    QCOMPARE(file.groups.size(), 65535);

    QVERIFY(!importJson(repeatedList("{\"format\":\"smeltwork-help\",\"topics\":[",
                                     "{\"id\":\"1\",\"header\":\"\",\"body\":null}", 65536, "]}"),
                        file, error));
    QCOMPARE(error, QStringLiteral("$.topics: 65536 entries, but the file holds at most 65535"));
    QCOMPARE(file.groups.size(), 65535); // untouched by the refused import
}

void ToolJsonTest::badJsonIsRefusedWithThePathOfTheValue_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    const auto data = [](const char *req) {
        return QByteArray("{\"format\":\"smeltwork-data\",\"groups\":[{\"name\":\"G\",\"procs\":["
                          "{\"name\":\"P\",\"maxQL\":10,\"minQL\":1,\"reqs\":[") +
               req + "]}]}]}";
    };
    const auto proc = [](const char *fields) {
        return QByteArray(
                   "{\"format\":\"smeltwork-data\",\"groups\":[{\"name\":\"G\",\"procs\":[{") +
               fields + "}]}]}";
    };
    const auto topic = [](const char *fields) {
        return QByteArray("{\"format\":\"smeltwork-help\",\"topics\":[{") + fields + "}]}";
    };

    QTest::newRow("not JSON at all")
        << QByteArray("Smeltwork") << "near line 1, column 2: illegal value";
    QTest::newRow("syntax error on a later line")
        << QByteArray("{\n  \"format\": \"smeltwork-data\",\n  \"groups\": [,]\n}")
        << "near line 3, column 15: illegal value";
    QTest::newRow("an array at the top")
        << QByteArray("[]") << "$: expected an object, found an array";
    QTest::newRow("no format") << QByteArray("{\"groups\":[]}")
                               << "$.format: expected \"smeltwork-data\" or \"smeltwork-help\"";
    QTest::newRow("unknown format")
        << QByteArray("{\"format\":\"smeltwork\",\"groups\":[]}")
        << "$.format: expected \"smeltwork-data\" or \"smeltwork-help\"";
    QTest::newRow("missing list") << QByteArray("{\"format\":\"smeltwork-data\"}")
                                  << "$: missing key \"groups\"";
    QTest::newRow("unknown key")
        << QByteArray("{\"format\":\"smeltwork-data\",\"groups\":[],\"topics\":[]}")
        << "$.topics: unknown key (expected format, groups)";
    QTest::newRow("groups not a list")
        << QByteArray("{\"format\":\"smeltwork-data\",\"groups\":{}}")
        << "$.groups: expected an array, found an object";
    QTest::newRow("group name a number")
        << QByteArray("{\"format\":\"smeltwork-data\",\"groups\":[{\"name\":5,\"procs\":[]}]}")
        << "$.groups[0].name: expected a string or null, found a number";
    QTest::newRow("QL above 255") << proc("\"name\":\"P\",\"maxQL\":256,\"minQL\":1,\"reqs\":[]")
                                  << "$.groups[0].procs[0].maxQL: 256 is out of range (0 to 255)";
    QTest::newRow("QL below 0") << proc("\"name\":\"P\",\"maxQL\":2,\"minQL\":-1,\"reqs\":[]")
                                << "$.groups[0].procs[0].minQL: -1 is out of range (0 to 255)";
    QTest::newRow("QL not whole") << proc("\"name\":\"P\",\"maxQL\":1.5,\"minQL\":1,\"reqs\":[]")
                                  << "$.groups[0].procs[0].maxQL: 1.5 is not a whole number";
    QTest::newRow("QL as text") << proc("\"name\":\"P\",\"maxQL\":\"9\",\"minQL\":1,\"reqs\":[]")
                                << "$.groups[0].procs[0].maxQL: expected a number, found a string";
    QTest::newRow("misspelt key") << proc("\"name\":\"P\",\"maxQl\":9,\"minQL\":1,\"reqs\":[]")
                                  << "$.groups[0].procs[0].maxQl: unknown key "
                                     "(expected name, maxQL, minQL, reqs)";
    QTest::newRow("type outside 8 bits")
        << data("{\"name\":\"R\",\"multiplier\":\"1\",\"type\":256,\"id\":1}")
        << "$.groups[0].procs[0].reqs[0].type: 256 is out of range (0 to 255)";
    QTest::newRow("negative type")
        << data("{\"name\":\"R\",\"multiplier\":\"1\",\"type\":-1,\"id\":1}")
        << "$.groups[0].procs[0].reqs[0].type: -1 is out of range (0 to 255)";
    QTest::newRow("id above 32 bits")
        << data("{\"name\":\"R\",\"multiplier\":\"1\",\"type\":0,\"id\":2147483648}")
        << "$.groups[0].procs[0].reqs[0].id: 2147483648 is out of range (-2147483648 to "
           "2147483647)";
    QTest::newRow("id below 32 bits")
        << data("{\"name\":\"R\",\"multiplier\":\"1\",\"type\":0,\"id\":-2147483649}")
        << "$.groups[0].procs[0].reqs[0].id: -2147483649 is out of range (-2147483648 to "
           "2147483647)";
    QTest::newRow("multiplier a number")
        << data("{\"name\":\"R\",\"multiplier\":1.5,\"type\":0,\"id\":1}")
        << "$.groups[0].procs[0].reqs[0].multiplier: expected a string or null, found a number";
    QTest::newRow("second requirement lacks its id")
        << data("{\"name\":\"R\",\"multiplier\":\"1\",\"type\":0,\"id\":1},"
                "{\"name\":\"S\",\"multiplier\":\"1\",\"type\":1}")
        << "$.groups[0].procs[0].reqs[1]: missing key \"id\"";
    QTest::newRow("code unit above 16 bits")
        << topic("\"id\":{\"utf16\":[49,65536]},\"header\":\"\",\"body\":null")
        << "$.topics[0].id.utf16[1]: 65536 is out of range (0 to 65535)";
    QTest::newRow("body true")
        << topic("\"id\":\"1\",\"header\":\"\",\"body\":true")
        << "$.topics[0].body: expected a string or null, found true or false";
    QTest::newRow("topic without header")
        << topic("\"id\":\"1\",\"body\":\"\"") << "$.topics[0]: missing key \"header\"";
}

void ToolJsonTest::badJsonIsRefusedWithThePathOfTheValue()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    SmeltFile file;
    QString reported;
    QVERIFY(!importJson(json, file, reported));
    QCOMPARE(reported, error);
}

void ToolJsonTest::aRefusedImportLeavesTheFileAlone()
{
    SmeltFile file;
    file.groups = {ProcGroup{QStringLiteral("Kept"), {}}};
    QString error;
    QVERIFY(
        !importJson("{\"format\":\"smeltwork-data\",\"groups\":[{\"name\":\"New\",\"procs\":[]},"
                    "{\"name\":\"Bad\",\"procs\":7}]}",
                    file, error));
    QCOMPARE(file.kind, SmeltFile::Crafting);
    const CraftingData kept{ProcGroup{QStringLiteral("Kept"), {}}};
    QCOMPARE(file.groups, kept);
}

QTEST_GUILESS_MAIN(ToolJsonTest)
#include "tst_tooljson.moc"
