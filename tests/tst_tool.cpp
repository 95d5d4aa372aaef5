#include "data/checks.h"
#include "data/filesession.h"
#include "data/folderlock.h"
#include "data/jsonio.h"
#include "resources/translations.h"
#include "tests/support/sampletree.h"
#include "tests/support/testsupport.h"
#include "tool/smelttool.h"

#include <QLockFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QStandardPaths>
#include <climits>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out, err;
};

// smeltwork-tool as a user runs it, in the current folder, without a process of its own. A
// last argument ">FILE" sends standard output to FILE.
Result run(QStringList arguments, const QByteArray &input = {})
{
    QBuffer buffer, err, in;
    QFile file(arguments.value(arguments.size() - 1).startsWith(u'>') ? arguments.takeLast().mid(1)
                                                                      : QString());
    QIODevice &out = file.fileName().isEmpty() ? static_cast<QIODevice &>(buffer) : file;
    in.setData(input);
    out.open(QIODevice::WriteOnly), err.open(QIODevice::WriteOnly), in.open(QIODevice::ReadOnly);
    const int exitCode = runSmeltworkTool(arguments, out, err, in);
    return {exitCode, buffer.data(), err.data()};
}

QByteArray topicsJson(int count)
{
    return R"({"format":"smeltwork-help","topics":[)" +
           QByteArray(R"({"id":"1","header":"","body":null},)").repeated(count).chopped(1) + "]}";
}

void save(const QString &name, const SmeltFile &file)
{
    QVERIFY(saveSmeltFile(name, file).status == SaveStatus::Saved);
}

using T = CraftingData &;

// A tree for merges, after `change`.
SmeltFile edited(const std::function<void(T)> &change = {})
{
    CraftingData tree{
        {"Smelting",
         {proc("Iron", {item("Ore", "2", 1), item("Coke", "0.5", 2), skill("Smelting", "1")}, 200,
               10),
          proc("Copper", {item("Ore", "2", 3), skill("Ore", "1")}, 150, 1)}},
        {"Smithing", {proc("Nails", {}, 120), proc("Chain"), proc("Axe"), proc("Nails", {}, 120)}},
        {"Tools", {proc("Tongs"), proc("Hammer"), proc("Anvil")}}};
    if (change)
        change(tree);
    return tree;
}

} // namespace

class ToolTest : public QObject
{
    Q_OBJECT

