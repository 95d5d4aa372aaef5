#include "adminwindow.h"
#include "procdialog.h"
#include "reqdialog.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

Q_DECLARE_METATYPE(CraftingData)

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

// A null `name` gives a null text, which the file tells from an empty one.
Req req(const char *name, const char *multiplier, qint8 type = 0, qint32 id = 0)
{
    return {QString::fromUtf8(name), QString::fromUtf8(multiplier), type, id};
}

Proc proc(const char *name, int maxQL, int minQL, const QList<Req> &reqs = {})
{
    return {QString::fromUtf8(name), quint8(maxQL), quint8(minQL), reqs};
}

ProcGroup group(const char *name, const QList<Proc> &procs = {})
{
    return {QString::fromUtf8(name), procs};
}

// Type 0 is an item/tool, any other a skill. Ingot mixes both, Mining is a skill with an odd
// type and id as a data file may hold them, Plank's multipliers all read as 0, and Empty
// has no processes.
CraftingData forge()
{
    return {group("Ores", {proc("Ingot", 100, 1,
                                {req("Hammer", "1", 0, 1234), req("Smithing", "2", 1),
                                 req("Anvil", "0", 0, -1), req("Mining", "0.5", 5, 42)}),
                           proc("Dust", 10, 0)}),
            group("Wood",
                  {proc("Bar", 120, 120), proc("Plank", 50, 10,
                                               {req("Saw", "0.0", 0, 77), req("Glue", "lots", 0, 3),
                                                req("Nails", "", 0, 4), req("Carving", "1", 1)})}),
            group("Empty")};
}

QList<Req> &reqs(CraftingData &data, int g, int p)
{
    return data[g].procs[p].reqs;
}

CraftingData full(int kind)
{
    CraftingData data{group("Full", {proc("Ingot", 10, 1)})};
    if (kind == Group)
        data.resize(MaxListSize, data[0]);
    else if (kind == Process)
        data[0].procs.resize(MaxListSize, data[0].procs[0]);
    else
        data[0].procs[0].reqs.resize(MaxListSize, req("Smithing", "1", 1));
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

QByteArray bytesOf(const CraftingData &data)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, data);
    return bytes;
}

