#pragma once

#include "smeltfile.h"

#include <QByteArray>
#include <QString>

// The JSON form of both files. It keeps everything the binary form holds: a null string is
// JSON null and an empty one "", numbers are JSON numbers (ids signed), and a string that
// is not well-formed UTF-16 (a lone surrogate) becomes {"utf16": [code units...]}, so that
// importing an export writes the same bytes again.
QByteArray exportJson(const SmeltFile &file);

// Reads what exportJson() writes. On failure `error` names the JSON path of the offending
// value ("$.groups[2].procs[0].maxQL: ...") or the line and column of a syntax error, and
// `file` is left as it was.
bool importJson(const QByteArray &json, SmeltFile &file, QString &error);

// Single values in the same form, each on one line: a string (null for a null string),
// and whole records as export writes them, less the line breaks and indentation.
QByteArray jsonString(const QString &text);
QByteArray jsonRecord(const Req &r);
QByteArray jsonRecord(const Proc &p);
QByteArray jsonRecord(const ProcGroup &g);
QByteArray jsonRecord(const HelpTopic &t);

// The "format" value of each file's JSON.
extern const char CraftingJsonFormat[];
extern const char HelpJsonFormat[];
