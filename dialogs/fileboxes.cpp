#include "dialogs/fileboxes.h"

#include "dialogs/messagebox.h"

#include <QFile>
#include <QFileDialog>
#include <QLocale>

namespace {

using Box = SmeltworkMessageBox;

// Where the old file goes before it is first replaced.
QString keptLater(const DocumentBase &file)
{
    return SmeltworkFileBoxes::tr("The old file will be kept as %1.bak at the first save (Ctrl+S, "
                                  "or when the window closes).")
        .arg(file.path());
}

} // namespace

void SmeltworkFileBoxes::warnAboutLoad(QWidget *parent, const DocumentBase &file,
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

void SmeltworkFileBoxes::load(QWidget *parent, DocumentBase &document,
                              const std::function<Texts(const FileReport &)> &texts)
{
    QObject::connect(&document, &DocumentBase::recoveryFailed, parent,
                     [parent, path = document.path()](const QString &reason) {
                         Box::information(
                             parent,
                             tr("Unsaved changes to %1 are not protected against a crash: their "
                                "recovery copy cannot be written (%2).")
                                 .arg(path, reason),
                             tr("Save them with Ctrl+S until the cause is gone."));
                     });
    if (const RecoveryOffer offer = document.recoveryOffer(); offer.isValid()) {
        if (restoreRecovery(parent, document, offer)) {
            // Whatever the copy holds was written by this program: a whole file.
            static_cast<void>(document.loadRecovery());
            return;
        }
        document.declineRecovery();
    }
    const FileReport report = document.load();
    warnAboutLoad(parent, document, report, texts(report));
}

bool SmeltworkFileBoxes::restoreRecovery(QWidget *parent, const DocumentBase &document,
                                         const RecoveryOffer &offer)
{
    const QString when = QLocale().toString(offer.time, QLocale::ShortFormat);
    const QString changed =
        offer.fileChanged ? tr("%1 has been changed by another program since. Restoring keeps "
                               "that version as %1.bak at the first save.")
                                .arg(document.path())
                          : QString();
    return Box::question(parent,
                         tr("%1 has changes from a session that ended without saving (%2). "
                            "Restore them?")
                             .arg(document.path(), when),
                         Box::Buttons(Box::Yes) | Box::No, Box::NoButton, changed) == Box::Yes;
}

bool SmeltworkFileBoxes::saveUntilDone(QWidget *parent, DocumentBase &document)
{
    // An empty target is the document's own file; Retry tries again what failed.
    QString target;
    const auto saveTo = [&document](const QString &path) {
        return path.isEmpty() ? document.save() : document.saveAs(path);
    };
    SaveResult result = saveTo(target);
    while (result.status != SaveStatus::Saved) {
        const QString shownTarget = target.isEmpty() ? document.path() : target;
        const Box::Button answer =
            Box::warning(parent, tr("%1 could not be saved: %2.").arg(shownTarget, result.reason),
                         Box::Buttons(Box::Retry) | Box::SaveAs | Box::Discard, Box::Retry,
                         tr("Your changes are still here. Retry once the cause is gone, save "
                            "them to another file, or give them up."));
        if (answer == Box::Retry) {
            result = saveTo(target);
        } else if (answer == Box::SaveAs) {
            const QString chosen =
                QFileDialog::getSaveFileName(parent, tr("Save As"), document.path(), {}, nullptr,
                                             QFileDialog::DontUseNativeDialog);
            if (!chosen.isEmpty()) {
                target = chosen;
                result = saveTo(target);
            }
        } else if (Box::question(parent,
                                 tr("Give up the changes to %1? They cannot be "
                                    "recovered.")
                                     .arg(document.path()),
                                 Box::Buttons(Box::Yes) | Box::No, Box::No) == Box::Yes) {
            document.discard();
            return false;
        }
    }
    if (!result.otherVersion.isEmpty())
        Box::information(parent,
                         tr("%1 had been changed by another program since it was read here.")
                             .arg(document.path()),
                         tr("That version is now %1.").arg(result.otherVersion));
    return true;
}

bool SmeltworkFileBoxes::followDisk(QWidget *parent, DocumentBase &document)
{
    const QByteArray name = QFile::encodeName(document.path());
    switch (document.readDiskVersion()) {
    case DocumentBase::DiskState::Same:
        return false;
    case DocumentBase::DiskState::Newer:
        if (!document.modified()) {
            qWarning("%s was changed by another program; that version is shown now",
                     name.constData());
        } else if (Box::question(parent,
                                 tr("%1 was changed by another program, and this window holds "
                                    "changes that are not saved.")
                                     .arg(document.path()),
                                 Box::Buttons(Box::LoadTheirs) | Box::KeepMine, Box::KeepMine,
                                 tr("Load theirs shows that version; what this window holds "
                                    "stays one Ctrl+Z away. Keep mine goes on with yours; theirs "
                                    "is then kept as %1.bak when you save.")
                                     .arg(document.path())) != Box::LoadTheirs) {
            document.keepMine();
            return false;
        }
        document.takeDiskVersion();
        return true;
    case DocumentBase::DiskState::Gone:
        qWarning("%s is gone; the window keeps what it shows", name.constData());
        Box::warning(parent, tr("%1 is no longer there.").arg(document.path()), Box::Ok, Box::Ok,
                     tr("The window keeps what it shows; Ctrl+S, or closing the window, writes "
                        "the file again."));
        break;
    case DocumentBase::DiskState::Unusable: {
        // The load has printed its warning line already.
        const FileReport &report = document.diskReport();
        const QString what = report.status == LoadStatus::BadMagic  ? tr("not a Smeltwork file")
                             : report.status == LoadStatus::Damaged ? tr("damaged")
                                                                    : report.reason;
        Box::warning(parent,
                     tr("%1 was changed by another program, and the new version cannot be "
                        "shown (%2).")
                         .arg(document.path(), what),
                     Box::Ok, Box::Ok, tr("The window keeps what it shows."));
        break;
    }
    }
    document.keepMine();
    return false;
}
