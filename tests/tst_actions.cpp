#include "editingsupport.h"
#include "procdialog.h"
#include "reqdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

Q_DECLARE_METATYPE(Req)
Q_DECLARE_METATYPE(Proc)
Q_DECLARE_METATYPE(CraftingData)

namespace {

enum { Add, Delete, Edit };
enum { GroupKind, ProcessKind, ItemKind, SkillKind };

// Ingot mixes items/tools and skills; Mining is a skill with an odd type and id, as a data
// file may hold them.
CraftingData forge()
{
    return {
        group("Ores", {proc("Ingot", 100, 1,
                            {item("Hammer", "1", 1234), skill("Smithing", "2"),
                             item("Anvil", "0", -1), skill("Mining", "0.5", 5, 42)}),
                       proc("Bar", 120, 120), proc("Dust", 10, 0)}),
        group("Wood", {proc("Plank", 50, 10, {item("Saw", "1", 77)})}),
        group("Empty"),
    };
}

// Ends a dialog or question without accepting it.
void leave(QWidget *modal, const QString &how)
{
    if (how == QLatin1String("No"))
        QTest::mouseClick(qobject_cast<QMessageBox *>(modal)->button(QMessageBox::No),
                          Qt::LeftButton);
    else if (how == QLatin1String("Cancel"))
        QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("CancelBtn")),
                          Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        QTest::keyClick(modal, Qt::Key_Escape);
    else
        modal->close();
}

void answerYes(QWidget *modal, QString *question)
{
    auto *box = qobject_cast<QMessageBox *>(modal);
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    *question = box->text();
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
}

} // namespace

class ActionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addGroupAppendsItWhateverItsName();
    void editGroupRenamesTheCurrentOne();
    void rejectedRunsChangeNothing_data();
    void rejectedRunsChangeNothing();
    void deletesAskFirstAndRemoveTheChosenRecord_data();
    void deletesAskFirstAndRemoveTheChosenRecord();
    void processDialogStoresTheQls_data();
    void processDialogStoresTheQls();
    void addProcessAppendsToTheCurrentGroup_data();
    void addProcessAppendsToTheCurrentGroup();
    void requirementDialogStoresWhatWasTyped_data();
    void requirementDialogStoresWhatWasTyped();
    void zeroMultipliersOpenFixed_data();
    void zeroMultipliersOpenFixed();
    void actionsWithoutARecordChangeNothing_data();
    void actionsWithoutARecordChangeNothing();
    void addToAFullListIsRefused_data();
    void addToAFullListIsRefused();
    void untouchedNullTextsStayNull_data();
    void untouchedNullTextsStayNull();
    void unknownActionShowsTheErrorBox();
};

void ActionsTest::addGroupAppendsItWhateverItsName()
{
    Session s(forge());
    AdminWindow &w = *s.window;
    whenModalOpens([](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
        QVERIFY(dialog);
        QVERIFY(!dialog->MaxQlSpin); // name-only form
        QVERIFY(dialog->NameEdit->text().isEmpty());
        QTest::keyClicks(dialog->NameEdit, QStringLiteral("Aardvark"));
        QTest::keyClick(dialog->NameEdit, Qt::Key_Return);
    });
    pressAction(w, Add, GroupKind);
    CraftingData expected = forge();
    expected.append(group("Aardvark"));
    QCOMPARE(w.data(), expected);
    QCOMPARE(entries(w.ProcGroupList), QStringList({"Ores", "Wood", "Empty", "Aardvark"}));
    QCOMPARE(w.ProcGroupList->currentIndex(), 0);
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Add"));
    QCOMPARE(w.TypeList->currentIndex(), int(GroupKind));
}

