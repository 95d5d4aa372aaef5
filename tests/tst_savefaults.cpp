// Saving when the world does not cooperate: a folder or file that cannot be written (made
// so in ways that stop root too), a process killed in the middle of a save, a full file
// system, and inputs the program could not read, which are kept aside as .bak files.
#include "adminwindow.h"
#include "faulttrees.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(FaultFile)

namespace {

// How a folder or file is kept from being written.
enum class Guard {
    ImmutableFolder,    // chattr +i on the folder: nothing can be created or renamed in it
    ImmutableFile,      // chattr +i on the file
    ReadOnlyMount,      // the folder bind-mounted read-only over itself
    UnprivilegedFolder, // folder mode 0555, saved by a process that is not root
    UnprivilegedFile,   // file mode 0444, saved by a process that is not root
};

bool isRoot()
{
    return geteuid() == 0;
}

// Set when this process has a mount namespace of its own, so that nothing it mounts can
// outlive it or be seen by the rest of the machine.
bool ownMounts = false;
QByteArray noMountsReason;

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Undoes on destruction what a test did to protect or fill its folder, so the scratch
// folder can always be removed.
class Protection
{
public:
    Protection() = default;
    Protection(const Protection &) = delete;
    Protection &operator=(const Protection &) = delete;
    ~Protection()
    {
        for (const QByteArray &path : std::as_const(m_immutable))
            setImmutable(path, false);
        for (const auto &[path, mode] : std::as_const(m_modes))
            chmod(path.constData(), mode);
        for (auto it = m_mounts.crbegin(); it != m_mounts.crend(); ++it)
            umount2(it->constData(), MNT_DETACH);
    }

    // Empty on success, else why the protection cannot be had here.
    QString makeImmutable(const QString &path)
    {
        const QByteArray native = QFile::encodeName(path);
        if (!isRoot())
            return QStringLiteral("only root can set the immutable attribute");
        if (!setImmutable(native, true))
            return QStringLiteral(
                       "the file system of %1 does not take the immutable attribute (%2)")
                .arg(path, errnoText());
        m_immutable.append(native);
        return {};
    }

    // A folder whose mode keeps its owner from writing cannot be removed by a test that is
    // not root; the old mode comes back at the end.
    QString setMode(const QString &path, mode_t mode)
    {
        const QByteArray native = QFile::encodeName(path);
        struct stat old;
        if (stat(native.constData(), &old) != 0 || chmod(native.constData(), mode) != 0)
            return QStringLiteral("cannot change the mode of %1: %2").arg(path, errnoText());
        m_modes.append({native, old.st_mode & 07777});
        return {};
    }

    QString mountReadOnly(const QString &folder)
    {
        if (!ownMounts)
            return QString::fromLatin1(noMountsReason);
        const QByteArray native = QFile::encodeName(folder);
        if (mount(native.constData(), native.constData(), nullptr, MS_BIND, nullptr) != 0)
            return QStringLiteral("bind mount failed: %1").arg(errnoText());
        m_mounts.append(native);
        if (mount(nullptr, native.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY,
                  nullptr) != 0)
            return QStringLiteral("read-only remount failed: %1").arg(errnoText());
        return {};
    }

    QString mountTmpfs(const QString &folder, const char *options)
    {
        if (!ownMounts)
            return QString::fromLatin1(noMountsReason);
        const QByteArray native = QFile::encodeName(folder);
        if (mount("tmpfs", native.constData(), "tmpfs", 0, options) != 0)
            return QStringLiteral("tmpfs mount failed: %1").arg(errnoText());
        m_mounts.append(native);
        return {};
    }

private:
    static bool setImmutable(const QByteArray &path, bool on)
    {
        const int fd = open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
        return done;
    }

