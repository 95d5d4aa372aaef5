#pragma once

// What both windows say about their file: what its load found, a recovery copy left by a
// session that ended without saving, a recovery copy that cannot be written, and a save that
// failed. All through the program's message-box seam.

#include "data/document.h"

#include <QCoreApplication>
#include <functional>

class QWidget;

class SmeltworkFileBoxes
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkFileBoxes)

public:
    // The window's own texts for a foreign and a damaged file (what was recovered).
    struct Texts
    {
        QString badMagic;
        QString damaged;
    };

    // Says what the load of `document` found when it was anything but a whole file or a
    // missing one, and what starting empty and saving will do about it. Shown before the
    // window.
    static void warnAboutLoad(QWidget *parent, const DocumentBase &document,
                              const FileReport &report, const Texts &texts);

    // Loads the document's file, or the changes of a session that ended without saving them
    // when the user wants them back, and says what the load found; `texts` gives the window's
    // words for what the load reports. From then on, says once when unsaved changes are not
    // protected against a crash.
    static void load(QWidget *parent, DocumentBase &document,
                     const std::function<Texts(const FileReport &)> &texts);

    // Asks whether to restore the changes of a session that ended without saving them.
    static bool restoreRecovery(QWidget *parent, const DocumentBase &document,
                                const RecoveryOffer &offer);

    // Follows a change of the document's file on disk: a new version is shown at once when
    // the window holds nothing unsaved, else the user chooses between it and what the window
    // holds; a file that is gone or cannot be shown is said once. True when the content
    // changed.
    static bool followDisk(QWidget *parent, DocumentBase &document);

    // Saves the document until it works or the user gives the changes up, asking after each
    // failure whether to retry (the same file), save elsewhere or discard them. True when the
    // changes were saved somewhere.
    static bool saveUntilDone(QWidget *parent, DocumentBase &document);
};
