#include "data/filesession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// A file's bytes are hashed a piece at a time, each piece seeded with the hash so far: the
// same value from the bytes in memory as from the file read piece by piece, so that looking
// at a large file after a save never holds it whole beside the tree.
constexpr qsizetype HashPiece = 64 * 1024;

} // namespace

FileStamp stampOf(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    size_t hash = 0;
    for (qsizetype at = 0; at < bytes.size(); at += HashPiece)
        hash =
            qHash(QByteArrayView(bytes).sliced(at, std::min(HashPiece, bytes.size() - at)), hash);
    return {true, bytes.size(), info.lastModified(), hash};
}

FileStamp readStamp(const QString &path)
{
    qint64 size = 0;
    size_t hash = 0;
    const FileReport read = readInPieces(path, HashPiece, [&size, &hash](QByteArrayView piece) {
        size += piece.size();
        hash = qHash(piece, hash);
    });
    if (read.status == LoadStatus::Loaded)
        return {true, size, QFileInfo(path).lastModified(), hash};
    const QFileInfo info(path); // what cannot be read is known by its size and time alone
    return {info.exists(), info.exists() ? info.size() : 0, info.lastModified(), 0};
}

bool changedSince(const QString &path, const FileStamp &known)
{
    const QFileInfo info(path);
    if (info.exists() != known.exists)
        return true;
    if (!known.exists || (info.size() == known.size && info.lastModified() == known.modified))
        return false;
    const FileStamp now = readStamp(path);
    return now.size != known.size || now.hash != known.hash;
}

QByteArray workingFolder()
{
#ifdef Q_OS_UNIX
    // The bytes themselves: a name that is not valid UTF-8 would not survive a QString.
    QByteArray folder(4096, Qt::Uninitialized);
    while (!::getcwd(folder.data(), size_t(folder.size()))) {
        if (errno != ERANGE)
            return QFile::encodeName(QDir::currentPath());
        folder.resize(folder.size() * 2);
    }
    return QByteArray(folder.constData());
#else
    return QDir::currentPath().toUtf8();
#endif
}

QString folderKey(const QByteArray &folder)
{
    const QByteArray id = QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex();
    return QString::fromLatin1(id.left(32));
}

QString recoveryPath(const QByteArray &folder, const QString &fileName)
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery/%1-%2").arg(folderKey(folder), fileName);
}

namespace {

QString declinedPath(const QString &recovery)
{
    return recovery + QStringLiteral(".declined");
}

// Beside each recovery copy: the stamp of the file its changes were made to, so that a later
// start can tell whether another program has written the file since.
QString basePath(const QString &recovery)
{
    return recovery + QStringLiteral(".base");
}

QByteArray stampText(const FileStamp &stamp)
{
    return QByteArray::number(int(stamp.exists)) + ' ' + QByteArray::number(stamp.size) + ' ' +
           QByteArray::number(stamp.modified.toMSecsSinceEpoch()) + ' ' +
           QByteArray::number(quint64(stamp.hash)) + '\n';
}

// A copy without its base, or with one that cannot be read, was made to a file that is
// taken to be missing: any file there now counts as written since.
FileStamp stampOfText(const QByteArray &text)
{
    const QList<QByteArray> fields = text.trimmed().split(' ');
    FileStamp stamp;
    if (fields.size() != 4)
        return stamp;
    stamp.exists = fields[0] == "1";
    stamp.size = fields[1].toLongLong();
    stamp.modified = QDateTime::fromMSecsSinceEpoch(fields[2].toLongLong());
    stamp.hash = size_t(fields[3].toULongLong());
    return stamp;
}

QByteArray readAll(const QString &path)
{
    QByteArray bytes;
    return readWholeFile(path, bytes).status == LoadStatus::Loaded ? bytes : QByteArray();
}

} // namespace

