// The editing rules: what a dialog's values make of a record, where records are added and
// removed, how lists sort with their trace, how help topics hang in their tree.
#include "editing.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QLocale>
#include <QTest>
#include <functional>

namespace {

template <typename T> QString printed(const T &value)
{
    QString out;
    QDebug(&out).nospace() << value;
    return out;
}

// Names only: "A(P[r s] Q) B", a null name as "~"; a list of 100 records or more by its size.
QString shape(const CraftingData &data)
{
    const auto name = [](const QString &n) { return n.isNull() ? QStringLiteral("~") : n; };
    if (data.size() >= 100)
        return QString::number(data.size());
    QStringList groups;
    for (const ProcGroup &g : data) {
        QStringList procs;
        for (const Proc &p : g.procs) {
            QStringList reqs;
            for (const Req &r : p.reqs)
                reqs << name(r.name);
            if (reqs.size() >= 100)
                reqs = QStringList{QString::number(reqs.size())};
            procs << name(p.name) + (reqs.isEmpty() ? "" : '[' + reqs.join(' ') + ']');
        }
        groups << name(g.name) + (procs.isEmpty() ? "" : '(' + procs.join(' ') + ')');
    }
    return groups.join(' ');
}

CraftingData named(const QString &names)
{
    CraftingData data;
    for (const QString &n : names.split(u' ', Qt::SkipEmptyParts))
        data.append({n, {}});
    return data;
}

// Ores holds Ingot (items and skills mixed) and Dust; Wood holds Bar.
CraftingData forge()
{
    return {
        {"Ores",
         {proc("Ingot", {item("Hammer", "1", 1), skill("Smithing", "2"), item("Anvil", "0", 2)}),
          proc("Dust")}},
        {"Wood", {proc("Bar")}}};
}

using Rule = std::function<QString()>;

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
        const auto row = [](const char *name, const Rule &rule, const char *expected) {
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
        row(
            "new group, nothing typed: empty, not null", [] { return printed(newGroup({})); },
            "ProcGroup(\"\", QList())");
        row("edited group", group({"Wood", {}}, "Timber"), "ProcGroup(\"Timber\", QList())");
        row("cleared name", group({"Wood", {}}, ""), "ProcGroup(\"\", QList())");
        row("null name left empty stays null", group({}, ""), "ProcGroup(null, QList())");
        row(
            "new process, 300 stored as 255",
            [] {
                return printed(newProc({"Nugget", "300", "1", false}));
            },
            "Proc(\"Nugget\", QL 1-255, QList())");
        row("Special takes Min QL for both", process(proc("N"), {"N", "200", "50", true}),
            "Proc(\"N\", QL 50-50, QList())");
        row("Min above Max as typed, requirements kept",
            process(proc("Ingot", {item("Hammer", "1", 5)}), {"Ingots", "50", "300", false}),
            "Proc(\"Ingots\", QL 255-50, QList(Req(\"Hammer\", x\"1\", t=0, id=5)))");
        row("new item/tool", added({"Tongs", "2", false, "55"}, false),
            "Req(\"Tongs\", x\"2\", t=0, id=55)");
        row("letters in the ID", added({"Tongs", "2", false, "12ab"}, false),
            "Req(\"Tongs\", x\"2\", t=0, id=0)");
        row("Fixed stores 0 whatever was typed", added({"Tongs", "3", true, ""}, false),
            "Req(\"Tongs\", x\"0\", t=0, id=0)");
        row("new skill takes no id", added({"Casting", "1.5", false, "77"}, true),
            "Req(\"Casting\", x\"1.5\", t=1, id=0)");
        row("unsigned text of a negative id reads back",
            req(item("Anvil", "1", -5), {"Anvil", "1", false, "4294967291"}),
            "Req(\"Anvil\", x\"1\", t=0, id=-5)");
        row("beyond 32 bits is 0", req(item("Anvil", "1", 7), {"Anvil", "1", false, "4294967296"}),
            "Req(\"Anvil\", x\"1\", t=0, id=0)");
        row("skill keeps id and type",
            req(skill("Mining", "0.5", 5, 42), {"Prospecting", "0.5", false, "0"}),
            "Req(\"Prospecting\", x\"0.5\", t=5, id=42)");
        row("null texts left empty stay null", req(item(nullptr, nullptr, 5), {"", "", false, "5"}),
            "Req(null, xnull, t=0, id=5)");
        row("letters open as Fixed and are stored as 0",
            req(item("Glue", "lots", 3), {"Glue", "lots", true, "3"}),
            "Req(\"Glue\", x\"0\", t=0, id=3)");
        row(
            "id shown unsigned", [] { return idText(-1) + ' ' + idText(1234); }, "4294967295 1234");
        row(
            "QL texts", [] { return QString::number(qlOfText("0") + qlOfText("x")); }, "0");
        row(
            "requirement rows by name as the language sorts",
            [] {
                QStringList names{"b", "Banana", "apple", "Apple"};
                std::stable_sort(names.begin(), names.end(), reqNameBefore);
                return names.join(' ');
            },
            "apple Apple b Banana");
        row(
            "fixed and special",
            [] {
                return QString::asprintf(
                    "%d %d %d %d", isFixed(item("a", "0.0", 1)), isFixed(item("a", " 0.5", 1)),
                    isSpecial(proc("p", {}, 120, 120)), isSpecial(proc("p", {}, 120, 1)));
            },
            "1 0 1 0");
    }

