#pragma once

#include "tool/smeltfile.h"

#include <QStringList>

// What is legal in a file but most likely a mistake, one line each, in file order, every
// line beginning with the JSON path (as `export` writes it) of the record or field:
// "$.groups[0].procs[2]: minimum QL 200 is above maximum QL 100".
QStringList checkFile(const SmeltFile &file);

// The tag problems of one help body: tags opened and never closed, closing tags that
// close nothing, and tags closed across another one. Positions are line:column in the body.
QStringList bodyTagProblems(const QString &body);