    QList<QByteArray> m_immutable;
    QList<std::pair<QByteArray, mode_t>> m_modes;
    QList<QByteArray> m_mounts;
};

// Gives the folder and what is in it to "nobody" when the test runs as root, so that the
// unprivileged helper may work in it; a test that is not root owns them already. Empty on
// success, else why it cannot be done.
QString handOver(const QString &folder)
{
    if (!isRoot())
        return {};
    const passwd *nobody = getpwnam("nobody");
    if (!nobody)
        return QStringLiteral("there is no user nobody to save as");
    QDir dir(folder);
    QStringList paths{folder};
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        paths << dir.filePath(name);
    for (const QString &path : std::as_const(paths)) {
        if (chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
            return QStringLiteral("cannot give %1 to nobody: %2").arg(path, errnoText());
    }
    return {};
}

QString kindArgument(FaultFile file)
{
    return file == FaultFile::Data ? QStringLiteral("data") : QStringLiteral("help");
}

struct HelperRun
{
    QString status;    // what the helper printed: the save's status
    QStringList trace; // its standard error, line by line
    QString cannotRun; // why the helper could not do its work here, if it could not
};

// Runs the helper's save-new in `folder`, as "nobody" when `unprivileged` and root.
HelperRun saveNewInHelper(FaultFile file, const QString &folder, bool unprivileged)
{
    QStringList args;
    if (unprivileged)
        args << QStringLiteral("--unprivileged");
    args << QStringLiteral("save-new") << kindArgument(file) << folder;
    QProcess helper;
    helper.start(QStringLiteral(SMELT_FAULT_HELPER), args);
    HelperRun run;
    if (!helper.waitForFinished(60000) || helper.exitStatus() != QProcess::NormalExit) {
        run.status = QStringLiteral("helper did not finish");
        return run;
    }
    if (helper.exitCode() == HelperNoUser)
        run.cannotRun = QStringLiteral("the helper cannot become the user nobody");
    else if (helper.exitCode() == HelperNoFolder)
        run.cannotRun = QStringLiteral("the user nobody cannot enter %1").arg(folder);
    if (helper.exitCode() != 0) {
        run.status = QStringLiteral("helper exit code %1").arg(helper.exitCode());
        return run;
    }
    run.status = QString::fromLatin1(helper.readAllStandardOutput()).trimmed();
    const QString err = QString::fromUtf8(helper.readAllStandardError());
    run.trace = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

// The lines that loading `bytes` prints, as the helper shows them on standard error.
QStringList loadTrace(FaultFile file, const QByteArray &bytes)
{
    TraceCapture capture;
    if (file == FaultFile::Data) {
        CraftingData tree;
        readCraftingData(bytes, tree);
    } else {
        HelpTopics topics;
        readHelpTopics(bytes, topics);
    }
    QStringList lines = capture.lines();
    for (QString &line : lines)
        line.remove(0, 3); // the "D: " or "W: " of the capture
    return lines;
}

// The lines that saving the new records prints, once the file is known to be writable.
QStringList newSaveTrace(FaultFile file)
{
    ScratchFolder elsewhere;
    TraceCapture capture;
    saveNewRecordsLikeTheProgram(file);
    QStringList lines = capture.lines();
    for (QString &line : lines)
        line.remove(0, 3);
    return lines;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray encodedTree(const CraftingData &tree)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCraftingData(buffer, tree);
    return bytes;
}

} // namespace

class SaveFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void folderThatTakesNoNewFilesKeepsEverythingAsItWas_data();
    void folderThatTakesNoNewFilesKeepsEverythingAsItWas();
    void protectedFileIsLeftAlone_data();
    void protectedFileIsLeftAlone();

    void inputsNotReadCompletelyAreKeptAside_data();
    void inputsNotReadCompletelyAreKeptAside();
    void backupOfALinkedFileHoldsWhatTheLinkPointedTo_data();
    void backupOfALinkedFileHoldsWhatTheLinkPointedTo();
    void adminWindowKeepsADataFileItCouldNotReadAside_data();
    void adminWindowKeepsADataFileItCouldNotReadAside();

    void killedWhileSavingLeavesTheOldOrTheNewFile_data();
    void killedWhileSavingLeavesTheOldOrTheNewFile();

    void fullFileSystemKeepsTheOldFile_data();
    void fullFileSystemKeepsTheOldFile();
};

void SaveFaultsTest::initTestCase()
{
    if (!isRoot()) {
        noMountsReason = "mounting a file system needs root";
        return;
    }
    if (unshare(CLONE_NEWNS) != 0) {
        noMountsReason = "no mount namespace of the test's own: " + errnoText().toLocal8Bit();
        return;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        noMountsReason = "cannot make the test's mounts private: " + errnoText().toLocal8Bit();
        return;
    }
    ownMounts = true;
}

void SaveFaultsTest::folderThatTakesNoNewFilesKeepsEverythingAsItWas_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::addColumn<int>("guard");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<QByteArray>("old");