void ActionsTest::editGroupRenamesTheCurrentOne()
{
    Session s(forge());
    AdminWindow &w = *s.window;
    choose(w.ProcGroupList, 1);
    whenModalOpens([](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
        QVERIFY(dialog && !dialog->SpecialBox);
        QCOMPARE(dialog->NameEdit->text(), QStringLiteral("Wood"));
        typeOver(dialog->NameEdit, QStringLiteral("Timber"));
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    pressAction(w, Edit, GroupKind);
    CraftingData expected = forge();
    expected[1].name = QStringLiteral("Timber");
    QCOMPARE(w.data(), expected);
    QCOMPARE(entries(w.ProcGroupList), QStringList({"Ores", "Timber", "Empty"}));
    QCOMPARE(w.ProcGroupList->currentIndex(), 0); // the refill starts at the first group
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Edit"));
}

void ActionsTest::rejectedRunsChangeNothing_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("shown");
    const QString proc = QStringLiteral("SmeltworkProcDialog");
    const QString req = QStringLiteral("SmeltworkReqDialog");
    const QString box = QStringLiteral("QMessageBox");
    QTest::newRow("add group, Cancel") << int(Add) << int(GroupKind) << ""
                                       << "Cancel" << proc;
    QTest::newRow("edit group, Escape") << int(Edit) << int(GroupKind) << ""
                                        << "Escape" << proc;
    QTest::newRow("delete group, No") << int(Delete) << int(GroupKind) << ""
                                      << "No" << box;
    QTest::newRow("add process, close") << int(Add) << int(ProcessKind) << ""
                                        << "close" << proc;
    QTest::newRow("edit process, Cancel") << int(Edit) << int(ProcessKind) << ""
                                          << "Cancel" << proc;
    QTest::newRow("delete process, Escape") << int(Delete) << int(ProcessKind) << ""
                                            << "Escape" << box;
    QTest::newRow("add item, Cancel") << int(Add) << int(ItemKind) << ""
                                      << "Cancel" << req;
    QTest::newRow("edit item, Escape") << int(Edit) << int(ItemKind) << "Saw"
                                       << "Escape" << req;
    QTest::newRow("delete item, No") << int(Delete) << int(ItemKind) << "Saw"
                                     << "No" << box;
    QTest::newRow("add skill, close") << int(Add) << int(SkillKind) << ""
                                      << "close" << req;
    QTest::newRow("edit skill, Cancel") << int(Edit) << int(SkillKind) << "Carving"
                                        << "Cancel" << req;
    QTest::newRow("delete skill, Escape") << int(Delete) << int(SkillKind) << "Carving"
                                          << "Escape" << box;
}

void ActionsTest::rejectedRunsChangeNothing()
{
    QFETCH(int, action);
    QFETCH(int, kind);
    QFETCH(QString, row);
    QFETCH(QString, how);
    QFETCH(QString, shown);
    CraftingData data = forge();
    data[1].procs[0].reqs.append(skill("Carving", "1"));
    Session s(data);
    AdminWindow &w = *s.window;
    choose(w.ProcGroupList, 1); // a refill would make the first group current again
    QTreeWidget *list = kind == SkillKind ? w.SkillsList : w.ItemsList;
    if (!row.isEmpty())
        QVERIFY(clickRow(w, list, row));

    QString opened;
    whenModalOpens([&](QWidget *modal) {
        opened = QLatin1String(modal->metaObject()->className());
        if (auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("NameEdit")))
            typeOver(edit, QStringLiteral("Typed, then dropped"));
        leave(modal, how);
    });
    pressAction(w, action, kind);
    QCOMPARE(opened, shown);
    QCOMPARE(w.data(), data);
    QCOMPARE(w.ProcGroupList->currentIndex(), 1);
    if (!row.isEmpty())
        QCOMPARE(list->currentItem() ? list->currentItem()->text(0) : QString(), row);
}

