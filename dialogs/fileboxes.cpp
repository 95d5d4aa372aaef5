#include "dialogs/fileboxes.h"

#include "dialogs/messagebox.h"

#include <QFileDialog>
#include <QLocale>

namespace {

using Box = SmeltworkMessageBox;

// Where the old file goes before it is first replaced.
QString keptLater(const FileSession &file)
{
    return SmeltworkFileBoxes::tr("The old file will be kept as %1.bak at the first save (Ctrl+S, "
                                  "or when the window closes).")
        .arg(file.path());
}

} // namespace

void SmeltworkFileBoxes::warnAboutLoad(QWidget *parent, const FileSession &file,
                                       const FileReport &report, const Texts &texts)
{
    const QString empty = tr("The window starts empty.");
    switch (report.status) {
    case LoadStatus::Loaded:
        if (report.trailing > 0)
            Box::warning(parent,
                         tr("%1 holds %n byte(s) after its last record, which are not read.",
                            nullptr, int(qMin<qint64>(report.trailing, INT_MAX)))
                             .arg(file.path()),
                         Box::Ok, Box::Ok, keptLater(file));
        break;
    case LoadStatus::NotOpened:
        break;
    case LoadStatus::Unreadable:
        Box::warning(parent, tr("%1 cannot be read: %2.").arg(file.path(), report.reason), Box::Ok,
                     Box::Ok, empty + ' ' + keptLater(file));
        break;
    case LoadStatus::NotAFile:
        Box::warning(parent,
                     tr("%1 is %2, not a file, and was not read.").arg(file.path(), report.reason),
                     Box::Ok, Box::Ok,
                     empty + ' ' + tr("It is never replaced: save your work to another file."));
        break;
    case LoadStatus::BadMagic:
        Box::warning(parent, texts.badMagic, Box::Ok, Box::Ok, empty + ' ' + keptLater(file));
        break;
    case LoadStatus::Damaged:
        Box::warning(parent, texts.damaged, Box::Ok, Box::Ok,
                     tr("The window starts with what was recovered.") + ' ' + keptLater(file));
        break;
    }
}

bool SmeltworkFileBoxes::restoreRecovery(QWidget *parent, const FileSession &file)
{
    const QString when = QLocale().toString(file.recoveryTime(), QLocale::ShortFormat);
    return Box::question(parent, tr("%1 has changes from a session that ended without saving (%2). "
                                    "Restore them?")
                                     .arg(file.path(), when)) == Box::Yes;
}

bool SmeltworkFileBoxes::saveUntilDone(QWidget *parent, FileSession &file,
                                       const std::function<SaveResult(const QString &)> &save)
{
    QString target = file.path();
    SaveResult result = save({});
    while (result.status != SaveStatus::Saved) {
        const Box::Button answer =
            Box::warning(parent, tr("%1 could not be saved: %2.").arg(target, result.reason),
                         Box::Buttons(Box::Retry) | Box::SaveAs | Box::Discard, Box::Retry,
                         tr("Your changes are still here. Retry once the cause is gone, save "
                            "them to another file, or give them up."));
        if (answer == Box::Retry) {
            target = file.path();
            result = save({});
        } else if (answer == Box::SaveAs) {
            const QString chosen = QFileDialog::getSaveFileName(
                parent, tr("Save As"), file.path(), {}, nullptr, QFileDialog::DontUseNativeDialog);
            if (!chosen.isEmpty()) {
                target = chosen;
                result = save(chosen);
            }
        } else if (Box::question(parent,
                                 tr("Give up the changes to %1? They cannot be "
                                    "recovered.")
                                     .arg(file.path()),
                                 Box::Buttons(Box::Yes) | Box::No, Box::No) == Box::Yes) {
            file.discard();
            return false;
        }
    }
    if (!file.otherVersion().isEmpty())
        Box::information(
            parent,
            tr("%1 had been changed by another program since it was read here.").arg(file.path()),
            tr("That version is now %1.").arg(file.otherVersion()));
    return true;
}
