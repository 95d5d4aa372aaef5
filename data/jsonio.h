#pragma once

#include "data/smeltfile.h"

#include <QByteArray>
#include <QString>

class QDebug;

// The JSON form of both files. It keeps everything the binary form holds: a null string is
// JSON null and an empty one "", numbers are JSON numbers (ids signed), and a string that
// is not well-formed UTF-16 (a lone surrogate) becomes {"utf16": [code units...]}, so that
// importing an export writes the same bytes again.
QByteArray exportJson(const SmeltFile &file);

// Reads what exportJson() writes. On failure `error` names the JSON path of the offending
// value ("$.groups[2].procs[0].maxQL: ...") or the line and column of a syntax error, and
// `file` is left as it was. A key that repeats in an object is refused: JSON readers
// disagree on which of the two counts.
bool importJson(const QByteArray &json, SmeltFile &file, QString &error);

// The records a pasted JSON text holds, all of one level: those of the deepest level filled.
struct JsonRecords
{
    QList<ProcGroup> groups;
    QList<Proc> procs;
    QList<Req> reqs;
};
bool operator==(const JsonRecords &a, const JsonRecords &b);
QDebug operator<<(QDebug dbg, const JsonRecords &records);
// Reads a group, process or requirement as export writes it, a list of such records, or a
// whole exported data file (its groups), with or without its "format". False when the text
// holds none of these; `error` then says what is wrong with one that looks like them, such
// as "$[1].maxQL: 300 is out of range (0 to 255)", or is empty.
bool readJsonRecords(const QByteArray &json, JsonRecords &records, QString &error);

// A record with all it holds as export writes it (indented, a requirement on one line), as
// a document of its own: what a copy puts on the clipboard.
QByteArray jsonDocument(const Req &r);
QByteArray jsonDocument(const Proc &p);
QByteArray jsonDocument(const ProcGroup &g);

// Single values in the same form, each on one line: a string (null for a null string),
// and whole records as export writes them, less the line breaks and indentation.
QByteArray jsonString(const QString &text);
QByteArray jsonRecord(const Req &r);
QByteArray jsonRecord(const Proc &p);
QByteArray jsonRecord(const ProcGroup &g);
QByteArray jsonRecord(const HelpTopic &t);

// Writes the indented JSON of export and of the merge's conflicts file: each member and
// each list element on a line of its own, four blanks deeper than its container, and an
// empty container as {} or [].
class JsonWriter
{
public:
    // Opens an object ('{') or a list ('['), as the value of `key` in an object or, without
    // a key, as an element of a list or the document itself.
    void open(char bracket, const char *key = nullptr);
    // A value already in JSON form, written as it is.
    void value(const char *key, const QByteArray &json);
    void close();
    // The document, with whatever is still open closed and a line break at the end.
    QByteArray finish();

private:
    void startItem(const char *key);

    QByteArray m_text;
    QByteArray m_closers; // one for each container open, innermost last
    bool m_empty = true;  // the innermost container holds nothing yet
};
