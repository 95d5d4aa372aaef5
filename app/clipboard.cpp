// Duplicate, cut, copy and paste of the administration window: whole records with all they
// hold, on the clipboard as the JSON text that `smeltwork-tool export` writes, so that a
// record goes to a text editor and back, or from an exported file into the window.

#include "app/adminwindow.h"

#include "app/reqrow.h"
#include "data/clipboard.h"
#include "data/find.h"
#include "dialogs/messagebox.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMimeData>
#include <QTreeWidget>

namespace {

// Beside the text, so that a paste within the program does not depend on what a text editor
// made of it.
const QString RecordsType = QStringLiteral("application/x-smeltwork-records+json");

int &deepest(RecordPath &path)
{
    return path.req >= 0 ? path.req : path.proc >= 0 ? path.proc : path.group;
}

bool isRecord(RecordPath path)
{
    return deepest(path) >= 0;
}

} // namespace

RecordPath SmeltworkAdminDialogBase::currentOf(int kind) const
{
    const int g = currentGroup(), p = currentProc();
    switch (kind) {
    case GroupKind:
        return {g};
    case ProcessKind:
        return {g, g < 0 ? -1 : p};
    default:
        return {g, p, p < 0 ? -1 : currentReq(kind == SkillKind)};
    }
}

void SmeltworkAdminDialogBase::showEdited(const RecordPath &path)
{
    fillGroupNames();
    showRecord(path);
    const RecordsAt at = recordsAt(groups, path);
    const int kind = at.req    ? (at.req->type == 0 ? ItemKind : SkillKind)
                     : at.proc ? ProcessKind
                               : GroupKind;
    showAsAction(AddAction, kind); // a record more, as an Add makes one
    listOf(kind)->setFocus();
}

void SmeltworkAdminDialogBase::duplicate(int kind)
{
    const RecordPath path = currentOf(kind);
    if (!isRecord(path))
        return;
    RecordPath copy = path;
    ++deepest(copy);
    if (apply(copy, [path](CraftingData &d) { return duplicateRecord(d, path); }))
        showEdited(copy);
}

void SmeltworkAdminDialogBase::copy(int kind)
{
    const QByteArray json = copyRecordJson(groups, currentOf(kind));
    if (json.isEmpty())
        return;
    auto *mime = new QMimeData;
    mime->setText(QString::fromUtf8(json));
    mime->setData(RecordsType, json);
    QGuiApplication::clipboard()->setMimeData(mime);
}

void SmeltworkAdminDialogBase::cut(int kind)
{
    const RecordPath path = currentOf(kind);
    if (!isRecord(path))
        return;
    copy(kind);
    auto *list = qobject_cast<QTreeWidget *>(listOf(kind));
    const int row = list ? list->indexOfTopLevelItem(list->currentItem()) : -1;
    // What goes is on the clipboard, and one Ctrl+Z away: no question.
    apply(path, [path](CraftingData &d) { return removeRecord(d, path); });
    fillGroupNames();
    showRecord(list ? RecordPath{path.group, path.proc} : path);
    // The row after it takes its place on screen, as after a Delete.
    if (list)
        list->setCurrentItem(list->topLevelItem(std::min(row, list->topLevelItemCount() - 1)));
    showAsAction(DeleteAction, kind);
    listOf(kind)->setFocus();
}

void SmeltworkAdminDialogBase::paste(int kind)
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    const QByteArray json = !mime                          ? QByteArray()
                            : mime->hasFormat(RecordsType) ? mime->data(RecordsType)
                                                           : mime->text().toUtf8();
    // Where the records land is known once they are read: the paste is tried on a copy of
    // the tree, which shares every list it leaves alone, and that copy is the change.
    const RecordPath current{currentGroup(), currentProc(), currentOf(kind).req};
    CraftingData pasted = groups;
    const PasteResult result = pasteJson(pasted, current, json);
    switch (result.result) {
    case EditResult::Done:
        m_document.edit(result.first, [&pasted](CraftingData &d) { d = pasted; });
        showEdited(result.first);
        break;
    case EditResult::ListFull:
        refusedAsFull(MaxListSize, result.first);
        break;
    case EditResult::NoRecord:
        SmeltworkMessageBox::warning(this, tr("There is no process group or process to paste "
                                              "these records into.\nAdd one first."));
        break;
    case EditResult::NotRecords:
        SmeltworkMessageBox::warning(this, tr("The clipboard holds no Smeltwork records"));
        break;
    }
}