    void dialogValuesMakeRecords()
    {
        QFETCH(Rule, rule);
        QTEST(rule(), "expected");
    }

    // A tree and a change at a position -> what the change says and the tree after it.
    void listsChangeByPosition_data()
    {
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<std::function<EditResult(CraftingData &)>>("change");
        QTest::addColumn<EditResult>("result");
        QTest::addColumn<QString>("after");
        const auto row = [](const char *name, const CraftingData &tree,
                            const std::function<EditResult(CraftingData &)> &change,
                            EditResult result, const char *after) {
            QTest::newRow(name) << tree << change << result << QString(after);
        };
        using E = EditResult;
        row(
            "group appended after all", forge(),
            [](auto &d) {
                return appendGroup(d, {"Clay", {}});
            },
            E::Done, "Ores(Ingot[Hammer Smithing Anvil] Dust) Wood(Bar) Clay");
        row(
            "process to the second group", forge(),
            [](auto &d) { return appendProc(d, 1, proc("Plank")); }, E::Done,
            "Ores(Ingot[Hammer Smithing Anvil] Dust) Wood(Bar Plank)");
        row(
            "process without a group", {}, [](auto &d) { return appendProc(d, 0, proc("P")); },
            E::NoRecord, "");
        row(
            "requirement without a process", named("Empty"),
            [](auto &d) { return appendReq(d, 0, 0, item("R", "1", 1)); }, E::NoRecord, "Empty");
        row(
            "first of three groups removed", named("A B C"),
            [](auto &d) { return removeRecord(d, {0}); }, E::Done, "B C");
        row(
            "process removed with its requirements", forge(),
            [](auto &d) {
                return removeRecord(d, {0, 0});
            },
            E::Done, "Ores(Dust) Wood(Bar)");
        row(
            "the requirement chosen among items and skills", forge(),
            [](auto &d) {
                return removeRecord(d, {0, 0, 1});
            },
            E::Done, "Ores(Ingot[Hammer Anvil] Dust) Wood(Bar)");
        row(
            "nothing at the position", forge(),
            [](auto &d) {
                return removeRecord(d, {0, 2});
            },
            E::NoRecord, "Ores(Ingot[Hammer Smithing Anvil] Dust) Wood(Bar)");
        // The file counts 65,535 records at most in each list.
        CraftingData almost(MaxListSize - 1);
        row(
            "65,535th group", almost, [](auto &d) { return appendGroup(d, {}); }, E::Done, "65535");
        CraftingData full{{"Full", {Proc{"P", 1, 1, QList<Req>(MaxListSize)}}}};
        row(
            "65,536th requirement", full, [](auto &d) { return appendReq(d, 0, 0, {}); },
            E::ListFull, "Full(P[65535])");
    }

    void listsChangeByPosition()
    {
        QFETCH(CraftingData, tree);
        QFETCH(std::function<EditResult(CraftingData &)>, change);
        QTEST(change(tree), "result");
        QTEST(shape(tree), "after");
        QCOMPARE(roomFor(MaxListSize - 1), EditResult::Done);
        QCOMPARE(roomFor(MaxListSize), EditResult::ListFull);
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
                                    proc("Ingot", {skill("Smithing", "2")})}},
                                  {"Metals", {proc("Wire")}}};
        QTest::newRow("equal names keep their order and what they hold")
            << metals << -1
            << "Metals(Ingot[Hammer] Bar Ingot[Smithing]) Metals(Wire) Ores(Pig Ash)"
            << QStringList{"Ores appended.", "Metals comes before Ores (r = 1)",
                           "Metals comes before Ores (r = 1)"};
        QTest::newRow("the processes of one group only")
            << metals << 1 << "Ores(Pig Ash) Metals(Bar Ingot[Hammer] Ingot[Smithing]) Metals(Wire)"
            << QStringList{"Sorting ProcessList (Metals):", "Ingot appended.",
                           "Bar comes before Ingot (r = 1)", "Ingot appended."};
        QTest::newRow("no such group") << CraftingData() << 0 << "" << QStringList();
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
        QCOMPARE(capture.debugLines(), trace << "List sorted, saving...");
    }

    // Ids in list order -> each topic's parent ("-" for the top level) and the IDTest lines:
    // value - whole part (toward zero, held within 32 bits) = fraction.
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
            "- - - 2 2 2 2 2 - - - - - - - - 15 -",
            "2.50 - 2 = 0.50|-1.50 - -1 = -0.50|0.00 - 0 = 0.00|7.50 - 7 = 0.50|0.50 - 0 = 0.50|"
            "3.25 - 3 = 0.25|1.20 - 1 = 0.20|2.50 - 2 = 0.50|3.00 - 3 = 0.00|3.00 - 3 = 0.00|"
            "1.00 - 1 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|"
            "inf - 2147483647 = 0.00|-inf - -2147483648 = 0.00|3000000000.50 - 2147483647 = "
            "0.50|-3000000000.25 - -2147483648 = -0.25");
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
            QCOMPARE(capture.debugLines().join('|').remove(QStringLiteral("IDTest: ")), idTest);
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
