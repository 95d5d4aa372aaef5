// The Add, Delete and Edit actions of the administration window: the only changes to the
// crafting tree besides sorting. Every change is made in memory and the lists are refilled;
// the data file is written once, when the window has closed.

#include "adminwindow.h"

#include "procdialog.h"
#include "reqdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTreeWidget>
#include <algorithm>

namespace {

// Entries of ActionList and TypeList, by position.
enum Action { AddAction = 0, DeleteAction = 1, EditAction = 2 };
enum Kind { GroupKind = 0, ProcessKind = 1, ItemKind = 2, SkillKind = 3 };

// Requirement list columns: the row's name, and the hidden ones holding its position in
// the process's requirements (items/tools and skills keep it in different columns).
constexpr int NameColumn = 0;
constexpr int ItemPositionColumn = 3;
constexpr int SkillPositionColumn = 2;

// A QL that the records can hold: one byte, so the dialog's "highest" (300) becomes the
// highest storable QL rather than its low eight bits.
constexpr int HighestStoredQl = 255;

QString caption()
{
    return QStringLiteral("SmeltworkAdmin");
}

int integerOf(const QString &text)
{
    return text.toInt(nullptr, 10); // anything that is not a decimal integer reads as 0
}

// What the spin box shows is what the user accepted, so its text is read, not its value.
quint8 qlOf(const QSpinBox *spin)
{
    return quint8(std::clamp(integerOf(spin->text()), 0, HighestStoredQl));
}

// The id is a 32-bit number; the item database counts without a sign.
QString idText(qint32 id)
{
    return QStringLiteral("%1").arg(quint32(id));
}

// A line edit never hands back a null string. An edited field left empty keeps the value
// it was filled from, so a null name stays null in the file when nothing was typed.
QString editedText(const QString &typed, const QString &old)
{
    return typed.isEmpty() && old.isEmpty() ? old : typed;
}

QString multiplierOf(const SmeltworkReqDialog &dialog, const QString &typed)
{
    return dialog.FixedBox->isChecked() ? QStringLiteral("0") : typed;
}

void readQls(const SmeltworkProcDialog &dialog, Proc &proc)
{
    if (dialog.SpecialBox->isChecked()) {
        proc.minQL = qlOf(dialog.MinQlSpin);
        proc.maxQL = proc.minQL;
    } else {
        proc.maxQL = qlOf(dialog.MaxQlSpin);
        proc.minQL = qlOf(dialog.MinQlSpin);
    }
}

void warn(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, caption(), text, QMessageBox::Ok);
}

// True, after saying so, when a list already holds as many records as the file can count.
bool isFull(QWidget *parent, qsizetype size, const QString &message)
{
    if (size < MaxListSize)
        return false;
    warn(parent, message.arg(MaxListSize));
    return true;
}

// Skills have no item-database number.
void switchOffId(SmeltworkReqDialog &dialog)
{
    dialog.ZorvexEdit->setEnabled(false);
    dialog.ZorvexLabel->setEnabled(false);
}