    ScratchFolder folder;               // the tool's working folder
    std::unique_ptr<FolderLock> window; // on it, as a window holds it
    QString host; // as locks name it: on Windows the computer name, not the DNS host name
    std::unique_ptr<QLockFile> runtime; // on folder/, as a window holds it there

private Q_SLOTS:
    void initTestCase()
    {
        installTranslations();
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        // Strings for every escape: of JSON and the dump, surrogates alone (UTF-8 holds none; a
        // hammer is a pair), characters that would hide in a terminal; numbers at their ends.
        const QString hidden =
            QStringLiteral("Gl\u00fchen \"hot\"\x7f\u202e\U000E0001\U0001F528") + QChar(0xDD28);
        const QString controls = QStringLiteral("x2\0\x1f\b\f\r\n/\uffff");
        const QString alone = QString(QChar(0xDD28)) + QChar(0xD83D) + u'a' + QChar(0xD83D);
        CraftingData data = sampleTree();
        data[0].procs[0].reqs << Req{hidden, controls, 7, -1} << Req{alone, "", -128, INT_MIN};
        data[1].procs[0].maxQL = 255;
        save("good.dat", data);
        save("good.hlp", HelpTopics{{"1", "Intro", QString()},
                                    {"1.1", "", ""},
                                    {"2", "Tabs\tand \\",
                                     "<b>Bold</b><br>\n\n  indented\r\nlast\t\u2028\u0085"}});
        save("tiny.hlp", HelpTopics{{QString(), "", "a\"\\\n\x01"}});
        folder.writeFile("damaged.dat", folder.readFile("good.dat").left(62)); // in a requirement
        folder.writeFile("damaged.hlp", folder.readFile("good.hlp").left(32)); // in topic 2
        folder.writeFile("trailing.hlp", folder.readFile("tiny.hlp") + "xyz");
        folder.writeFile("foreign.bin", "GIF89a....");
        folder.writeFile("short.bin", fromHex("2A E5 10"));
        folder.writeFile("empty.bin", "");
        folder.writeFile("magic.dat", fromHex("2A E5 10 A4"));
        folder.writeFile("clean.json", topicsJson(1));
        folder.writeFile("broken.json", R"({"format":"smeltwork-help","topics":[})");
        QVERIFY(QDir().mkdir("folder") &&
                QFile::copy(SMELT_EXAMPLES "/Smeltwork.dat", "example.dat"));
        // A window has the folder open; another one closed without taking its lock along.
        window = std::make_unique<FolderLock>();
        save("Smeltwork.dat", CraftingData());
        qint64 pid = 0;
        QVERIFY(!window->heldElsewhere() && window->holder(&pid, &host) && QDir().mkdir("stale"));
#ifdef Q_OS_UNIX // Windows has neither, and its links are shortcut files
        QVERIFY(mkfifo("fifo", 0600) == 0 && QFile::link("tiny.hlp", "link.hlp") &&
                QFile::link("Smeltwork.dat", "dat-link"));
#endif
        // The lock of a window on a folder that takes no files: in the runtime folder, which
        // on Windows is the local application data's.
#ifdef Q_OS_WIN
        const QString outside =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            "/SmeltworkAdmin/locks";
#else
        const QString outside = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
        QVERIFY(QDir().mkpath(outside)); // as the first window that needs it makes it
        runtime = std::make_unique<QLockFile>(
            outside + "/smeltwork-" + folderKey(QFile::encodeName(QDir("folder").canonicalPath())) +
            ".lock");
        QVERIFY(runtime->tryLock(0));
        folder.writeFile("stale/Smeltwork.dat.lock",
                         "2147483647\nSmeltworkAdmin\n" + host.toUtf8() + '\n');
    }