void ActionsTest::deletesAskFirstAndRemoveTheChosenRecord_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("position"); // of the group, or of the process in the first group
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("question");
    QTest::addColumn<CraftingData>("expected");
    QTest::addColumn<QStringList>("items"); // rows shown afterwards
    QTest::addColumn<QStringList>("skills");

    CraftingData data = forge();
    data.removeFirst();
    QTest::newRow("first of three groups")
        << int(GroupKind) << 0 << ""
        << "Really delete process group \"Ores\" and all of it's processes and "
           "items/tools/skills?"
        << data << QStringList{"Saw|1|77|0"} << QStringList{};

    data = forge();
    data[0].procs.removeAt(1);
    QTest::newRow("second process")
        << int(ProcessKind) << 1 << ""
        << "Really delete process \"Bar\" and all of it's items/tools/skills?" << data
        << QStringList{"Anvil|0|4294967295|2", "Hammer|1|1234|0"}
        << QStringList{"Mining|0.5|3|", "Smithing|2|1|"};

    data = forge();
    data[0].procs[0].reqs.removeAt(2);
    QTest::newRow("item/tool among skills")
        << int(ItemKind) << 0 << "Anvil"
        << "Really delete item/tool \"Anvil\"?" << data << QStringList{"Hammer|1|1234|0"}
        << QStringList{"Mining|0.5|2|", "Smithing|2|1|"};

    data = forge();
    data[0].procs[0].reqs.removeAt(1);
    QTest::newRow("skill among items/tools")
        << int(SkillKind) << 0 << "Smithing"
        << "Really delete skill \"Smithing\"?" << data
        << QStringList{"Anvil|0|4294967295|1", "Hammer|1|1234|0"} << QStringList{"Mining|0.5|2|"};
}

void ActionsTest::deletesAskFirstAndRemoveTheChosenRecord()
{
    QFETCH(int, kind);
    QFETCH(int, position);
    QFETCH(QString, row);
    QFETCH(QString, question);
    QFETCH(CraftingData, expected);
    QFETCH(QStringList, items);
    QFETCH(QStringList, skills);
    Session s(forge());
    AdminWindow &w = *s.window;
    choose(kind == GroupKind ? w.ProcGroupList : w.ProcessList, position);
    if (!row.isEmpty())
        QVERIFY(clickRow(w, kind == SkillKind ? w.SkillsList : w.ItemsList, row));

    QString asked;
    whenModalOpens([&](QWidget *modal) { answerYes(modal, &asked); });
    pressAction(w, Delete, kind);
    QCOMPARE(asked, question);
    QCOMPARE(w.data(), expected);
    QCOMPARE(w.ProcGroupList->currentIndex(), 0);
    QCOMPARE(w.ProcessList->currentIndex(), 0);
    QCOMPARE(rows(w.ItemsList), items);
    QCOMPARE(rows(w.SkillsList), skills);
    QVERIFY(!w.ItemsList->currentItem() && !w.SkillsList->currentItem());
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));
    QCOMPARE(w.TypeList->currentIndex(), kind);
}

void ActionsTest::processDialogStoresTheQls_data()
{
    QTest::addColumn<int>("position");      // in Ores: Ingot 100/1, Bar 120/120, Dust 10/0
    QTest::addColumn<QList<int>>("shown");  // Max, Min, Special
    QTest::addColumn<QStringList>("typed"); // Max, Min ("" leaves a field), "toggle"
    QTest::addColumn<Proc>("expected");
    const QList<Req> ingotReqs = forge()[0].procs[0].reqs;
    QTest::newRow("equal QLs open Special, kept")
        << 1 << QList<int>{120, 120, 1} << QStringList{"", "", ""} << proc("Bar", 120, 120);
    QTest::newRow("Special off, 200 and 100")
        << 1 << QList<int>{120, 120, 1} << QStringList{"200", "100", "toggle"}
        << proc("Bar", 200, 100);
    QTest::newRow("stored QL 0 shows and stays as 1")
        << 2 << QList<int>{10, 1, 0} << QStringList{"", "", ""} << proc("Dust", 10, 1);
    QTest::newRow("QL 300 stored as 255")
        << 0 << QList<int>{100, 1, 0} << QStringList{"300", "", ""}
        << proc("Ingot", 255, 1, ingotReqs);
    QTest::newRow("min above max as typed")
        << 0 << QList<int>{100, 1, 0} << QStringList{"50", "80", ""}
        << proc("Ingot", 50, 80, ingotReqs);
    QTest::newRow("Special on: min for both")
        << 0 << QList<int>{100, 1, 0} << QStringList{"", "70", "toggle"}
        << proc("Ingot", 70, 70, ingotReqs);
}