    const QList<std::pair<Guard, const char *>> guards{
        {Guard::ImmutableFolder, "immutable folder"},
        {Guard::UnprivilegedFolder, "folder mode 0555 for a user"},
        {Guard::ReadOnlyMount, "read-only mount"}};
    for (FaultFile file : {FaultFile::Data, FaultFile::Help}) {
        const QString name = faultFileName(file);
        const QByteArray intact = oldFileBytes(file);
        for (const auto &[guard, how] : guards) {
            const auto row = [&](const char *what) -> QTestData & {
                return QTest::newRow(
                           qPrintable(QStringLiteral("%1 %2, %3")
                                          .arg(name, QLatin1String(what), QLatin1String(how))))
                       << file << int(guard);
            };
            row("not there yet") << false << QByteArray();
            row("intact") << true << intact;
            row("damaged") << true << intact.chopped(1);
        }
    }
}

// The new contents go to a temporary file beside the old one, and a folder that takes no
// new files has no room for it: the save does not start, even where the file itself could
// be written in place, so the old file stays whole. Nothing is printed beyond the load's
// own lines, and nothing is created, not even a backup of a damaged file.
void SaveFaultsTest::folderThatTakesNoNewFilesKeepsEverythingAsItWas()
{
    QFETCH(FaultFile, file);
    QFETCH(int, guard);
    QFETCH(bool, fileExists);
    QFETCH(QByteArray, old);
    ScratchFolder folder;
    const QString name = faultFileName(file);
    if (fileExists)
        folder.writeFile(name, old);
    const QStringList before = folderEntries(folder.path());

    Protection protection;
    QString unavailable;
    const bool unprivileged = Guard(guard) == Guard::UnprivilegedFolder;
    switch (Guard(guard)) {
    case Guard::ImmutableFolder:
        unavailable = protection.makeImmutable(folder.path());
        break;
    case Guard::ReadOnlyMount:
        unavailable = protection.mountReadOnly(folder.path());
        break;
    default:
        unavailable = handOver(folder.path());
        if (unavailable.isEmpty())
            unavailable = protection.setMode(folder.path(), 0555);
        break;
    }
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot protect the folder here: ") + unavailable));

    const HelperRun run = saveNewInHelper(file, folder.path(), unprivileged);
    if (!run.cannotRun.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot save as another user here: ") + run.cannotRun));
    QCOMPARE(run.status, QStringLiteral("NotWritable"));
    QCOMPARE(run.trace, fileExists ? loadTrace(file, old) : QStringList());
    QCOMPARE(folderEntries(folder.path()), before);
    if (fileExists)
        QCOMPARE(folder.readFile(name), old);
}

void SaveFaultsTest::protectedFileIsLeftAlone_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::addColumn<int>("guard");
    QTest::addColumn<bool>("damaged");

    const QList<std::pair<Guard, const char *>> guards{
        {Guard::ImmutableFile, "immutable file"},
        {Guard::UnprivilegedFile, "file mode 0444 for a user"},
        {Guard::ReadOnlyMount, "read-only mount"}};
    for (FaultFile file : {FaultFile::Data, FaultFile::Help}) {
        for (const auto &[guard, how] : guards) {
            for (bool damaged : {false, true}) {
                QTest::newRow(qPrintable(QStringLiteral("%1 %2, %3")
                                             .arg(faultFileName(file),
                                                  QLatin1String(damaged ? "damaged" : "intact"),
                                                  QLatin1String(how))))
                    << file << int(guard) << damaged;
            }
        }
    }
}

