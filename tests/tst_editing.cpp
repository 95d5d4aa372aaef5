#include "adminwindow.h"
#include "procdialog.h"
#include "reqdialog.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

enum { Add, Delete, Edit, Unknown, SortGroups, SortProcesses };
enum { Group, Process, Item, Skill };

// The program's window, with the slot that no entry of ActionList reaches made callable.
class AdminWindow : public SmeltworkAdminDialog
{
public:
    using SmeltworkAdminDialog::SmeltworkAdminDialog;
    using SmeltworkAdminDialogBase::selectAction;
};

ProcGroup group(const char *name, const QList<Proc> &procs = {})
{
    return {text(name), procs};
}

// Ingot mixes items/tools and skills, Mining is a skill with an odd type and id as a data file
// may hold them, Plank's multipliers all read as 0, and Empty has no processes.
CraftingData forge()
{
    return {group("Ores", {proc("Ingot", {item("Hammer", "1", 1234), skill("Smithing", "2"),
                                          item("Anvil", "0", -1), skill("Mining", "0.5", 5, 42)}),
                           proc("Dust", {}, 10, 0)}),
            group("Wood",
                  {proc("Bar", {}, 120, 120), proc("Plank",
                                                   {item("Saw", "0.0", 77), item("Glue", "lots", 3),
                                                    item("Nails", "", 4), skill("Carving", "1")},
                                                   50, 10)}),
            group("Empty")};
}

QList<Req> &reqs(CraftingData &data, int g, int p)
{
    return data[g].procs[p].reqs;
}

// One list of `kind` holding as many records as the data file can count.
CraftingData full(int kind)
{
    const Proc ingot = proc("Ingot");
    CraftingData data{group("Full", {ingot})};
    if (kind == Group)
        data.resize(MaxListSize, group("Full", {ingot}));
    else if (kind == Process)
        data[0].procs.resize(MaxListSize, ingot);
    else
        reqs(data, 0, 0).resize(MaxListSize, skill("Smithing", "1"));
    return data;
}

// Groups without processes, named "A, B, C".
CraftingData named(const char *names)
{
    CraftingData data;
    for (const QString &name : QString::fromUtf8(names).split(", ", Qt::SkipEmptyParts))
        data << ProcGroup{name, {}};
    return data;
}

// Runs the window on `start` as main() does, in a scratch folder: exec() with `script`
// driving it from inside (then closed as by Escape, unless the script closed it), and the
// save that follows. Gives the data file's bytes after the run.
QByteArray runProgram(const CraftingData &start, const std::function<void(AdminWindow &)> &script)
{
    ScratchFolder folder;
    folder.writeFile(QStringLiteral("Smeltwork.dat"), encodeWithQDataStream(start));
    AdminWindow window(nullptr, nullptr, true, smeltworkWindowFlags());
    QTimer::singleShot(0, &window, [&] {
        if (QTest::qWaitForWindowActive(&window))
            script(window);
        if (window.isVisible())
            window.reject();
    });
    window.exec();
    window.saveData();
    return folder.readFile(QStringLiteral("Smeltwork.dat"));
}

// Picks an entry the way a user does with the keyboard.
void choose(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// The current group and process, and the current requirement row if any.
QString where(const AdminWindow &w)
{
    QString path = w.ProcGroupList->currentText() + '/' + w.ProcessList->currentText();
    for (const QTreeWidget *list : {w.ItemsList, w.SkillsList}) {
        if (list->currentItem())
            path += '/' + list->currentItem()->text(0);
    }
    return path;
}

// Makes "group/process/row" current as a user does; the row is typed on the tab of `kind`.
void select(AdminWindow &w, const QString &path, int kind)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QComboBox *const combos[] = {w.ProcGroupList, w.ProcessList};
    for (int i = 0; i < std::min<int>(2, parts.size()); ++i) {
        if (!parts[i].isEmpty())
            choose(combos[i], combos[i]->findText(parts[i]));
    }
    if (parts.size() < 3)
        return;
    // Shortcuts reach only the active window, and offscreen nothing hands the activation
    // back when a dialog closes.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, kind == Skill ? Qt::Key_K : Qt::Key_I, Qt::AltModifier);
    QTreeWidget *list = kind == Skill ? w.SkillsList : w.ItemsList;
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClicks(list, parts[2]);
    QCOMPARE(where(w), path);
}