// Runs the window on `start` as main() does, in a scratch folder: exec() with `script`
// driving it from inside (then closed as by Escape, unless the script closed it), and the
// save that follows. Gives the data file's bytes after the run.
QByteArray runProgram(const CraftingData &start, const std::function<void(AdminWindow &)> &script)
{
    ScratchFolder folder;
    folder.writeFile(QStringLiteral("Smeltwork.dat"), bytesOf(start));
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

QStringList entries(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// Picks an entry the way a user does with the keyboard.
void choose(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// Makes "group/process/row" current as a user does; the row is clicked on the tab of `kind`.
void select(AdminWindow &w, const QString &path, int kind)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    if (!parts[0].isEmpty())
        choose(w.ProcGroupList, w.ProcGroupList->findText(parts[0]));
    if (parts.size() > 1 && !parts[1].isEmpty())
        choose(w.ProcessList, w.ProcessList->findText(parts[1]));
    if (parts.size() < 3)
        return;
    QTreeWidget *list = kind == Skill ? w.SkillsList : w.ItemsList;
    // Shortcuts reach only the active window, and offscreen nothing hands the activation
    // back when a dialog closes.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, kind == Skill ? Qt::Key_K : Qt::Key_I, Qt::AltModifier);
    const QList<QTreeWidgetItem *> found = list->findItems(parts[2], Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(path));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found[0]).center());
    QCOMPARE(list->currentItem(), found[0]);
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

// The lists show the tree: all groups, the current group's processes and the current
// process's requirements, each on the tab of its kind.
void checkListsShowTheTree(const AdminWindow &w)
{
    const int g = w.ProcGroupList->currentIndex();
    const int p = w.ProcessList->currentIndex();
    QStringList want[4], shown[4] = {entries(w.ProcGroupList), entries(w.ProcessList)};
    for (const ProcGroup &record : w.data())
        want[0] << record.name;
    for (const Proc &record : g >= 0 ? w.data()[g].procs : QList<Proc>())
        want[1] << record.name;
    for (const Req &record : p >= 0 ? w.data()[g].procs[p].reqs : QList<Req>())
        want[record.type ? 3 : 2] << record.name;
    for (int l = 2; l < 4; ++l) {
        const QTreeWidget *list = l == 2 ? w.ItemsList : w.SkillsList;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            shown[l] << list->topLevelItem(i)->text(0);
        shown[l].sort();
        want[l].sort();
    }
    for (int l = 0; l < 4; ++l)
        QCOMPARE(shown[l], want[l]);
}

// What a field shows: its text or check state, and "disabled" when it takes no input.
QString shown(const QWidget *field)
{
    QStringList parts;
    if (auto *box = qobject_cast<const QAbstractButton *>(field))
        parts << QLatin1String(box->isChecked() ? "on" : "off");
    else if (!qobject_cast<const QLabel *>(field))
        parts << field->property("text").toString();
    if (!field->isEnabled())
        parts << QStringLiteral("disabled");
    return parts.join(QLatin1Char(' '));
}

// A dialog's form as one reads it, in the order its fields were made: labels and buttons by
// their text, check boxes with "on" or "off", line edits as "[text]", spin boxes as
// "lowest..highest: value", combo boxes by their current entry and the number of entries.
QString form(const QWidget *dialog)
{
    QStringList out;
    const auto *frame = dialog->findChild<QWidget *>(QStringLiteral("MainFrame"));
    for (QWidget *w : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (auto *label = qobject_cast<QLabel *>(w))
            out << label->text();
        else if (auto *box = qobject_cast<QCheckBox *>(w))
            out << box->text() + (box->isChecked() ? " on" : " off");
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            out << button->text();
        else if (auto *edit = qobject_cast<QLineEdit *>(w))
            out << '[' + edit->text() + ']';
        else if (auto *spin = qobject_cast<QSpinBox *>(w))
            out << QStringLiteral("%1..%2: %3")
                       .arg(spin->minimum())
                       .arg(spin->maximum())
                       .arg(spin->value());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            out << combo->currentText() + QStringLiteral(" (%1 entry%2)")
                                              .arg(combo->count())
                                              .arg(combo->isEditable() ? ", editable" : "");
    }
    return out.join(QStringLiteral(", "));
}

// Plays a script on a dialog or message box. Fields are named by object name, buttons also
// by their text without the '&'. Steps:
//   "Field=text" types over the field    "Field?text" checks what it shows (shown())
//   "?text"      checks the message of a box, or the form() of a dialog
//   "Key@Field"  presses the key there ("Key@": in the box itself)
//   "close"      closes it by the title bar, anything else clicks the field or button.
void play(QWidget *modal, const QStringList &script)
{
    static const QRegularExpression grammar(QStringLiteral("^(\\w*)([=?@]?)(.*)$"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QCOMPARE(modal->windowTitle(), QStringLiteral("SmeltworkAdmin"));
    for (const QString &step : script) {
        const QRegularExpressionMatch m = grammar.match(step);
        const QString name = m.captured(1), op = m.captured(2), text = m.captured(3);
        QWidget *field = modal->findChild<QWidget *>(op == QLatin1String("@") ? text : name);
        for (QAbstractButton *button : modal->findChildren<QAbstractButton *>()) {
            if (!field && button->text().remove(QLatin1Char('&')) == name)
                field = button;
        }
        if (op == QLatin1String("?") && name.isEmpty()) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QCOMPARE(box ? box->text() : form(modal), text);
            continue;
        }
        if (name == QLatin1String("close") || (op == QLatin1String("@") && text.isEmpty()))
            field = modal;
        QVERIFY2(field, qPrintable(step));
        if (op == QLatin1String("=")) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, text);
        } else if (op == QLatin1String("?")) {
            QCOMPARE(shown(field), text);
        } else if (op == QLatin1String("@")) {
            QTest::keySequence(field, QKeySequence(name));
        } else if (field == modal) {
            modal->close();
        } else {
            QTest::mouseClick(field, Qt::LeftButton);
        }
    }
}

