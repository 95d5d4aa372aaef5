#include "checks.h"
#include "jsonio.h"
#include "sampletree.h"
#include "smelttool.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <limits>

namespace {

struct Result
{
    int exitCode;
    QByteArray out, err;
};

// smeltwork-tool as a user runs it, in the current folder.
Result run(const QStringList &arguments, const QByteArray &input = {})
{
    QBuffer out, err, in;
    in.setData(input);
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    in.open(QIODevice::ReadOnly);
    const int exitCode = runSmeltworkTool(arguments, out, err, in);
    return {exitCode, out.data(), err.data()};
}

// Null and empty strings, quotes and escapes, control characters with NUL, a surrogate pair,
// and lone surrogates that UTF-8 cannot hold.
QString randomText(QRandomGenerator &random)
{
    static const char16_t special[] = {u'"', u'\\', u'\n', u'\r',  u'\t',  0,      0x1F,
                                       0x7F, u'/',  0xE4,  0x20AC, 0xFFFF, 0xD800, 0xDFFF};
    QString text = random.bounded(8) ? QStringLiteral("") : QString();
    for (int i = text.isNull() || !random.bounded(8) ? 0 : int(random.bounded(1, 12)); i > 0; --i)
        text += random.bounded(2)   ? QChar(special[random.bounded(int(std::size(special)))])
                : random.bounded(2) ? QString::fromUcs4(U"\U0001F528")
                                    : QChar(char16_t(random.bounded(0x20, 0x7F)));
    return text;
}

template <typename T> T oneOf(QRandomGenerator &random, std::initializer_list<T> values)
{
    return values.begin()[random.bounded(int(values.size()))];
}

SmeltFile randomFile(QRandomGenerator &random)
{
    SmeltFile file{random.bounded(2) ? SmeltFile::Help : SmeltFile::Crafting, {}, {}};
    file.topics.resize(file.kind == SmeltFile::Help ? random.bounded(6) : 0);
    for (HelpTopic &t : file.topics)
        t = {randomText(random), randomText(random), randomText(random)};
    file.groups.resize(file.kind == SmeltFile::Crafting ? random.bounded(4) : 0);
    for (ProcGroup &g : file.groups) {
        g = {randomText(random), QList<Proc>(random.bounded(4))};
        for (Proc &p : g.procs) {
            p = {randomText(random), oneOf<quint8>(random, {0, 1, 127, 128, 255}),
                 oneOf<quint8>(random, {0, 1, 200, 255}), QList<Req>(random.bounded(4))};
            for (Req &r : p.reqs)
                r = {randomText(random), randomText(random),
                     oneOf<qint8>(random, {0, 1, 2, -128, -1}),
                     oneOf<qint32>(random, {0, 1, -1, std::numeric_limits<qint32>::min(),
                                            std::numeric_limits<qint32>::max()})};
        }
    }
    return file;
}

QByteArray repeated(const char *head, const char *entry, int count)
{
    QByteArray list = QByteArray(entry).append(',').repeated(count);
    return head + list.chopped(1) + "]}";
}

} // namespace

class ToolTest : public QObject
{
    Q_OBJECT