void ActionsTest::processDialogStoresTheQls()
{
    QFETCH(int, position);
    QFETCH(QList<int>, shown);
    QFETCH(QStringList, typed);
    QFETCH(Proc, expected);
    Session s(forge());
    AdminWindow &w = *s.window;
    choose(w.ProcessList, position);
    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
        QVERIFY(dialog && dialog->SpecialBox);
        QCOMPARE(dialog->NameEdit->text(), expected.name);
        QCOMPARE(dialog->MaxQlSpin->value(), shown[0]);
        QCOMPARE(dialog->MinQlSpin->value(), shown[1]);
        QCOMPARE(dialog->SpecialBox->isChecked(), bool(shown[2]));
        QCOMPARE(dialog->MaxQlSpin->isEnabled(), !shown[2]);
        if (typed[2] == QLatin1String("toggle"))
            QTest::mouseClick(dialog->SpecialBox, Qt::LeftButton);
        if (!typed[0].isEmpty())
            typeOver(dialog->MaxQlSpin, typed[0]);
        if (!typed[1].isEmpty())
            typeOver(dialog->MinQlSpin, typed[1]);
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    pressAction(w, Edit, ProcessKind);
    CraftingData data = forge();
    data[0].procs[position] = expected;
    QCOMPARE(w.data(), data);
    QCOMPARE(w.ProcessList->currentIndex(), 0);
}

void ActionsTest::addProcessAppendsToTheCurrentGroup_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("typed"); // Max, Min, "toggle"
    QTest::addColumn<Proc>("expected");
    QTest::newRow("defaults: 300 stored as 255")
        << 1 << QStringList{"", "", ""} << proc("Nugget", 255, 1);
    QTest::newRow("Special with Min 50, whatever Max shows")
        << 1 << QStringList{"200", "50", "toggle"} << proc("Nugget", 50, 50);
    QTest::newRow("to a group without processes")
        << 2 << QStringList{"90", "", ""} << proc("Nugget", 90, 1);
}

void ActionsTest::addProcessAppendsToTheCurrentGroup()
{
    QFETCH(int, position);
    QFETCH(QStringList, typed);
    QFETCH(Proc, expected);
    Session s(forge());
    AdminWindow &w = *s.window;
    choose(w.ProcGroupList, position);
    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkProcDialog *>(modal);
        QVERIFY(dialog && dialog->SpecialBox);
        QCOMPARE(dialog->MaxQlSpin->value(), 300);
        QCOMPARE(dialog->MinQlSpin->value(), 1);
        QTest::keyClicks(dialog->NameEdit, QStringLiteral("Nugget"));
        if (!typed[0].isEmpty())
            typeOver(dialog->MaxQlSpin, typed[0]);
        if (!typed[1].isEmpty())
            typeOver(dialog->MinQlSpin, typed[1]);
        if (!typed[2].isEmpty())
            QTest::keyClick(dialog, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(dialog->SpecialBox->isChecked(), !typed[2].isEmpty());
        QTest::keyClick(dialog->NameEdit, Qt::Key_Return);
    });
    pressAction(w, Add, ProcessKind);
    CraftingData data = forge();
    data[position].procs.append(expected);
    QCOMPARE(w.data(), data);
    QCOMPARE(w.ProcGroupList->currentIndex(), position);
    QCOMPARE(entries(w.ProcessList).last(), QStringLiteral("Nugget"));
}