// Presses the action button for `action` and `kind` (picked first, as a user does) or a sort
// button, and plays `script` (steps parted by "; ") on the dialog or box that opens; with an
// empty script nothing may open. Whatever a failed step leaves open is closed, so a broken
// test fails instead of hanging.
void act(AdminWindow &w, int action, int kind, const QString &script)
{
    QPushButton *button = action == SortGroups      ? w.SortGrpBtn
                          : action == SortProcesses ? w.SortProcBtn
                                                    : w.ActionBtn;
    if (button == w.ActionBtn) {
        choose(w.ActionList, std::min(action, int(Edit)));
        if (kind < 0)
            w.TypeList->setCurrentIndex(-1);
        else
            choose(w.TypeList, kind);
        if (action == Unknown)
            w.selectAction(action);
    }
    QWidget *const outer = QApplication::activeModalWidget();
    int opened = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == outer || !modal->isVisible())
            return;
        if (++opened == 1)
            play(modal, script.split(QStringLiteral("; "), Qt::SkipEmptyParts));
        if (modal->isVisible())
            qobject_cast<QDialog *>(modal)->reject();
    });
    poll.start();
    if (button->isEnabled())
        QTest::mouseClick(button, Qt::LeftButton);
    else
        emit button->clicked(); // with nothing to sort, the slot must still cope
    QCOMPARE(opened, script.isEmpty() ? 0 : 1);
}

using Change = std::function<void(CraftingData &)>;

void row(const char *name, int action, int kind, const char *setup, const char *script,
         const char *after, const Change &change = {}, const CraftingData &start = forge(),
         const QStringList &trace = {})
{
    CraftingData expected = start;
    if (change)
        change(expected);
    QTest::newRow(name) << start << QString::fromUtf8(setup) << action << kind
                        << QString::fromUtf8(script) << expected << QString::fromUtf8(after)
                        << trace;
}

// A sort from `start` to `sorted`; `steps` are the trace lines between the header and
// "List sorted, saving...".
void sortRow(const char *name, int action, const char *setup, const char *after,
             const CraftingData &start, const CraftingData &sorted, const QStringList &steps)
{
    const QString header = action == SortGroups
                               ? QStringLiteral("Sorting ProcGroupList:")
                               : QStringLiteral("Sorting ProcessList (%1):")
                                     .arg(QString::fromUtf8(setup).section('/', 0, 0));
    QTest::newRow(name) << start << QString::fromUtf8(setup) << action << int(Group) << QString()
                        << sorted << QString::fromUtf8(after)
                        << QStringList{header} + steps +
                               QStringList{"List sorted, saving...", "Sorting Complete!"};
}

} // namespace

class EditingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesReachTheListsAndTheFile_data();
    void changesReachTheListsAndTheFile();
    void aSessionIsSavedOnlyWhenTheWindowCloses();
    void dialogsTakeKeysAndSwitches_data();
    void dialogsTakeKeysAndSwitches();
};

