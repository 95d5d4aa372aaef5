#!/usr/bin/env bash
# Lists the texts that hold a count (tr() with %n) in resources/translations/smeltwork_en.ts
# and spells out their English singular and plural forms. Run after changing such a text.
set -euo pipefail
cd "$(dirname "$0")/.."
ts=resources/translations/smeltwork_en.ts
/usr/lib/qt6/bin/lupdate -silent -I . -pluralonly -locations none -no-obsolete \
    app data dialogs help tool -ts "$ts"
python3 resources/tools/english_plurals.py "$ts"
