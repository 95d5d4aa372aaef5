#include "checks.h"
#include "jsonio.h"
#include "sampletree.h"
#include "smelttool.h"
#include "testsupport.h"
#include "translations.h"

#include <QBuffer>
#include <QDir>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QTest>
#include <array>
#include <climits>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out, err;
};

// smeltwork-tool as a user runs it, in the current folder, without a process of its own.
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

// A data or help file of random records: null and empty strings, JSON's escapes, control
// characters with NUL, surrogates paired and alone (UTF-8 cannot hold those), extreme numbers.
void saveRandomFile(QRandomGenerator &random, const QString &name)
{
    const auto pick = [&random](auto... values) {
        const std::array all{values...};
        return all[random.bounded(int(all.size()))];
    };
    const auto text = [&] {
        QString s = pick(0, 1, 1) ? QStringLiteral("") : QString();
        for (int i = s.isNull() ? 0 : pick(0, 1, 5, 12); i > 0; --i)
            s += QChar(pick(u'"', u'\\', u'\n', u'\r', u'\t', u'\0', u'\x1F', u'\x7F', u'/', u'a',
                            u'\u00E4', u'\uFFFF', char16_t(0xD83D), char16_t(0xDD28)));
        return s;
    };
    HelpTopics topics(pick(0, 1, 5));
    for (HelpTopic &t : topics)
        t = {text(), text(), text()};
    CraftingData groups(pick(0, 1, 3));
    for (ProcGroup &g : groups) {
        g = {text(), QList<Proc>(pick(0, 1, 3))};
        for (Proc &p : g.procs) {
            p = {text(), quint8(pick(0, 128, 255)), quint8(pick(0, 200, 255)),
                 QList<Req>(pick(0, 1, 3))};
            for (Req &r : p.reqs)
                r = {text(), text(), qint8(pick(0, 1, -128, -1)), pick(0, -1, INT_MIN, INT_MAX)};
        }
    }
    TraceCapture quiet;
    QVERIFY(pick(true, false) ? saveHelpTopics(name, topics, false) == SaveStatus::Saved
                              : saveCraftingFile(name, groups, false) == SaveStatus::Saved);
}

QByteArray topicsJson(int count)
{
    return R"({"format":"smeltwork-help","topics":[)" +
           QByteArray(R"({"id":"1","header":"","body":null},)").repeated(count).chopped(1) + "]}";
}

} // namespace

class ToolTest : public QObject
{
    Q_OBJECT

    ScratchFolder folder; // the tool's working folder

private Q_SLOTS:
    void initTestCase()
    {
        installTranslations();
        // No trace, as in the tool: the commands run in this process.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        TraceCapture quiet;
        const CraftingData data{{"Smelting",
                                 {proc("Copper Ingot",
                                       {item("Copper Ore", "2", 40211), skill(nullptr, ""),
                                        skill("Gl\u00fchen \"hot\"\x7f", "x2", 7, -1)},
                                       150, 1),
                                  proc("", {}, 0, 0)}},
                                {QString(), {}}};
        QVERIFY(saveCraftingFile("good.dat", data, false) == SaveStatus::Saved);
        QVERIFY(saveHelpTopics("good.hlp",
                               {{"1", "Intro", QString()},
                                {"1.1", "", ""},
                                {"2", "Tabs\tand \\", "<b>Bold</b><br>\n\n  indented\r\nlast"}},
                               false) == SaveStatus::Saved);
        QVERIFY(saveHelpTopics("tiny.hlp", {{QString(), "", "a\"\\\n\x01"}}, false) ==
                SaveStatus::Saved);
        folder.writeFile("damaged.dat", folder.readFile("good.dat").left(62)); // in a requirement
        folder.writeFile("damaged.hlp", folder.readFile("good.hlp").left(32)); // in topic 2
        folder.writeFile("foreign.bin", "GIF89a....");
        folder.writeFile("short.bin", fromHex("2A E5 10"));
        folder.writeFile("magic.dat", fromHex("2A E5 10 A4"));
        folder.writeFile("clean.json", topicsJson(1));
        folder.writeFile("broken.json", R"({"format":"smeltwork-help","topics":[})");
        QVERIFY(QDir().mkdir(QStringLiteral("folder")));
        QVERIFY(QFile::copy(QStringLiteral(SMELT_EXAMPLES "/Smeltwork.dat"), "example.dat"));
    }

    // The example, then random files: importing the export writes the same bytes.
    void randomFilesSurviveExportAndImport()
    {
        QRandomGenerator random(20261205);
        for (int round = 0; round < 500; ++round) {
            const QString file = round ? QStringLiteral("random") : QStringLiteral("example.dat");
            if (round)
                saveRandomFile(random, file);
            const Result exported = run({"export", file});
            const Result imported = run({"import", "-", "imported"}, exported.out);
            QVERIFY2(exported.exitCode + imported.exitCode == 0 && imported.err.isEmpty() &&
                         folder.readFile("imported") == folder.readFile(file),
                     exported.out + imported.err);
        }
    }

