#pragma once

// What both windows say about their file: what its load found, a recovery copy left by a
// session that ended without saving, and a save that failed. All through the program's
// message-box seam.

#include "filesession.h"

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

    // Says what the load of `file` found when it was anything but a whole file or a missing
    // one, and what starting empty and saving will do about it. Shown before the window.
    static void warnAboutLoad(QWidget *parent, const FileSession &file, const FileReport &report,
                              const Texts &texts);

    // Asks whether to restore the changes of a session that ended without saving them.
    static bool restoreRecovery(QWidget *parent, const FileSession &file);

    // Saves with `save` (an empty path: the session's file, else the file the user chose)
    // until it works or the user gives the changes up, asking after each failure whether to
    // retry, save elsewhere or discard them. True when the changes were saved somewhere.
    static bool saveUntilDone(QWidget *parent, FileSession &file,
                              const std::function<SaveResult(const QString &path)> &save);
};