    // Importing the export writes the same bytes.
    void exportThenImportGivesTheSameFile()
    {
        save("none.dat", CraftingData());
        // Longer than a list may be, with a lone surrogate: written as a list of code units.
        save("long.dat", CraftingData{{QString(70000, u'x') + QChar(0xD800), {}}});
        for (const QString file :
             {"example.dat", "good.dat", "good.hlp", "tiny.hlp", "none.dat", "long.dat"}) {
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
        const auto dat = [](const char *from, const QByteArray &to) {
            return QByteArray(R"({"format":"smeltwork-data","groups":[{"name":"G","procs":[{)"
                              R"("name":"P","maxQL":10,"minQL":1,"reqs":[{"name":"R",)"
                              R"("multiplier":"1","type":0,"id":1}]}]}]})")
                .replace(from, to);
        };
        const auto ql = [&](const char *value) {
            return dat("\"maxQL\":10", "\"maxQL\":" + QByteArray(value));
        };
        const QString p = QStringLiteral("$.groups[0].procs[0]."), r = p + "reqs[0].";
        const QString id = QStringLiteral(" is out of range (-2147483648 to 2147483647)");
        const std::pair<QByteArray, QString> cases[] = {
            {"{\n  \"format\": \"smeltwork-data\",\n  \"groups\": [,]\n}",
             "line 3, column 14: expected a value or \"]\", found \",\""},
            {dat(R"("name":"P",)", R"("name":"P",,)"),
             "line 1, column 71: expected a key in quotes, found \",\""},
            {"[]", "$: expected an object, found an array"},
            {" null", "$: expected an object, found null"},
            {R"({"format":"smeltwork-data"})", R"($: missing key "groups")"},
            {R"({"format":"smeltwork-data","groups":{}})",
             "$.groups: expected an array, found an object"},
            {dat("smeltwork-data", "smeltwork"),
             R"($.format: expected "smeltwork-data" or "smeltwork-help", found "smeltwork")"},
            {dat(R"("name":"G")", R"("name":5)"),
             "$.groups[0].name: expected a string or null, found a number"},
            {ql("256"), p + "maxQL: 256 is out of range (0 to 255)"},
            {dat(R"("minQL":1)", R"("minQL":-1)"), p + "minQL: -1 is out of range (0 to 255)"},
            {ql("1e300"), p + "maxQL: 1e+300 is out of range (0 to 255)"},
            {ql("1.5"), p + "maxQL: 1.5 is not a whole number"},
            {ql("\"9\""), p + "maxQL: expected a number, found a string"},
            {dat(R"("maxQL")", '"' + QByteArray(50, 'k') + '"'),
             p + QString(37, u'k') + "...: unknown key (expected name, maxQL, minQL, reqs)"},
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
            {topicsJson(65536), "$.topics: 65536 records, but the file holds at most 65535"},
            // A key that repeats, however it is spelled, and only within one object.
            {topicsJson(2)
                 .replace(R"("id":"1","header":"")", "\"id\":\"body\",\"header\":\"\\\",{[\"")
                 .replace(R"(,"body":null}])", R"(,"he\u0061der":"x","body":null}])"),
             "$.topics[1].header: key repeats in its object"}};
        const HelpTopics kept{{"Kept", "", ""}};
        SmeltFile file;
        QString error;
        for (const auto &[json, expected] : cases) {
            file = kept;
            QVERIFY2(!importJson(json, file, error) && std::get<HelpTopics>(file) == kept,
                     json.left(200));
            QCOMPARE(error, expected);
        }
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
        // Most items named Crucible carry 40012, and most that carry 40012 are named so.
        const QList<Req> crucibles{item("Crucible", "1", 40012), item("Crucible", "1", 40013),
                                   item("Crucibel", "1", 40012), skill("Crucible", "1", 1, 40013)};
        const SmeltFile data =
            CraftingData{{"Ores",
                          {proc("Ingot", reqs), proc("Special", crucibles, 50, 50),
                           proc("Upside down", {}, 10, 200), proc("Ingot"), proc("")}},
                         {"Ores", {}},
                         {QString(), {}}};

        const char *const ids[] = {"0.5", "A", "B", "C", "1,5",   "0.25",
                                   "D",   "E", "1", "1", nullptr, ""};
        const QStringList bodies = // split at "|"
            QString("Two <b>bold</b><br>\nand <u>under</u> <i>it</i><br>|<B>x</b> <font "
                    "color=\"red\">y</FONT> <p align=center>z</p>|a<br/>b<br />c<hr><img "
                    "src=\"x.png\">|QL < 100 and 5<6|<!-- <b> -->\n<!DOCTYPE html>||ok\n  <b>bold|"
                    "text</i>|<b><i>x</b>|<u>\n<b>|<b>x</b\n|<font\ncolor=red>x</font>\n<i>")
                .split(u'|');
        HelpTopics topics;
        for (int i = 0; i < 12; ++i)
            topics.append({text(ids[i]), "Header", bodies[i]});
        QString lines;
        for (const CheckProblem &problem : checkFile(data) + checkFile(topics))
            lines += problemLine(problem) + u'\n';
        QCOMPARE(lines, QString::fromUtf8(testData("tool/check-rules.txt")));
    }

    // Arguments -> exit status, a line on standard error (after "smeltwork-tool: ")
    // and standard output: whole when `out` ends a line or is "@" (tests/data/tool/ holds it),
    // else its first line. Rows run in order, and some read what an earlier one left.
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
        const QString trailing =
            "3 bytes after the last record, from byte 28, which no record holds";
        row("", 2, usage);
        row("show good.dat", 2, R"(unknown command "show")");
        row("--verbose", 2, R"(unknown option "--verbose")");
        row("help show", 2, R"(unknown command "show")");
        for (const char *help : {"--help", "-h"})
            row(help, 0, "", usage);
        row("help", 0, "", "@");
        for (const QString u :
             {"dump FILE", "export FILE", "check FILE", "import [--force] JSON OUTFILE",
              "merge [-o FILE] [--force] BASE OURS THEIRS [PATH]"}) {
            const QString c = u.section(u' ', 0, 0);
            for (const QString &help : {c + " --help", c + " missing.dat -h", "help " + c})
                row(help, 0, "", "Usage: smeltwork-tool " + u.toUtf8());
            const QString count =
                c + " takes %1, %2 given; see \"smeltwork-tool " + c + " --help\"";
            const int n = c == "import" ? 2 : c == "merge" ? 3 : 1;
            row(c, 2, count.arg(n == 1 ? "1 argument" : QString("%1 arguments").arg(n)).arg(0));
            if (n > 1)
                continue;
            row(c + " good.dat good.hlp", 2, count.arg("1 argument").arg(2));
            row(c + " -x good.dat", 2, c + ": unknown option \"-x\"");
            row(c + " -- -x", 2, "-x: no such file");
            row(c + " folder", 2, "folder: is a folder, not a file");
            row(c + " fifo", 2, "fifo: is a named pipe, not a file");
            row(c + " foreign.bin", 2,
                "foreign.bin: not a Smeltwork data or help file (it begins with \"47 49 46 38\" "
                "instead of a known magic number)");
            row(c + " short.bin", 2, "short.bin: too short to be a Smeltwork file (3 bytes)");
            row(c + " trailing.hlp", c == "check", "trailing.hlp: " + trailing,
                c == "check" ? "$: " + trailing.toUtf8() + '\n'
                             : QByteArray(c == "dump" ? "Smeltwork help file" : "{"));
        }
        row("merge good.dat good.dat good.hlp", 2,
            "good.dat and good.hlp are not the same kind of file (one is a data file, the other a "
            "help file); nothing was merged");
        row("merge -o fifo good.dat good.dat good.dat", 2,
            "fifo: is a named pipe, not a file; nothing was written");
        row("dump empty.bin", 2, "empty.bin: too short to be a Smeltwork file (0 bytes)");
        row("dump /dev/null", 2, "/dev/null: is a device, not a file");
#ifdef Q_OS_WIN
        row("dump NUL", 2, "NUL: is a device, not a file"); // a device in every folder
#endif
        row("export good.dat >/dev/full", 2,
            "standard output: cannot be written (No space left on device)");
        row("import clean.json nowhere/out.hlp", 2, "nowhere/out.hlp: cannot be written");
        row("import clean.json fifo", 2, "fifo: is a named pipe, not a file; nothing was written");
        // Refused imports leave their target as it was: the rows below read it.
        row("import broken.json good.hlp", 2,
            "broken.json: line 1, column 38: expected a value or \"]\", found \"}\"; nothing was "
            "written");
        row("import - fresh.dat", 2,
            "standard input: line 1, column 1: expected a value, found the end of the text; "
            "nothing was written");
        row("export tiny.hlp", 0, "", "@");
        // The window's data and help files are refused, also through a link, unless forced;
        // its other files are not, nor a folder whose lock names a program that is gone.
        const QString held = "%1: open in tst_tool (process " +
                             QString::number(QCoreApplication::applicationPid()) + " on host " +
                             host + "); close it first, or pass --force";
        row("import clean.json Smeltwork.hlp", 2, held.arg("Smeltwork.hlp"));
        row("merge -o dat-link good.dat good.dat good.dat", 2, held.arg("dat-link"));
        row("import clean.json folder/Smeltwork.dat", 2, held.arg("folder/Smeltwork.dat"));
        row("import --force clean.json Smeltwork.dat", 0, "");
        row("import clean.json stale/Smeltwork.dat", 0, "");
        row("import clean.json link.hlp", 0, ""); // written through the link
        row("dump link.hlp", 0, "", "Smeltwork help file\ntopic \"1\" header \"\"\n  body null\n");

        const QString damagedDat = "damaged.dat: damaged at byte 58; read as far as it goes (1 "
                                   "group, 1 process, 0 requirements)";
        row("check good.hlp", 0, "", "");
        row("check good.dat", 1, "",
            "$.groups[0].procs[0].reqs[2].type: type 7 is neither item/tool (0) nor skill (1)");
        row("check damaged.hlp", 1,
            "damaged.hlp: damaged at byte 30; read as far as it goes (1 topic)",
            "$: damaged file, read only in part (1 topic)\n");
        row("dump magic.dat", 1,
            "magic.dat: damaged at byte 4; read as far as it goes (0 groups, 0 processes, 0 "
            "requirements)",
            "Smeltwork data file");
        row("export damaged.dat", 1, damagedDat, "{");
        row("merge good.dat good.dat damaged.dat", 2, "damaged.dat: damaged; nothing was merged");
        for (const char *dump : {"dump damaged.dat", "dump good.dat", "dump good.hlp"})
            row(dump, dump[5] == 'd', dump[5] == 'd' ? damagedDat : "", "@");
    }