FileSession::FileSession(const QString &path, QObject *parent)
    : QObject(parent), m_path(path), m_folder(workingFolder()),
      m_recovery(recoveryPath(m_folder, path))
{
    m_writer.setMaxThreadCount(1);
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(1000);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        if (m_pending)
            writeRecovery();
    });
    m_settle.setSingleShot(true);
    m_settle.setInterval(200);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        watch(); // a file replaced by a rename is a new file to watch
        if (changedOnDisk())
            emit diskChanged();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle,
            qOverload<>(&QTimer::start));
}

void FileSession::watch()
{
    // The folder tells of a file that appears, goes or is renamed over; the file of a write
    // in place.
    for (const QString &path : {m_path, QFileInfo(m_path).path()}) {
        if (!m_watcher.files().contains(path) && !m_watcher.directories().contains(path) &&
            QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

bool FileSession::changedOnDisk() const
{
    return changedSince(m_path, m_stamp) && (!m_anyDismissed || changedSince(m_path, m_dismissed));
}

template <typename Content> FileReport FileSession::readAgain(Content &content)
{
    QByteArray bytes;
    m_seenReport = loadFile(m_path, content, &bytes);
    const LoadStatus status = m_seenReport.status;
    m_seen = status == LoadStatus::Loaded || status == LoadStatus::BadMagic ||
                     status == LoadStatus::Damaged
                 ? stampOf(m_path, bytes)
                 : readStamp(m_path);
    return m_seenReport;
}

void FileSession::adoptSeen()
{
    m_stamp = m_seen;
    m_keepOld = keepsBackup(m_seenReport);
    m_anyDismissed = false;
}

void FileSession::dismissSeen()
{
    m_dismissed = m_seen;
    m_anyDismissed = true;
}

FileSession::~FileSession()
{
    m_writer.waitForDone();
}

RecoveryOffer FileSession::recoveryOffer()
{
    const QFileInfo copy(m_recovery);
    if (!copy.isFile())
        return {};
    QByteArray file;
    const bool fileRead = readWholeFile(m_path, file).status == LoadStatus::Loaded;
    if (fileRead && readAll(m_recovery) == file) {
        dropRecovery();
        return {};
    }
    QFile base(basePath(m_recovery));
    const QByteArray baseText = base.open(QIODevice::ReadOnly) ? base.readAll() : QByteArray();
    return {copy.lastModified(), changedSince(m_path, stampOfText(baseText))};
}

template <typename Content> FileReport FileSession::loadFrom(const QString &path, Content &content)
{
    QByteArray bytes;
    const FileReport report = loadFile(path, content, &bytes);
    if (path != m_path) {
        // Restored from the recovery copy: the file stays as it is until the next save, which
        // compares it with the file the changes were made to.
        QFile base(basePath(m_recovery));
        m_stamp = stampOfText(base.open(QIODevice::ReadOnly) ? base.readAll() : QByteArray());
        m_keepOld = false;
        watch();
        return report;
    }
    const bool read = report.status == LoadStatus::Loaded ||
                      report.status == LoadStatus::BadMagic || report.status == LoadStatus::Damaged;
    m_stamp = read ? stampOf(m_path, bytes) : readStamp(m_path);
    m_keepOld = keepsBackup(report);
    watch();
    return report;
}

void FileSession::declineRecovery()
{
    for (const QString &copy : {m_recovery, basePath(m_recovery)}) {
        QFile::remove(declinedPath(copy));
        QFile::rename(copy, declinedPath(copy));
    }
}

template <typename Content> FileReport FileSession::loadRecovery(Content &content)
{
    return loadFrom(m_recovery, content);
}

template <typename Content> FileReport FileSession::load(Content &content)
{
    return loadFrom(m_path, content);
}

template <typename Content> void FileSession::changed(const Content &content)
{
    // The copy shares the content's lists; later changes detach from it, not it from them.
    schedule([content](QIODevice &device) {
        if constexpr (std::is_same_v<Content, CraftingData>)
            return writeCraftingData(device, content, false);
        else
            return writeHelpTopics(device, content, false);
    });
}

void FileSession::schedule(std::function<bool(QIODevice &)> write)
{
    m_pending = std::move(write);
    if (!m_throttle.isActive())
        writeRecovery();
}

void FileSession::writeRecovery()
{
    QDir().mkpath(QFileInfo(m_recovery).path());
    const QByteArray base = stampText(m_stamp);
    m_writer.start([this, path = m_recovery, base, write = std::exchange(m_pending, {})] {
        // The base first: a copy is never there without the base it was made to.
        SaveResult result = saveAtomically(basePath(path), false, [&base](QIODevice &device) {
            return device.write(base) == base.size();
        });
        if (result.status == SaveStatus::Saved)
            result = saveAtomically(path, false, write);
        if (result.status != SaveStatus::Saved)
            QMetaObject::invokeMethod(
                this, [this, reason = result.reason] { reportRecoveryFailure(reason); },
                Qt::QueuedConnection);
    });
    m_throttle.start();
}

void FileSession::writePendingRecovery()
{
    m_throttle.stop();
    if (m_pending)
        writeRecovery();
    m_writer.waitForDone();
}

void FileSession::reportRecoveryFailure(const QString &reason)
{
    if (std::exchange(m_recoveryFailed, true))
        return;
    qWarning("Unable to write the recovery copy of %s (%s): unsaved changes are not protected "
             "against a crash",
             qPrintable(m_path), qPrintable(reason));
    emit recoveryFailed(reason);
}

void FileSession::dropRecovery()
{
    m_pending = {};
    m_throttle.stop();
    m_writer.waitForDone();
    QFile::remove(m_recovery);
    QFile::remove(basePath(m_recovery));
}

void FileSession::discard()
{
    dropRecovery();
}

template <typename Content>
SaveResult FileSession::saveTo(const QString &path, const Content &content)
{
    const bool ours = path == m_path;
    // A file that is gone, or a folder or pipe in its place, holds no version to keep.
    const bool changedElsewhere =
        ours && QFileInfo(m_path).isFile() && changedSince(m_path, m_stamp);
    if (changedElsewhere)
        qWarning("%s was changed by another program since it was read here; that version is "
                 "kept as %s.bak",
                 qPrintable(m_path), qPrintable(m_path));
    SaveResult result = saveFile(path, content, ours && (m_keepOld || changedElsewhere));
    if (result.status != SaveStatus::Saved) {
        // The system's words for a save into a removed folder send the user looking at
        // permissions.
        if (folderIsGone(path))
            result.reason = tr("the folder %1 no longer exists")
                                .arg(QFileInfo(path).isAbsolute() ? QFileInfo(path).absolutePath()
                                                                  : QFile::decodeName(m_folder));
        return result;
    }
    if (ours) {
        m_stamp = readStamp(m_path);
        m_keepOld = false;
        m_anyDismissed = false;
        watch();
        if (changedElsewhere)
            result.otherVersion = m_path + QStringLiteral(".bak");
    }
    dropRecovery();
    return result;
}

template <typename Content> SaveResult FileSession::save(const Content &content)
{
    return saveTo(m_path, content);
}

template <typename Content>
SaveResult FileSession::saveAs(const QString &path, const Content &content)
{
    return saveTo(path, content);
}

// The two kinds of content a session holds.
#define SMELT_SESSION_CONTENT(Content)                                                             \
    template FileReport FileSession::loadRecovery(Content &);                                      \
    template FileReport FileSession::load(Content &);                                              \
    template FileReport FileSession::readAgain(Content &);                                         \
    template void FileSession::changed(const Content &);                                           \
    template SaveResult FileSession::save(const Content &);                                        \
    template SaveResult FileSession::saveAs(const QString &, const Content &);
SMELT_SESSION_CONTENT(CraftingData)
SMELT_SESSION_CONTENT(HelpTopics)