bool confirmed(QWidget *parent, const QString &question)
{
    return QMessageBox::warning(parent, caption(), question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace

void SmeltworkAdminDialogBase::doAction()
{
    const int kind = TypeList->currentIndex();
    switch (currentAction) {
    case AddAction:
        switch (kind) {
        case GroupKind:
            addGroup();
            break;
        case ProcessKind:
            addProc();
            break;
        case ItemKind:
        case SkillKind:
            addReq(kind == SkillKind);
            break;
        }
        break;
    case DeleteAction:
        switch (kind) {
        case GroupKind:
            deleteGroup();
            break;
        case ProcessKind:
            deleteProc();
            break;
        case ItemKind:
        case SkillKind:
            deleteReq(kind == SkillKind);
            break;
        }
        break;
    case EditAction:
        switch (kind) {
        case GroupKind:
            editGroup();
            break;
        case ProcessKind:
            editProc();
            break;
        case ItemKind:
        case SkillKind:
            editReq(kind == SkillKind);
            break;
        }
        break;
    default:
        // A fault of the program, not of the user: reported as a fixed text.
        warn(this, QStringLiteral("An unknown error occured.\n"
                                  "Unable to determin type of action to perform."));
        break;
    }
}

void SmeltworkAdminDialogBase::addGroup()
{
    if (isFull(this, groups.size(),
               tr("The list of process groups is full: it holds %1 groups, the most the "
                  "data file can store.")))
        return;
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return;
    ProcGroup group;
    group.name = dialog.NameEdit->text();
    groups.append(group);
    fillGroupList();
}

void SmeltworkAdminDialogBase::deleteGroup()
{
    const int g = currentGroup();
    if (g < 0)
        return;
    const QString question =
        tr("Really delete process group \"%1\" and all of it's processes and items/tools/skills?")
            .arg(ProcGroupList->currentText());
    if (!confirmed(this, question))
        return;
    groups.removeAt(g);
    fillGroupList();
}

void SmeltworkAdminDialogBase::editGroup()
{
    const int g = currentGroup();
    if (g < 0)
        return;
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(groups.at(g).name);
    if (!dialog.exec())
        return;
    QString &name = groups[g].name;
    name = editedText(dialog.NameEdit->text(), name);
    fillGroupList();
}

void SmeltworkAdminDialogBase::addProc()
{
    const int g = currentGroup();
    if (g < 0) {
        warn(this, tr("There is no process group to add the process to.\n"
                      "Add a process group first."));
        return;
    }
    if (isFull(this, groups.at(g).procs.size(),
               tr("This process group is full: it holds %1 processes, the most the data "
                  "file can store.")))
        return;
    SmeltworkProcDialog dialog(ProcessKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return;
    Proc proc;
    proc.name = dialog.NameEdit->text();
    readQls(dialog, proc);
    groups[g].procs.append(proc);
    fillProcessList();
}

void SmeltworkAdminDialogBase::deleteProc()
{
    const int p = currentProc();
    if (p < 0)
        return;
    const int g = currentGroup();
    const QString question = tr("Really delete process \"%1\" and all of it's items/tools/skills?")
                                 .arg(ProcessList->currentText());
    if (!confirmed(this, question))
        return;
    groups[g].procs.removeAt(p);
    fillProcessList();
}

void SmeltworkAdminDialogBase::editProc()
{
    const int p = currentProc();
    if (p < 0)
        return;
    const int g = currentGroup();
    const Proc &shown = groups.at(g).procs.at(p);
    SmeltworkProcDialog dialog(ProcessKind, this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(shown.name);
    dialog.MaxQlSpin->setValue(shown.maxQL);
    dialog.MinQlSpin->setValue(shown.minQL);
    if (isSpecial(shown))
        dialog.setSpecial(true);
    if (!dialog.exec())
        return;
    Proc &proc = groups[g].procs[p];
    proc.name = editedText(dialog.NameEdit->text(), proc.name);
    readQls(dialog, proc);
    fillProcessList();
}

void SmeltworkAdminDialogBase::addReq(bool skill)
{
    const int p = currentProc();
    if (p < 0) {
        warn(this, skill ? tr("There is no process to add the skill to.\nAdd a process first.")
                         : tr("There is no process to add the item/tool to.\n"
                              "Add a process first."));
        return;
    }
    const int g = currentGroup();
    if (isFull(this, groups.at(g).procs.at(p).reqs.size(),
               tr("This process is full: it holds %1 items/tools and skills, the most the "
                  "data file can store.")))
        return;
    SmeltworkReqDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    if (skill)
        switchOffId(dialog);
    if (!dialog.exec())
        return;
    Req req;
    req.name = dialog.NameEdit->text();
    req.multiplier = multiplierOf(dialog, dialog.MultiEdit->text());
    req.type = skill ? 1 : 0;
    req.id = skill ? 0 : integerOf(dialog.ZorvexEdit->text());
    groups[g].procs[p].reqs.append(req);
    fillReqLists();
}

void SmeltworkAdminDialogBase::deleteReq(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return;
    const QTreeWidget *list = skill ? SkillsList : ItemsList;
    const QString name = list->currentItem()->text(NameColumn);
    const QString question = skill ? tr("Really delete skill \"%1\"?").arg(name)
                                   : tr("Really delete item/tool \"%1\"?").arg(name);
    if (!confirmed(this, question))
        return;
    groups[currentGroup()].procs[currentProc()].reqs.removeAt(k);
    fillReqLists();
}

void SmeltworkAdminDialogBase::editReq(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return;
    const int g = currentGroup();
    const int p = currentProc();
    Req req = groups.at(g).procs.at(p).reqs.at(k);

    SmeltworkReqDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(req.name);
    dialog.MultiEdit->setText(req.multiplier);
    if (isFixed(req))
        dialog.setFixed(true);
    if (skill) {
        switchOffId(dialog);
    } else {
        dialog.ZorvexEdit->setText(idText(req.id));
    }
    if (!dialog.exec())
        return;

    req.name = editedText(dialog.NameEdit->text(), req.name);
    req.multiplier = multiplierOf(dialog, editedText(dialog.MultiEdit->text(), req.multiplier));
    if (!skill)
        req.id = integerOf(dialog.ZorvexEdit->text());
    groups[g].procs[p].reqs[k] = req;
    fillReqLists();
}

int SmeltworkAdminDialogBase::currentReq(bool skill) const
{
    const int p = currentProc();
    if (p < 0)
        return -1;
    const QTreeWidget *list = skill ? SkillsList : ItemsList;
    const QTreeWidgetItem *row = list->currentItem();
    if (!row)
        return -1;
    const int k = integerOf(row->text(skill ? SkillPositionColumn : ItemPositionColumn));
    const qsizetype count = groups.at(currentGroup()).procs.at(p).reqs.size();
    return k >= 0 && k < count ? k : -1;
}