    ScratchFolder folder; // the tool's working folder, with these files in it:
    const CraftingData data{{"Smelting",
                             {proc("Copper Ingot",
                                   {item("Copper Ore", "2", 40211), skill(nullptr, ""),
                                    skill("Gl\u00fchen \"hot\"", "x2", 7, -1)},
                                   150, 1),
                              proc("", {}, 0, 0)}},
                            {QString(), {}}};
    const HelpTopics topics{{"1", "Intro", QString()},
                            {"1.1", "", ""},
                            {"2", "Tabs\tand \\", "<b>Bold</b><br>\n\n  indented\r\nlast"}};

private Q_SLOTS:
    void initTestCase()
    {
        TraceCapture quiet;
        QVERIFY(saveCraftingFile("good.dat", data, false) == SaveStatus::Saved);
        QVERIFY(saveHelpTopics("good.hlp", topics, false) == SaveStatus::Saved);
        QVERIFY(saveHelpTopics("tiny.hlp", {{QString(), "", "a\"\\\n\x01"}}, false) ==
                SaveStatus::Saved);
        const std::pair<const char *, QByteArray> files[] = {
            {"damaged.dat", folder.readFile("good.dat").left(62)}, // inside the first requirement
            {"damaged.hlp", folder.readFile("good.hlp").left(32)}, // inside the second topic
            {"odd.hlp", fromHex("E9 A7 14 3D 00 01 00 00 00 00 FF FF FF FF 00 00 00 06 D8 00 00 "
                                "00 00 41")}, // a lone surrogate and NUL in the body
            {"clean.dat", fromHex("2A E5 10 A4 00 01 00 00 00 02 00 47 00 00")},
            {"foreign.bin", "GIF89a...."},
            {"short.bin", fromHex("2A E5 10")},
            {"swapped.dat", fromHex("A4 10 E5 2A 00 00")},
            {"empty.bin", ""},
            {"clean.json", R"({"format":"smeltwork-help","topics":[]})"},
            {"broken.json", R"({"format":"smeltwork-help","topics":[})"}};
        for (const auto &[name, bytes] : files)
            folder.writeFile(QString::fromUtf8(name), bytes);
        QVERIFY(QDir().mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::copy(QStringLiteral(SMELT_EXAMPLES "/Smeltwork.dat"), "example.dat"));
    }

    void randomFilesSurviveExportAndImport()
    {
        QRandomGenerator random(20261205);
        for (int round = 0; round < 600; ++round) {
            const SmeltFile file = randomFile(random);
            const QByteArray json = exportJson(file);
            SmeltFile back;
            QString error;
            QVERIFY2(importJson(json, back, error), qPrintable(error + QLatin1Char('\n') + json));
            QVERIFY2(back.kind == file.kind && back.groups == file.groups &&
                         back.topics == file.topics,
                     json.constData());
        }
    }

    void importOfAnExportWritesTheSameBytes()
    {
        for (const QString file : {"example.dat", "good.dat", "good.hlp", "odd.hlp"}) {
            const Result exported = run({"export", file});
            const Result imported = run({"import", "-", "imported"}, exported.out);
            QCOMPARE(exported.exitCode + imported.exitCode, 0);
            QCOMPARE(imported.out + imported.err, QByteArray());
            QCOMPARE(folder.readFile("imported"), folder.readFile(file));
        }
    }

