#include "sampletree.h"
#include "smeltfile.h"
#include "smelttool.h"
#include "testsupport.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(SmeltFile)

namespace {

// The tool in-process; its standard error goes to `err`.
int run(const QStringList &arguments, QByteArray &err)
{
    QBuffer out, errors, in;
    out.open(QIODevice::WriteOnly);
    errors.open(QIODevice::WriteOnly);
    in.open(QIODevice::ReadOnly);
    const int exitCode = runSmeltworkTool(arguments, out, errors, in);
    err = errors.data();
    return exitCode;
}

void save(const QString &name, const SmeltFile &file)
{
    QVERIFY(saveSmeltFile(name, file) == SaveStatus::Saved);
}

SmeltFile load(const QString &name)
{
    QByteArray bytes;
    SmeltFile file;
    readWholeFile(name, bytes);
    readSmeltFile(bytes, file);
    return file;
}

CraftingData groups(const SmeltFile &file)
{
    return std::holds_alternative<CraftingData>(file) ? std::get<CraftingData>(file)
                                                      : CraftingData();
}

CraftingData baseTree()
{
    return {
        {"Smelting",
         {proc("Iron", {item("Ore", "2", 1), item("Coke", "0.5", 2), skill("Smelting", "1")}, 200,
               10),
          proc("Copper", {item("Ore", "2", 3), skill("Ore", "1")}, 150, 1)}},
        {"Smithing", {proc("Nails", {}, 120), proc("Chain"), proc("Axe"), proc("Nails", {}, 120)}},
        {"Tools", {proc("Tongs"), proc("Hammer"), proc("Anvil")}}};
}

using T = CraftingData &;

// The base tree after `change`.
SmeltFile edited(const std::function<void(T)> &change)
{
    CraftingData tree = baseTree();
    change(tree);
    return tree;
}

} // namespace

class MergeTest : public QObject
{
    Q_OBJECT

