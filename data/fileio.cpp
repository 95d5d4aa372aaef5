#include "data/fileio.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#endif

namespace {

FileReport notRead(LoadStatus status, const QString &reason)
{
    FileReport report;
    report.status = status;
    report.reason = reason;
    return report;
}

// The words boxes show about files.
class SmeltworkFiles
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkFiles)
};

} // namespace

#ifdef Q_OS_WIN
// Windows keeps devices and pipes out of folders, but their names open like files: NUL,
// CON or COM1 in any folder, \\.\pipe\NAME. A pipe is known by its name alone, since
// opening it would connect to its server.
static QString windowsKindOf(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QLatin1String("\\\\.\\pipe\\"), Qt::CaseInsensitive))
        return SmeltworkFiles::tr("a named pipe");
    const HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(native.utf16()), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (type == FILE_TYPE_CHAR)
        return SmeltworkFiles::tr("a device");
    if (type == FILE_TYPE_PIPE)
        return SmeltworkFiles::tr("a named pipe");
    return {};
}
#endif

// What a path that is not a regular file is.
static QString kindOf(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return SmeltworkFiles::tr("a folder");
        if (S_ISFIFO(info.st_mode))
            return SmeltworkFiles::tr("a named pipe");
        if (S_ISSOCK(info.st_mode))
            return SmeltworkFiles::tr("a socket");
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
            return SmeltworkFiles::tr("a device");
    }
#elif defined(Q_OS_WIN)
    if (const QString kind = windowsKindOf(path); !kind.isEmpty())
        return kind;
#endif
    return QFileInfo(path).isDir() ? SmeltworkFiles::tr("a folder")
                                   : SmeltworkFiles::tr("not a regular file");
}

QString whatIsNotAFile(const QString &path)
{
#ifdef Q_OS_WIN
    if (const QString kind = windowsKindOf(path); !kind.isEmpty())
        return kind;
#endif
    const QFileInfo info(path);
    return info.exists() && !info.isFile() ? kindOf(path) : QString();
}

bool folderIsGone(const QString &path)
{
    const QString folder = QFileInfo(path).path();
#ifdef Q_OS_UNIX
    // A removed folder that is still the working folder can be looked at, but has no links.
    struct stat info;
    return ::stat(QFile::encodeName(folder).constData(), &info) != 0 ? errno == ENOENT
                                                                     : info.st_nlink == 0;
#else
    return !QFileInfo(folder).isDir();
#endif
}

namespace {

// Opens the file at `path` for reading when it is a regular file (or a link to one); the
// report says Loaded, or why it was not opened.
FileReport openRegularFile(const QString &path, QFile &file)
{
#ifdef Q_OS_UNIX
    // Opened without waiting, so that a pipe cannot stop the program before its kind is known.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return {};
        // A socket cannot even be opened; it is still no file.
        if (const QString kind = whatIsNotAFile(path); !kind.isEmpty())
            return notRead(LoadStatus::NotAFile, kind);
        return notRead(LoadStatus::Unreadable, QString::fromLocal8Bit(strerror(error)));
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return notRead(LoadStatus::NotAFile, kindOf(path));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return notRead(LoadStatus::Unreadable, file.errorString());
    }
#else
    if (const QString kind = whatIsNotAFile(path); !kind.isEmpty())
        return notRead(LoadStatus::NotAFile, kind);
    if (!QFileInfo::exists(path))
        return {};
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return notRead(LoadStatus::Unreadable, file.errorString());
#endif
    FileReport report;
    report.status = LoadStatus::Loaded;
    return report;
}

} // namespace

FileReport readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file;
    FileReport report = openRegularFile(path, file);
    if (report.status != LoadStatus::Loaded)
        return report;
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return notRead(LoadStatus::Unreadable, file.errorString());
    return report;
}

FileReport readInPieces(const QString &path, qsizetype piece,
                        const std::function<void(QByteArrayView)> &take)
{
    QFile file;
    FileReport report = openRegularFile(path, file);
    if (report.status != LoadStatus::Loaded)
        return report;
    QByteArray buffer(piece, Qt::Uninitialized);
    for (;;) {
        // A read may come back short before the end; a piece is always whole but the last.
        qsizetype filled = 0;
        while (filled < piece) {
            const qint64 got = file.read(buffer.data() + filled, piece - filled);
            if (got < 0)
                return notRead(LoadStatus::Unreadable, file.errorString());
            if (got == 0)
                break;
            filled += qsizetype(got);
        }
        if (filled > 0)
            take(QByteArrayView(buffer.constData(), filled));
        if (filled < piece)
            return report;
    }
}