// A file that cannot be opened for writing keeps the run's records out of it, silently,
// even where the folder would let a new file be renamed over it; a damaged one gets no
// backup either, as it is not replaced.
void SaveFaultsTest::protectedFileIsLeftAlone()
{
    QFETCH(FaultFile, file);
    QFETCH(int, guard);
    QFETCH(bool, damaged);
    ScratchFolder folder;
    const QString name = faultFileName(file);
    const QByteArray old = damaged ? oldFileBytes(file).chopped(1) : oldFileBytes(file);
    folder.writeFile(name, old);

    Protection protection;
    QString unavailable;
    const bool unprivileged = Guard(guard) == Guard::UnprivilegedFile;
    switch (Guard(guard)) {
    case Guard::ImmutableFile:
        unavailable = protection.makeImmutable(folder.filePath(name));
        break;
    case Guard::ReadOnlyMount:
        unavailable = protection.mountReadOnly(folder.path());
        break;
    default:
        unavailable = protection.setMode(folder.filePath(name), 0444);
        if (unavailable.isEmpty())
            unavailable = handOver(folder.path());
        break;
    }
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot protect the file here: ") + unavailable));

    const HelperRun run = saveNewInHelper(file, folder.path(), unprivileged);
    if (!run.cannotRun.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot save as another user here: ") + run.cannotRun));
    QCOMPARE(run.status, QStringLiteral("NotWritable"));
    QCOMPARE(run.trace, loadTrace(file, old));
    QCOMPARE(folderEntries(folder.path()), QStringList{name});
    QCOMPARE(folder.readFile(name), old);
}

void SaveFaultsTest::inputsNotReadCompletelyAreKeptAside_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<bool>("earlierBackup");
    QTest::addColumn<bool>("keptAside");

    for (FaultFile file : {FaultFile::Data, FaultFile::Help}) {
        const QByteArray intact = oldFileBytes(file);
        const QByteArray otherMagic =
            oldFileBytes(file == FaultFile::Data ? FaultFile::Help : FaultFile::Data);
        const auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(
                       qPrintable(faultFileName(file) + QLatin1Char(' ') + QLatin1String(what)))
                   << file;
        };
        row("cut short in its last record") << intact.chopped(1) << false << false << true;
        row("cut short after the magic") << intact.left(5) << false << false << true;
        row("of the other format") << otherMagic << false << false << true;
        row("of two bytes") << intact.left(2) << false << false << true;
        row("empty") << QByteArray() << false << false << true;
        row("that cannot be read") << intact << true << false << true;
        row("damaged, replacing an earlier backup") << intact.chopped(1) << false << true << true;
        row("intact: no backup") << intact << false << false << false;
        row("intact, an earlier backup left alone") << intact << false << true << false;
    }
}

