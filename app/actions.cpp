// The Add, Delete and Edit actions, the two sorts, undo and redo of the administration
// window: the only changes to the crafting tree. Each action reads its dialog, applies the
// rule of the data library, refills the lists and hands the tree it started from to the
// history; the data file is written once, when the window has closed.

#include "app/adminwindow.h"

#include "app/reqrow.h"
#include "data/editing.h"
#include "data/trace.h"
#include "dialogs/messagebox.h"
#include "dialogs/procdialog.h"
#include "dialogs/reqdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

// Entries of ActionList and TypeList, by position.
enum Action { AddAction = 0, DeleteAction = 1, EditAction = 2 };
enum Kind { GroupKind = 0, ProcessKind = 1, ItemKind = 2, SkillKind = 3 };

ProcFields fieldsOf(const SmeltworkProcDialog &dialog)
{
    return {dialog.NameEdit->text(), dialog.MaxQlSpin->text(), dialog.MinQlSpin->text(),
            dialog.SpecialBox->isChecked()};
}

ReqFields fieldsOf(const SmeltworkReqDialog &dialog)
{
    return {dialog.NameEdit->text(), dialog.MultiEdit->text(), dialog.FixedBox->isChecked(),
            dialog.ZorvexEdit->text()};
}

// Skills have no item-database number.
void switchOffId(SmeltworkReqDialog &dialog)
{
    dialog.ZorvexEdit->setEnabled(false);
    dialog.ZorvexLabel->setEnabled(false);
}

bool confirmed(QWidget *parent, const QString &question)
{
    return SmeltworkMessageBox::warning(parent, question,
                                        SmeltworkMessageBox::Yes | SmeltworkMessageBox::No) ==
           SmeltworkMessageBox::Yes;
}

} // namespace

void SmeltworkAdminDialogBase::doAction()
{
    const int kind = TypeList->currentIndex();
    const bool skill = kind == SkillKind;
    switch (currentAction) {
    case AddAction:
        switch (kind) {
        case GroupKind:
            return addGroup();
        case ProcessKind:
            return addProc();
        case ItemKind:
        case SkillKind:
            return addReq(skill);
        }
        break;
    case DeleteAction:
        switch (kind) {
        case GroupKind:
            return deleteGroup();
        case ProcessKind:
            return deleteProc();
        case ItemKind:
        case SkillKind:
            return deleteReq(skill);
        }
        break;
    case EditAction:
        switch (kind) {
        case GroupKind:
            return editGroupAction();
        case ProcessKind:
            return editProcAction();
        case ItemKind:
        case SkillKind:
            return editReqAction(skill);
        }
        break;
    default:
        // A fault of the program, not of the user: reported as a fixed text.
        SmeltworkMessageBox::warning(this, QStringLiteral("An unknown error occured.\n"
                                                          "Unable to determin type of action to "
                                                          "perform."));
        break;
    }
}

// Says why nothing can be added to a list of `size` records, when it is full.
bool SmeltworkAdminDialogBase::refusedAsFull(qsizetype size, const QString &message)
{
    if (roomFor(size) == EditResult::Done)
        return false;
    SmeltworkMessageBox::warning(this, message);
    return true;
}

void SmeltworkAdminDialogBase::addGroup()
{
    if (refusedAsFull(groups.size(), tr("The list of process groups is full: it holds %n group(s), "
                                        "the most the data file can store.",
                                        nullptr, int(MaxListSize))))
        return;
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return;
    const CraftingData before = groups;
    appendGroup(groups, newGroup(dialog.NameEdit->text()));
    fillGroupList();
    recordChange(before, {int(before.size())});
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
    const CraftingData before = groups;
    removeRecord(groups, {g});
    fillGroupList();
    recordChange(before, {g});
}

void SmeltworkAdminDialogBase::editGroupAction()
{
    const int g = currentGroup();
    if (g < 0)
        return;
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(groups.at(g).name);
    if (!dialog.exec())
        return;
    const CraftingData before = groups;
    editGroup(groups[g], dialog.NameEdit->text());
    fillGroupList();
    recordChange(before, {g});
}