namespace {

// The system's words for the last failure, never Qt's "Unknown error".
QString systemReason(int error, const QString &qtReason = {})
{
    if (!qtReason.isEmpty() && qtReason != QLatin1String("Unknown error"))
        return qtReason;
    return QString::fromLocal8Bit(strerror(error ? error : EIO));
}

SaveResult failed(SaveStatus status, const QString &reason)
{
    return {status, reason, {}};
}

QString backupName(const QString &path, int generation)
{
    return path + (generation ? QStringLiteral(".bak.%1").arg(generation) : QStringLiteral(".bak"));
}

// rename(), which sets errno and, unlike QFile::rename(), never copies. Windows takes the
// names as UTF-16: its 8-bit names are those of the ANSI code page.
bool renameFile(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return ::_wrename(reinterpret_cast<const wchar_t *>(from.utf16()),
                      reinterpret_cast<const wchar_t *>(to.utf16())) == 0;
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// Makes room for a new backup: .bak becomes .bak.1, .bak.1 becomes .bak.2 and so on, and
// the oldest goes.
bool rotateBackups(const QString &path, QString &reason)
{
    const QString oldest = backupName(path, OlderBackups);
    if (QFileInfo(oldest).isFile() && !QFile::remove(oldest)) {
        reason = systemReason(errno);
        return false;
    }
    for (int generation = OlderBackups - 1; generation >= 0; --generation) {
        if (!renameFile(backupName(path, generation), backupName(path, generation + 1)) &&
            errno != ENOENT) {
            reason = systemReason(errno);
            return false;
        }
    }
    return true;
}

// A hard link keeps the old bytes without reading them or taking space, so even a file that
// cannot be read, or one on a full disk, is kept; the save then renames the new file over
// the old name and leaves the link alone. Where links are not to be had, a copy does.
bool keepAside(const QString &path, QString &reason)
{
    if (!rotateBackups(path, reason))
        return false;
    const QString backup = backupName(path, 0);
#ifdef Q_OS_UNIX
    // The save replaces what a symbolic link points to, so that is what is linked.
    bool kept = ::linkat(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD,
                         QFile::encodeName(backup).constData(), AT_SYMLINK_FOLLOW) == 0;
    const int linkError = errno;
    kept = kept || QFile::copy(path, backup);
#else
    const int linkError = 0;
    const bool kept = QFile::copy(path, backup);
#endif
    if (!kept) {
        reason = systemReason(linkError);
        return false;
    }
    qWarning("Kept the old file as %s",
             QFile::encodeName(QFileInfo(backup).fileName()).constData());
    return true;
}

// Where the folder takes no new file, the file itself is written over: the same file, so
// its owner, group and permissions stay. It is not atomic, so it is the last resort.
SaveResult writeInPlace(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return failed(SaveStatus::NotWritable, systemReason(errno, file.errorString()));
    const bool written = write(file) && file.flush() && file.resize(file.pos()) &&
                         file.error() == QFileDevice::NoError;
    if (!written)
        return failed(SaveStatus::WriteFailed, systemReason(errno, file.errorString()));
#ifdef Q_OS_UNIX
    ::fsync(file.handle());
#endif
    return {};
}

} // namespace

SaveResult saveAtomically(const QString &path, bool keepBackup,
                          const std::function<bool(QIODevice &)> &write)
{
    const QFileInfo existing(path);
    // Only a regular file is ever replaced: a device or a pipe is no place for the data.
    if (existing.exists() && !existing.isFile())
        return failed(SaveStatus::NotAFile, kindOf(path) + SmeltworkFiles::tr(", not a file"));
#ifdef Q_OS_UNIX
    // Renaming over a read-only file would succeed; writing in place would not. The file's
    // own protection wins.
    if (existing.exists() && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
        return failed(SaveStatus::NotWritable, systemReason(errno));
#else
    if (existing.exists() && !existing.isWritable())
        return failed(SaveStatus::NotWritable, SmeltworkFiles::tr("the file is read-only"));
#endif

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString reason = systemReason(errno, file.errorString());
        // A folder that takes no new file cannot hold a backup either.
        if (!existing.exists() || keepBackup || !existing.isReadable())
            return failed(SaveStatus::NotWritable, reason);
        return writeInPlace(path, write);
    }

    QString reason;
    if (keepBackup && existing.exists() && !keepAside(path, reason)) {
        file.cancelWriting();
        qWarning("Unable to keep a copy of %s; the file was not replaced",
                 QFile::encodeName(existing.fileName()).constData());
        return failed(SaveStatus::BackupFailed, reason);
    }

    // QSaveFile::commit() can report success after a failed write (a full disk, for one)
    // and then replace the old file with a short one; check every step before committing.
    // An uncommitted file is discarded.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError)
        return failed(SaveStatus::WriteFailed, systemReason(errno, file.errorString()));
    if (!file.commit())
        return failed(SaveStatus::WriteFailed, systemReason(errno, file.errorString()));
    return {};
}
