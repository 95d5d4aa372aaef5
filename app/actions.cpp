// The Add, Delete and Edit actions, the two sorts and what undo and redo show in the
// administration window: the only changes to the crafting tree. Each action reads its dialog, hands
// the rule of the data library to the document and refills the lists; the data file is written
// once, when the window has closed.

#include "app/adminwindow.h"

#include "app/reqrow.h"
#include "data/editing.h"
#include "data/trace.h"
#include "dialogs/dialogkit.h"
#include "dialogs/messagebox.h"
#include "dialogs/procdialog.h"
#include "dialogs/reqdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>
#include <algorithm>

namespace {

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
    if (currentAction >= 0 && currentAction < ActionCount && kind >= 0 && kind < KindCount) {
        act(currentAction, kind);
        return;
    }
    // A fault of the program, not of the user: reported as a fixed text.
    SmeltworkMessageBox::warning(this, QStringLiteral("An unknown error occured.\n"
                                                      "Unable to determin type of action to "
                                                      "perform."));
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::act(int action, int kind)
{
    using Self = SmeltworkAdminDialogBase;
    using Run = Touched (*)(Self &);
    static const Run actions[ActionCount][KindCount] = {
        {[](Self &w) { return w.addGroup(); }, [](Self &w) { return w.addProc(); },
         [](Self &w) { return w.addReq(false); }, [](Self &w) { return w.addReq(true); }},
        {[](Self &w) { return w.deleteGroup(); }, [](Self &w) { return w.deleteProc(); },
         [](Self &w) { return w.deleteReq(false); }, [](Self &w) { return w.deleteReq(true); }},
        {[](Self &w) { return w.editGroupAction(); }, [](Self &w) { return w.editProcAction(); },
         [](Self &w) { return w.editReqAction(false); },
         [](Self &w) { return w.editReqAction(true); }},
    };
    return actions[action][kind](*this);
}

void SmeltworkAdminDialogBase::actDirectly(int action, int kind)
{
    showAsAction(action, kind);
    auto *list = kind >= ItemKind ? static_cast<QTreeWidget *>(listOf(kind)) : nullptr;
    const int row = list ? list->indexOfTopLevelItem(list->currentItem()) : -1;
    const Touched touched = act(action, kind);
    if (!touched)
        return;
    // The refill of the action showed the first entry; the user goes on where they were. A
    // requirement deleted leaves its place on screen to the row after it, of the same kind.
    if (list && action == DeleteAction)
        list->setCurrentItem(list->topLevelItem(std::min(row, list->topLevelItemCount() - 1)));
    else
        showRecord(*touched);
    listOf(kind)->setFocus();
}

void SmeltworkAdminDialogBase::showAsAction(int action, int kind)
{
    // The action box agrees with the last action, whichever way it was asked for.
    ActionList->setCurrentIndex(action);
    selectAction(action);
    TypeList->setCurrentIndex(kind);
}

bool SmeltworkAdminDialogBase::refusedAsFull(qsizetype size, const RecordPath &place)
{
    if (roomFor(size) == EditResult::Done)
        return false;
    const int most = int(MaxListSize);
    SmeltworkMessageBox::warning(
        this, place.req >= 0 ? tr("This process is full: it holds %n item(s)/tool(s) and "
                                  "skill(s), the most the data file can store.",
                                  nullptr, most)
              : place.proc >= 0
                  ? tr("This process group is full: it holds %n process(es), the most the data "
                       "file can store.",
                       nullptr, most)
                  : tr("The list of process groups is full: it holds %n group(s), the most the "
                       "data file can store.",
                       nullptr, most));
    return true;
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::addGroup()
{
    const RecordPath place{int(groups.size())};
    if (refusedAsFull(groups.size(), place))
        return {};
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return {};
    const ProcGroup group = newGroup(dialog.NameEdit->text());
    const bool added = apply(place, [&group](CraftingData &d) { return appendGroup(d, group); });
    fillGroupList();
    return added ? Touched(place) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::deleteGroup()
{
    const int g = currentGroup();
    if (g < 0)
        return {};
    const QString question =
        tr("Really delete process group \"%1\" and all of it's processes and items/tools/skills?")
            .arg(ProcGroupList->currentText());
    if (!confirmed(this, question))
        return {};
    const bool removed = apply({g}, [g](CraftingData &d) { return removeRecord(d, {g}); });
    fillGroupList();
    return removed ? Touched({g}) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::editGroupAction()
{
    const int g = currentGroup();
    if (g < 0)
        return {};
    SmeltworkProcDialog dialog(GroupKind, this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(groups.at(g).name);
    if (!dialog.exec())
        return {};
    const QString name = dialog.NameEdit->text();
    m_document.edit({g}, [g, &name](CraftingData &d) { editGroup(d[g], name); });
    fillGroupList();
    return RecordPath{g};
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::addProc()
{
    const int g = currentGroup();
    if (g < 0) {
        SmeltworkMessageBox::warning(this, tr("There is no process group to add the process to.\n"
                                              "Add a process group first."));
        return {};
    }
    const RecordPath place{g, int(groups.at(g).procs.size())};
    if (refusedAsFull(groups.at(g).procs.size(), place))
        return {};
    SmeltworkProcDialog dialog(ProcessKind, this, nullptr, true, smeltworkWindowFlags());
    if (!dialog.exec())
        return {};
    const Proc proc = newProc(fieldsOf(dialog));
    const bool added = apply(place, [g, &proc](CraftingData &d) { return appendProc(d, g, proc); });
    fillProcessList();
    return added ? Touched(place) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::deleteProc()
{
    const int p = currentProc();
    if (p < 0)
        return {};
    const QString question = tr("Really delete process \"%1\" and all of it's items/tools/skills?")
                                 .arg(ProcessList->currentText());
    if (!confirmed(this, question))
        return {};
    const RecordPath path{currentGroup(), p};
    const bool removed = apply(path, [path](CraftingData &d) { return removeRecord(d, path); });
    fillProcessList();
    return removed ? Touched(path) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::editProcAction()
{
    const int p = currentProc();
    if (p < 0)
        return {};
    const int g = currentGroup();
    const Proc &shown = groups.at(g).procs.at(p);
    SmeltworkProcDialog dialog(ProcessKind, this, nullptr, true, smeltworkWindowFlags());
    dialog.NameEdit->setText(shown.name);
    dialog.MaxQlSpin->setValue(shown.maxQL);
    dialog.MinQlSpin->setValue(shown.minQL);
    if (isSpecial(shown))
        dialog.setSpecial(true);
    if (!dialog.exec())
        return {};
    const ProcFields fields = fieldsOf(dialog);
    m_document.edit({g, p}, [g, p, &fields](CraftingData &d) { editProc(d[g].procs[p], fields); });
    fillProcessList();
    return RecordPath{g, p};
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::addReq(bool skill)
{
    const int p = currentProc();
    if (p < 0) {
        SmeltworkMessageBox::warning(
            this, skill ? tr("There is no process to add the skill to.\nAdd a process first.")
                        : tr("There is no process to add the item/tool to.\n"
                             "Add a process first."));
        return {};
    }
    const int g = currentGroup();
    const qsizetype size = groups.at(g).procs.at(p).reqs.size();
    const RecordPath place{g, p, int(size)};
    if (refusedAsFull(size, place))
        return {};
    SmeltworkReqDialog dialog(this, nullptr, true, smeltworkWindowFlags());
    if (skill)
        switchOffId(dialog);
    if (!dialog.exec())
        return {};
    const Req req = newReq(fieldsOf(dialog), skill);
    const bool added =
        apply(place, [g, p, &req](CraftingData &d) { return appendReq(d, g, p, req); });
    fillReqLists();
    return added ? Touched(place) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::deleteReq(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return {};
    const QString name = (skill ? SkillsList : ItemsList)->currentItem()->text(NameColumn);
    const QString question = skill ? tr("Really delete skill \"%1\"?").arg(name)
                                   : tr("Really delete item/tool \"%1\"?").arg(name);
    if (!confirmed(this, question))
        return {};
    const RecordPath path{currentGroup(), currentProc(), k};
    const bool removed = apply(path, [path](CraftingData &d) { return removeRecord(d, path); });
    fillReqLists();
    return removed ? Touched(path) : Touched();
}

SmeltworkAdminDialogBase::Touched SmeltworkAdminDialogBase::editReqAction(bool skill)
{
    const int k = currentReq(skill);
    if (k < 0)
        return {};
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
        return {};
    const ReqFields fields = fieldsOf(dialog);
    // An item renumbered in the game is renumbered everywhere at once, when the user wants.
    const Req old = shown;
    Req edited = old;
    editReq(edited, fields);
    const int others = edited.type == 0 && edited.id != old.id
                           ? countItemsWithId(groups, old.name, old.id, {g, p, k})
                           : 0;
    const bool everywhere =
        others > 0 &&
        SmeltworkMessageBox::question(
            this,
            tr("Change the id of all %n item/tool(s) named \"%1\" from %2 to %3?", nullptr,
               others + 1)
                .arg(old.name, idText(old.id), idText(edited.id)),
            SmeltworkMessageBox::Buttons(SmeltworkMessageBox::Yes) | SmeltworkMessageBox::No,
            SmeltworkMessageBox::No) == SmeltworkMessageBox::Yes;
    m_document.edit({g, p, k}, [&](CraftingData &d) {
        if (everywhere)
            changeItemIds(d, old.name, old.id, edited.id);
        editReq(d[g].procs[p].reqs[k], fields);
    });
    fillReqLists();
    return RecordPath{g, p, k};
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
    m_document.edit({}, sortGroups);
    fillGroupList();
    traceLine("Sorting Complete!");
}

void SmeltworkAdminDialogBase::sortProcList()
{
    const int g = currentGroup();
    if (g < 0)
        return; // no group, nothing to sort
    apply({g}, [g](CraftingData &d) { return sortProcs(d, g); });
    fillProcessList();
    traceLine("Sorting Complete!");
}

// After an undo or a redo the group and process the change touched are current again.
void SmeltworkAdminDialogBase::showChange(const std::optional<RecordPath> &place)
{
    if (!place)
        return;
    fillGroupNames();
    showRecord(*place);
}