void ActionsTest::requirementDialogStoresWhatWasTyped_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("shown"); // name, multiplier, "fixed" or "", ID or "off"
    QTest::addColumn<QStringList>("typed"); // name, multiplier, "toggle", ID; "-" leaves it
    QTest::addColumn<int>("position");
    QTest::addColumn<Req>("expected");
    const QStringList empty{"", "", "", "0"};
    QTest::newRow("add item/tool")
        << int(Add) << int(ItemKind) << "" << empty << QStringList{"Tongs", "2", "", "55"} << 4
        << item("Tongs", "2", 55);
    QTest::newRow("add item/tool, letters in the ID")
        << int(Add) << int(ItemKind) << "" << empty << QStringList{"Tongs", "2", "", "abc"} << 4
        << item("Tongs", "2", 0);
    QTest::newRow("add item/tool, empty ID")
        << int(Add) << int(ItemKind) << "" << empty << QStringList{"Tongs", "2", "", ""} << 4
        << item("Tongs", "2", 0);
    QTest::newRow("add item/tool, Fixed")
        << int(Add) << int(ItemKind) << "" << empty << QStringList{"Tongs", "3", "toggle", "-"} << 4
        << item("Tongs", "0", 0);
    QTest::newRow("add skill") << int(Add) << int(SkillKind) << "" << QStringList{"", "", "", "off"}
                               << QStringList{"Casting", "1.5", "", "-"} << 4
                               << skill("Casting", "1.5");
    QTest::newRow("add skill, Fixed over typed text")
        << int(Add) << int(SkillKind) << "" << QStringList{"", "", "", "off"}
        << QStringList{"Casting", "4", "toggle", "-"} << 4 << skill("Casting", "0");
    QTest::newRow("edit item/tool")
        << int(Edit) << int(ItemKind) << "Hammer" << QStringList{"Hammer", "1", "", "1234"}
        << QStringList{"-", "0.5", "", "-"} << 0 << item("Hammer", "0.5", 1234);
    // The unsigned text of a negative id is beyond toInt(), so it reads back as 0.
    QTest::newRow("edit item/tool, ID -1 shown unsigned, read back as 0")
        << int(Edit) << int(ItemKind) << "Anvil" << QStringList{"Anvil", "0", "fixed", "4294967295"}
        << QStringList{"-", "-", "", "-"} << 2 << item("Anvil", "0", 0);
    QTest::newRow("edit item/tool, letters in the ID")
        << int(Edit) << int(ItemKind) << "Hammer" << QStringList{"Hammer", "1", "", "1234"}
        << QStringList{"-", "-", "", "12ab"} << 0 << item("Hammer", "1", 0);
    QTest::newRow("edit skill keeps id and type")
        << int(Edit) << int(SkillKind) << "Mining" << QStringList{"Mining", "0.5", "", "off"}
        << QStringList{"Prospecting", "-", "", "-"} << 3 << skill("Prospecting", "0.5", 5, 42);
}

void ActionsTest::requirementDialogStoresWhatWasTyped()
{
    QFETCH(int, action);
    QFETCH(int, kind);
    QFETCH(QString, row);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, typed);
    QFETCH(int, position);
    QFETCH(Req, expected);
    Session s(forge());
    AdminWindow &w = *s.window;
    QTreeWidget *list = kind == SkillKind ? w.SkillsList : w.ItemsList;
    if (!row.isEmpty())
        QVERIFY(clickRow(w, list, row));
    QWidget *page = w.ReqControl->currentWidget();
    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkReqDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->NameEdit->text(), shown[0]);
        QCOMPARE(dialog->MultiEdit->text(), shown[1]);
        QCOMPARE(dialog->FixedBox->isChecked(), !shown[2].isEmpty());
        QCOMPARE(dialog->MultiEdit->isEnabled(), shown[2].isEmpty());
        const bool idOff = shown[3] == QLatin1String("off");
        QCOMPARE(dialog->ZorvexEdit->isEnabled(), !idOff);
        QCOMPARE(dialog->ZorvexLabel->isEnabled(), !idOff);
        if (!idOff)
            QCOMPARE(dialog->ZorvexEdit->text(), shown[3]);
        if (typed[0] != QLatin1String("-"))
            typeOver(dialog->NameEdit, typed[0]);
        if (typed[1] != QLatin1String("-"))
            typeOver(dialog->MultiEdit, typed[1]);
        if (!typed[2].isEmpty())
            QTest::mouseClick(dialog->FixedBox, Qt::LeftButton);
        if (typed[3] != QLatin1String("-"))
            typeOver(dialog->ZorvexEdit, typed[3]);
        QTest::mouseClick(dialog->OkBtn, Qt::LeftButton);
    });
    pressAction(w, action, kind);
    CraftingData data = forge();
    QList<Req> &reqs = data[0].procs[0].reqs;
    if (position == reqs.size())
        reqs.append(expected);
    else
        reqs[position] = expected;
    QCOMPARE(w.data(), data);
    QCOMPARE(w.ReqControl->currentWidget(), page);
    QVERIFY(!list->currentItem()); // refilled
}