    // Each change to a sound document -> the error it is refused with, naming the path of
    // the offending value; the file to be filled is left as it was.
    void badJsonIsRefusedWithThePathOfTheValue()
    {
        QStringList errors;
        const auto refuse = [&errors](const QByteArray &json) {
            SmeltFile file{SmeltFile::Crafting, {{"Kept", {}}}, {}};
            QString error;
            const bool imported = importJson(json, file, error);
            errors << (imported || file.groups.size() != 1 || file.groups[0].name != "Kept"
                           ? "imported or changed: " + json
                           : error);
        };
        const auto data = [&refuse](const char *from, const char *to) {
            refuse(QByteArray(R"({"format":"smeltwork-data","groups":[{"name":"G","procs":[{)"
                              R"("name":"P","maxQL":10,"minQL":1,"reqs":[{"name":"R",)"
                              R"("multiplier":"1","type":0,"id":1}]}]}]})")
                       .replace(from, to));
        };
        const auto help = [&refuse](const char *from, const char *to) {
            refuse(QByteArray(R"({"format":"smeltwork-help","topics":[{"id":"1","header":"",)"
                              R"("body":null}]})")
                       .replace(from, to));
        };
        refuse("Smeltwork");
        refuse("{\n  \"format\": \"smeltwork-data\",\n  \"groups\": [,]\n}");
        refuse("[]");
        refuse(R"({"format":"smeltwork-data"})");
        refuse(R"({"format":"smeltwork-data","groups":{}})");
        data("smeltwork-data", "smeltwork");
        data(R"("name":"G")", R"("name":5)");
        data(R"("maxQL":10)", R"("maxQL":256)");
        data(R"("minQL":1)", R"("minQL":-1)");
        data(R"("maxQL":10)", R"("maxQL":1.5)");
        data(R"("maxQL":10)", R"("maxQL":"9")");
        data(R"("maxQL")", R"("maxQl")");
        data(R"("type":0)", R"("type":256)");
        data(R"("type":0)", R"("type":-1)");
        data(R"("id":1)", R"("id":2147483648)");
        data(R"("id":1)", R"("id":-2147483649)");
        data(R"("id":1})", R"("id":1},{"name":"S","multiplier":"1","type":1})");
        help(R"("id":"1")", R"("id":{"utf16":[49,65536]})");
        help(R"("body":null)", R"("body":true)");
        refuse(repeated(R"({"format":"smeltwork-help","topics":[)",
                        R"({"id":"1","header":"","body":null})", 65536));
        const QString req = QStringLiteral("$.groups[0].procs[0].reqs");
        QCOMPARE(errors,
                 (QStringList{
                     "near line 1, column 2: illegal value",
                     "near line 3, column 15: illegal value",
                     "$: expected an object, found an array",
                     R"($: missing key "groups")",
                     "$.groups: expected an array, found an object",
                     R"($.format: expected "smeltwork-data" or "smeltwork-help")",
                     "$.groups[0].name: expected a string or null, found a number",
                     "$.groups[0].procs[0].maxQL: 256 is out of range (0 to 255)",
                     "$.groups[0].procs[0].minQL: -1 is out of range (0 to 255)",
                     "$.groups[0].procs[0].maxQL: 1.5 is not a whole number",
                     "$.groups[0].procs[0].maxQL: expected a number, found a string",
                     "$.groups[0].procs[0].maxQl: unknown key (expected name, maxQL, minQL, reqs)",
                     req + "[0].type: 256 is out of range (0 to 255)",
                     req + "[0].type: -1 is out of range (0 to 255)",
                     req + "[0].id: 2147483648 is out of range (-2147483648 to 2147483647)",
                     req + "[0].id: -2147483649 is out of range (-2147483648 to 2147483647)",
                     req + R"([1]: missing key "id")",
                     "$.topics[0].id.utf16[1]: 65536 is out of range (0 to 65535)",
                     "$.topics[0].body: expected a string or null, found true or false",
                     "$.topics: 65536 entries, but the file holds at most 65535"}));
    }

    void listsOfExactlyTheFileLimitAreAccepted()
    {
        SmeltFile file;
        QString error;
        QVERIFY2(importJson(repeated(R"({"format":"smeltwork-data","groups":[)",
                                     R"({"name":null,"procs":[]})", 65535),
                            file, error),
                 qPrintable(error));
        QCOMPARE(file.groups.size(), 65535);
    }

