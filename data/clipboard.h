#pragma once

// Copying a record as JSON text and pasting such text back. The text is the one export
// writes, so that a copied record reads well in an editor and an exported file pastes too.

#include "data/editing.h"

#include <QByteArray>
#include <QString>

class QDebug;

// The JSON text of the record at `path` (the deepest level given) with all it holds,
// indented as export writes it; empty when there is none.
QByteArray copyRecordJson(const CraftingData &data, const RecordPath &path);

// What a paste did.
struct [[nodiscard]] PasteResult
{
    EditResult result = EditResult::NotRecords;
    RecordPath first; // where the first record pasted stands
    int count = 0;    // how many records were pasted
    QString message;  // for NotRecords, what to tell the user
};
bool operator==(const PasteResult &a, const PasteResult &b);
inline bool operator!=(const PasteResult &a, const PasteResult &b)
{
    return !(a == b);
}
QDebug operator<<(QDebug dbg, const PasteResult &result);

// Pastes the records a JSON text holds (see readJsonRecords()) right after the current record
// of their level: requirements after `current`'s requirement in its process, processes after
// its process in its group, groups after its group; at the end of the list where none of it
// is current. NoRecord where their parent is missing, ListFull where the list cannot take
// them all, NotRecords for a text that holds none: nothing changes then.
PasteResult pasteJson(CraftingData &data, const RecordPath &current, const QByteArray &json);