    // A broken document -> the error, naming the offending value; nothing is filled in.
    void badJsonIsRefusedWithThePathOfTheValue()
    {
        const auto dat = [](const char *from, const char *to) {
            return QByteArray(R"({"format":"smeltwork-data","groups":[{"name":"G","procs":[{)"
                              R"("name":"P","maxQL":10,"minQL":1,"reqs":[{"name":"R",)"
                              R"("multiplier":"1","type":0,"id":1}]}]}]})")
                .replace(from, to);
        };
        const QString p = QStringLiteral("$.groups[0].procs[0]."), r = p + "reqs[0].";
        const QString id = QStringLiteral(" is out of range (-2147483648 to 2147483647)");
        const std::pair<QByteArray, QString> cases[] = {
            {"Smeltwork", "near line 1, column 2: illegal value"},
            {"{\n  \"format\": \"smeltwork-data\",\n  \"groups\": [,]\n}",
             "near line 3, column 15: illegal value"},
            {"[]", "$: expected an object, found an array"},
            {R"({"format":"smeltwork-data"})", R"($: missing key "groups")"},
            {R"({"format":"smeltwork-data","groups":{}})",
             "$.groups: expected an array, found an object"},
            {dat("smeltwork-data", "smeltwork"),
             R"($.format: expected "smeltwork-data" or "smeltwork-help")"},
            {dat(R"("name":"G")", R"("name":5)"),
             "$.groups[0].name: expected a string or null, found a number"},
            {dat(R"("maxQL":10)", R"("maxQL":256)"), p + "maxQL: 256 is out of range (0 to 255)"},
            {dat(R"("minQL":1)", R"("minQL":-1)"), p + "minQL: -1 is out of range (0 to 255)"},
            {dat(R"("maxQL":10)", R"("maxQL":1.5)"), p + "maxQL: 1.5 is not a whole number"},
            {dat(R"("maxQL":10)", R"("maxQL":"9")"),
             p + "maxQL: expected a number, found a string"},
            {dat(R"("maxQL")", R"("maxQl")"),
             p + "maxQl: unknown key (expected name, maxQL, minQL, reqs)"},
            {dat(R"("type":0)", R"("type":256)"), r + "type: 256 is out of range (0 to 255)"},
            {dat(R"("type":0)", R"("type":-1)"), r + "type: -1 is out of range (0 to 255)"},
            {dat(R"("id":1)", R"("id":2147483648)"), r + "id: 2147483648" + id},
            {dat(R"("id":1)", R"("id":-2147483649)"), r + "id: -2147483649" + id},
            {dat(R"("id":1})", R"("id":1},{"name":"S","multiplier":"1","type":1})"),
             p + R"(reqs[1]: missing key "id")"},
            {topicsJson(1).replace(R"("id":"1")", R"("id":{"utf16":[49,65536]})"),
             "$.topics[0].id.utf16[1]: 65536 is out of range (0 to 65535)"},
            {topicsJson(1).replace("null", "true"),
             "$.topics[0].body: expected a string or null, found true or false"},
            {topicsJson(65536), "$.topics: 65536 records, but the file holds at most 65535"}};
        for (const auto &[json, expected] : cases) {
            SmeltFile file = HelpTopics{{"Kept", "", ""}};
            QString error;
            QVERIFY2(!importJson(json, file, error) && std::get<HelpTopics>(file).size() == 1,
                     json.left(200));
            QCOMPARE(error, expected);
        }
        SmeltFile file;
        QString error;
        QVERIFY2(importJson(topicsJson(65535), file, error), qPrintable(error));
    }