    void commands()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, err);
        QFETCH(QByteArray, out);
#ifdef Q_OS_WIN
        if (arguments.contains(QRegularExpression("fifo|/dev/|link")))
            QSKIP("named pipes, /dev and symbolic links are POSIX's");
#endif
        if (out == "@") // the whole output, as in the file named after the arguments
            out = testData("tool/" + QString(arguments).replace(u' ', u'-') + ".txt");
        const QStringList files = QDir().entryList(QDir::Files | QDir::System);
        const Result result = run(arguments.split(u' ', Qt::SkipEmptyParts));
        QTEST(result.exitCode, "exitCode");
        // None written or replaced, no temporary left; the link and the pipe are still there.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::System), files);
#ifdef Q_OS_UNIX
        QVERIFY(QFileInfo("link.hlp").isSymLink() && !QFileInfo("fifo").isFile());
#endif
        const QString line = err.startsWith("Usage") ? err : "smeltwork-tool: " + err;
        QVERIFY2(err.isEmpty() ? result.err.isEmpty()
                               : result.err.split('\n').contains(line.toUtf8()),
                 result.err.constData());
        QCOMPARE(out.isEmpty() || out.endsWith('\n') ? result.out : result.out.split('\n')[0], out);
    }

    // Three versions -> the merged file, the exit status and the conflicts' paths. Every
    // row but the refused one changes something on both sides.
    void merges_data()
    {
        QTest::addColumn<QList<SmeltFile>>("files"); // base, ours, theirs, merged
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("conflict");
        const SmeltFile base = edited();
        const auto row = [&](const char *name, auto ours, auto theirs, auto merged, int exit = 0,
                             const QByteArray &conflict = "") {
            QTest::newRow(name) << QList{base, edited(ours), edited(theirs), edited(merged)} << exit
                                << conflict;
        };
        const auto glass = [](T t) { t.append(ProcGroup{"Glass", {}}); };
        const auto tin = [](T t) { t[0].procs.insert(1, proc("Tin")); };
        row("added on each side", glass, tin, [&](T t) { glass(t), tin(t); });
        const auto noCoke = [](T t) { t[0].procs[0].reqs.removeAt(1); };
        const auto copper = [](T t) { t[0].procs[1].maxQL = 160; };
        row("deleted on one side", noCoke, copper, [&](T t) { noCoke(t), copper(t); });
        const auto raise = [](T t) { t[0].procs[0].maxQL = 220; };
        const auto more = [](T t) { t[0].procs[0].reqs[0].multiplier = "3"; };
        row(
            "field changed on one side or alike on both", [&](T t) { raise(t), copper(t); },
            [&](T t) { raise(t), more(t); }, [&](T t) { raise(t), copper(t), more(t); });
        const auto bar = [](T t) { t[0].procs[1].name = "Copper Bar"; };
        row("renamed, the rest unchanged", bar, copper, [&](T t) { bar(t), copper(t); });
        const auto bronze = [](T t) { t[0].procs[1] = proc("Bronze"); };
        row("renamed and changed: deleted and added", bronze, copper, bronze, 1,
            "$.groups[0].procs[1] (group \"Smelting\" › process \"Copper\")");
        const auto sorted = [](T t) { std::swap(t[1].procs[0], t[1].procs[2]); };
        const auto rivets = [](T t) { t[1].procs.insert(2, proc("Riv")), t[1].procs[0].minQL = 5; };
        row("sorted on one side, added after their record on the other", sorted, rivets, [](T t) {
            t[1].procs = {proc("Axe"), proc("Chain"), proc("Riv"), proc("Nails", {}, 120, 5),
                          proc("Nails", {}, 120)};
        });
        const auto swapped = [](T t) { std::swap(t[1].procs[0], t[1].procs[1]); };
        row("sorted differently on both sides", sorted, swapped, sorted, 1,
            "$.groups[1].procs (group \"Smithing\")");
        row(
            "field changed to two values", raise, [](T t) { t[0].procs[0].maxQL = 150; }, raise, 1,
            "$.groups[0].procs[0].maxQL (group \"Smelting\" › process \"Iron\")");
        const auto chain = [](T t) { t[1].procs[1].maxQL = 90; };
        row(
            "changed on one side, deleted on the other", chain, [](T t) { t[1].procs.removeAt(1); },
            chain, 1, "$.groups[1].procs[1] (group \"Smithing\" › process \"Chain\")");
        const auto twice = [](quint8 ql) {
            return [ql](T t) { t.append(ProcGroup{"G", {proc("P", {}, ql)}}); };
        };
        row("added alike on both sides", twice(5), twice(5), twice(5));
        row("added differently on both sides", twice(5), twice(6), twice(5), 1,
            "$.groups[3] (group \"G\")");
        const auto skillOre = [](T t) { t[0].procs[1].reqs[1].multiplier = "4"; };
        const auto itemOre = [](T t) {
            t[0].procs[1].reqs.move(1, 0), t[0].procs[1].reqs[1].multiplier = "5";
        };
        row("item/tool and skill of one name", skillOre, itemOre,
            [&](T t) { itemOre(t), t[0].procs[1].reqs[0].multiplier = "4"; });
        const auto nails = [](T t) { t[1].procs[3].maxQL = 99; }; // the second "Nails"
        row(
            "a repeated name, n-th with n-th", nails, [](T t) { t[1].procs[0].maxQL = 98; },
            [&](T t) { nails(t), t[1].procs[0].maxQL = 98; });
        const auto help = [](const char *second, bool moved) { // ids 1, 2, 2
            HelpTopics topics{{"1", "A", moved ? "x" : ""}, {"2", "B", ""}, {"2", second, ""}};
            return SmeltFile(moved ? HelpTopics{topics[1], topics[2], topics[0]} : topics);
        };
        QTest::newRow("help topics by id, n-th with n-th")
            << QList{help("C", false), help("D", false), help("C", true), help("D", true)} << 0
            << QByteArray();
        const auto full = [](const char *last) { // the file counts at most 65,535
            QList<Req> reqs(MaxListSize - 1, item("R", "1", 1));
            if (last)
                reqs.append(item(last, "1", 2));
            return SmeltFile(CraftingData{{"G", {proc("P", reqs)}}});
        };
        QTest::newRow("more records than a list can hold")
            << QList{full(nullptr), full("A"), full("B"), full("A")} << 2 << QByteArray();
    }

    void merges()
    {
        QFETCH(QList<SmeltFile>, files);
        QFETCH(int, exitCode);
        for (int i = 0; i < 4; ++i)
            save(QStringList{"base", "ours", "theirs", "merged"}[i], files[i]);
        const QByteArray before = folder.readFile("ours");
        QFile::remove("out");
        folder.writeFile("out.conflicts.json", "left by an earlier merge");
        const Result result = run({"merge", "-o", "out", "base", "ours", "theirs"});
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(folder.readFile("out"), exitCode == 2 ? QByteArray() : folder.readFile("merged"));
        QCOMPARE(folder.readFile("ours"), before); // -o leaves ours alone
        // Each conflict is a line on standard error that begins with its path.
        QTEST(result.err.startsWith('$') ? result.err.left(result.err.indexOf(": ")) : "",
              "conflict");
        // Replaced by this merge's conflicts, removed by a clean merge, left by a refused one.
        QCOMPARE(QFile::remove("out.conflicts.json"), exitCode != 0);
    }

    // Two branches that change the same data file merge through git with the driver set up as
    // the README says: clean changes merged, ours kept at each conflict, the conflicts said and
    // written beside the file in the work tree.
    void gitMergeUsesTheDriver()
    {
#ifdef Q_OS_WIN
        QSKIP("git runs through a POSIX shell here");
#endif
        ScratchFolder repo;
        const auto ours = [](T t) {
            t[0].procs[1].maxQL = 180, t[2].procs[0].maxQL = 150, t.append({"Glass", {proc("P")}});
        };
        const auto req = [](T t) { t[1].procs[1].reqs.append(item("Wire", "1", 9)); };
        save("base", edited());
        save("ours", edited(ours));
        save("theirs", edited([&](T t) { req(t), t[0].procs[1].maxQL = 170, t.removeAt(2); }));
        save("expected", edited([&](T t) { ours(t), req(t); }));
        repo.writeFile(".gitattributes", "*.dat merge=smeltwork\n");
        QProcessEnvironment env; // never the repository, settings or machine of whoever runs it
        env.insert("PATH", qEnvironmentVariable("PATH")), env.insert("HOME", repo.path()),
            env.insert("GIT_CONFIG_NOSYSTEM", "1");
        QProcess git;
        git.setProcessEnvironment(env), git.setProcessChannelMode(QProcess::MergedChannels);
        // Each branch commits its version as data/Smeltwork.dat; the merge ends in conflicts.
        git.start("sh",
                  {"-exc", "git init -q -b base; git config user.name Test; "
                           "git config user.email test@example.invalid; "
                           "git config merge.smeltwork.driver \"'" SMELTWORK_TOOL
                           "' merge %O %A %B %P\"; mkdir data; cp base data/Smeltwork.dat; "
                           "git add .gitattributes data; git commit -q -m base; "
                           "git checkout -q -b ours; cp ours data/Smeltwork.dat; "
                           "git commit -q -am ours; git checkout -q -b theirs base; "
                           "cp theirs data/Smeltwork.dat; git commit -q -am theirs; "
                           "git checkout -q ours; git merge -q --no-edit theirs || [ $? = 1 ]"});
        const QByteArray output = git.waitForFinished(60000) ? git.readAll() : "did not end";
        QVERIFY2(
            git.exitCode() == 0 &&
                output.contains(
                    "$.groups[0].procs[1].maxQL (group \"Smelting\" › process \"Copper\"): base "
                    "150, ours 180, theirs 170\n$.groups[2] (group \"Tools\"): group \"Tools\" "
                    "changed by ours, deleted by theirs; ours kept\n"
                    "smeltwork-tool: data/Smeltwork.dat: 2 conflicts left, each with our side's "
                    "value; all are listed in data/Smeltwork.dat.conflicts.json\n"),
            output.constData());
        QCOMPARE(repo.readFile("data/Smeltwork.dat"), repo.readFile("expected"));
        QCOMPARE(repo.readFile("data/Smeltwork.dat.conflicts.json"),
                 testData("tool/merge-conflicts.json"));
    }
};

QTEST_GUILESS_MAIN(ToolTest)
#include "tst_tool.moc"