// The program saves over a file it could not read completely only after keeping a copy, so
// what it did not understand is never lost; a file it read whole needs no copy.
void SaveFaultsTest::inputsNotReadCompletelyAreKeptAside()
{
    QFETCH(FaultFile, file);
    QFETCH(QByteArray, old);
    QFETCH(bool, unreadable);
    QFETCH(bool, earlierBackup);
    QFETCH(bool, keptAside);
    ScratchFolder folder;
    const QString name = faultFileName(file);
    const QString backup = name + QStringLiteral(".bak");
    const QByteArray earlier("an earlier backup");
    folder.writeFile(name, old);
    if (earlierBackup)
        folder.writeFile(backup, earlier);
    Protection protection;
    if (unreadable) {
        QString unavailable = protection.setMode(folder.filePath(name), 0200);
        if (unavailable.isEmpty())
            unavailable = handOver(folder.path());
        if (!unavailable.isEmpty())
            QSKIP(
                qPrintable(QStringLiteral("cannot make an unreadable file here: ") + unavailable));
    }

    const HelperRun run = saveNewInHelper(file, folder.path(), unreadable);
    if (!run.cannotRun.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot save as another user here: ") + run.cannotRun));
    QCOMPARE(run.status, QStringLiteral("Saved"));
    QStringList expected = unreadable ? QStringList() : loadTrace(file, old);
    if (keptAside)
        expected << QStringLiteral("Kept the old file as %1").arg(backup);
    expected << newSaveTrace(file);
    QCOMPARE(run.trace, expected);
    if (unreadable) {
        // The new file keeps the mode its owner gave the old one, and the backup is the old
        // one; both are opened up only so that this test can read them.
        for (const QString &kept : {name, backup}) {
            struct stat status;
            QCOMPARE(stat(QFile::encodeName(folder.filePath(kept)).constData(), &status), 0);
            QCOMPARE(status.st_mode & 0777, mode_t(0200));
            QCOMPARE(protection.setMode(folder.filePath(kept), 0600), QString());
        }
    }
    QCOMPARE(folder.readFile(name), newFileBytes(file));
    if (keptAside || earlierBackup)
        QCOMPARE(folderEntries(folder.path()), QStringList({name, backup}));
    else
        QCOMPARE(folderEntries(folder.path()), QStringList{name});
    if (keptAside)
        QCOMPARE(folder.readFile(backup), old);
    else if (earlierBackup)
        QCOMPARE(folder.readFile(backup), earlier);
}

void SaveFaultsTest::backupOfALinkedFileHoldsWhatTheLinkPointedTo_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::newRow("Smeltwork.dat") << FaultFile::Data;
    QTest::newRow("Smeltwork.hlp") << FaultFile::Help;
}

// A file name that is a symbolic link: the save replaces the file it points to, so the
// backup must hold that file's old bytes, not a second link to the new ones.
void SaveFaultsTest::backupOfALinkedFileHoldsWhatTheLinkPointedTo()
{
    QFETCH(FaultFile, file);
    ScratchFolder folder;
    const QString name = faultFileName(file);
    const QByteArray old = oldFileBytes(file).chopped(1);
    folder.writeFile(QStringLiteral("real"), old);
    QVERIFY(QFile::link(QStringLiteral("real"), folder.filePath(name)));

    TraceCapture trace;
    QCOMPARE(saveNewRecordsLikeTheProgram(file), SaveStatus::Saved);
    QCOMPARE(QFileInfo(folder.filePath(name)).symLinkTarget(),
             folder.filePath(QStringLiteral("real")));
    QCOMPARE(folder.readFile(QStringLiteral("real")), newFileBytes(file));
    QCOMPARE(folder.readFile(name + QStringLiteral(".bak")), old);
}

void SaveFaultsTest::adminWindowKeepsADataFileItCouldNotReadAside_data()
{
    QTest::addColumn<QByteArray>("old");
    const QByteArray intact = oldFileBytes(FaultFile::Data);
    QTest::newRow("cut short") << intact.chopped(1);
    QTest::newRow("of the other format") << oldFileBytes(FaultFile::Help);
}

// The same through the window: it warns while loading, and saveData() keeps the file aside.
void SaveFaultsTest::adminWindowKeepsADataFileItCouldNotReadAside()
{
    QFETCH(QByteArray, old);
    ScratchFolder folder;
    folder.writeFile(QStringLiteral("Smeltwork.dat"), old);
    TraceCapture trace;
    bool warned = false;
    whenModalOpens([&warned](QWidget *box) {
        warned = true;
        QTest::keyClick(box, Qt::Key_Return);
    });
    SmeltworkAdminDialog window;
    QVERIFY(warned);
    window.saveData();
    QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat.bak")), old);
    QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat")), encodedTree(window.data()));
    QVERIFY(
        trace.warningLines().contains(QStringLiteral("Kept the old file as Smeltwork.dat.bak")));
}

void SaveFaultsTest::killedWhileSavingLeavesTheOldOrTheNewFile_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::newRow("Smeltwork.dat") << FaultFile::Data;
    QTest::newRow("Smeltwork.hlp") << FaultFile::Help;
}

