#include "data/filesession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>

#include <cstdlib>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

FileStamp stampOf(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    return {true, bytes.size(), info.lastModified(), qHash(bytes)};
}

FileStamp readStamp(const QString &path)
{
    QByteArray bytes;
    if (readWholeFile(path, bytes).status == LoadStatus::Loaded)
        return stampOf(path, bytes);
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

// Every session that may hold a change not yet in its recovery copy, so that a program that
// exit()s (the X server went away, say) still writes them.
QSet<FileSession *> &liveSessions()
{
    static QSet<FileSession *> sessions;
    return sessions;
}

QString declinedPath(const QString &recovery)
{
    return recovery + QStringLiteral(".declined");
}

} // namespace

void writePendingRecoveries()
{
    for (FileSession *session : std::as_const(liveSessions())) {
        if (session->m_pending)
            saveAtomically(session->m_recovery, false, session->m_pending);
        session->m_writer.waitForDone();
    }
}

FileSession::FileSession(const QString &path, QObject *parent)
    : QObject(parent), m_path(path), m_recovery(recoveryPath(workingFolder(), path))
{
    m_writer.setMaxThreadCount(1);
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(1000);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        if (m_pending)
            writeRecovery();
    });
    // The set is made before the exit hook is registered, so that it outlives the hook.
    liveSessions().insert(this);
    static const bool registered = std::atexit(writePendingRecoveries) == 0;
    Q_UNUSED(registered);
}

FileSession::~FileSession()
{
    liveSessions().remove(this);
    m_writer.waitForDone();
}

QDateTime FileSession::recoveryTime() const
{
    const QFileInfo copy(m_recovery), file(m_path);
    // A copy as old as the file may still hold changes: file times are coarse.
    if (!copy.isFile() || (file.exists() && copy.lastModified() < file.lastModified()))
        return {};
    return copy.lastModified();
}

template <typename Content> FileReport FileSession::loadFrom(const QString &path, Content &content)
{
    QByteArray bytes;
    const FileReport report = loadFile(path, content, &bytes);
    if (path != m_path) {
        // Restored from the recovery copy: the file stays as it is until the next save.
        m_stamp = readStamp(m_path);
        m_keepOld = false;
        return report;
    }
    const bool read = report.status == LoadStatus::Loaded ||
                      report.status == LoadStatus::BadMagic || report.status == LoadStatus::Damaged;
    m_stamp = read ? stampOf(m_path, bytes) : readStamp(m_path);
    m_keepOld = keepsBackup(report);
    return report;
}

FileReport FileSession::loadRecovery(CraftingData &data)
{
    return loadFrom(m_recovery, data);
}

FileReport FileSession::loadRecovery(HelpTopics &topics)
{
    return loadFrom(m_recovery, topics);
}

void FileSession::declineRecovery()
{
    QFile::remove(declinedPath(m_recovery));
    QFile::rename(m_recovery, declinedPath(m_recovery));
}

FileReport FileSession::load(CraftingData &data)
{
    return loadFrom(m_path, data);
}

FileReport FileSession::load(HelpTopics &topics)
{
    return loadFrom(m_path, topics);
}

void FileSession::changed(const CraftingData &data)
{
    // The copy shares the tree's lists; later changes detach from it, not it from them.
    schedule([data](QIODevice &device) { return writeCraftingData(device, data, false); });
}

void FileSession::changed(const HelpTopics &topics)
{
    schedule([topics](QIODevice &device) { return writeHelpTopics(device, topics, false); });
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
    m_writer.start([path = m_recovery, write = std::exchange(m_pending, {})] {
        saveAtomically(path, false, write);
    });
    m_throttle.start();
}

void FileSession::dropRecovery()
{
    m_pending = {};
    m_throttle.stop();
    m_writer.waitForDone();
    QFile::remove(m_recovery);
}

void FileSession::discard()
{
    dropRecovery();
}

template <typename Content>
SaveResult FileSession::saveTo(const QString &path, const Content &content)
{
    m_otherVersion.clear();
    const bool ours = path == m_path;
    const bool changedElsewhere = ours && changedSince(m_path, m_stamp);
    if (changedElsewhere)
        qWarning("%s was changed by another program since it was read here; that version is "
                 "kept as %s.bak",
                 qPrintable(m_path), qPrintable(m_path));
    const SaveResult result = saveFile(path, content, ours && (m_keepOld || changedElsewhere));
    if (result.status != SaveStatus::Saved)
        return result;
    if (ours) {
        m_stamp = readStamp(m_path);
        m_keepOld = false;
        if (changedElsewhere)
            m_otherVersion = m_path + QStringLiteral(".bak");
    }
    dropRecovery();
    return result;
}

SaveResult FileSession::save(const CraftingData &data)
{
    return saveTo(m_path, data);
}

SaveResult FileSession::save(const HelpTopics &topics)
{
    return saveTo(m_path, topics);
}

SaveResult FileSession::saveAs(const QString &path, const CraftingData &data)
{
    return saveTo(path, data);
}

SaveResult FileSession::saveAs(const QString &path, const HelpTopics &topics)
{
    return saveTo(path, topics);
}