// The lists show all groups, the current group's processes and the current process's
// requirements, each on the tab of its kind (where rows are sorted by name).
void checkListsShowTheTree(const AdminWindow &w)
{
    const int g = w.ProcGroupList->currentIndex(), p = w.ProcessList->currentIndex();
    QStringList want[4];
    for (const ProcGroup &group : w.data())
        want[0] << group.name;
    for (const Proc &proc : g >= 0 ? w.data()[g].procs : QList<Proc>())
        want[1] << proc.name;
    for (const Req &req : p >= 0 ? w.data()[g].procs[p].reqs : QList<Req>())
        want[req.type ? 3 : 2] << req.name;
    const QAbstractItemModel *const models[] = {w.ProcGroupList->model(), w.ProcessList->model(),
                                                w.ItemsList->model(), w.SkillsList->model()};
    for (int l = 0; l < 4; ++l) {
        QStringList shown;
        for (int i = 0; i < models[l]->rowCount(); ++i)
            shown << models[l]->index(i, 0).data().toString();
        if (l > 1)
            want[l].sort();
        QCOMPARE(shown, want[l]);
    }
}

// A field as one reads it: labels and buttons by their text, check boxes with "on" or "off",
// line edits as "[text]", spin boxes as "lowest..highest: value", combo boxes by their
// current entry and the number of entries; "disabled" when it takes no input. A message box
// by its text, a dialog by its fields in the order they were made.
QString shown(const QWidget *field)
{
    QString out = field->property("text").toString();
    if (auto *frame = field->findChild<QWidget *>(QStringLiteral("MainFrame"))) {
        QStringList fields;
        for (const QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            fields << shown(child);
        out = fields.join(QStringLiteral(", "));
    } else if (auto *box = qobject_cast<const QCheckBox *>(field)) {
        out += box->isChecked() ? " on" : " off";
    } else if (qobject_cast<const QLineEdit *>(field)) {
        out = '[' + out + ']';
    } else if (auto *spin = qobject_cast<const QSpinBox *>(field)) {
        out = QStringLiteral("%1..%2: %3").arg(spin->minimum()).arg(spin->maximum()).arg(out);
    } else if (auto *combo = qobject_cast<const QComboBox *>(field)) {
        out = QStringLiteral("%1 (%2 entry%3)")
                  .arg(combo->currentText())
                  .arg(combo->count())
                  .arg(combo->isEditable() ? ", editable" : "");
    }
    return field->isEnabled() ? out : out + " disabled";
}

// Plays a script (steps parted by "; ") on a dialog or message box. Fields are named by
// object name, buttons also by their text without the '&'; no name means the box itself.
//   "Field=text" types over the field    "Field?text" checks what it shows (shown())
//   "Field!"     checks that it has the focus
//   "Key@Field"  presses the key there   "close" closes the box by the title bar
// Anything else clicks the field or button.
void play(QWidget *modal, const QString &script)
{
    static const QRegularExpression grammar(QStringLiteral("(?s)^([\\w+]*)([=?@!]?)(.*)$"));
    QCOMPARE(modal->windowTitle(), QStringLiteral("SmeltworkAdmin"));
    for (const QString &step : script.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = grammar.match(step);
        const QString name = m.captured(1), op = m.captured(2), text = m.captured(3);
        const QString target = op == "@" ? text : name;
        QWidget *field =
            target.isEmpty() || target == "close" ? modal : modal->findChild<QWidget *>(target);
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>()) {
            if (!field && button->text().remove(QLatin1Char('&')) == target)
                field = button;
        }
        QVERIFY2(field, qPrintable(step));
        if (op == "=") {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, text);
        } else if (op == "?") {
            QTRY_COMPARE(shown(field), text); // a shortcut animates its click first
        } else if (op == "!") {
            QCOMPARE(QApplication::focusWidget(), field);
        } else if (op == "@") {
            QTest::keySequence(field, QKeySequence(name));
        } else if (field == modal) {
            modal->close();
        } else {
            QTest::mouseClick(field, Qt::LeftButton);
        }
    }
}

