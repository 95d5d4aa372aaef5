#include "craftingfile.h"
#include "helpfile.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the built smeltwork-tool as a user would and pins down what it prints and its exit
// status. The fixtures are written into a scratch folder that is the tool's working folder.
class ToolCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void exitStatusAndMessages_data();
    void exitStatusAndMessages();
    void helpForTheToolAndEachCommand_data();
    void helpForTheToolAndEachCommand();
    void dumpShowsTheDataTree();
    void dumpShowsHelpBodiesLineByLine();
    void dumpShowsHowMuchOfADamagedFileWasRead();
    void exportThenImportGivesTheSameBytes_data();
    void exportThenImportGivesTheSameBytes();
    void importReadsStandardInput();
    void refusedImportWritesNothing_data();
    void refusedImportWritesNothing();
    void checkListsEveryProblemWithItsPath();

private:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    Result run(const QStringList &arguments, const QByteArray &input = {});
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

namespace {

CraftingData sampleData()
{
    Req ore{QStringLiteral("Copper Ore"), QStringLiteral("2"), 0, 40211};
    Req luck{QString(), QStringLiteral(""), 1, 0};
    Req odd{QStringLiteral("Gl\u00fchen \"hot\""), QStringLiteral("x2"), 7, -1};
    Proc ingot{QStringLiteral("Copper Ingot"), 150, 1, {ore, luck, odd}};
    Proc empty{QStringLiteral(""), 0, 0, {}};
    return {ProcGroup{QStringLiteral("Smelting"), {ingot, empty}}, ProcGroup{QString(), {}}};
}

HelpTopics sampleTopics()
{
    return {HelpTopic{QStringLiteral("1"), QStringLiteral("Intro"), QString()},
            HelpTopic{QStringLiteral("1.1"), QStringLiteral(""), QStringLiteral("")},
            HelpTopic{QStringLiteral("2"), QStringLiteral("Tabs\tand \\"),
                      QStringLiteral("<b>Bold</b><br>\n\n  indented\r\nlast")}};
}

QByteArray dataBytes(const CraftingData &data)
{
    TraceCapture quiet;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, data);
    return bytes;
}

QByteArray helpBytes(const HelpTopics &topics)
{
    TraceCapture quiet;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeHelpTopics(buffer, topics);
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

ToolCommandsTest::Result ToolCommandsTest::run(const QStringList &arguments,
                                               const QByteArray &input)
{
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(SMELTWORK_TOOL), arguments);
    Result result;
    if (!process.waitForStarted())
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void ToolCommandsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QByteArray data = dataBytes(sampleData());
    const QByteArray help = helpBytes(sampleTopics());
    writeFile(path("good.dat"), data);
    writeFile(path("good.hlp"), help);
    writeFile(path("clean.dat"), dataBytes({ProcGroup{QStringLiteral("G"), {}}}));
    writeFile(path("damaged.dat"), data.left(62)); // inside the first requirement
    writeFile(path("damaged.hlp"), help.left(32)); // inside the second topic
    writeFile(path("foreign.bin"), "GIF89a....");
    writeFile(path("short.bin"), fromHex("2A E5 10"));
    writeFile(path("swapped.dat"), fromHex("A4 10 E5 2A 00 00"));
    writeFile(path("empty.bin"), QByteArray());
    writeFile(path("clean.json"), "{\"format\":\"smeltwork-help\",\"topics\":[]}");
    writeFile(path("broken.json"), "{\"format\":\"smeltwork-help\",\"topics\":[}");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
}

