#pragma once

// One of the program's files as a window holds it between loading and saving: what was
// loaded, whether the old file has to be kept before it is replaced, whether another
// program has changed it meanwhile, and a recovery copy of the window's unsaved changes
// that survives a crash. Every backup of the file is decided here.

#include "data/smeltfiles.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <functional>

// What a file on disk looked like when it was last read or written here.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    size_t hash = 0;
};

// The stamp of the file at `path`, read whole; of `bytes`, when they are what it holds.
FileStamp readStamp(const QString &path);
FileStamp stampOf(const QString &path, const QByteArray &bytes);
// Whether the file at `path` is no longer the one `known` describes. Size and time come
// first; only when they differ are the bytes compared, so a file that was merely touched
// counts as unchanged.
bool changedSince(const QString &path, const FileStamp &known);

// A name for the folder whose path's bytes are `folder`, the same in every run and shared
// with no other folder: what files kept outside it for it are named by.
QString folderKey(const QByteArray &folder);
// Where the recovery copy of `fileName` in the folder `folder` (its path's bytes) is kept:
// the user's application data folder, under a name that no other folder shares.
QString recoveryPath(const QByteArray &folder, const QString &fileName);
// The bytes of the working folder's path, as the system holds them.
QByteArray workingFolder();

// Changes of a session that ended without saving them.
struct RecoveryOffer
{
    QDateTime time;           // when they were last copied; invalid when there are none
    bool fileChanged = false; // another program has changed the file since they were made
    bool isValid() const { return time.isValid(); }
};

class FileSession : public QObject
{
    Q_OBJECT

public:
    // `path`: the file's name in the working folder.
    explicit FileSession(const QString &path, QObject *parent = nullptr);
    ~FileSession() override;

    QString path() const { return m_path; }

    // The recovery copy, when it holds changes the file does not: whatever happened to the
    // file since, and however old the copy is. A copy that holds just what the file holds
    // is no longer needed and goes.
    RecoveryOffer recoveryOffer();
    // `Content` is CraftingData or HelpTopics.
    // The recovered content, loaded with the usual trace. The file is left as it is until the
    // next save, and the copy until then too. A version of the file that another program
    // wrote after the changes began is kept as the newest backup at that save.
    template <typename Content> FileReport loadRecovery(Content &content);
    // Keeps the recovery copy aside (the one kept before goes) and starts from the file.
    void declineRecovery();

    template <typename Content> FileReport load(Content &content);

    // The content has changed: a recovery copy is written soon, in the background, at most
    // once a second while changes keep coming.
    template <typename Content> void changed(const Content &content);
    // Writes a copy still waiting for its turn, and waits for the one being written: for a
    // program that ends before it could wait a second.
    void writePendingRecovery();

    // Saves to the file. A file the load could not take whole, or one another program has
    // changed since it was loaded or last saved here, is kept as the newest backup first;
    // the result then names where.
    template <typename Content> SaveResult save(const Content &content);
    // Saves to another file, chosen by the user; the file of the session is left as it is.
    template <typename Content> SaveResult saveAs(const QString &path, const Content &content);

    // The user gave the unsaved changes up: the recovery copy goes too.
    void discard();

    // Whether the file is no longer what was loaded or saved here, nor a version that was
    // read again and taken up or turned down since. Size and time are looked at first.
    bool changedOnDisk() const;
    // Reads the file as it is now into an empty `content`, with the usual trace. The session
    // goes on as before until adoptSeen() or dismissSeen().
    template <typename Content> FileReport readAgain(Content &content);
    // The version read again is now the session's own: saves compare with it, and keep it as
    // a backup only when it could not be read whole.
    void adoptSeen();
    // The version read again is not wanted: it is not reported again, and a save keeps it as
    // the newest backup, as it does any version another program wrote.
    void dismissSeen();

Q_SIGNALS:
    // The file or its folder changed on disk; changedOnDisk() tells whether it matters.
    void diskChanged();

    // A recovery copy could not be written, so unsaved changes would not survive a crash;
    // said once a session, with the system's reason, after a warning line.
    void recoveryFailed(const QString &reason);

private:
    template <typename Content> FileReport loadFrom(const QString &path, Content &content);
    template <typename Content> SaveResult saveTo(const QString &path, const Content &content);
    void schedule(std::function<bool(QIODevice &)> write);
    void writeRecovery();
    void reportRecoveryFailure(const QString &reason);
    void dropRecovery();
    void watch();

    QString m_path;
    QByteArray m_folder; // the working folder the file was loaded from
    QString m_recovery;
    FileStamp m_stamp;
    bool m_keepOld = false; // the file holds what the load could not take
    bool m_recoveryFailed = false;
    FileStamp m_seen;        // the version read again last
    FileReport m_seenReport; // and what reading it found
    FileStamp m_dismissed;   // a version turned down, not to be reported again
    bool m_anyDismissed = false;
    QFileSystemWatcher m_watcher;
    QTimer m_settle; // a save by another program is a burst of changes: one look after it

    std::function<bool(QIODevice &)> m_pending;
    QTimer m_throttle;
    QThreadPool m_writer; // one thread: copies are written in the order they were made
};