// Selects `path`, presses the action button for `action` and `kind` (picked first, as a user
// does) or a sort button, and plays `script` on the dialog or box that opens; with an empty
// script nothing may open. Whatever a failed step leaves open is closed, so a broken test
// fails instead of hanging.
void act(AdminWindow &w, const QString &path, int action, int kind, const QString &script)
{
    select(w, path, kind);
    QPushButton *button = action == SortGroups      ? w.SortGrpBtn
                          : action == SortProcesses ? w.SortProcBtn
                                                    : w.ActionBtn;
    if (button == w.ActionBtn) {
        choose(w.ActionList, std::min(action, int(Edit)));
        kind < 0 ? w.TypeList->setCurrentIndex(-1) : choose(w.TypeList, kind);
        if (action == Unknown)
            w.selectAction(action);
    }
    int opened = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == &w || !modal->isVisible())
            return;
        if (++opened == 1)
            play(modal, script);
        if (modal->isVisible())
            qobject_cast<QDialog *>(modal)->reject();
    });
    poll.start(10);
    // With nothing to sort, the slot must still cope.
    button->isEnabled() ? QTest::mouseClick(button, Qt::LeftButton) : button->clicked();
    QCOMPARE(opened, script.isEmpty() ? 0 : 1);
}

struct Case
{
    CraftingData start, expected;
    int action, kind;
    QString setup, script, after; // see select(), play() and where()
    QStringList trace;
};

using Change = std::function<void(CraftingData &)>;

void row(const char *name, int action, int kind, const char *setup, const char *script,
         const char *after, const Change &change = {}, const CraftingData &start = forge(),
         const QStringList &trace = {})
{
    CraftingData expected = start;
    if (change)
        change(expected);
    QTest::newRow(name) << Case{start, expected, action, kind, setup, script, after, trace};
}

// A sort whose `steps` are the trace lines between the header and "List sorted, saving...".
void sortRow(const char *name, int action, const char *setup, const char *after,
             const CraftingData &start, const Change &sort, const QStringList &steps)
{
    const QString group = QString::fromUtf8(setup).section('/', 0, 0);
    row(name, action, Group, setup, "", after, sort, start,
        QStringList{action == SortGroups ? "Sorting ProcGroupList:"
                                         : QStringLiteral("Sorting ProcessList (%1):").arg(group)} +
            steps + QStringList{"List sorted, saving...", "Sorting Complete!"});
}

} // namespace

Q_DECLARE_METATYPE(Case)

class EditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesReachTheListsAndTheFile_data();
    void changesReachTheListsAndTheFile();
    void aSessionIsSavedOnlyWhenTheWindowCloses();
    void switchesCalledDirectly();
};