// A helper saves two big trees in turn until it is killed at a random moment; whatever
// moment that was, the file then holds one of the two trees whole.
void SaveFaultsTest::killedWhileSavingLeavesTheOldOrTheNewFile()
{
    QFETCH(FaultFile, file);
    ScratchFolder folder;
    const QString name = faultFileName(file);
    const QByteArray trees[2] = {bigFileBytes(file, 0), bigFileBytes(file, 1)};
    QVERIFY(trees[0].size() > 1000000 && trees[1].size() > 1000000);

    int killedMidSave = 0;
    QList<int> delays;
    for (int round = 0; round < 12; ++round) {
        const QStringList leftoversBefore = folderEntries(folder.path());
        QProcess helper;
        helper.start(QStringLiteral(SMELT_FAULT_HELPER),
                     {QStringLiteral("save-loop"), kindArgument(file), folder.path()});
        QVERIFY(helper.waitForStarted());
        // Once the first save is done the file exists; kill during the saves after it.
        while (!helper.canReadLine())
            QVERIFY2(helper.waitForReadyRead(30000), "the helper saved nothing");
        const int delay = QRandomGenerator::global()->bounded(60);
        delays.append(delay);
        QTest::qSleep(delay);
        helper.kill();
        QVERIFY(helper.waitForFinished());
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

        const QByteArray bytes = folder.readFile(name);
        QVERIFY2(bytes == trees[0] || bytes == trees[1],
                 qPrintable(QStringLiteral("a mixed or partial file of %1 bytes when killed "
                                           "%2 ms after a save")
                                .arg(bytes.size())
                                .arg(delays.last())));
        // A kill in the middle of a save leaves that save's temporary file behind.
        if (folderEntries(folder.path()).size() > leftoversBefore.size())
            ++killedMidSave;
    }
    QVERIFY2(killedMidSave > 0, "no kill landed in the middle of a save");
}

void SaveFaultsTest::fullFileSystemKeepsTheOldFile_data()
{
    QTest::addColumn<FaultFile>("file");
    QTest::addColumn<bool>("damaged");
    for (FaultFile file : {FaultFile::Data, FaultFile::Help}) {
        QTest::newRow(qPrintable(faultFileName(file) + QStringLiteral(" intact"))) << file << false;
        QTest::newRow(qPrintable(faultFileName(file) + QStringLiteral(" damaged, kept aside")))
            << file << true;
    }
}

// A save that runs out of space fails as a whole: the old file stays as it was and no
// temporary file is left to take the space.
void SaveFaultsTest::fullFileSystemKeepsTheOldFile()
{
    QFETCH(FaultFile, file);
    QFETCH(bool, damaged);
    ScratchFolder folder;
    Protection protection;
    const QString unavailable = protection.mountTmpfs(folder.path(), "size=64k,mode=0700");
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(QStringLiteral("cannot mount a small file system here: ") + unavailable));
    QDir::setCurrent(folder.path());

    const QString name = faultFileName(file);
    const QByteArray old = damaged ? oldFileBytes(file).chopped(1) : oldFileBytes(file);
    folder.writeFile(name, old);
    {
        // Fill every block that is left.
        QFile filler(folder.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
    }

    TraceCapture trace;
    QCOMPARE(saveNewRecordsLikeTheProgram(file), SaveStatus::WriteFailed);
    QCOMPARE(folder.readFile(name), old);
    QStringList entries{QStringLiteral("filler"), name};
    QStringList warnings;
    if (damaged) {
        // The copy is a second name for the old file: it needs no room.
        entries << name + QStringLiteral(".bak");
        QCOMPARE(folder.readFile(name + QStringLiteral(".bak")), old);
        warnings << QStringLiteral("Kept the old file as %1.bak").arg(name);
    }
    entries.sort();
    QCOMPARE(folderEntries(folder.path()), entries);
    warnings << QStringLiteral("Unable to write %1: %2; the old file was kept")
                    .arg(name, QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QCOMPARE(trace.warningLines().mid(damaged ? 1 : 0), warnings);
    QVERIFY(!trace.debugLines().contains(file == FaultFile::Data
                                             ? QStringLiteral("Finished saving data file")
                                             : QStringLiteral("Finished saving help file")));
}

QTEST_MAIN(SaveFaultsTest)
#include "tst_savefaults.moc"
