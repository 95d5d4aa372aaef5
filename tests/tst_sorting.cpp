#include "editingsupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(CraftingData)

namespace {

CraftingData groupsNamed(const QStringList &names)
{
    CraftingData data;
    for (const QString &name : names)
        data.append(ProcGroup{name, {}});
    return data;
}

QStringList namesOf(const CraftingData &data)
{
    QStringList names;
    for (const ProcGroup &g : data)
        names.append(g.name);
    return names;
}

} // namespace

class SortingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupsSortByNameWithTheirTrace_data();
    void groupsSortByNameWithTheirTrace();
    void equalNamesKeepTheirOrderAndTheirContents();
    void onlyTheCurrentGroupsProcessesChange();
    void sortingProcessesWithoutGroupsChangesNothing();
};

void SortingTest::groupsSortByNameWithTheirTrace_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");
    QTest::addColumn<QStringList>("steps"); // between the header and "List sorted, saving..."
    QTest::newRow("C, A, B") << QStringList{"C", "A", "B"} << QStringList{"A", "B", "C"}
                             << QStringList{"C appended.", "A comes before C (r = 1)",
                                            "B comes before C (r = 1)"};
    QTest::newRow("capitals before small letters")
        << QStringList{"B", "a", "A", "b"} << QStringList{"A", "B", "a", "b"}
        << QStringList{"B appended.", "a appended.", "A comes before B (r = 1)", "b appended."};
    QTest::newRow("a beginning comes first")
        << QStringList{"Ores", "Ore"} << QStringList{"Ore", "Ores"}
        << QStringList{"Ores appended.", "Ore comes before Ores (r = 1)"};
    QTest::newRow("equal names: after their equals")
        << QStringList{"X", "A", "X", "B"} << QStringList{"A", "B", "X", "X"}
        << QStringList{"X appended.", "A comes before X (r = 1)", "X appended.",
                       "B comes before X (r = 1)"};
    QTest::newRow("already in order") << QStringList{"A", "B"} << QStringList{"A", "B"}
                                      << QStringList{"A appended.", "B appended."};
    QTest::newRow("one") << QStringList{"Ores"} << QStringList{"Ores"}
                         << QStringList{"Ores appended."};
    QTest::newRow("none") << QStringList{} << QStringList{} << QStringList{};
    // Names print as Latin-1; what Latin-1 cannot hold prints as "?".
    QTest::newRow("beyond ASCII")
        << QStringList{QString::fromUtf8("Äxte"), QString::fromUtf8("Жар")}
        << QStringList{QString::fromUtf8("Äxte"), QString::fromUtf8("Жар")}
        << QStringList{QString::fromUtf8("Äxte appended."), QStringLiteral("??? appended.")};
}

void SortingTest::groupsSortByNameWithTheirTrace()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    QFETCH(QStringList, steps);
    Session s(groupsNamed(names));
    AdminWindow &w = *s.window;
    s.trace.clear();
    choose(w.ProcGroupList, names.size() - 1);
    QTest::mouseClick(w.SortGrpBtn, Qt::LeftButton);
    QCOMPARE(namesOf(w.data()), sorted);
    QCOMPARE(entries(w.ProcGroupList), sorted);
    QCOMPARE(w.ProcGroupList->currentIndex(), sorted.isEmpty() ? -1 : 0);
    const QStringList trace = QStringList{"Sorting ProcGroupList:"} + steps +
                              QStringList{"List sorted, saving...", "Sorting Complete!"};
    QCOMPARE(s.trace.debugLines(), trace);
    QCOMPARE(s.trace.lines().size(), trace.size()); // and nothing else
}

void SortingTest::equalNamesKeepTheirOrderAndTheirContents()
{
    const Proc first = proc("Ingot", 100, 1, {item("Hammer", "1", 1234)});
    const Proc second = proc("Ingot", 50, 50, {skill("Smithing", "2")});
    const CraftingData data{group("Ores", {proc("Pig", 10, 1)}),
                            group("Metals", {first, proc("Bar", 120, 120), second}),
                            group("Metals", {proc("Wire", 20, 1)})};
    Session s(data);
    AdminWindow &w = *s.window;

    QTest::mouseClick(w.SortGrpBtn, Qt::LeftButton);
    const CraftingData byGroup{data[1], data[2], data[0]};
    QCOMPARE(w.data(), byGroup);

    s.trace.clear();
    QVERIFY(w.SortProcBtn->isEnabled());
    QTest::mouseClick(w.SortProcBtn, Qt::LeftButton);
    CraftingData byProcess = byGroup;
    byProcess[0].procs = {proc("Bar", 120, 120), first, second};
    QCOMPARE(w.data(), byProcess);
    QCOMPARE(s.trace.debugLines(), QStringList({"Sorting ProcessList (Metals):", "Ingot appended.",
                                                "Bar comes before Ingot (r = 1)", "Ingot appended.",
                                                "List sorted, saving...", "Sorting Complete!"}));
    QCOMPARE(entries(w.ProcessList), QStringList({"Bar", "Ingot", "Ingot"}));
}

void SortingTest::onlyTheCurrentGroupsProcessesChange()
{
    const CraftingData data{group("Wood", {proc("Plank", 50, 10), proc("Beam", 60, 20)}),
                            group("Ores", {proc("Ingot", 100, 1), proc("Bar", 120, 120)}),
                            group("Clay", {proc("Pot", 5, 1), proc("Brick", 10, 1)})};
    Session s(data);
    AdminWindow &w = *s.window;
    choose(w.ProcGroupList, 1);
    choose(w.ProcessList, 1);
    QTest::mouseClick(w.SortProcBtn, Qt::LeftButton);
    CraftingData expected = data;
    std::swap(expected[1].procs[0], expected[1].procs[1]);
    QCOMPARE(w.data(), expected);
    QCOMPARE(w.ProcGroupList->currentIndex(), 1);
    QCOMPARE(w.ProcessList->currentIndex(), 0);
    QCOMPARE(entries(w.ProcessList), QStringList({"Bar", "Ingot"}));
}

void SortingTest::sortingProcessesWithoutGroupsChangesNothing()
{
    Session s({});
    AdminWindow &w = *s.window;
    QVERIFY(!w.SortProcBtn->isEnabled());
    s.trace.clear();
    w.sortProcList();
    QVERIFY(w.data().isEmpty());
    QCOMPARE(s.trace.lines(), QStringList());
}

QTEST_MAIN(SortingTest)
#include "tst_sorting.moc"