void SmeltworkAdminDialogBase::addProc()
{
    const int g = currentGroup();
    if (g < 0) {
        SmeltworkMessageBox::warning(this, tr("There is no process group to add the process to.\n"
                                              "Add a process group first."));
        return;
    }
    if (refusedAsFull(groups.at(g).procs.size(),
                      tr("This process group is full: it holds %n process(es), the most the data "
                         "file can store.",
                         nullptr, int(MaxListSize))))
        return;
    SmeltworkProcDialog dialog(ProcessKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return;
    const CraftingData before = groups;
    appendProc(groups, g, newProc(fieldsOf(dialog)));
    fillProcessList();
    recordChange(before, {g, int(before.at(g).procs.size())});
}

void SmeltworkAdminDialogBase::deleteProc()
{
    const int p = currentProc();
    if (p < 0)
        return;
    const QString question = tr("Really delete process \"%1\" and all of it's items/tools/skills?")
                                 .arg(ProcessList->currentText());
    if (!confirmed(this, question))
        return;
    const CraftingData before = groups;
    const RecordPath path{currentGroup(), p};
    removeRecord(groups, path);
    fillProcessList();
    recordChange(before, path);
}

void SmeltworkAdminDialogBase::editProcAction()
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
    const CraftingData before = groups;
    editProc(groups[g].procs[p], fieldsOf(dialog));
    fillProcessList();
    recordChange(before, {g, p});
}

void SmeltworkAdminDialogBase::addReq(bool skill)
{
    const int p = currentProc();
    if (p < 0) {
        SmeltworkMessageBox::warning(
            this, skill ? tr("There is no process to add the skill to.\nAdd a process first.")
                        : tr("There is no process to add the item/tool to.\n"
                             "Add a process first."));
        return;
    }
    const int g = currentGroup();
    if (refusedAsFull(
            groups.at(g).procs.at(p).reqs.size(),
            tr("This process is full: it holds %n item(s)/tool(s) and skill(s), the most the "
               "data file can store.",
               nullptr, int(MaxListSize))))
        return;
    SmeltworkReqDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    if (skill)
        switchOffId(dialog);
    if (!dialog.exec())
        return;
    const CraftingData before = groups;
    appendReq(groups, g, p, newReq(fieldsOf(dialog), skill));
    fillReqLists();
    recordChange(before, {g, p, int(before.at(g).procs.at(p).reqs.size())});
}

void SmeltworkAdminDialogBase::deleteReq(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return;
    const QString name = (skill ? SkillsList : ItemsList)->currentItem()->text(NameColumn);
    const QString question = skill ? tr("Really delete skill \"%1\"?").arg(name)
                                   : tr("Really delete item/tool \"%1\"?").arg(name);
    if (!confirmed(this, question))
        return;
    const CraftingData before = groups;
    const RecordPath path{currentGroup(), currentProc(), k};
    removeRecord(groups, path);
    fillReqLists();
    recordChange(before, path);
}

void SmeltworkAdminDialogBase::editReqAction(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return;
    const int g = currentGroup();
    const int p = currentProc();
    const Req &shown = groups.at(g).procs.at(p).reqs.at(k);

    SmeltworkReqDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(shown.name);
    dialog.MultiEdit->setText(shown.multiplier);
    if (isFixed(shown))
        dialog.setFixed(true);
    if (skill)
        switchOffId(dialog);
    else
        dialog.ZorvexEdit->setText(idText(shown.id));
    if (!dialog.exec())
        return;
    const CraftingData before = groups;
    editReq(groups[g].procs[p].reqs[k], fieldsOf(dialog));
    fillReqLists();
    recordChange(before, {g, p, k});
}

int SmeltworkAdminDialogBase::currentReq(bool skill) const
{
    const int p = currentProc();
    if (p < 0)
        return -1;
    const int k = reqPosition((skill ? SkillsList : ItemsList)->currentItem());
    return k < groups.at(currentGroup()).procs.at(p).reqs.size() ? k : -1;
}

void SmeltworkAdminDialogBase::sortProcGrpList()
{
    const CraftingData before = groups;
    sortGroups(groups);
    fillGroupList();
    recordChange(before, {});
    traceLine("Sorting Complete!");
}

void SmeltworkAdminDialogBase::sortProcList()
{
    const CraftingData before = groups;
    const int g = currentGroup();
    if (sortProcs(groups, g) != EditResult::Done)
        return; // no group, nothing to sort
    fillProcessList();
    recordChange(before, {g});
    traceLine("Sorting Complete!");
}

void SmeltworkAdminDialogBase::recordChange(const CraftingData &before, const RecordPath &touched)
{
    // An Edit accepted as it was, or a sort of a sorted list, is no step to undo. Lists the
    // change did not touch are still shared, and QList compares those by pointer.
    if (groups == before)
        return;
    m_history.record(before, touched);
    changed(touched);
}

void SmeltworkAdminDialogBase::undo()
{
    restore(m_history.undo(groups));
}

void SmeltworkAdminDialogBase::redo()
{
    restore(m_history.redo(groups));
}

void SmeltworkAdminDialogBase::restore(const std::optional<CraftingHistory::Step> &step)
{
    if (!step)
        return;
    groups = step->tree;
    fillGroupNames();
    showRecord(step->touched);
    changed(step->touched);
}

void SmeltworkAdminDialogBase::changed(const RecordPath &touched)
{
    m_file.changed(groups);
    emit treeChanged(touched);
}