void EditingTest::changesReachTheListsAndTheFile_data()
{
    QTest::addColumn<Case>("c");

    row("add group", Add, Group, "", "?Name, [], &OK, &Cancel; NameEdit=Aardvark; Return@NameEdit",
        "Ores/Ingot", [](auto &d) { d << group("Aardvark"); });
    row("add group, Cancel", Add, Group, "Wood", "NameEdit=Typed; Cancel", "Wood/Bar");
    row("edit group", Edit, Group, "Wood", "NameEdit?[Wood]; NameEdit=Timber; OK", "Ores/Ingot",
        [](auto &d) { d[1].name = "Timber"; });
    row("edit group, Escape", Edit, Group, "Wood", "NameEdit=Typed; Esc@NameEdit", "Wood/Bar");
    row("delete group", Delete, Group, "Wood",
        "?Really delete process group \"Wood\" and all of it's processes and items/tools/skills?; "
        "Yes",
        "Ores/Ingot", [](auto &d) { d.removeAt(1); });
    row("delete group, No", Delete, Group, "Wood", "No", "Wood/Bar");

    row("add process: defaults, 300 stored as 255", Add, Process, "Wood",
        "?Name, [], Max QL, 1..300: 300, Min QL, 1..300: 1, &Special off, &OK, &Cancel; NameEdit!; "
        "Tab@; MaxQlSpin!; Tab@; MinQlSpin!; Tab@; SpecialBox!; Tab@; OkBtn!; Tab@; CancelBtn!; "
        "Tab@; NameEdit!; NameEdit=Nugget; Return@NameEdit",
        "Wood/Bar", [](auto &d) { d[1].procs << proc("Nugget", {}, 255); });
    row("add process: Special takes Min for both", Add, Process, "Wood",
        "NameEdit=Nugget; MaxQlSpin=200; Alt+S@; MinQlSpin=50; MaxQlSpin?1..300: 200 disabled; OK",
        "Wood/Bar", [](auto &d) { d[1].procs << proc("Nugget", {}, 50, 50); });
    row("add process to a group without any", Add, Process, "Empty",
        "NameEdit=Nugget; MaxQlSpin=90; Enter@MinQlSpin", "Empty/Nugget",
        [](auto &d) { d[2].procs << proc("Nugget", {}, 90); });
    row("add process, close", Add, Process, "Wood", "NameEdit=Typed; close", "Wood/Bar");
    row("edit process: equal QLs open Special", Edit, Process, "Wood/Bar",
        "?Name, [Bar], Max QL, 1..300: 120 disabled, Min QL, 1..300: 120, &Special on, &OK, "
        "&Cancel; OK",
        "Wood/Bar");
    row("edit process: Special off", Edit, Process, "Wood/Bar",
        "Special; MaxQlSpin=200; MinQlSpin=100; OK", "Wood/Bar",
        [](auto &d) { d[1].procs[0] = proc("Bar", {}, 200, 100); });
    row("edit process: QL 0 shows as 1", Edit, Process, "Ores/Dust",
        "?Name, [Dust], Max QL, 1..300: 10, Min QL, 1..300: 1, &Special off, &OK, &Cancel; OK",
        "Ores/Ingot", [](auto &d) { d[0].procs[1].minQL = 1; });
    row("edit process: Min above Max as typed, 300 as 255", Edit, Process, "Ores/Ingot",
        "MaxQlSpin=50; MinQlSpin=300; OK", "Ores/Ingot",
        [](auto &d) { d[0].procs[0] = proc("Ingot", reqs(d, 0, 0), 50, 255); });
    row("edit process, Cancel", Edit, Process, "Ores/Dust", "NameEdit=Typed; Cancel", "Ores/Dust");
    row("delete process", Delete, Process, "Wood/Plank",
        "?Really delete process \"Plank\" and all of it's items/tools/skills?; Yes", "Wood/Bar",
        [](auto &d) { d[1].procs.removeAt(1); });
    row("delete process, Escape", Delete, Process, "Ores/Dust", "Esc@", "Ores/Dust");

    row("add item/tool", Add, Item, "",
        "?&Name, [], &Multiplier, [], &Fixed off, &zorvex.example ID, [0], &Parent, Main "
        "Item (1 entry), &OK, &Cancel; NameEdit!; Alt+M@; MultiEdit!; Alt+Z@; ZorvexEdit!; Alt+P@; "
        "ParentList!; Alt+N@; NameEdit!; NameEdit=Tongs; MultiEdit=2; ZorvexEdit=55; OK",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0) << item("Tongs", "2", 55); });
    row("add item/tool: letters in the ID", Add, Item, "",
        "NameEdit=Tongs; MultiEdit=2; ZorvexEdit=12ab; Return@MultiEdit", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0) << item("Tongs", "2", 0); });
    row("add item/tool: Fixed", Add, Item, "",
        "NameEdit=Tongs; MultiEdit=3; Alt+F@; MultiEdit?[3] disabled; MultiLabel?&Multiplier; "
        "Enter@ZorvexEdit",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0) << item("Tongs", "0", 0); });
    row("add item/tool, Cancel", Add, Item, "Wood", "NameEdit=Typed; Cancel", "Wood/Bar");
    row("add skill", Add, Skill, "Wood/Plank",
        "ZorvexEdit?[0] disabled; ZorvexLabel?&zorvex.example ID disabled; "
        "NameEdit=Casting; MultiEdit=1.5; OK",
        "Wood/Plank", [](auto &d) { reqs(d, 1, 1) << skill("Casting", "1.5"); });
    row("add skill, close", Add, Skill, "Wood", "close", "Wood/Bar");
    row("edit item/tool", Edit, Item, "Ores/Ingot/Hammer",
        "NameEdit?[Hammer]; MultiEdit?[1]; Fixed?&Fixed off; ZorvexEdit?[1234]; MultiEdit=0.5; "
        "Return@NameEdit",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0)[0].multiplier = "0.5"; });
    // The unsigned text of a negative id is beyond toInt(), so it reads back as 0.
    row("edit item/tool: ID -1 shown unsigned", Edit, Item, "Ores/Ingot/Anvil",
        "MultiEdit?[0] disabled; Fixed?&Fixed on; ZorvexEdit?[4294967295]; OK", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0)[2].id = 0; });
    row("edit item/tool: 0.0 opens Fixed", Edit, Item, "Wood/Plank/Saw",
        "MultiEdit?[0.0] disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[0].multiplier = "0"; });
    row("edit item/tool: letters open Fixed", Edit, Item, "Wood/Plank/Glue",
        "MultiEdit?[lots] disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[1].multiplier = "0"; });
    row("edit item/tool: empty opens Fixed", Edit, Item, "Wood/Plank/Nails",
        "MultiEdit?[] disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[2].multiplier = "0"; });
    row("edit item/tool, Escape", Edit, Item, "Wood/Plank/Saw", "NameEdit=Typed; Esc@NameEdit",
        "Wood/Plank/Saw");
    row("edit skill keeps id and type", Edit, Skill, "Ores/Ingot/Mining",
        "NameEdit?[Mining]; MultiEdit?[0.5]; ZorvexEdit?[0] disabled; NameEdit=Prospecting; OK",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0)[3].name = "Prospecting"; });
    row("edit skill, Cancel", Edit, Skill, "Wood/Plank/Carving", "Cancel", "Wood/Plank/Carving");
    row("delete item/tool among skills", Delete, Item, "Ores/Ingot/Anvil",
        "?Really delete item/tool \"Anvil\"?; Yes", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0).removeAt(2); });
    row("delete skill among items/tools", Delete, Skill, "Ores/Ingot/Smithing",
        "?Really delete skill \"Smithing\"?; Yes", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0).removeAt(1); });
    row("delete item/tool, No", Delete, Item, "Wood/Plank/Saw", "No", "Wood/Plank/Saw");
    row("delete skill, Escape", Delete, Skill, "Wood/Plank/Carving", "Esc@", "Wood/Plank/Carving");

    // An edit that types nothing keeps a null text null.
    const CraftingData nulls{group(nullptr, {proc(nullptr, {item(nullptr, "1", 5)}, 10)})};
    row("null group name kept", Edit, Group, "", "OK", "/", {}, nulls);
    row("null process name kept", Edit, Process, "", "OK", "/", {}, nulls);
    row("null item/tool name kept", Edit, Item, "//", "OK", "/", {}, nulls);

    const CraftingData none;
    row("no groups: edit group", Edit, Group, "", "", "/", {}, none);
    row("no groups: delete group", Delete, Group, "", "", "/", {}, none);
    row("no groups: add process", Add, Process, "",
        "?There is no process group to add the process to.\nAdd a process group first.; OK", "/",
        {}, none);
    row("no groups: add skill", Add, Skill, "",
        "?There is no process to add the skill to.\nAdd a process first.; OK", "/", {}, none);
    row("no groups: delete skill", Delete, Skill, "", "", "/", {}, none);
    row("no groups: sort processes", SortProcesses, Group, "", "", "/", {}, none);
    row("no process: edit process", Edit, Process, "Empty", "", "Empty/");
    row("no process: delete process", Delete, Process, "Empty", "", "Empty/");
    row("no process: add item/tool", Add, Item, "Empty",
        "?There is no process to add the item/tool to.\nAdd a process first.; OK", "Empty/");
    row("no process: edit item/tool", Edit, Item, "Empty", "", "Empty/");
    row("no current row: delete item/tool", Delete, Item, "Wood/Plank", "", "Wood/Plank");
    row("no current row: edit skill", Edit, Skill, "Wood/Plank", "", "Wood/Plank");
    row("no kind chosen", Add, -1, "Wood/Plank", "", "Wood/Plank");
    row("unknown action", Unknown, Group, "",
        "?An unknown error occured.\nUnable to determin type of action to perform.; OK",
        "Ores/Ingot");
    row("full list of groups", Add, Group, "",
        "?The list of process groups is full: it holds 65535 groups, the most the data file can "
        "store.; OK",
        "Full/Ingot", {}, full(Group));
    row("full group", Add, Process, "",
        "?This process group is full: it holds 65535 processes, the most the data file can store.; "
        "OK",
        "Full/Ingot", {}, full(Process));
    row("full process", Add, Skill, "",
        "?This process is full: it holds 65535 items/tools and skills, the most the data file can "
        "store.; OK",
        "Full/Ingot", {}, full(Skill));

    sortRow("sort groups: C, A, B", SortGroups, "", "A/", named("C, A, B"),
            [](auto &d) { d = named("A, B, C"); },
            {"C appended.", "A comes before C (r = 1)", "B comes before C (r = 1)"});
    sortRow("sort groups: capitals first, a beginning first", SortGroups, "", "A/",
            named("b, Ba, B, A"), [](auto &d) { d = named("A, B, Ba, b"); },
            {"b appended.", "Ba comes before b (r = 1)", "B comes before Ba (r = 1)",
             "A comes before B (r = 1)"});
    sortRow("sort groups: none", SortGroups, "", "/", {}, {}, {});
    sortRow("sort groups: beyond Latin-1 printed as ?", SortGroups, "", "Äxte/", named("Жар, Äxte"),
            [](auto &d) { d.move(1, 0); },
            {"??? appended.", QString::fromUtf8("Äxte comes before ??? (r = 1)")});
    // Equal names keep their order, and every record takes its processes and requirements along.
    const CraftingData metals{
        group("Ores", {proc("Pig"), proc("Ash", {}, 5), proc("Zinc", {}, 1)}),
        group("Metals", {proc("Ingot", {item("Hammer", "1", 1234)}), proc("Bar", {}, 120, 120),
                         proc("Ingot", {skill("Smithing", "2")}, 50, 50)}),
        group("Metals", {proc("Wire")})};
    sortRow(
        "sort groups: equal names", SortGroups, "", "Metals/Ingot", metals,
        [](auto &d) { d.move(0, 2); },
        {"Ores appended.", "Metals comes before Ores (r = 1)", "Metals comes before Ores (r = 1)"});
    sortRow("sort processes: equal names", SortProcesses, "Metals", "Metals/Bar", metals,
            [](auto &d) { d[1].procs.move(1, 0); },
            {"Ingot appended.", "Bar comes before Ingot (r = 1)", "Ingot appended."});
    sortRow("sort processes: the current group's only", SortProcesses, "Ores/Zinc", "Ores/Ash",
            metals, [](auto &d) { d[0].procs.move(1, 0); },
            {"Pig appended.", "Ash comes before Pig (r = 1)", "Zinc appended."});
}

