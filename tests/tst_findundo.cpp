#include "adminwindow.h"
#include "find.h"
#include "findwindow.h"
#include "sampletree.h"
#include "testsupport.h"
#include "translations.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {

// Processes out of order in the first group, items and skills, an empty group.
CraftingData tree()
{
    return {{"Metals",
             {proc("Wire", {item("Tongs", "1", 7)}),
              proc("Iron Ingot", {item("Iron Ore", "2", 5), skill("Smelting", "1.5")})}},
            {"Wood", {proc("Plank", {item("Saw", "0", 3), skill("Carpentry", "1")})}},
            {"Leer", {}}};
}

QString pathText(const RecordPath &path)
{
    QStringList at;
    for (int i : {path.group, path.proc, path.req})
        at << QString::number(i);
    return at.join('/').remove(QStringLiteral("/-1")).remove(QStringLiteral("-1"));
}

// One change by the editing rules: "add =Zinc" adds a group, "edit 0/1/0=Axe" renames a
// requirement, "del 0/1" deletes, "sort" sorts the groups and "sort 0" a group's processes.
// Returns the place the window hands to the history.
RecordPath change(CraftingData &data, const QString &step)
{
    const QString verb = step.section(' ', 0, 0), name = step.section('=', 1);
    const QStringList at = step.section(' ', 1).section('=', 0, 0).split('/', Qt::SkipEmptyParts);
    const RecordPath path{at.value(0, "-1").toInt(), at.value(1, "-1").toInt(),
                          at.value(2, "-1").toInt()};
    if (verb == "add")
        return appendGroup(data, newGroup(name)), RecordPath{int(data.size()) - 1};
    if (verb == "edit")
        editReq(*reqAt(data, path.group, path.proc, path.req), {name, "1", false, "9"});
    else if (verb == "del")
        removeRecord(data, path);
    else if (path.group < 0)
        sortGroups(data);
    else
        sortProcs(data, path.group);
    return path;
}

// The window as main() makes it, on a data file of tree().
struct DataFolder
{
    DataFolder() { folder.writeFile("Smeltwork.dat", encodeWithQDataStream(tree())); }
    ScratchFolder folder;
    TraceCapture trace;
};
struct Window : DataFolder, SmeltworkAdminDialog
{
    Window() : SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags()) { show(); }
};

// Where the window stands: "group/process/tab:row".
QString shown(const SmeltworkAdminDialog &w)
{
    const QTreeWidget *list = w.ReqControl->currentIndex() ? w.SkillsList : w.ItemsList;
    return w.ProcGroupList->currentText() + '/' + w.ProcessList->currentText() + '/' +
           (list == w.ItemsList ? "items:" : "skills:") +
           (list->currentItem() ? list->currentItem()->text(0) : QString());
}

// Keys go where a user's would: to the widget with the focus.
void press(const char *keys)
{
    QTest::keySequence(QApplication::focusWidget(), QKeySequence(QString::fromLatin1(keys)));
}

} // namespace

class FindUndoTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installTranslations(); }

    // "query -> total: places listed"; at most 4 are listed, all are counted.
    void findRecords_data()
    {
        QTest::addColumn<CraftingData>("data");
        QTest::addColumn<QString>("search");
        QTest::newRow("empty query") << tree() << " -> 0:";
        QTest::newRow("longer than every name") << tree() << "Iron Ingots -> 0:";
        QTest::newRow("a process and a skill, any case") << tree() << "ING -> 2: 0/1 0/1/1";
        QTest::newRow("every level in tree order, the first listed")
            << tree() << "e -> 6: 0 0/0 0/1/0 0/1/1";
        // Group 0 is "Stählerne Äxte"; group 1 has a null name and a process named "".
        QTest::newRow("letters beyond ASCII fold") << sampleTree() << "ä -> 1: 0";
        QTest::newRow("null and empty names") << sampleTree() << "A -> 2: 0/0 0/0/0";
    }

    void findRecords()
    {
        QFETCH(CraftingData, data);
        QFETCH(QString, search);
        const FindResult result = ::findRecords(data, search.section(" -> ", 0, 0), 4);
        QStringList places{QString::number(result.total) + ':'};
        for (const RecordPath &path : result.listed)
            places << pathText(path);
        QCOMPARE(places.join(' '), search.section(" -> ", 1));
    }

    // Changes, undos and redos; the changes still in effect, replayed on a fresh tree, must
    // give the same tree.
    void undoAndRedo_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<qsizetype>("budget"); // 0: the default
        // The changes still in effect, and the place the last undo or redo showed.
        QTest::addColumn<QString>("after");
        QTest::newRow("delete, sort, undo twice, redo once")
            << "del 1, sort, undo, undo, redo" << qsizetype(0) << "del 1 @1";
        QTest::newRow("every kind undone gives the tree as loaded")
            << "add =Zinc, edit 1/0/0=Axe, del 0/0, sort 0, sort, undo, undo, undo, undo, undo"
            << qsizetype(0) << " @3";
        QTest::newRow("redo replays in order")
            << "del 0/1/1, add =Beam, sort 0, undo, undo, undo, redo, redo, redo, redo"
            << qsizetype(0) << "del 0/1/1, add =Beam, sort 0 @0";
        QTest::newRow("a change after an undo ends the redo")
            << "del 0, del 0, undo, add =Zinc, redo" << qsizetype(0) << "del 0, add =Zinc @0";
        QTest::newRow("over the budget the newest step stays; undo past the start")
            << "del 2, del 1, undo, undo" << qsizetype(1) << "del 2 @1";
    }

    void undoAndRedo()
    {
        QFETCH(QString, script);
        QFETCH(qsizetype, budget);
        QFETCH(QString, after);
        TraceCapture quiet; // the sorts' trace
        CraftingData data = tree();
        CraftingHistory history(budget ? budget : DefaultHistoryBudget);
        QString place = "-";
        for (const QString &step : script.split(", ")) {
            const CraftingData before = data;
            if (step != "undo" && step != "redo") {
                history.record(before, change(data, step));
            } else if (const auto back = step == "undo" ? history.undo(data) : history.redo(data)) {
                data = back->tree;
                place = pathText(back->touched);
            }
        }
        CraftingData expected = tree();
        for (const QString &step : after.section(" @", 0, 0).split(", ", Qt::SkipEmptyParts))
            change(expected, step);
        QCOMPARE(data, expected);
        QCOMPARE(place, after.section(" @", 1));
    }

    void returnShowsTheMatch()
    {
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.trace.clear();
        press("Ctrl+F");
        auto *find = w.findChild<SmeltworkFindWindow *>();
        QVERIFY(find && find->windowTitle() == "Find - Smeltwork");
        QTRY_VERIFY(find->isActiveWindow() && find->FindEdit->hasFocus());
        QTest::keyClicks(find->FindEdit, "ING");
        const QModelIndex second = find->MatchList->model()->index(1, 0);
        QCOMPARE(find->CountLabel->text() + ": " + second.data().toString() + '|' +
                     second.siblingAtColumn(1).data().toString() + '|' +
                     second.siblingAtColumn(2).data().toString(),
                 QStringLiteral("2 matches: Metals \u203a Iron Ingot \u203a Smelting|1.5|Skill"));
        press("Down"); // from the first match, with the cursor in the line
        press("Return");
        QCOMPARE(shown(w), QStringLiteral("Metals/Iron Ingot/skills:Smelting"));
        press("Ctrl+A");
        QTest::keyClicks(find->FindEdit, "saw");
        press("Return");
        QCOMPARE(find->CountLabel->text() + ": " + shown(w),
                 QStringLiteral("1 match: Wood/Plank/items:Saw"));
        QVERIFY(find->isVisible() && find->FindEdit->hasFocus());
        press("Escape");
        QTRY_VERIFY(!find->isVisible());
        QCOMPARE(w.trace.debugLines(), QStringList());
    }

    // A user's session: delete a group (answered Yes), sort the groups, undo twice, redo once,
    // close; the file holds the loaded tree without that group, in its loaded order.
    void keysUndoAndRedo()
    {
        Window w;
        QCOMPARE(w.toolTip(),
                 "Find: Ctrl+F\nUndo: Ctrl+Z\nRedo: Ctrl+Shift+Z; Ctrl+Y\nSave: Ctrl+S");
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto boxes = std::make_unique<BoxScript>(QStringList{"Yes"});
        QTest::keyClick(w.ProcGroupList, Qt::Key_Down); // Wood
        QTest::keyClick(w.ActionList, Qt::Key_Down);    // Delete, Process Group
        QTest::mouseClick(w.ActionBtn, Qt::LeftButton);
        QTest::mouseClick(w.SortGrpBtn, Qt::LeftButton);
        w.trace.clear();
        press("Ctrl+Z");
        press("Ctrl+Z");
        QCOMPARE(w.data(), tree());
        QCOMPARE(shown(w), QStringLiteral("Wood/Plank/items:"));
        press("Ctrl+Shift+Z");
        press("Ctrl+Z");
        press("Ctrl+Y");
        CraftingData expected = tree();
        expected.removeAt(1);
        QCOMPARE(w.data(), expected);
        QCOMPARE(w.ProcGroupList->currentText(), QStringLiteral("Leer"));
        QVERIFY(w.trace.debugLines().isEmpty() && boxes->shown().size() == 1);
        boxes.reset();
        press("Alt+P"); // the mnemonics still answer
        QTRY_COMPARE(QApplication::focusWidget(), w.ProcessList);
        w.saveData();
        QCOMPARE(w.folder.readFile("Smeltwork.dat"), encodeWithQDataStream(expected));
    }
};

QTEST_MAIN(FindUndoTest)
#include "tst_findundo.moc"
