#pragma once

#include "data/smeltfile.h"

#include <QByteArray>

// The file as an indented text tree, one record a line and a help body one line of text a
// line, so that a diff of two dumps shows which records changed. A null string prints as
// null, an empty one as "". The text is UTF-8.
QByteArray dumpText(const SmeltFile &file);

// A string as the dump shows it: null, or quoted with C-style escapes for quotes,
// backslashes, line breaks and tabs, and \u{XXXX} for what a terminal or a diff would not
// show as it is.
QByteArray dumpQuoted(const QString &text);