    // Every rule at once, in file order, next to records that look alike but are sound.
    void checkFindsEveryRuleWithItsPath()
    {
        const QList<Req> reqs{item("Ore", "2", 40211),
                              skill("Smelting", "1"),
                              item("Crucible", "0", 40012),
                              skill("Luck", ""),
                              item("Sand", " 0.5 ", 7),
                              item("Ore", "1", 5),
                              skill("ore", "1"),
                              skill("Odd", "1", 2, 9),
                              skill("Odder", "1", -1, 9),
                              skill("Smithing", "1", 1, -1),
                              item("Anvil", "1", 0),
                              item("A", "1,5", 1),
                              item("B", "x2", 2),
                              item("D", nullptr, 4),
                              item("E", "  ", 5),
                              item("F", "1e999", 6),
                              item("G", "0.0", 7),
                              item(nullptr, "1", 5),
                              skill("", "1")};
        const SmeltFile data{SmeltFile::Crafting,
                             {{"Ores",
                               {proc("Ingot", reqs), proc("Special", {}, 50, 50),
                                proc("Upside down", {}, 10, 200), proc("Ingot"), proc("")}},
                              {"Ores", {}},
                              {QString(), {}}},
                             {}};
        const QString r = QStringLiteral("$.groups[0].procs[0].reqs[%1].");
        QCOMPARE(checkFile(data),
                 (QStringList{
                     r.arg(5) + R"(name: name "Ore" repeats $.groups[0].procs[0].reqs[0].name)",
                     r.arg(7) + "type: type 2 is neither item/tool (0) nor skill (1)",
                     r.arg(8) + "type: type 255 is neither item/tool (0) nor skill (1)",
                     r.arg(9) + "id: skill with id -1 (skills carry 0)",
                     r.arg(10) + "id: item/tool with id 0",
                     r.arg(11) + R"(multiplier: "1,5" is not a number, so the requirement counts )"
                                 "as fixed",
                     r.arg(12) + R"(multiplier: "x2" is not a number, so the requirement counts )"
                                 "as fixed",
                     r.arg(17) + "name: empty name", r.arg(18) + "name: empty name",
                     "$.groups[0].procs[2]: minimum QL 200 is above maximum QL 10",
                     R"($.groups[0].procs[3].name: name "Ingot" repeats $.groups[0].procs[0].name)",
                     "$.groups[0].procs[4].name: empty name",
                     R"($.groups[1].name: name "Ores" repeats $.groups[0].name)",
                     "$.groups[2].name: empty name"}));

        // A topic is a sub-topic when its id reads as a number with a positive fraction
        // ("1,5" reads as 1, a word as 0); it hangs below the last top-level topic before it.
        SmeltFile help{SmeltFile::Help, {}, {}};
        for (const char *id : {"0.5", "1.5abc", " \t+3.25", ".5", "1,5", "0.25", "HLP_", "-1.5",
                               "1", "1", static_cast<const char *>(nullptr), "", "3"})
            help.topics.append({text(id), "Header", "fine <i>x</i>"});
        help.topics.last().body = "<b>bold<br>";
        const QString before = QStringLiteral(
            "$.topics[%1].id: sub-topic \"%2\" comes before any top-level topic, so it has no "
            "parent");
        QCOMPARE(checkFile(help),
                 (QStringList{before.arg(0).arg("0.5"), before.arg(1).arg("1.5abc"),
                              before.arg(2).arg(" \\t+3.25"), before.arg(3).arg(".5"),
                              R"($.topics[9].id: id "1" repeats $.topics[8].id)",
                              R"($.topics[11].id: id "" repeats $.topics[10].id)",
                              "$.topics[12].body: line 1, column 1: <b> is never closed"}));
    }