void ActionsTest::zeroMultipliersOpenFixed_data()
{
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("0") << "0" << true << "0";
    QTest::newRow("0.0") << "0.0" << true << "0";
    QTest::newRow("letters") << "lots" << true << "0";
    QTest::newRow("empty") << "" << true << "0";
    QTest::newRow("0.5") << "0.5" << false << "0.5";
}

void ActionsTest::zeroMultipliersOpenFixed()
{
    QFETCH(QString, multiplier);
    QFETCH(bool, fixed);
    QFETCH(QString, stored);
    Req saw = item("Saw", "", 0);
    saw.multiplier = multiplier;
    Session s({group("Wood", {proc("Plank", 50, 10, {saw})})});
    AdminWindow &w = *s.window;
    QVERIFY(clickRow(w, w.ItemsList, QStringLiteral("Saw")));
    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<SmeltworkReqDialog *>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->FixedBox->isChecked(), fixed);
        QCOMPARE(dialog->MultiEdit->isEnabled(), !fixed);
        QCOMPARE(dialog->MultiEdit->text(), multiplier);
        QCOMPARE(dialog->ZorvexEdit->text(), QStringLiteral("0"));
        QTest::keyClick(dialog->NameEdit, Qt::Key_Return);
    });
    pressAction(w, Edit, ItemKind);
    QCOMPARE(w.data()[0].procs[0].reqs[0].multiplier, stored);
}

void ActionsTest::actionsWithoutARecordChangeNothing_data()
{
    QTest::addColumn<CraftingData>("data");
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("shown");
    const CraftingData none;
    const CraftingData emptyGroup{group("Empty")};
    const CraftingData noRow{group("Wood", {proc("Plank", 50, 10, {item("Saw", "1", 77)})})};
    const QStringList groupFirst{"QMessageBox: There is no process group to add the process "
                                 "to.\nAdd a process group first."};
    const QStringList itemFirst{
        "QMessageBox: There is no process to add the item/tool to.\nAdd a process first."};
    const QStringList skillFirst{
        "QMessageBox: There is no process to add the skill to.\nAdd a process first."};
    QTest::newRow("no groups: edit group") << none << int(Edit) << int(GroupKind) << QStringList();
    QTest::newRow("no groups: delete group")
        << none << int(Delete) << int(GroupKind) << QStringList();
    QTest::newRow("no groups: add process") << none << int(Add) << int(ProcessKind) << groupFirst;
    QTest::newRow("no groups: edit process")
        << none << int(Edit) << int(ProcessKind) << QStringList();
    QTest::newRow("no groups: add item/tool") << none << int(Add) << int(ItemKind) << itemFirst;
    QTest::newRow("no groups: add skill") << none << int(Add) << int(SkillKind) << skillFirst;
    QTest::newRow("no groups: delete skill")
        << none << int(Delete) << int(SkillKind) << QStringList();
    QTest::newRow("no process: delete process")
        << emptyGroup << int(Delete) << int(ProcessKind) << QStringList();
    QTest::newRow("no process: add item/tool")
        << emptyGroup << int(Add) << int(ItemKind) << itemFirst;
    QTest::newRow("no process: edit item/tool")
        << emptyGroup << int(Edit) << int(ItemKind) << QStringList();
    QTest::newRow("no current row: delete item/tool")
        << noRow << int(Delete) << int(ItemKind) << QStringList();
    QTest::newRow("no current row: edit item/tool")
        << noRow << int(Edit) << int(ItemKind) << QStringList();
    QTest::newRow("no kind chosen") << noRow << int(Add) << -1 << QStringList();
}