void EditingTest::changesReachTheListsAndTheFile_data()
{
    QTest::addColumn<CraftingData>("start");
    QTest::addColumn<QString>("setup"); // "group/process/row" made current first
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("script"); // see play()
    QTest::addColumn<CraftingData>("expected");
    QTest::addColumn<QString>("after"); // what is current afterwards, as where() tells it
    QTest::addColumn<QStringList>("trace");

    row("add group", Add, Group, "", "?Name, [], &OK, &Cancel; NameEdit=Aardvark; Return@NameEdit",
        "Ores/Ingot", [](auto &d) { d << group("Aardvark"); });
    row("add group, Cancel", Add, Group, "Wood", "NameEdit=Typed; Cancel", "Wood/Bar");
    row("edit group", Edit, Group, "Wood", "NameEdit?Wood; NameEdit=Timber; OK", "Ores/Ingot",
        [](auto &d) { d[1].name = "Timber"; });
    row("edit group, Escape", Edit, Group, "Wood", "NameEdit=Typed; Esc@NameEdit", "Wood/Bar");
    row("delete group", Delete, Group, "Wood",
        "?Really delete process group \"Wood\" and all of it's processes and items/tools/skills?; "
        "Yes",
        "Ores/Ingot", [](auto &d) { d.removeAt(1); });
    row("delete group, No", Delete, Group, "Wood", "No", "Wood/Bar");

    row("add process: defaults, 300 stored as 255", Add, Process, "Wood",
        "?Name, [], Max QL, 1..300: 300, Min QL, 1..300: 1, &Special off, &OK, &Cancel; "
        "NameEdit=Nugget; Return@NameEdit",
        "Wood/Bar", [](auto &d) { d[1].procs << proc("Nugget", 255, 1); });
    row("add process: Special takes Min for both", Add, Process, "Wood",
        "NameEdit=Nugget; MaxQlSpin=200; Special; MinQlSpin=50; MaxQlSpin?200 disabled; OK",
        "Wood/Bar", [](auto &d) { d[1].procs << proc("Nugget", 50, 50); });
    row("add process to a group without any", Add, Process, "Empty",
        "NameEdit=Nugget; MaxQlSpin=90; Enter@MinQlSpin", "Empty/Nugget",
        [](auto &d) { d[2].procs << proc("Nugget", 90, 1); });
    row("add process, close", Add, Process, "Wood", "NameEdit=Typed; close", "Wood/Bar");
    row("edit process: equal QLs open Special", Edit, Process, "Wood/Bar",
        "NameEdit?Bar; MaxQlSpin?120 disabled; MinQlSpin?120; Special?on; OK", "Wood/Bar");
    row("edit process: Special off", Edit, Process, "Wood/Bar",
        "Special; MaxQlSpin=200; MinQlSpin=100; OK", "Wood/Bar",
        [](auto &d) { d[1].procs[0] = proc("Bar", 200, 100); });
    row("edit process: QL 0 shows as 1", Edit, Process, "Ores/Dust",
        "MaxQlSpin?10; MinQlSpin?1; Special?off; OK", "Ores/Ingot",
        [](auto &d) { d[0].procs[1].minQL = 1; });
    row("edit process: Min above Max as typed, 300 as 255", Edit, Process, "Ores/Ingot",
        "MaxQlSpin=50; MinQlSpin=300; OK", "Ores/Ingot",
        [](auto &d) { d[0].procs[0] = proc("Ingot", 50, 255, reqs(d, 0, 0)); });
    row("edit process, Cancel", Edit, Process, "Ores/Dust", "NameEdit=Typed; Cancel", "Ores/Dust");
    row("delete process", Delete, Process, "Wood/Plank",
        "?Really delete process \"Plank\" and all of it's items/tools/skills?; Yes", "Wood/Bar",
        [](auto &d) { d[1].procs.removeAt(1); });
    row("delete process, Escape", Delete, Process, "Ores/Dust", "Esc@", "Ores/Dust");

    row("add item/tool", Add, Item, "",
        "?&Name, [], &Multiplier, [], &Fixed off, &zorvex-items.example ID, [0], &Parent, Main "
        "Item (1 entry), &OK, &Cancel; NameEdit=Tongs; MultiEdit=2; ZorvexEdit=55; OK",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0) << req("Tongs", "2", 0, 55); });
    row("add item/tool: letters in the ID", Add, Item, "",
        "NameEdit=Tongs; MultiEdit=2; ZorvexEdit=12ab; Return@MultiEdit", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0) << req("Tongs", "2"); });
    row("add item/tool: Fixed", Add, Item, "",
        "NameEdit=Tongs; MultiEdit=3; Fixed; MultiEdit?3 disabled; MultiLabel?; Enter@ZorvexEdit",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0) << req("Tongs", "0"); });
    row("add item/tool, Cancel", Add, Item, "Wood", "NameEdit=Typed; Cancel", "Wood/Bar");
    row("add skill", Add, Skill, "Wood/Plank",
        "ZorvexEdit?0 disabled; ZorvexLabel?disabled; NameEdit=Casting; MultiEdit=1.5; OK",
        "Wood/Plank", [](auto &d) { reqs(d, 1, 1) << req("Casting", "1.5", 1); });
    row("add skill, close", Add, Skill, "Wood", "close", "Wood/Bar");
    row("edit item/tool", Edit, Item, "Ores/Ingot/Hammer",
        "NameEdit?Hammer; MultiEdit?1; Fixed?off; ZorvexEdit?1234; MultiEdit=0.5; Return@NameEdit",
        "Ores/Ingot", [](auto &d) { reqs(d, 0, 0)[0].multiplier = "0.5"; });
    // The unsigned text of a negative id is beyond toInt(), so it reads back as 0.
    row("edit item/tool: ID -1 shown unsigned", Edit, Item, "Ores/Ingot/Anvil",
        "MultiEdit?0 disabled; Fixed?on; ZorvexEdit?4294967295; OK", "Ores/Ingot",
        [](auto &d) { reqs(d, 0, 0)[2].id = 0; });
    row("edit item/tool: 0.0 opens Fixed", Edit, Item, "Wood/Plank/Saw",
        "MultiEdit?0.0 disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[0].multiplier = "0"; });
    row("edit item/tool: letters open Fixed", Edit, Item, "Wood/Plank/Glue",
        "MultiEdit?lots disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[1].multiplier = "0"; });
    row("edit item/tool: empty opens Fixed", Edit, Item, "Wood/Plank/Nails",
        "MultiEdit? disabled; OK", "Wood/Plank",
        [](auto &d) { reqs(d, 1, 1)[2].multiplier = "0"; });
    row("edit item/tool, Escape", Edit, Item, "Wood/Plank/Saw", "NameEdit=Typed; Esc@NameEdit",
        "Wood/Plank/Saw");
    row("edit skill keeps id and type", Edit, Skill, "Ores/Ingot/Mining",
        "NameEdit?Mining; MultiEdit?0.5; ZorvexEdit?0 disabled; NameEdit=Prospecting; OK",
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
    const CraftingData nulls{group(nullptr, {proc(nullptr, 10, 1, {req(nullptr, "1", 0, 5)})})};
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

    sortRow("sort groups: C, A, B", SortGroups, "", "A/", named("C, A, B"), named("A, B, C"),
            {"C appended.", "A comes before C (r = 1)", "B comes before C (r = 1)"});
    sortRow("sort groups: capitals first", SortGroups, "", "A/", named("B, a, A, b"),
            named("A, B, a, b"),
            {"B appended.", "a appended.", "A comes before B (r = 1)", "b appended."});
    sortRow("sort groups: a beginning first", SortGroups, "", "Ore/", named("Ores, Ore"),
            named("Ore, Ores"), {"Ores appended.", "Ore comes before Ores (r = 1)"});
    sortRow("sort groups: none", SortGroups, "", "/", {}, {}, {});
    sortRow("sort groups: beyond Latin-1 printed as ?", SortGroups, "", "Äxte/", named("Жар, Äxte"),
            named("Äxte, Жар"),
            {"??? appended.", QString::fromUtf8("Äxte comes before ??? (r = 1)")});
    // Equal names keep their order, and every record takes its processes and requirements along.
    const Proc first = proc("Ingot", 100, 1, {req("Hammer", "1", 0, 1234)});
    const Proc second = proc("Ingot", 50, 50, {req("Smithing", "2", 1)});
    const CraftingData metals{
        group("Ores", {proc("Pig", 10, 1), proc("Ash", 5, 1), proc("Zinc", 1, 1)}),
        group("Metals", {first, proc("Bar", 120, 120), second}),
        group("Metals", {proc("Wire", 20, 1)})};
    CraftingData sorted = metals;
    sorted.move(0, 2);
    sortRow(
        "sort groups: equal names", SortGroups, "", "Metals/Ingot", metals, sorted,
        {"Ores appended.", "Metals comes before Ores (r = 1)", "Metals comes before Ores (r = 1)"});
    sorted = metals;
    sorted[1].procs.move(1, 0);
    sortRow("sort processes: equal names", SortProcesses, "Metals", "Metals/Bar", metals, sorted,
            {"Ingot appended.", "Bar comes before Ingot (r = 1)", "Ingot appended."});
    sorted = metals;
    sorted[0].procs.move(1, 0);
    sortRow("sort processes: the current group's only", SortProcesses, "Ores/Zinc", "Ores/Ash",
            metals, sorted, {"Pig appended.", "Ash comes before Pig (r = 1)", "Zinc appended."});
}

void EditingTest::changesReachTheListsAndTheFile()
{
    QFETCH(CraftingData, start);
    QFETCH(QString, setup);
    QFETCH(int, action);
    QFETCH(int, kind);
    QFETCH(QString, script);
    QFETCH(CraftingData, expected);
    QFETCH(QString, after);
    QFETCH(QStringList, trace);
    TraceCapture capture;
    const QByteArray saved = runProgram(start, [&](AdminWindow &w) {
        select(w, setup, kind);
        capture.clear();
        act(w, action, kind, script);
        QCOMPARE(capture.debugLines(), trace);
        QCOMPARE(w.data(), expected);
        QCOMPARE(where(w), after);
        checkListsShowTheTree(w);
        QCOMPARE(w.TypeList->currentIndex(), kind);
    });
    QCOMPARE(saved, bytesOf(expected));
}

void EditingTest::aSessionIsSavedOnlyWhenTheWindowCloses()
{
    TraceCapture quiet;
    const CraftingData start{
        group("Wood", {proc("Plank", 50, 10, {req("Saw", "1", 0, 77)})}),
        group("Ores",
              {proc("Ingot", 100, 1, {req("Hammer", "1", 0, 1234), req("Smithing", "2", 1)})})};
    const QByteArray saved = runProgram(start, [&](AdminWindow &w) {
        act(w, Add, Group, "NameEdit=Clay; OK");
        select(w, "Clay", Process);
        act(w, Add, Process, "NameEdit=Brick; Special; MinQlSpin=20; OK");
        act(w, Add, Item, "NameEdit=Mould; MultiEdit=2; ZorvexEdit=-5; OK");
        act(w, Add, Skill, "NameEdit=Firing; Fixed; OK");
        act(w, SortGroups, Group, ""); // Clay, Ores, Wood
        select(w, "Ores/Ingot", Process);
        act(w, Edit, Process, "NameEdit=Ingots; MaxQlSpin=300; OK");
        select(w, "Ores/Ingots/Smithing", Skill);
        act(w, Delete, Skill, "Yes");
        select(w, "Wood", Group);
        act(w, Delete, Group, "Yes");
        act(w, Add, Group, "OK"); // a group without a name
        QFile file(craftingFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytesOf(start));
        QTest::mouseClick(w.ExitBtn, Qt::LeftButton);
    });
    const CraftingData expected{
        group("Clay", {proc("Brick", 20, 20, {req("Mould", "2", 0, -5), req("Firing", "0", 1)})}),
        group("Ores", {proc("Ingots", 255, 1, {req("Hammer", "1", 0, 1234)})}), group("")};
    QCOMPARE(saved, bytesOf(expected));
}

void EditingTest::dialogsTakeKeysAndSwitches_data()
{
    QTest::addColumn<bool>("process");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("focus"); // at first, then after each key
    QTest::addColumn<QString>("alt");       // checks the switch
    QTest::addColumn<QString>("field");     // that the switch turns off
    QTest::newRow("process") << true << QStringList(6, QStringLiteral("Tab"))
                             << QStringList{"NameEdit", "MaxQlSpin", "MinQlSpin", "SpecialBox",
                                            "OkBtn",    "CancelBtn", "NameEdit"}
                             << "Alt+S"
                             << "MaxQlSpin";
    QTest::newRow("requirement") << false << QStringList{"Alt+M", "Alt+Z", "Alt+P", "Alt+N"}
                                 << QStringList{"NameEdit", "MultiEdit", "ZorvexEdit", "ParentList",
                                                "NameEdit"}
                                 << "Alt+F"
                                 << "MultiEdit";
}

void EditingTest::dialogsTakeKeysAndSwitches()
{
    QFETCH(bool, process);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, focus);
    QFETCH(QString, alt);
    QFETCH(QString, field);
    SmeltworkProcDialog procDialog(Process);
    SmeltworkReqDialog reqDialog;
    QDialog &dialog = process ? static_cast<QDialog &>(procDialog) : reqDialog;
    const auto switchOff = [&] {
        process ? procDialog.setSpecial(false) : reqDialog.setFixed(false);
    };
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QStringList reached{QApplication::focusWidget()->objectName()};
    for (const QString &key : keys) {
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(key));
        reached << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(reached, focus);

    auto *box = dialog.findChild<QCheckBox *>();
    QTest::keySequence(&dialog, QKeySequence(alt));
    QTRY_VERIFY(box->isChecked()); // a shortcut animates the click first
    QVERIFY(!dialog.findChild<QWidget *>(field)->isEnabled());
    // A direct call unchecks the box, whose signal runs the switch once more; then all is quiet.
    QSignalSpy toggled(box, &QCheckBox::toggled);
    switchOff();
    switchOff();
    QVERIFY(dialog.findChild<QWidget *>(field)->isEnabled());
    QCOMPARE(toggled.count(), 1);

    SmeltworkProcDialog nameOnly(Item); // every kind but a process: the name alone
    nameOnly.setSpecial(true);
    QCOMPARE(form(&nameOnly), QStringLiteral("Name, [], &OK, &Cancel"));
}

QTEST_MAIN(EditingTest)
#include "tst_editing.moc"
