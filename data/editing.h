#pragma once

// The editing rules of both windows, without any widget: how the values a user left in a
// dialog become a record, where records are added and removed, how lists are sorted and how
// help topics hang in their tree. The windows read their dialogs, call these and refill.

#include "data/helpfile.h"
#include "data/records.h"
#include "data/textpool.h"

#include <QList>
#include <QString>

// What the process dialog holds when it is accepted: the texts its fields show.
struct ProcFields
{
    QString name;
    QString maxQl; // the spin boxes' texts, which are what the user accepted
    QString minQl;
    bool special = false;
};

// What the requirement dialog holds when it is accepted.
struct ReqFields
{
    QString name;
    QString multiplier;
    bool fixed = false;
    QString id; // the ID field's text; only items/tools take it
};

// A QL typed as text: a decimal integer, anything else 0; kept within the byte a record
// has for it, so the dialog's highest QL (300) is stored as the highest storable one.
quint8 qlOfText(const QString &text);

// The item-database id as the ID field shows it: its 32 bits as an unsigned number.
QString idText(qint32 id);
// The id a typed text stands for: a decimal integer; one from 2,147,483,648 to
// 4,294,967,295 is the 32-bit value idText() shows that way; anything else is 0.
qint32 idOfText(const QString &text);

// The order of requirement rows on screen: by name, as the user's language sorts.
bool reqNameBefore(const QString &a, const QString &b);

// Records made from a dialog's values. A new record's name is the typed text, never null.
ProcGroup newGroup(const QString &name);
Proc newProc(const ProcFields &fields);
// A skill takes no id from the dialog: it has none.
Req newReq(const ReqFields &fields, bool skill);

// Records changed by an accepted Edit. A field the user left empty keeps a null text null,
// so opening and accepting a record never changes the file. A requirement's type stays,
// and only an item/tool (type 0) takes the id.
void editGroup(ProcGroup &group, const QString &name);
void editProc(Proc &proc, const ProcFields &fields);
void editReq(Req &req, const ReqFields &fields);

// Where a record stands: its group, process and requirement positions; -1 below its level.
struct RecordPath
{
    int group = -1;
    int proc = -1;
    int req = -1;
};
bool operator==(const RecordPath &a, const RecordPath &b);

// Makes every name and multiplier that a change wrote into `data` (the tree `before` it, whose
// lists `data` shares where the change did not write) the pool's string for its text, so that
// added, pasted and renamed records share their texts with the rest of the tree as a loaded
// tree does. Only the lists the change wrote are looked through.
void shareNewTexts(CraftingData &data, const CraftingData &before, TextPool &texts);

// The record at a position, or null when there is none.
ProcGroup *groupAt(CraftingData &data, int g);
Proc *procAt(CraftingData &data, int g, int p);
Req *reqAt(CraftingData &data, int g, int p, int k);

enum class [[nodiscard]] EditResult{
    Done,
    NoRecord,   // nothing at the position, or no parent to add to
    ListFull,   // the list already holds as many records as the file can count
    NotRecords, // a pasted text holds no Smeltwork records
};

// Whether a record can be added to a list of `size` records.
EditResult roomFor(qsizetype size);
// Appends at the end of a list, as every Add does.
EditResult appendGroup(CraftingData &data, const ProcGroup &group);
EditResult appendProc(CraftingData &data, int g, const Proc &proc);
EditResult appendReq(CraftingData &data, int g, int p, const Req &req);
// Removes the record at `path` (the deepest level given) with everything it holds.
EditResult removeRecord(CraftingData &data, const RecordPath &path);
// Inserts `records` in order, the first at `at` (the deepest level given; the list's size
// appends them): groups at at.group, processes into group at.group at at.proc, requirements
// into process at.proc at at.req. NoRecord when `at` lies outside its list or has no parent;
// ListFull, changing nothing, when the list cannot take them all.
EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<ProcGroup> &records);
EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<Proc> &records);
EditResult insertRecords(CraftingData &data, const RecordPath &at, const QList<Req> &records);
// Puts a copy of the record at `path` (the deepest level given), with all it holds, right
// after it.
EditResult duplicateRecord(CraftingData &data, const RecordPath &path);

// Replace everywhere: `text` becomes `replacement` in every group, process and requirement
// name that contains it, whatever its case, or with `wholeName` in the names equal to it but
// for case (which the replacement then replaces whole). Returns how many names changed. Only
// the lists on the way to a changed name are copied: every other list stays shared with the
// tree's earlier copies, an undo step among them.
[[nodiscard]] int replaceInNames(CraftingData &data, const QString &text,
                                 const QString &replacement, bool wholeName);
// How many items/tools (type 0) named `name` carry `id`, the one at `except` not counted:
// those that an edit of that one's id may change as well.
[[nodiscard]] int countItemsWithId(const CraftingData &data, const QString &name, qint32 id,
                                   const RecordPath &except = {});
// Gives every item/tool (type 0) named `name` that carries `oldId` the id `newId`; returns
// how many changed. Untouched lists stay shared, as above.
int changeItemIds(CraftingData &data, const QString &name, qint32 oldId, qint32 newId);

// Put the groups, or the processes of group `g`, in ascending order of their names by
// QString::compare (capitals first), keeping records of equal names in their order, and
// print the sort trace from the header line to "List sorted, saving...".
void sortGroups(CraftingData &data);
EditResult sortProcs(CraftingData &data, int g);

// What the topic dialog holds when it is accepted.
struct TopicFields
{
    QString id;
    QString header;
};

// A new topic: the typed texts, never null. An Edit keeps a null field null when the user
// left it empty, as the crafting records do.
HelpTopic newTopic(const TopicFields &fields);
void editTopic(HelpTopic &topic, const TopicFields &fields);
// Appends a topic, refused when the file could not count one more.
EditResult appendTopic(HelpTopics &topics, const HelpTopic &topic);

// A body as the body editor shows it: every line end (CR LF, CR, LF, and the paragraph and
// frame separators of Qt's text documents) as one LF.
QString bodyAsShown(const QString &body);
// The body after the editor handed back `edited`, having been given `body`. What the user
// did not touch stays as the file held it, line ends and all: the text before and after the
// changed stretch is taken from `body`, and line breaks typed there take the body's own line
// end. Text handed back as it was shown gives `body` itself.
QString editedBody(const QString &body, const QString &edited);

// The help tree: for each topic, the index of the topic it hangs below, or -1 for the top
// level. A topic whose id has a positive fraction hangs below the nearest top-level topic
// before it in the list; before the first one it stands at the top. Prints one "IDTest"
// line per topic when `traced`.
QList<int> topicParents(const HelpTopics &topics, bool traced = true);