void EditingTest::changesReachTheListsAndTheFile()
{
    QFETCH(Case, c);
    TraceCapture capture;
    const QByteArray saved = runProgram(c.start, [&](AdminWindow &w) {
        capture.clear(); // of what loading printed
        act(w, c.setup, c.action, c.kind, c.script);
        QCOMPARE(capture.debugLines(), c.trace);
        QCOMPARE(w.data(), c.expected);
        QCOMPARE(where(w), c.after);
        checkListsShowTheTree(w);
        QCOMPARE(w.TypeList->currentIndex(), c.kind);
    });
    QCOMPARE(saved, encodeWithQDataStream(c.expected));
}

void EditingTest::aSessionIsSavedOnlyWhenTheWindowCloses()
{
    TraceCapture quiet;
    const CraftingData start{
        group("Wood", {proc("Plank", {item("Saw", "1", 77)}, 50, 10)}),
        group("Ores", {proc("Ingot", {item("Hammer", "1", 1234), skill("Smithing", "2")})})};
    const QByteArray saved = runProgram(start, [&](AdminWindow &w) {
        act(w, "", Add, Group, "NameEdit=Clay; OK");
        act(w, "Clay", Add, Process, "NameEdit=Brick; Special; MinQlSpin=20; OK");
        act(w, "", Add, Item, "NameEdit=Mould; MultiEdit=2; ZorvexEdit=-5; OK");
        act(w, "", Add, Skill, "NameEdit=Firing; Fixed; OK");
        act(w, "", SortGroups, Group, ""); // Clay, Ores, Wood
        act(w, "Ores/Ingot", Edit, Process, "NameEdit=Ingots; MaxQlSpin=300; OK");
        act(w, "Ores/Ingots/Smithing", Delete, Skill, "Yes");
        act(w, "Wood", Delete, Group, "Yes");
        act(w, "", Add, Group, "OK"); // a group without a name
        QByteArray before;
        QVERIFY(readWholeFile(craftingFilePath(), before));
        QCOMPARE(before, encodeWithQDataStream(start));
        QTest::mouseClick(w.ExitBtn, Qt::LeftButton);
    });
    const CraftingData expected{
        group("Clay", {proc("Brick", {item("Mould", "2", -5), skill("Firing", "0")}, 20, 20)}),
        group("Ores", {proc("Ingots", {item("Hammer", "1", 1234)}, 255)}), group("")};
    QCOMPARE(saved, encodeWithQDataStream(expected));
}

// A direct call checks the box, whose signal runs the switch once more; then all is quiet.
void EditingTest::switchesCalledDirectly()
{
    SmeltworkProcDialog procDialog(Process), nameOnly(Item); // any kind but a process: a name
    SmeltworkReqDialog reqDialog;
    QSignalSpy special(procDialog.SpecialBox, &QCheckBox::toggled);
    QSignalSpy fixed(reqDialog.FixedBox, &QCheckBox::toggled);
    for (bool on : {true, true, false, false}) {
        procDialog.setSpecial(on);
        reqDialog.setFixed(on);
        nameOnly.setSpecial(on);
        QCOMPARE(QList<bool>({procDialog.MaxQlSpin->isEnabled(), reqDialog.MultiEdit->isEnabled()}),
                 QList<bool>(2, !on));
    }
    QCOMPARE(special.count() + fixed.count(), 4);
    QCOMPARE(shown(&nameOnly), QStringLiteral("Name, [], &OK, &Cancel"));
}

QTEST_MAIN(EditingTest)
#include "tst_editing.moc"