    ScratchFolder folder;

private Q_SLOTS:
    void initTestCase()
    {
        // No trace, as in the tool: lists of 65,535 records are saved and loaded below.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    }

    // Three versions -> the merged file, the exit status and the conflicts' paths. Every
    // row but the refused ones changes something on both sides.
    void merges_data()
    {
        QTest::addColumn<SmeltFile>("base");
        QTest::addColumn<SmeltFile>("ours");
        QTest::addColumn<SmeltFile>("theirs");
        QTest::addColumn<SmeltFile>("merged");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("conflicts");
        const SmeltFile base = edited([](T) {});
        const auto row = [&](const char *name, auto ours, auto theirs, auto merged, int exit = 0,
                             const QStringList &conflicts = {}) {
            QTest::newRow(name) << base << edited(ours) << edited(theirs) << edited(merged) << exit
                                << conflicts;
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
            {"$.groups[0].procs[1]"});
        const auto sorted = [](T t) { std::swap(t[1].procs[0], t[1].procs[2]); };
        const auto rivets = [](T t) {
            t[1].procs.insert(2, proc("Rivets")), t[1].procs[0].minQL = 5;
        };
        row("sorted on one side, added after their record on the other", sorted, rivets, [](T t) {
            t[1].procs = {proc("Axe"), proc("Chain"), proc("Rivets"), proc("Nails", {}, 120, 5),
                          proc("Nails", {}, 120)};
        });
        const auto swapped = [](T t) { std::swap(t[1].procs[0], t[1].procs[1]); };
        row("sorted differently on both sides", sorted, swapped, sorted, 1, {"$.groups[1].procs"});
        row("field changed to two values", raise, [](T t) { t[0].procs[0].maxQL = 150; }, raise, 1,
            {"$.groups[0].procs[0].maxQL"});
        const auto chain = [](T t) { t[1].procs[1].maxQL = 90; };
        row("changed on one side, deleted on the other", chain, [](T t) { t[1].procs.removeAt(1); },
            chain, 1, {"$.groups[1].procs[1]"});
        const auto twice = [](quint8 ql) {
            return [ql](T t) { t.append(ProcGroup{"G", {proc("P", {}, ql)}}); };
        };
        row("added alike on both sides", twice(5), twice(5), twice(5));
        row("added differently on both sides", twice(5), twice(6), twice(5), 1, {"$.groups[3]"});
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

        const auto help = [](HelpTopics topics) { return SmeltFile(topics); };
        QTest::newRow("help topics by id, n-th with n-th")
            << help({{"1", "A", ""}, {"2", "B", ""}, {"2", "C", ""}})
            << help({{"1", "A", ""}, {"2", "B", ""}, {"2", "D", ""}})
            << help({{"2", "B", ""}, {"2", "C", ""}, {"1", "A", "x"}})
            << help({{"2", "B", ""}, {"2", "D", ""}, {"1", "A", "x"}}) << 0 << QStringList();
        QTest::newRow("files of two kinds")
            << base << help({}) << base << help({}) << 2 << QStringList();
        const auto full = [](const char *last) { // the file counts at most 65,535
            QList<Req> reqs(MaxListSize - 1, item("R", "1", 1));
            if (last)
                reqs.append(item(last, "1", 2));
            return SmeltFile(CraftingData{{"G", {proc("P", reqs)}}});
        };
        QTest::newRow("more records than a list can hold")
            << full(nullptr) << full("A") << full("B") << full("A") << 2 << QStringList();
    }

    void merges()
    {
        QFETCH(SmeltFile, base);
        QFETCH(SmeltFile, ours);
        QFETCH(SmeltFile, theirs);
        QFETCH(SmeltFile, merged);
        QFETCH(int, exitCode);
        QFETCH(QStringList, conflicts);
        save("base", base);
        save("ours", ours);
        save("theirs", theirs);
        folder.writeFile("ours.conflicts.json", "left by an earlier merge");
        QByteArray err;
        QCOMPARE(run({"merge", "base", "ours", "theirs"}, err), exitCode);
        const SmeltFile result = load("ours");
        QCOMPARE(groups(result), groups(merged));
        QVERIFY(result == merged);
        QStringList paths; // each conflict's line on standard error begins with its path
        for (const QByteArray &line : err.split('\n')) {
            if (line.startsWith('$'))
                paths << line.left(line.indexOf(": "));
        }
        QCOMPARE(paths, conflicts);
        // Replaced by this merge's conflicts, removed by a clean merge, left by a refused one.
        QCOMPARE(QFile::remove("ours.conflicts.json"), exitCode != 0);
    }

    // What a maintainer sees of a conflict, and what is written where.
    void conflictReport()
    {
        const CraftingData base = groups(edited([](T) {}));
        CraftingData ours = base, theirs = base;
        ours[0].procs[0].maxQL = ours[2].procs[0].maxQL = 150;
        theirs[0].procs[0].maxQL = 120;
        theirs.removeAt(2);
        save("base", base), save("ours", ours), save("theirs", theirs);
        QByteArray err;
        QCOMPARE(run({"merge", "-o", "out", "base", "ours", "theirs"}, err), 1);
        QCOMPARE(err, "$.groups[0].procs[0].maxQL: base 200, ours 150, theirs 120\n"
                      "$.groups[2]: group \"Tools\" changed by ours, deleted by theirs; ours kept\n"
                      "smeltwork-tool: out: 2 conflict(s) left, each with our side's value; all "
                      "are listed in out.conflicts.json\n");
        const QByteArray json = folder.readFile("out.conflicts.json");
        QCOMPARE(json.left(json.indexOf(R"({"name": "Hammer")")),
                 "{\n    \"conflicts\": [\n        {\n            \"path\": "
                 "\"$.groups[0].procs[0].maxQL\",\n            \"base\": 200,\n            "
                 "\"ours\": 150,\n            \"theirs\": 120\n        },\n        {\n            "
                 "\"path\": \"$.groups[2]\",\n            \"base\": {\"name\": \"Tools\", "
                 "\"procs\": [{\"name\": \"Tongs\", \"maxQL\": 100, \"minQL\": 1, \"reqs\": []}, ");
        QVERIFY(json.endsWith("\"theirs\": null\n        }\n    ]\n}\n"));
        QCOMPARE(groups(load("out")), ours);
        QVERIFY(!folder.exists("ours.conflicts.json")); // -o leaves ours alone

        // A damaged version is not merged from what could be read of it; nothing is written.
        folder.writeFile("damaged", folder.readFile("theirs").chopped(3));
        const QByteArray before = folder.readFile("ours");
        QCOMPARE(run({"merge", "base", "ours", "damaged"}, err), 2);
        QVERIFY2(err.contains("damaged: damaged; nothing was merged"), err.constData());
        QCOMPARE(folder.readFile("ours"), before);
        QCOMPARE(run({"merge", "base", "ours"}, err), 2);
    }

    // Two branches that change the same data file in different places merge without a
    // conflict through git, with the driver configured as the README says.
    void gitMergeUsesTheDriver()
    {
        const QString git = QStandardPaths::findExecutable("git");
        if (git.isEmpty())
            QSKIP("git is not installed");
        ScratchFolder repo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : env.keys()) {
            if (name.startsWith("GIT_"))
                env.remove(name); // never the repository of whoever runs the test
        }
        env.insert("HOME", repo.path()); // nor their settings or the machine's
        env.insert("GIT_CONFIG_NOSYSTEM", "1");
        const auto g = [&](const QString &command) {
            QProcess process;
            process.setProcessEnvironment(env);
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(git, QProcess::splitCommand(command));
            const bool done = process.waitForFinished(30000) &&
                              process.exitStatus() == QProcess::NormalExit && !process.exitCode();
            if (!done)
                qWarning("git %s: %s", qPrintable(command), process.readAll().constData());
            return done;
        };
        QVERIFY(g("init -q -b base") && g("config user.name Test") &&
                g("config user.email test@example.invalid") &&
                g("config merge.smeltwork.driver \"'" SMELTWORK_TOOL "' merge %O %A %B\""));
        repo.writeFile(".gitattributes", "*.dat merge=smeltwork\n");
        save("Smeltwork.dat", edited([](T) {}));
        QVERIFY(g("add .") && g("commit -q -m base") && g("checkout -q -b ours"));

        const auto group = [](T t) { t.append(ProcGroup{"Glass", {proc("Pane")}}); };
        const auto ql = [](T t) { t[0].procs[1].maxQL = 180; };
        const auto req = [](T t) { t[1].procs[1].reqs.append(item("Wire", "1", 9)); };
        const auto sort = [](T t) { t[2].procs.move(2, 0), t[2].procs.move(2, 1); };
        save("Smeltwork.dat", edited([&](T t) { group(t), ql(t); }));
        QVERIFY(g("commit -q -am ours") && g("checkout -q -b theirs base"));
        save("Smeltwork.dat", edited([&](T t) { req(t), sort(t); }));
        QVERIFY(g("commit -q -am theirs") && g("checkout -q ours") &&
                g("merge -q --no-edit theirs"));
        QCOMPARE(groups(load("Smeltwork.dat")),
                 groups(edited([&](T t) { group(t), ql(t), req(t), sort(t); })));
    }
};

QTEST_GUILESS_MAIN(MergeTest)
#include "tst_merge.moc"
