// The editing rules: what a dialog's values make of a record, where records are added and
// removed, how lists sort with their trace, how help topics hang in their tree, finding
// records, the undo history and the texts that records share.
#include "data/clipboard.h"
#include "data/document.h"
#include "data/editing.h"
#include "data/find.h"
#include "tests/support/sampletree.h"
#include "tests/support/testsupport.h"

#include <QLocale>
#include <QtEndian>

namespace {

template <typename T> QString printed(const T &value)
{
    QString out;
    QDebug(&out).nospace() << value;
    return out;
}

QString printed(const QString &value) // as the records print their texts: null as null
{
    QString out;
    QDebug debug(&out);
    printText(debug, value);
    return out.trimmed();
}

CraftingData named(const QString &names)
{
    CraftingData data;
    for (const QString &n : names.split(u' ', Qt::SkipEmptyParts))
        data.append({n, {}});
    return data;
}

QString pathText(const RecordPath &p) // "0/1/2", without the levels below the record's
{
    return QString::asprintf("%d/%d/%d", p.group, p.proc, p.req).remove(QRegularExpression("/?-1"));
}

// One change as a window makes it: "add =Zinc" appends a group, "add 1=P" a process, "add
// 1/0=R" an item/tool, "edit 0/1/0=Axe" renames a requirement, "del 0/1" deletes, "dup 0/1"
// duplicates, "paste 0/1=JSON" pastes with 0/1 current, "copy 0/1" pastes a copy of 0/1 there,
// "sort" sorts the groups, "sort 0" a group's processes. `touched`: the place handed to the
// history.
EditResult change(CraftingData &data, const QString &step, RecordPath *touched = nullptr)
{
    const QString verb = step.section(' ', 0, 0), name = step.section('=', 1);
    const QStringList at = step.section(' ', 1).section('=', 0, 0).split('/', Qt::SkipEmptyParts);
    RecordPath path{at.value(0, "-1").toInt(), at.value(1, "-1").toInt(),
                    at.value(2, "-1").toInt()};
    EditResult result = EditResult::Done;
    if (verb == "add" && at.isEmpty())
        result = appendGroup(data, newGroup(name)), path = {int(data.size()) - 1};
    else if (verb == "add" && path.proc < 0) // the place is the new record's, as in the window
        path.proc = int(data.value(path.group).procs.size()),
        result = appendProc(data, path.group, Proc{name, 100, 1, {}});
    else if (verb == "add")
        path.req = int(data.value(path.group).procs.value(path.proc).reqs.size()),
        result = appendReq(data, path.group, path.proc, Req{name, "1", 0, 1});
    else if (verb == "edit")
        editReq(*reqAt(data, path.group, path.proc, path.req), {name, "1", false, "9"});
    else if (verb == "del")
        result = removeRecord(data, path);
    else if (verb == "dup")
        result = duplicateRecord(data, path);
    else if (verb == "paste" || verb == "copy")
        result = pasteJson(data, path, verb == "copy" ? copyRecordJson(data, path) : name.toUtf8())
                     .result;
    else if (path.group < 0)
        sortGroups(data);
    else
        result = sortProcs(data, path.group);
    if (touched)
        *touched = path;
    return result;
}

using Rule = std::function<QString()>;

// Whether every two equal texts of the tree, names and multipliers, are one string.
bool equalTextsShared(const CraftingData &data)
{
    QHash<QString, const QChar *> first;
    bool shared = true;
    const auto check = [&](const QString &text) {
        if (!text.isEmpty())
            shared = shared &&
                     *first.insert(text, first.value(text, text.constData())) == text.constData();
    };
    for (const ProcGroup &group : data) {
        check(group.name);
        for (const Proc &proc : group.procs) {
            check(proc.name);
            for (const Req &req : proc.reqs)
                check(req.name), check(req.multiplier);
        }
    }
    return shared;
}

} // namespace

class RulesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Under the C locale a locale-aware comparison is the plain one; English tells them apart.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // A record before and the dialog's values -> the record after, as its QDebug printer shows it.
    void dialogValuesMakeRecords_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *expected, const Rule &rule) {
            QTest::newRow(name) << rule << QString::fromUtf8(expected);
        };
        const auto group = [](ProcGroup g, QString typed) -> Rule {
            return [=]() mutable { return editGroup(g, typed), printed(g); };
        };
        const auto process = [](Proc p, ProcFields fields) -> Rule {
            return [=]() mutable { return editProc(p, fields), printed(p); };
        };
        const auto req = [](Req r, ReqFields fields) -> Rule {
            return [=]() mutable { return editReq(r, fields), printed(r); };
        };
        const auto added = [](ReqFields fields, bool skill) -> Rule {
            return [=] { return printed(newReq(fields, skill)); };
        };
        row("new group, nothing typed: empty, not null", "ProcGroup(\"\", QList())",
            [] { return printed(newGroup({})); });
        row("edited group", "ProcGroup(\"Timber\", QList())", group({"Wood", {}}, "Timber"));
        row("cleared name", "ProcGroup(\"\", QList())", group({"Wood", {}}, ""));
        row("null name left empty stays null", "ProcGroup(null, QList())", group({}, ""));
        row("new process, 300 stored as 255", "Proc(\"Nugget\", QL 1-255, QList())", [] {
            return printed(newProc({"Nugget", "300", "1", false}));
        });
        row("Special takes Min QL for both", "Proc(\"N\", QL 50-50, QList())",
            process(proc("N"), {"N", "200", "50", true}));
        row("Min above Max as typed, requirements kept",
            "Proc(\"Ingots\", QL 255-50, QList(Req(\"Hammer\", x\"1\", t=0, id=5)))",
            process(proc("Ingot", {item("Hammer", "1", 5)}), {"Ingots", "50", "300", false}));
        row("new item/tool", "Req(\"Tongs\", x\"2\", t=0, id=55)",
            added({"Tongs", "2", false, "55"}, false));
        row("letters in the ID", "Req(\"Tongs\", x\"2\", t=0, id=0)",
            added({"Tongs", "2", false, "12ab"}, false));
        row("Fixed stores 0 whatever was typed", "Req(\"Tongs\", x\"0\", t=0, id=0)",
            added({"Tongs", "3", true, ""}, false));
        row("new skill takes no id", "Req(\"Casting\", x\"1.5\", t=1, id=0)",
            added({"Casting", "1.5", false, "77"}, true));
        row("unsigned text of a negative id reads back", "Req(\"Anvil\", x\"1\", t=0, id=-5)",
            req(item("Anvil", "1", -5), {"Anvil", "1", false, "4294967291"}));
        row("beyond 32 bits is 0", "Req(\"Anvil\", x\"1\", t=0, id=0)",
            req(item("Anvil", "1", 7), {"Anvil", "1", false, "4294967296"}));
        row("skill keeps id and type", "Req(\"Prospecting\", x\"0.5\", t=5, id=42)",
            req(skill("Mining", "0.5", 5, 42), {"Prospecting", "0.5", false, "0"}));
        row("null texts left empty stay null", "Req(null, xnull, t=0, id=5)",
            req(item(nullptr, nullptr, 5), {"", "", false, "5"}));
        row("letters open as Fixed and are stored as 0", "Req(\"Glue\", x\"0\", t=0, id=3)",
            req(item("Glue", "lots", 3), {"Glue", "lots", true, "3"}));
        const auto topic = [](HelpTopic t, TopicFields fields) -> Rule {
            return [=]() mutable { return editTopic(t, fields), printed(t); };
        };
        row("new topic: the typed texts", "HelpTopic(\"HLP_\", \"\", null)", [] {
            return printed(newTopic({"HLP_", ""}));
        });
        row("topic edited as it was keeps its null texts", "HelpTopic(null, null, \"b\")",
            topic({{}, {}, "b"}, {"", ""}));
        row("topic edited", "HelpTopic(\"2\", \"\", null)", topic({"1", "One", {}}, {"2", ""}));
        // The body editor hands back every line end as LF.
        const auto body = [](const char *before, const char *edited) -> Rule {
            return [=] { return printed(editedBody(text(before), text(edited))); };
        };
        row("body saved as shown keeps its line ends", "\"a<br>\\r\\nb\\rc\u2029\"",
            body("a<br>\r\nb\rc\u2029", "a<br>\nb\nc\n"));
        row("null body saved empty stays null", "null", body(nullptr, ""));
        row("lines typed take the body's line end, the rest keeps its own",
            "\"a\\r\\nX\\r\\nY\\r\\nb\\n\"", body("a\r\nb\n", "a\nX\nY\nb\n"));
        row("a character typed between CR and LF keeps both", "\"a!\\r\\nb\"",
            body("a\r\nb", "a!\nb"));
        row("everything deleted", "\"\"", body("a\r\nb", ""));
        row("a process copied as JSON, indented as export writes it",
            "{\n    \"name\": \"Plank\",\n    \"maxQL\": 50,\n    \"minQL\": 10,\n    \"reqs\": [\n"
            "        {\"name\": \"Glue\", \"multiplier\": \"lots\", \"type\": 0, \"id\": 3}\n    "
            "]\n}\n",
            [] {
                return QString(copyRecordJson(forge(), {1, 1}));
            });
        row("requirement rows by name as the language sorts", "apple Apple b Banana", [] {
            QStringList names{"b", "Banana", "apple", "Apple"};
            std::stable_sort(names.begin(), names.end(), reqNameBefore);
            return names.join(' ');
        });
        row("fixed and special", "1 0 1 0", [] {
            return QString::asprintf(
                "%d %d %d %d", isFixed(item("a", "0.0", 1)), isFixed(item("a", " 0.5", 1)),
                isSpecial(proc("p", {}, 120, 120)), isSpecial(proc("p", {}, 120, 1)));
        });
    }

    void dialogValuesMakeRecords()
    {
        QFETCH(Rule, rule);
        QTEST(rule(), "expected");
    }

    // A tree and a change at a position (see change()) -> what the change says and the tree.
    void listsChangeByPosition_data()
    {
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<QString>("step");
        QTest::addColumn<EditResult>("result");
        QTest::addColumn<QString>("after");
        const auto row = [](const char *name, const CraftingData &tree, const QByteArray &step,
                            EditResult result, const char *after) {
            QTest::newRow(name) << tree << QString::fromUtf8(step) << result << QString(after);
        };
        using E = EditResult;
        const CraftingData two = {{"Ores", {proc("Ingot", {item("H", "1", 1)})}}, {"Wood", {}}};
        row("group appended after all", named("A B"), "add =Clay", E::Done, "A B Clay");
        row("process after the others", forge(), "add 1=Oak", E::Done,
            "Ores(Ingot[Hammer Smithing Anvil Mining] Dust) Wood(Bar Plank[Glue] Oak) Empty");
        row("process without a group", {}, "add 0=P", E::NoRecord, "");
        row("requirement after the others", two, "add 0/0=R", E::Done, "Ores(Ingot[H R]) Wood");
        row("requirement without a process", two, "add 1/0=R", E::NoRecord, "Ores(Ingot[H]) Wood");
        row("first of three groups removed", named("A B C"), "del 0", E::Done, "B C");
        row("process removed with its requirements", forge(), "del 0/0", E::Done,
            "Ores(Dust) Wood(Bar Plank[Glue]) Empty");
        row("the requirement chosen among items and skills", forge(), "del 0/0/1", E::Done,
            "Ores(Ingot[Hammer Anvil Mining] Dust) Wood(Bar Plank[Glue]) Empty");
        row("nothing at the position", two, "del 0/1", E::NoRecord, "Ores(Ingot[H]) Wood");
        // The file counts 65,535 records at most in each list.
        row("65,535th group", CraftingData(MaxListSize - 1), "add =G", E::Done, "65535");
        const CraftingData full{{"Full", {Proc{"P", 1, 1, QList<Req>(MaxListSize)}}}};
        row("65,536th requirement", full, "add 0/0=R", E::ListFull, "Full(P[65535])");
        // A duplicate or a paste goes right after its record, with all the record holds.
        const char *ingot = "Ores(Ingot[Hammer Smithing Anvil Mining] Ingot[Hammer Smithing Anvil "
                            "Mining] Dust) Wood(Bar Plank[Glue]) Empty";
        row("process duplicated with its requirements", forge(), "dup 0/0", E::Done, ingot);
        row("copied as JSON and pasted back: the same", forge(), "copy 0/0", E::Done, ingot);
        row("requirement duplicated", two, "dup 0/0/0", E::Done, "Ores(Ingot[H H]) Wood");
        row("group duplicated", named("A B C"), "dup 1", E::Done, "A B B C");
        row("nothing to duplicate", two, "dup 0/3", E::NoRecord, "Ores(Ingot[H]) Wood");
        row("65,536th group", CraftingData(MaxListSize), "dup 0", E::ListFull, "65535");
        const QByteArray req = R"({"name": "R", "multiplier": "1", "type": 0, "id": 2})";
        row("requirement pasted after the current one", forge(), "paste 0/0/1=" + req, E::Done,
            "Ores(Ingot[Hammer Smithing R Anvil Mining] Dust) Wood(Bar Plank[Glue]) Empty");
        row("none current: at the end", two, "paste 0/0=" + req, E::Done, "Ores(Ingot[H R]) Wood");
        row("requirement without a process", two, "paste 1=" + req, E::NoRecord,
            "Ores(Ingot[H]) Wood");
        row("into a full list", full, "paste 0/0/0=" + req, E::ListFull, "Full(P[65535])");
        row("list of processes, after the current process", forge(),
            R"(paste 1/0=[{"name": "P", "maxQL": 1, "minQL": 1, "reqs": []},
                           {"name": "Q", "maxQL": 1, "minQL": 1, "reqs": [)" +
                req + "]}]",
            E::Done,
            "Ores(Ingot[Hammer Smithing Anvil Mining] Dust) Wood(Bar P Q[R] Plank[Glue]) Empty");
        row("group after the current group, from a whole export", named("A B"),
            R"(paste 0={"format": "smeltwork-data", "groups": [{"name": "G", "procs": []}]})",
            E::Done, "A G B");
        for (const char *text :
             {"Crucible", "[]", R"({"name": "R"})", R"({"format": "smeltwork-help", "topics": []})",
              R"([{"name": "G", "procs": []}, {"name": "R", "type": 0}])"})
            row(text, two, "paste 0/0/0=" + QByteArray(text), E::NotRecords, "Ores(Ingot[H]) Wood");
    }

    void listsChangeByPosition()
    {
        QFETCH(CraftingData, tree);
        QFETCH(QString, step);
        QTEST(change(tree, step), "result");
        QTEST(shape(tree), "after");
    }

    // A tree and "text=replacement" ("whole " first: in whole names only) -> how many names
    // changed and the tree; "ids Name 5=9 @0/0/0": the other items/tools of that name with id
    // 5 that the requirement at 0/0/0 leaves, how many got 9, and every requirement's id.
    void replaceEverywhere_data()
    {
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("after");
        const QString rest = " Wood(Bar Plank[Glue]) Empty";
        QTest::newRow("in every name, any case, each time")
            << forge() << "in=X"
            << "3: Ores(Xgot[Hammer SmithXg Anvil MXXg] Dust)" + rest;
        QTest::newRow("whole names only, any case")
            << forge() << "whole hammer=Mallet"
            << "1: Ores(Ingot[Mallet Smithing Anvil Mining] Dust)" + rest;
        QTest::newRow("a replacement that changes nothing is no change")
            << forge() << "whole INGOT=Ingot"
            << "0: " + shape(forge());
        const CraftingData hammers{
            {"G",
             {proc("P", {item("Hammer", "1", 5), item("Hammer", "2", 5), skill("Hammer", "1", 1, 5),
                         item("hammer", "1", 5), item("Hammer", "1", 6)}),
              proc("Q", {item("Hammer", "1", 5)})}}};
        QTest::newRow("ids of items/tools of the same name only")
            << hammers << "ids Hammer 5=9 @0/0/0"
            << "2, 3: 9 9 5 5 6 9";
    }

    void replaceEverywhere()
    {
        QFETCH(CraftingData, tree);
        QFETCH(QString, step);
        const CraftingData before = tree;
        QString after;
        if (step.startsWith("ids ")) {
            const QStringList w = step.split(QRegularExpression("[ =@/]"));
            const int others = countItemsWithId(tree, w[1], w[2].toInt(),
                                                {w[5].toInt(), w[6].toInt(), w[7].toInt()});
            after = QString("%1, %2:").arg(others).arg(
                changeItemIds(tree, w[1], w[2].toInt(), w[3].toInt()));
            for (const Proc &p : tree[0].procs)
                for (const Req &r : p.reqs)
                    after += ' ' + QString::number(r.id);
        } else {
            const bool whole = step.startsWith("whole ");
            const QString what = step.mid(whole ? 6 : 0);
            const int changed =
                replaceInNames(tree, what.section('=', 0, 0), what.section('=', 1), whole);
            after = QString::number(changed) + ": " + shape(tree);
        }
        QTEST(after, "after");
        // A list the change left alone is still the very list the copy before holds.
        const CraftingData &now = tree;
        for (qsizetype g = 0; g < now.size(); ++g)
            for (qsizetype p = 0; p < now[g].procs.size(); ++p) {
                const QList<Req> &a = now[g].procs[p].reqs, &b = before[g].procs[p].reqs;
                QVERIFY(a != b || a.constData() == b.constData());
            }
    }

    // Groups (or the processes of group `g`) -> the sorted list and the trace between the
    // header and "List sorted, saving...".
    void sortsAreStableAndTraced_data()
    {
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<int>("g"); // -1: sort the groups
        QTest::addColumn<QString>("sorted");
        QTest::addColumn<QStringList>("trace");
        QTest::newRow("C, A, B") << named("C A B") << -1 << "A B C"
                                 << QStringList{"C appended.", "A comes before C (r = 1)",
                                                "B comes before C (r = 1)"};
        QTest::newRow("capitals first, a beginning first")
            << named("b Ba B A") << -1 << "A B Ba b"
            << QStringList{"b appended.", "Ba comes before b (r = 1)", "B comes before Ba (r = 1)",
                           "A comes before B (r = 1)"};
        QTest::newRow("none") << CraftingData() << -1 << "" << QStringList();
        QTest::newRow("beyond Latin-1 printed as ?")
            << named("Жар Äxte") << -1 << "Äxte Жар"
            << QStringList{"??? appended.", "Äxte comes before ??? (r = 1)"};
        const CraftingData metals{{"Ores", {proc("Pig"), proc("Ash")}},
                                  {"Metals",
                                   {proc("Ingot", {item("Hammer", "1", 1)}), proc("Bar"),
                                    proc("Ingot", {skill("Smithing", "2")})}}};
        QTest::newRow("the processes of one group only")
            << metals << 1 << "Ores(Pig Ash) Metals(Bar Ingot[Hammer] Ingot[Smithing])"
            << QStringList{"Sorting ProcessList (Metals):", "Ingot appended.",
                           "Bar comes before Ingot (r = 1)", "Ingot appended."};
        QTest::newRow("no such group") << CraftingData() << 0 << "" << QStringList();
        // Records of equal names keep their order and what they hold. Below 17 records
        // std::sort falls back to an insertion sort, which is stable too.
        CraftingData many;
        QStringList sorted[2], trace;
        for (int i = 0; i < 40; ++i) {
            many.append({i % 2 ? "A" : "B", {Proc{QString::number(i), 1, 1, {}}}});
            sorted[i % 2] << many.last().name + '(' + many.last().procs[0].name + ')';
            trace << (i % 2 ? "A comes before B (r = 1)" : "B appended.");
        }
        QTest::newRow("equal names among many")
            << many << -1 << (sorted[1] + sorted[0]).join(' ') << trace;
    }

    void sortsAreStableAndTraced()
    {
        QFETCH(CraftingData, tree);
        QFETCH(int, g);
        QFETCH(QStringList, trace);
        TraceCapture capture;
        if (g < 0) {
            sortGroups(tree);
            trace.prepend("Sorting ProcGroupList:");
        } else if (sortProcs(tree, g) == EditResult::NoRecord) {
            QVERIFY(capture.lines().isEmpty());
            return;
        }
        QTEST(shape(tree), "sorted");
        QCOMPARE(capture.lines("D: "), trace << "List sorted, saving...");
    }

    // Ids in list order -> each topic's parent ("-" for the top level) and, in a file of
    // tests/data/, the IDTest lines: value - whole part (toward zero, held within 32 bits) =
    // fraction.
    void topicsHangBelowTheirTopic_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("parents");
        QTest::addColumn<QString>("idTest");
        const auto row = [](const char *name, const QStringList &ids, const char *parents,
                            const char *idTest = "") {
            QTest::newRow(name) << ids << QString(parents) << QString(idTest);
        };
        row("sub-topics under their topic", {"1", "1.1", "1.2", "2"}, "- 0 0 -");
        row("under the nearest topic before it", {"1", "2", "1.5"}, "- - 1");
        row("a sub-topic first stays at the top and takes none", {"0.5", "0.7", "3", "1.2"},
            "- - - 2");
        row("values as the number they begin with",
            {"2.5", "-1.5", "HLP_", " \t 7.5", ".5", "3.25abc", "1.2.3", "25E-1", "3e+x", "3.",
             "1,5", "0x1A", "inf", "1e-999", "1e999", "-1e999", "3000000000.5", "-3000000000.25"},
            "- - - 2 2 2 2 2 - - - - - - - - 15 -", "topic-id-values.txt");
    }

    void topicsHangBelowTheirTopic()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, idTest);
        HelpTopics topics;
        for (const QString &id : ids)
            topics.append({id, {}, {}});
        TraceCapture capture;
        QStringList parents;
        for (int parent : topicParents(topics))
            parents << (parent < 0 ? QStringLiteral("-") : QString::number(parent));
        QTEST(parents.join(' '), "parents");
        if (!idTest.isEmpty())
            QCOMPARE(capture.lines("D: "), testDataLines(idTest));
    }

    // "query -> total: places listed"; at most 3 are listed, all are counted.
    void findRecords_data()
    {
        QTest::addColumn<CraftingData>("data");
        QTest::addColumn<QString>("search");
        QTest::newRow("empty query") << forge() << " -> 0:";
        QTest::newRow("longer than every name") << forge() << "Smithings -> 0:";
        QTest::newRow("a process and skills, any case") << forge() << "ING -> 3: 0/0 0/0/1 0/0/3";
        QTest::newRow("every level in tree order, the first listed")
            << forge() << "e -> 4: 0 0/0/0 1/1/0";
        // Group 0 is "Stählerne Äxte"; group 1 has a null name and a process named "".
        QTest::newRow("letters beyond ASCII fold") << sampleTree() << "ä -> 1: 0";
        QTest::newRow("null and empty names") << sampleTree() << "A -> 2: 0/0 0/0/0";
    }

    void findRecords()
    {
        QFETCH(CraftingData, data);
        QFETCH(QString, search);
        const FindResult result = ::findRecords(data, search.section(" -> ", 0, 0), 3);
        QStringList places{QString::number(result.total) + ':'};
        for (const RecordPath &path : result.listed)
            places << pathText(path);
        QCOMPARE(places.join(' '), search.section(" -> ", 1));
    }

    // Changes (see change()) made through a document, undos and redos -> the changes still in
    // effect, which replayed on a fresh tree must give the same tree, and the place the last
    // undo or redo showed.
    void undoAndRedo_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<qsizetype>("budget"); // 0: the default
        QTest::addColumn<QString>("after");
        QTest::newRow("delete, sort, undo twice, redo once")
            << "del 1, sort, undo, undo, redo" << qsizetype(0) << "del 1 @1";
        QTest::newRow("every kind undone gives the tree as loaded")
            << "add =Zinc, edit 1/1/0=Axe, sort 0, del 0/0, sort, undo, undo, undo, undo, undo"
            << qsizetype(0) << " @3";
        QTest::newRow("redo replays in order")
            << "del 0/0/1, add =Beam, sort 0, undo, undo, undo, redo, redo, redo, redo"
            << qsizetype(0) << "del 0/0/1, add =Beam, sort 0 @0";
        QTest::newRow("a change after an undo ends the redo")
            << "del 0, del 0, undo, add =Zinc, redo" << qsizetype(0) << "del 0, add =Zinc @0";
        QTest::newRow("a change that changes nothing is no step")
            << "sort, sort, del 5, undo" << qsizetype(0) << " @";
        QTest::newRow("over the budget the newest step stays; undo past the start")
            << "del 2, del 1, undo, undo" << qsizetype(1) << "del 2 @1";
    }

    void undoAndRedo()
    {
        QFETCH(QString, script);
        QFETCH(qsizetype, budget);
        QFETCH(QString, after);
        TraceCapture quiet; // the sorts' trace
        ScratchFolder folder;
        folder.writeFile("Smeltwork.dat", encodeWithQDataStream(forge()));
        CraftingDocument document(craftingFilePath(), budget ? budget : DefaultHistoryBudget);
        QVERIFY(document.load().status == LoadStatus::Loaded);
        QString place = "-";
        for (const QString &step : script.split(", ")) {
            RecordPath touched;
            CraftingData probe = document.content(); // where the step lands
            static_cast<void>(change(probe, step, &touched));
            std::optional<RecordPath> back;
            if (step != "undo" && step != "redo")
                static_cast<void>(document.edit(
                    touched, [&step](CraftingData &data) { return change(data, step); }));
            else if ((back = step == "undo" ? document.undo() : document.redo()))
                place = pathText(*back);
        }
        CraftingData expected = forge();
        for (const QString &step : after.section(" @", 0, 0).split(", ", Qt::SkipEmptyParts))
            static_cast<void>(change(expected, step));
        QCOMPARE(document.content(), expected);
        QCOMPARE(place, after.section(" @", 1));
        document.discard();
    }

    // Texts handed to a pool, in turn; `|` marks a text given as the file's bytes -> the texts
    // back, each with the number of the first text it shares a string with ("a1 a1" is one
    // string twice). Null and empty texts are never pooled, nor mixed up.
    void textPoolSharesEqualTexts_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("shared");
        QTest::newRow("equal texts, either form")
            << QStringList{"0.5", "|0.5", "Crucible", "|Crucible", "0.5"}
            << "0.5#1 0.5#1 Crucible#3 Crucible#3 0.5#1";
        QTest::newRow("case and length tell them apart")
            << QStringList{"Tongs", "tongs", "|Tong", "|Tongs ", "Tongs"}
            << "Tongs#1 tongs#2 Tong#3 Tongs #4 Tongs#1";
        QTest::newRow("beyond Latin-1, longer than a word")
            << QStringList{"|Stählerne Zange ☆", "Stählerne Zange ☆"}
            << "Stählerne Zange ☆#1 Stählerne Zange ☆#1";
        QTest::newRow("null and empty")
            << QStringList{"", "|", "\\0", "", "|"} << "\"\" \"\" null \"\" \"\"";
    }

    void textPoolSharesEqualTexts()
    {
        QFETCH(QStringList, texts);
        TextPool pool;
        QStringList shared;
        QList<const QChar *> strings;
        for (const QString &given : texts) {
            const QString text =
                given == "\\0" ? QString() : QString(given).remove(0, given.startsWith('|'));
            QByteArray bytes(text.size() * 2, Qt::Uninitialized);
            qToBigEndian<char16_t>(text.constData(), text.size(), bytes.data());
            const QString back = given.startsWith('|')
                                     ? pool.sharedBigEndian(bytes.constData(), text.size())
                                     : pool.shared(text);
            QVERIFY(sameText(back, text));
            strings << back.constData();
            shared << (back.isEmpty()
                           ? printed(back)
                           : back + '#' + QString::number(strings.indexOf(back.constData()) + 1));
        }
        QTEST(shared.join(' '), "shared");
    }

    // A tree whose every name and multiplier repeats, loaded, then changes through its
    // document (see change()): equal texts are one string, before and after, and the tree and
    // the file saved are what the changes make of it.
    void equalTextsAreOneString_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("as loaded") << "";
        QTest::newRow("a name the tree holds") << "edit 0/0/0=Anvil, edit 3/0/1=Ingot";
        QTest::newRow("added records") << "add =Wood, add 1=Dust, add 1/1=Glue";
        QTest::newRow("a text new to the tree, twice") << "edit 0/0/0=Zinc, add 4/0=Zinc";
        QTest::newRow("undone and redone") << "edit 0/0/0=Zinc, undo, redo";
        QTest::newRow("pasted and copied records, sorted")
            << "paste 0/0/0=[{\"name\":\"Anvil\",\"multiplier\":\"1\",\"type\":0,\"id\":3},"
               "{\"name\":\"Zinc\",\"multiplier\":\"7\",\"type\":0,\"id\":3}], copy 1/1, "
               "paste 1/1/0=[{\"name\":\"Zinc\",\"multiplier\":\"7\",\"type\":0,\"id\":3}], sort 1";
    }

    void equalTextsAreOneString()
    {
        QFETCH(QString, script);
        ScratchFolder folder;
        CraftingData expected = forge() + sampleTree() + forge();
        folder.writeFile("Smeltwork.dat", encodeWithQDataStream(expected));
        CraftingDocument document(craftingFilePath());
        QVERIFY(document.load().status == LoadStatus::Loaded);
        QVERIFY(equalTextsShared(document.content()));
        for (const QString &step : script.split(", ", Qt::SkipEmptyParts)) {
            RecordPath touched;
            if (step == "undo" || step == "redo") {
                QVERIFY(step == "undo" ? document.undo() : document.redo());
                continue;
            }
            static_cast<void>(change(expected, step, &touched));
            static_cast<void>(
                document.edit(touched, [&step](CraftingData &data) { return change(data, step); }));
        }
        QVERIFY(equalTextsShared(document.content()));
        QCOMPARE(document.content(), expected);
        QVERIFY(document.save().status == SaveStatus::Saved);
        QCOMPARE(folder.readFile("Smeltwork.dat"), encodeWithQDataStream(expected));
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