    void bodyTags_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("problems");
        const auto row = [](const char *name, const char *body, const QStringList &problems) {
            QTest::newRow(name) << text(body) << problems;
        };
        row("null body", nullptr, {});
        row("editor output", "Two <b>bold</b><br>\nand <u>under</u> <i>it</i><br>", {});
        row("case and attributes", R"(<B>x</b> <font color="red">y</FONT> <p align=center>z</p>)",
            {});
        row("self-closing forms", R"(a<br/>b<br />c<hr><img src="x.png">)", {});
        row("comparison, not a tag", "QL < 100 and 5<6", {});
        row("comment holds no tags", "<!-- <b> -->\n<!DOCTYPE html>", {});
        row("never closed", "ok\n  <b>bold", {"line 2, column 3: <b> is never closed"});
        row("closes nothing", "text</i>", {"line 1, column 5: </i> closes no open <i>"});
        row("closed across another", "<b><i>x</b>",
            {"line 1, column 4: <i> is not closed before </b> at line 1, column 8"});
        row("two left open", "<u>\n<b>",
            {"line 1, column 1: <u> is never closed", "line 2, column 1: <b> is never closed"});
        row("tag without its >", "<b>x</b\n",
            {R"(line 1, column 5: tag </b has no closing ">")",
             "line 1, column 1: <b> is never closed"});
        row("tag spanning lines", "<font\ncolor=red>x</font>\n<i>",
            {"line 3, column 1: <i> is never closed"});
    }

    void bodyTags()
    {
        QFETCH(QString, body);
        QTEST(bodyTagProblems(body), "problems");
    }

    // Every failure: its exit status and the first line on standard error, nothing on
    // standard output when the status is 2.
    void failuresAndTheirExitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const auto row = [](const QString &name, const QStringList &arguments, int exitCode,
                            const QString &message) {
            QTest::newRow(qPrintable(name)) << arguments << exitCode << message;
        };
        row("no command", {}, 2, "Usage: smeltwork-tool COMMAND [ARGUMENTS]");
        row("unknown command", {"show", "good.dat"}, 2,
            R"(smeltwork-tool: unknown command "show")");
        row("unknown option", {"--verbose"}, 2, R"(smeltwork-tool: unknown option "--verbose")");
        row("help for an unknown command", {"help", "show"}, 2,
            R"(smeltwork-tool: unknown command "show")");
        const QString notOurs = QStringLiteral("smeltwork-tool: %1: not a Smeltwork data or help "
                                               "file (it begins with \"%2\" instead of a known "
                                               "magic number)");
        for (const QString c : {"dump", "export", "check"}) {
            const QString usage = "smeltwork-tool: " + c +
                                  " takes 1 argument(s), %1 given; see "
                                  "\"smeltwork-tool " +
                                  c + " --help\"";
            row(c + ": no file", {c}, 2, usage.arg(0));
            row(c + ": two files", {c, "good.dat", "good.hlp"}, 2, usage.arg(2));
            row(c + ": unknown option", {c, "-x", "good.dat"}, 2,
                "smeltwork-tool: " + c + ": unknown option \"-x\"");
            row(c + ": missing file", {c, "missing.dat"}, 2,
                "smeltwork-tool: missing.dat: no such file");
            row(c + ": a folder", {c, "folder"}, 2,
                "smeltwork-tool: folder: is a folder, not a file");
            row(c + ": foreign file", {c, "foreign.bin"}, 2,
                notOurs.arg("foreign.bin", "47 49 46 38"));
            row(c + ": magic in the other byte order", {c, "swapped.dat"}, 2,
                notOurs.arg("swapped.dat", "A4 10 E5 2A"));
            row(c + ": too short for a magic", {c, "short.bin"}, 2,
                notOurs.arg("short.bin", "2A E5 10"));
            row(c + ": empty file", {c, "empty.bin"}, 2, notOurs.arg("empty.bin", ""));
            row(c + ": damaged data file", {c, "damaged.dat"}, 1,
                "smeltwork-tool: damaged.dat: Data file damaged at byte 60: kept 1 groups, 1 "
                "processes, 0 requirements");
            row(c + ": damaged help file", {c, "damaged.hlp"}, 1,
                "smeltwork-tool: damaged.hlp: Help file damaged at byte 30: kept 1 topics");
            row(c + ": a file named like an option after --", {c, "--", "good.hlp"}, 0, "");
        }
        const QString importUsage = QStringLiteral(
            "smeltwork-tool: import takes 2 argument(s), %1 given; see \"smeltwork-tool import "
            "--help\"");
        row("import: no arguments", {"import"}, 2, importUsage.arg(0));
        row("import: no output file", {"import", "clean.json"}, 2, importUsage.arg(1));
        row("import: missing JSON", {"import", "missing.json", "out.hlp"}, 2,
            "smeltwork-tool: missing.json: no such file");
        row("import: JSON is a folder", {"import", "folder", "out.hlp"}, 2,
            "smeltwork-tool: folder: cannot be read");
        row("import: broken JSON", {"import", "broken.json", "out.hlp"}, 2,
            "smeltwork-tool: broken.json: near line 1, column 39: object is missing after a "
            "comma; nothing was written");
        row("import: a binary file instead of JSON", {"import", "good.dat", "out.hlp"}, 2,
            "smeltwork-tool: good.dat: near line 1, column 2: illegal value; nothing was written");
        row("import: output in a missing folder", {"import", "clean.json", "nowhere/out.hlp"}, 2,
            "smeltwork-tool: nowhere/out.hlp: cannot be written");
        row("import: output is a folder", {"import", "clean.json", "folder"}, 2,
            "smeltwork-tool: folder: cannot be written");
        row("import: fine", {"import", "clean.json", "out.hlp"}, 0, "");
        row("check: nothing suspicious", {"check", "clean.dat"}, 0, "");
    }

    void failuresAndTheirExitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const Result result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QTEST(QString::fromUtf8(result.err).section(QLatin1Char('\n'), 0, 0), "message");
        if (exitCode == 2)
            QCOMPARE(result.out, QByteArray());
    }

    // What the tool prints on standard output, whole; help texts by their first line.
    void outputOfEachCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("dump data")
            << QStringList{"dump", "good.dat"} << 0
            << QByteArray("Smeltwork data file\n"
                          "group \"Smelting\"\n"
                          "  process \"Copper Ingot\" maxQL 150 minQL 1\n"
                          "    item \"Copper Ore\" multiplier \"2\" id 40211\n"
                          "    skill null multiplier \"\" id 0\n"
                          "    type-7 \"Gl\xc3\xbchen \\\"hot\\\"\" "
                          "multiplier \"x2\" id -1\n"
                          "  process \"\" maxQL 0 minQL 0\n"
                          "group null\n");
        QTest::newRow("dump help") << QStringList{"dump", "good.hlp"} << 0
                                   << QByteArray("Smeltwork help file\n"
                                                 "topic \"1\" header \"Intro\"\n"
                                                 "  body null\n"
                                                 "topic \"1.1\" header \"\"\n"
                                                 "  body \"\"\n"
                                                 "topic \"2\" header \"Tabs\\tand \\\\\"\n"
                                                 "  body\n"
                                                 "    | <b>Bold</b><br>\n"
                                                 "    |\n"
                                                 "    |   indented\\r\n"
                                                 "    | last\n");
        QTest::newRow("dump damaged") << QStringList{"dump", "damaged.dat"} << 1
                                      << QByteArray("Smeltwork data file\n"
                                                    "group \"Smelting\"\n"
                                                    "  process \"Copper Ingot\" maxQL 150 minQL 1\n"
                                                    "(damaged file: nothing after this point could "
                                                    "be read; groups: 1, processes: 1, "
                                                    "requirements: 0)\n");
        QTest::newRow("export keeps null and empty apart")
            << QStringList{"export", "tiny.hlp"} << 0
            << QByteArray("{\n"
                          "    \"format\": \"smeltwork-help\",\n"
                          "    \"topics\": [\n"
                          "        {\n"
                          "            \"id\": null,\n"
                          "            \"header\": \"\",\n"
                          "            \"body\": \"a\\\"\\\\\\n\\u0001\"\n"
                          "        }\n"
                          "    ]\n"
                          "}\n");
        QTest::newRow("check damaged help") << QStringList{"check", "damaged.hlp"} << 1
                                            << QByteArray("$: damaged file, read only in part "
                                                          "(topics: 1)\n");
        const QByteArray tool = "Usage: smeltwork-tool COMMAND [ARGUMENTS]";
        for (const char *option : {"--help", "-h", "help"})
            QTest::newRow(option) << QStringList{option} << 0 << tool;
        for (const char *usage :
             {"dump FILE", "export FILE", "import JSON OUTFILE", "check FILE"}) {
            const QString command = QString::fromLatin1(usage).section(QLatin1Char(' '), 0, 0);
            const QByteArray line = QByteArray("Usage: smeltwork-tool ") + usage;
            QTest::addRow("%s --help", usage) << QStringList{command, "--help"} << 0 << line;
            QTest::addRow("%s FILE -h", usage)
                << QStringList{command, "missing.dat", "-h"} << 0 << line;
            QTest::addRow("help %s", usage) << QStringList{"help", command} << 0 << line;
        }
    }

    void outputOfEachCommand()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        const Result result = run(arguments);
        QTEST(result.exitCode, "exitCode");
        QCOMPARE(out.endsWith('\n') ? result.out : result.out.left(result.out.indexOf('\n')), out);
        if (result.exitCode == 0)
            QCOMPARE(result.err, QByteArray());
    }

    // Neither the file named nor a new one is written, and no temporary or backup is left.
    void refusedImportWritesNothing()
    {
        folder.writeFile(QStringLiteral("target.dat"), "old");
        for (const char *target : {"target.dat", "fresh.dat"}) {
            const Result result =
                run({"import", "-", target},
                    R"({"format":"smeltwork-data","groups":[{"name":"G","procs":[{"name":"P",)"
                    R"("maxQL":256,"minQL":1,"reqs":[]}]}]})");
            QCOMPARE(result.exitCode, 2);
            QCOMPARE(result.err, "smeltwork-tool: standard input: $.groups[0].procs[0].maxQL: 256 "
                                 "is out of range (0 to 255); nothing was written\n");
        }
        QCOMPARE(folder.readFile(QStringLiteral("target.dat")), QByteArray("old"));
        QCOMPARE(QDir().entryList({"target.dat*", "fresh.dat*"}), QStringList{"target.dat"});
    }
};

QTEST_GUILESS_MAIN(ToolTest)
#include "tst_tool.moc"