void ActionsTest::actionsWithoutARecordChangeNothing()
{
    QFETCH(CraftingData, data);
    QFETCH(int, action);
    QFETCH(int, kind);
    QFETCH(QStringList, shown);
    Session s(data);
    AdminWindow &w = *s.window;
    const QStringList opened = modalsOpenedBy([&] {
        choose(w.ActionList, action);
        if (kind < 0)
            w.TypeList->setCurrentIndex(-1);
        else
            choose(w.TypeList, kind);
        QTest::mouseClick(w.ActionBtn, Qt::LeftButton);
    });
    QCOMPARE(opened, shown);
    QCOMPARE(w.data(), data);
}

void ActionsTest::addToAFullListIsRefused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("groups") << int(GroupKind)
                            << "The list of process groups is full: it holds 65535 groups, the "
                               "most the data file can store.";
    QTest::newRow("processes") << int(ProcessKind)
                               << "This process group is full: it holds 65535 processes, the "
                                  "most the data file can store.";
    QTest::newRow("requirements") << int(SkillKind)
                                  << "This process is full: it holds 65535 items/tools and "
                                     "skills, the most the data file can store.";
}

void ActionsTest::addToAFullListIsRefused()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    CraftingData data{group("Full", {proc("Ingot", 10, 1)})};
    // Copies: resize() may move the list before it copies the value.
    if (kind == GroupKind)
        data.resize(MaxListSize, ProcGroup(data[0]));
    else if (kind == ProcessKind)
        data[0].procs.resize(MaxListSize, Proc(data[0].procs[0]));
    else
        data[0].procs[0].reqs.resize(MaxListSize, skill("Smithing", "1"));
    Session s(data);
    AdminWindow &w = *s.window;
    const QStringList opened = modalsOpenedBy([&] { pressAction(w, Add, kind); });
    QCOMPARE(opened, QStringList{QStringLiteral("QMessageBox: ") + message});
    QCOMPARE(w.data(), data);
}

void ActionsTest::untouchedNullTextsStayNull_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("group") << int(GroupKind);
    QTest::newRow("process") << int(ProcessKind);
    QTest::newRow("item/tool") << int(ItemKind);
}

// The file tells a null text from an empty one; an edit that types nothing keeps it.
void ActionsTest::untouchedNullTextsStayNull()
{
    QFETCH(int, kind);
    const CraftingData data{ProcGroup{
        QString(), {Proc{QString(), 10, 1, {Req{QString(), QStringLiteral("1"), 0, 5}}}}}};
    Session s(data);
    AdminWindow &w = *s.window;
    if (kind == ItemKind)
        QVERIFY(clickRow(w, w.ItemsList, QString()));
    whenModalOpens([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Return); });
    pressAction(w, Edit, kind);
    QCOMPARE(w.data(), data);
}

void ActionsTest::unknownActionShowsTheErrorBox()
{
    Session s(forge());
    AdminWindow &w = *s.window;
    w.selectAction(3);
    QString text;
    whenModalOpens([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("SmeltworkAdmin"));
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        text = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::mouseClick(w.ActionBtn, Qt::LeftButton);
    QCOMPARE(text, QStringLiteral("An unknown error occured.\n"
                                  "Unable to determin type of action to perform."));
    QCOMPARE(w.data(), forge());
}

QTEST_MAIN(ActionsTest)
#include "tst_actions.moc"