void ToolCommandsTest::exitStatusAndMessages_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // the first line on standard error

    const auto row = [](const char *name, const QStringList &arguments, int exitCode,
                        const char *message) {
        QTest::newRow(name) << arguments << exitCode << QString::fromUtf8(message);
    };
    row("no command", {}, 2, "Usage: smeltwork-tool COMMAND [ARGUMENTS]");
    row("unknown command", {"show", "good.dat"}, 2, "smeltwork-tool: unknown command \"show\"");
    row("unknown option", {"--verbose"}, 2, "smeltwork-tool: unknown option \"--verbose\"");
    row("help for an unknown command", {"help", "show"}, 2,
        "smeltwork-tool: unknown command \"show\"");
    row("version", {"--version"}, 0, "");

    for (const char *command : {"dump", "export", "check"}) {
        const QString c = QString::fromLatin1(command);
        const auto name = [&c](const char *what) { return (c + ": " + what).toUtf8(); };
        row(name("data file"), {c, "good.dat"}, c == "check" ? 1 : 0, "");
        row(name("help file"), {c, "good.hlp"}, 0, "");
        row(name("no file"), {c}, 2,
            qPrintable("smeltwork-tool: " + c +
                       " takes 1 argument(s), 0 given; see "
                       "\"smeltwork-tool " +
                       c + " --help\""));
        row(name("two files"), {c, "good.dat", "good.hlp"}, 2,
            qPrintable("smeltwork-tool: " + c +
                       " takes 1 argument(s), 2 given; see "
                       "\"smeltwork-tool " +
                       c + " --help\""));
        row(name("unknown option"), {c, "-x", "good.dat"}, 2,
            qPrintable("smeltwork-tool: " + c + ": unknown option \"-x\""));
        row(name("missing file"), {c, "missing.dat"}, 2,
            "smeltwork-tool: missing.dat: no such file");
        row(name("a folder"), {c, "folder"}, 2, "smeltwork-tool: folder: is a folder, not a file");
        row(name("foreign file"), {c, "foreign.bin"}, 2,
            "smeltwork-tool: foreign.bin: not a Smeltwork data or help file (it begins with "
            "\"47 49 46 38\" instead of a known magic number)");
        row(name("magic in the other byte order"), {c, "swapped.dat"}, 2,
            "smeltwork-tool: swapped.dat: not a Smeltwork data or help file (it begins with "
            "\"A4 10 E5 2A\" instead of a known magic number)");
        row(name("too short for a magic"), {c, "short.bin"}, 2,
            "smeltwork-tool: short.bin: not a Smeltwork data or help file (it begins with "
            "\"2A E5 10\" instead of a known magic number)");
        row(name("empty file"), {c, "empty.bin"}, 2,
            "smeltwork-tool: empty.bin: not a Smeltwork data or help file (it begins with "
            "\"\" instead of a known magic number)");
        row(name("damaged data file"), {c, "damaged.dat"}, 1,
            "smeltwork-tool: damaged.dat: Data file damaged at byte 60: kept 1 groups, 1 "
            "processes, 0 requirements");
        row(name("damaged help file"), {c, "damaged.hlp"}, 1,
            "smeltwork-tool: damaged.hlp: Help file damaged at byte 30: kept 1 topics");
        row(name("file named like an option after --"), {c, "--", "good.dat"}, c == "check" ? 1 : 0,
            "");
    }
    row("check: nothing suspicious", {"check", "clean.dat"}, 0, "");

    row("import: no arguments", {"import"}, 2,
        "smeltwork-tool: import takes 2 argument(s), 0 given; see \"smeltwork-tool import "
        "--help\"");
    row("import: no output file", {"import", "clean.json"}, 2,
        "smeltwork-tool: import takes 2 argument(s), 1 given; see \"smeltwork-tool import "
        "--help\"");
    row("import: missing JSON", {"import", "missing.json", "out.hlp"}, 2,
        "smeltwork-tool: missing.json: no such file");
    row("import: JSON is a folder", {"import", "folder", "out.hlp"}, 2,
        "smeltwork-tool: folder: cannot be read");
    row("import: broken JSON", {"import", "broken.json", "out.hlp"}, 2,
        "smeltwork-tool: broken.json: near line 1, column 39: object is missing after a comma; "
        "nothing was written");
    row("import: a binary file instead of JSON", {"import", "good.dat", "out.hlp"}, 2,
        "smeltwork-tool: good.dat: near line 1, column 2: illegal value; nothing was written");
    row("import: output in a missing folder", {"import", "clean.json", "nowhere/out.hlp"}, 2,
        "smeltwork-tool: nowhere/out.hlp: cannot be written");
    row("import: output is a folder", {"import", "clean.json", "folder"}, 2,
        "smeltwork-tool: folder: cannot be written");
    row("import: fine", {"import", "clean.json", "out.hlp"}, 0, "");
}

void ToolCommandsTest::exitStatusAndMessages()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(QString::fromUtf8(result.err).section(QLatin1Char('\n'), 0, 0), message);
    if (exitCode == 2)
        QVERIFY(result.out.isEmpty());
}

void ToolCommandsTest::helpForTheToolAndEachCommand_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstLine");
    const QString tool = QStringLiteral("Usage: smeltwork-tool COMMAND [ARGUMENTS]");
    QTest::newRow("--help") << QStringList{"--help"} << tool;
    QTest::newRow("-h") << QStringList{"-h"} << tool;
    QTest::newRow("help") << QStringList{"help"} << tool;
    for (const char *usage : {"dump FILE", "export FILE", "import JSON OUTFILE", "check FILE"}) {
        const QString command = QString::fromLatin1(usage).section(QLatin1Char(' '), 0, 0);
        const QString line = QStringLiteral("Usage: smeltwork-tool ") + QLatin1String(usage);
        QTest::addRow("%s --help", qPrintable(command)) << QStringList{command, "--help"} << line;
        QTest::addRow("%s FILE -h", qPrintable(command))
            << QStringList{command, "missing.dat", "-h"} << line;
        QTest::addRow("help %s", qPrintable(command)) << QStringList{"help", command} << line;
    }
}

void ToolCommandsTest::helpForTheToolAndEachCommand()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstLine);
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out).section(QLatin1Char('\n'), 0, 0), firstLine);
    QVERIFY(result.err.isEmpty());
}

void ToolCommandsTest::dumpShowsTheDataTree()
{
    const Result result = run({"dump", "good.dat"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out),
             QString::fromUtf8("Smeltwork data file\n"
                               "group \"Smelting\"\n"
                               "  process \"Copper Ingot\" maxQL 150 minQL 1\n"
                               "    item \"Copper Ore\" multiplier \"2\" id 40211\n"
                               "    skill null multiplier \"\" id 0\n"
                               "    type-7 \"Gl\u00fchen \\\"hot\\\"\" multiplier \"x2\" id -1\n"
                               "  process \"\" maxQL 0 minQL 0\n"
                               "group null\n"));
}

