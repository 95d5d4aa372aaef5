#pragma once

// What both windows say about their file: what its load found, a recovery copy left by a
// session that ended without saving, and a save that failed. All through the program's
// message-box seam.

#include "data/filesession.h"

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

    // Loads the session's file into `content`, or the changes of a session that ended without
    // saving them when the user wants them back, and says what the load found; `texts` gives
    // the window's words for what the load reports.
    template <typename Content>
    static FileReport load(QWidget *parent, FileSession &file, Content &content,
                           const std::function<Texts(const FileReport &)> &texts)
    {
        if (file.recoveryTime().isValid()) {
            if (restoreRecovery(parent, file))
                return file.loadRecovery(content);
            file.declineRecovery();
        }
        const FileReport report = file.load(content);
        warnAboutLoad(parent, file, report, texts(report));
        return report;
    }

    // Asks whether to restore the changes of a session that ended without saving them.
    static bool restoreRecovery(QWidget *parent, const FileSession &file);

    // Saves with `save` (an empty path: the session's file, else the file the user chose)
    // until it works or the user gives the changes up, asking after each failure whether to
    // retry, save elsewhere or discard them. True when the changes were saved somewhere.
    static bool saveUntilDone(QWidget *parent, FileSession &file,
                              const std::function<SaveResult(const QString &path)> &save);
};