    // Every rule, in file order, next to records that look alike but are sound. A sub-topic
    // has an id with a positive fraction ("1,5" reads as 1, a word as 0), and hangs below the
    // last top-level topic before it. Bodies are HTML as the help view reads it.
    void checkFindsEveryRuleWithItsPath()
    {
        const QList<Req> reqs{
            item("Ore", "2", 40211),    skill("Smelting", "1"),   item("Crucible", "0", 40012),
            skill("Luck", ""),          item("Sand", " 0.5 ", 7), item("Ore", "1", 5),
            skill("ore", "1"),          skill("Odd", "1", 2, 9),  skill("Odder", "1", -1, 9),
            skill("Smith", "1", 1, -1), item("Anvil", "1", 0),    item("A", "1,5", 1),
            item("B", "x2", 2),         item("D", nullptr, 4),    item("E", "  ", 5),
            item("F", "1e999", 6),      item(nullptr, "1", 5),    skill("", "1")};
        const SmeltFile data =
            CraftingData{{"Ores",
                          {proc("Ingot", reqs), proc("Special", {}, 50, 50),
                           proc("Upside down", {}, 10, 200), proc("Ingot"), proc("")}},
                         {"Ores", {}},
                         {QString(), {}}};
        QCOMPARE(u'\n' + checkFile(data).join(u'\n'), QString(R"(
$.groups[0].procs[0].reqs[5].name: name "Ore" repeats $.groups[0].procs[0].reqs[0].name
$.groups[0].procs[0].reqs[7].type: type 2 is neither item/tool (0) nor skill (1)
$.groups[0].procs[0].reqs[8].type: type 255 is neither item/tool (0) nor skill (1)
$.groups[0].procs[0].reqs[9].id: skill with id -1 (skills carry 0)
$.groups[0].procs[0].reqs[10].id: item/tool with id 0
$.groups[0].procs[0].reqs[11].multiplier: "1,5" is not a number, so the requirement counts as fixed
$.groups[0].procs[0].reqs[12].multiplier: "x2" is not a number, so the requirement counts as fixed
$.groups[0].procs[0].reqs[16].name: empty name
$.groups[0].procs[0].reqs[17].name: empty name
$.groups[0].procs[2]: minimum QL 200 is above maximum QL 10
$.groups[0].procs[3].name: name "Ingot" repeats $.groups[0].procs[0].name
$.groups[0].procs[4].name: empty name
$.groups[1].name: name "Ores" repeats $.groups[0].name
$.groups[2].name: empty name)"));

        const std::pair<const char *, const char *> help[] = {
            {"0.5", "Two <b>bold</b><br>\nand <u>under</u> <i>it</i><br>"},
            {"1.5abc", R"(<B>x</b> <font color="red">y</FONT> <p align=center>z</p>)"},
            {" \t+3.25", R"(a<br/>b<br />c<hr><img src="x.png">)"},
            {".5", "QL < 100 and 5<6"},
            {"1,5", "<!-- <b> -->\n<!DOCTYPE html>"},
            {"0.25", nullptr},
            {"HLP_", "ok\n  <b>bold"},
            {"-1.5", "text</i>"},
            {"1", "<b><i>x</b>"},
            {"1", "<u>\n<b>"},
            {nullptr, "<b>x</b\n"},
            {"", "<font\ncolor=red>x</font>\n<i>"}};
        HelpTopics topics;
        for (const auto &[id, body] : help)
            topics.append({text(id), "Header", text(body)});
        QCOMPARE(u'\n' + checkFile(topics).join(u'\n'), QString(R"(
$.topics[0].id: sub-topic "0.5" comes before any top-level topic, so it has no parent
$.topics[1].id: sub-topic "1.5abc" comes before any top-level topic, so it has no parent
$.topics[2].id: sub-topic " \t+3.25" comes before any top-level topic, so it has no parent
$.topics[3].id: sub-topic ".5" comes before any top-level topic, so it has no parent
$.topics[6].body: line 2, column 3: <b> is never closed
$.topics[7].body: line 1, column 5: </i> closes no open <i>
$.topics[8].body: line 1, column 4: <i> is not closed before </b> at line 1, column 8
$.topics[9].id: id "1" repeats $.topics[8].id
$.topics[9].body: line 1, column 1: <u> is never closed
$.topics[9].body: line 2, column 1: <b> is never closed
$.topics[10].body: line 1, column 5: tag </b has no closing ">"
$.topics[10].body: line 1, column 1: <b> is never closed
$.topics[11].id: id "" repeats $.topics[10].id
$.topics[11].body: line 3, column 1: <i> is never closed)"));
    }

    // Arguments -> exit status, the first line on standard error (after "smeltwork-tool: ")
    // and standard output: whole when `out` ends a line, else its first line.
    void commands_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QByteArray>("out");
        const auto row = [](const QString &arguments, int exitCode, const QString &err,
                            const QByteArray &out = "") {
            QTest::newRow(arguments.isEmpty() ? "no arguments" : qPrintable(arguments))
                << arguments << exitCode << err << out;
        };
        const QByteArray usage = "Usage: smeltwork-tool COMMAND [ARGUMENTS]";
        row("", 2, usage);
        row("show good.dat", 2, R"(unknown command "show")");
        row("--verbose", 2, R"(unknown option "--verbose")");
        row("help show", 2, R"(unknown command "show")");
        for (const char *help : {"--help", "-h", "help"})
            row(help, 0, "", usage);
        for (const QString u : {"dump FILE", "export FILE", "check FILE", "import JSON OUTFILE"}) {
            const QString c = u.section(u' ', 0, 0);
            for (const QString &help : {c + " --help", c + " missing.dat -h", "help " + c})
                row(help, 0, "", "Usage: smeltwork-tool " + u.toUtf8());
            const QString count =
                c + " takes %1, %2 given; see \"smeltwork-tool " + c + " --help\"";
            row(c, 2, count.arg(u.count(u' ') == 1 ? "1 argument" : "2 arguments").arg(0));
            if (c == "import")
                break;
            const QString notOurs = "%1: not a Smeltwork data or help file (it begins with \"%2\" "
                                    "instead of a known magic number)";
            row(c + " good.dat good.hlp", 2, count.arg("1 argument").arg(2));
            row(c + " -x good.dat", 2, c + ": unknown option \"-x\"");
            row(c + " -- -x", 2, "-x: no such file");
            row(c + " folder", 2, "folder: is a folder, not a file");
            row(c + " foreign.bin", 2, notOurs.arg("foreign.bin", "47 49 46 38"));
            row(c + " short.bin", 2, notOurs.arg("short.bin", "2A E5 10"));
        }
        row("import clean.json", 2,
            R"(import takes 2 arguments, 1 given; see "smeltwork-tool import --help")");
        row("import missing.json out.hlp", 2, "missing.json: no such file");
        row("import folder out.hlp", 2, "folder: is a folder, not a file");
        row("import clean.json nowhere/out.hlp", 2, "nowhere/out.hlp: cannot be written");
        row("import clean.json folder", 2, "folder: cannot be written");
        // Refused imports leave their target as it was: the rows below read it.
        row("import broken.json good.hlp", 2,
            "broken.json: near line 1, column 39: object is missing after a comma; nothing was "
            "written");
        row("import - fresh.dat", 2,
            "standard input: near line 1, column 1: illegal value; nothing was written");

        const QString damagedDat = "damaged.dat: damaged at byte 60; read as far as it goes (1 "
                                   "group, 1 process, 0 requirements)";
        const QString damagedHlp =
            "damaged.hlp: damaged at byte 30; read as far as it goes (1 topic)";
        row("check good.hlp", 0, "", "");
        row("check good.dat", 1, "", "$.groups[0].procs[0].reqs[1].name: empty name");
        row("check damaged.hlp", 1, damagedHlp, "$: damaged file, read only in part (1 topic)\n");
        row("dump magic.dat", 1,
            "magic.dat: damaged at byte 4; read as far as it goes (0 groups, 0 processes, 0 "
            "requirements)",
            "Smeltwork data file");
        row("export damaged.dat", 1, damagedDat, "{");
        row("dump damaged.dat", 1, damagedDat, R"(Smeltwork data file
group "Smelting"
  process "Copper Ingot" maxQL 150 minQL 1
(damaged file: nothing after this point could be read; 1 group, 1 process, 0 requirements)
)");
        row("dump good.dat", 0, "",
            "Smeltwork data file\n"
            "group \"Smelting\"\n"
            "  process \"Copper Ingot\" maxQL 150 minQL 1\n"
            "    item \"Copper Ore\" multiplier \"2\" id 40211\n"
            "    skill null multiplier \"\" id 0\n"
            "    type-7 \"Gl\xc3\xbchen \\\"hot\\\"\\u{007F}\" multiplier \"x2\" id -1\n"
            "  process \"\" maxQL 0 minQL 0\n"
            "group null\n");
        row("dump good.hlp", 0, "", R"(Smeltwork help file
topic "1" header "Intro"
  body null
topic "1.1" header ""
  body ""
topic "2" header "Tabs\tand \\"
  body
    | <b>Bold</b><br>
    |
    |   indented\r
    | last
)");
        row("export tiny.hlp", 0, "",
            "{\n    \"format\": \"smeltwork-help\",\n    \"topics\": [\n        {\n"
            "            \"id\": null,\n            \"header\": \"\",\n"
            "            \"body\": \"a\\\"\\\\\\n\\u0001\"\n        }\n    ]\n}\n");
    }

    void commands()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, err);
        QFETCH(QByteArray, out);
        const QStringList files = QDir().entryList(QDir::Files);
        const Result result = run(arguments.split(u' ', Qt::SkipEmptyParts));
        QTEST(result.exitCode, "exitCode");
        QCOMPARE(QDir().entryList(QDir::Files), files); // none written, no temporary left
        QCOMPARE(QString::fromUtf8(result.err).section(u'\n', 0, 0),
                 err.isEmpty() || err.startsWith("Usage") ? err : "smeltwork-tool: " + err);
        QCOMPARE(out.isEmpty() || out.endsWith('\n') ? result.out : result.out.split('\n')[0], out);
    }
};

QTEST_GUILESS_MAIN(ToolTest)
#include "tst_tool.moc"