void ToolCommandsTest::dumpShowsHelpBodiesLineByLine()
{
    const Result result = run({"dump", "good.hlp"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, QByteArray("Smeltwork help file\n"
                                    "topic \"1\" header \"Intro\"\n"
                                    "  body null\n"
                                    "topic \"1.1\" header \"\"\n"
                                    "  body \"\"\n"
                                    "topic \"2\" header \"Tabs\\tand \\\\\"\n"
                                    "  body\n"
                                    "    | <b>Bold</b><br>\n"
                                    "    |\n"
                                    "    |   indented\\r\n"
                                    "    | last\n"));
}

void ToolCommandsTest::dumpShowsHowMuchOfADamagedFileWasRead()
{
    const Result result = run({"dump", "damaged.dat"});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray("Smeltwork data file\n"
                                    "group \"Smelting\"\n"
                                    "  process \"Copper Ingot\" maxQL 150 minQL 1\n"
                                    "(damaged file: nothing after this point could be read; "
                                    "groups: 1, processes: 1, requirements: 0)\n"));
}

void ToolCommandsTest::exportThenImportGivesTheSameBytes_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("data file") << "good.dat";
    QTest::newRow("help file") << "good.hlp";
    QTest::newRow("example data") << QStringLiteral(SMELT_EXAMPLES "/Smeltwork.dat");
}

void ToolCommandsTest::exportThenImportGivesTheSameBytes()
{
    QFETCH(QString, file);
    const Result exported = run({"export", file});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.err, QByteArray());
    QVERIFY(exported.out.startsWith("{\n    \"format\": \"smeltwork-"));
    writeFile(path("exported.json"), exported.out);

    const Result imported = run({"import", "exported.json", "imported"});
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(imported.err, QByteArray());
    QCOMPARE(imported.out, QByteArray());
    const QString original = QDir::isAbsolutePath(file) ? file : path(file);
    QCOMPARE(readFile(path("imported")), readFile(original));
}

void ToolCommandsTest::importReadsStandardInput()
{
    const Result result = run({"import", "-", "stdin.hlp"}, "{\"format\": \"smeltwork-help\", "
                                                            "\"topics\": []}");
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readFile(path("stdin.hlp")), fromHex("E9 A7 14 3D 00 00"));
}

void ToolCommandsTest::refusedImportWritesNothing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    QTest::newRow("QL above 255")
        << QByteArray("{\"format\":\"smeltwork-data\",\"groups\":[{\"name\":\"G\",\"procs\":[{"
                      "\"name\":\"P\",\"maxQL\":256,\"minQL\":1,\"reqs\":[]}]}]}")
        << "smeltwork-tool: standard input: $.groups[0].procs[0].maxQL: 256 is out of range (0 "
           "to 255); nothing was written";
    QTest::newRow("truncated JSON")
        << QByteArray("{\"format\":\"smeltwork-data\",\"groups\":[")
        << "smeltwork-tool: standard input: near line 1, column 38: unterminated array; nothing "
           "was written";
}

void ToolCommandsTest::refusedImportWritesNothing()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const QByteArray before = readFile(path("good.dat"));
    writeFile(path("target.dat"), before);

    const Result existing = run({"import", "-", "target.dat"}, json);
    QCOMPARE(existing.exitCode, 2);
    QCOMPARE(QString::fromUtf8(existing.err).trimmed(), message);
    QCOMPARE(readFile(path("target.dat")), before);

    const Result fresh = run({"import", "-", "fresh.dat"}, json);
    QCOMPARE(fresh.exitCode, 2);
    QVERIFY(!QFile::exists(path("fresh.dat")));
    const QStringList left = QDir(m_dir.path()).entryList({"target.dat*", "fresh.dat*"});
    QCOMPARE(left, QStringList{"target.dat"}); // no temporary or backup files either
}

void ToolCommandsTest::checkListsEveryProblemWithItsPath()
{
    const Result data = run({"check", "good.dat"});
    QCOMPARE(data.exitCode, 1);
    QCOMPARE(data.err, QByteArray());
    QCOMPARE(
        QString::fromUtf8(data.out).split(QLatin1Char('\n')),
        QStringList({"$.groups[0].procs[0].reqs[1].name: empty name",
                     "$.groups[0].procs[0].reqs[2].type: type 7 is neither item/tool (0) "
                     "nor skill (1)",
                     "$.groups[0].procs[0].reqs[2].multiplier: \"x2\" is not a number, so "
                     "the requirement counts as fixed",
                     "$.groups[0].procs[1].name: empty name", "$.groups[1].name: empty name", ""}));

    const Result damaged = run({"check", "damaged.hlp"});
    QCOMPARE(damaged.exitCode, 1);
    QCOMPARE(damaged.out, QByteArray("$: damaged file, read only in part (topics: 1)\n"));
}

QTEST_GUILESS_MAIN(ToolCommandsTest)
#include "tst_toolcommands.moc"
