#pragma once

#include <QByteArray>
#include <QString>

// The trace prints names as Latin-1 text. Qt reads a "%s" argument as UTF-8, so the
// Latin-1 form is handed over re-encoded: "Stählerne Äxte" stays readable, and a
// character outside Latin-1 prints as "?".
QByteArray traceText(const QString &text);

// Building trace lines for a million records costs more than loading them; callers
// skip the formatting when debug output is switched off.
bool traceEnabled();
