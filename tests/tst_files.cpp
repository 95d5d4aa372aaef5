// Both file formats both ways, files built to break the readers, and saves when the world does
// not cooperate. As root, whom file modes do not stop, folders are guarded by the immutable
// attribute, a read-only bind mount or a full tmpfs in a mount namespace of the test's own, or
// a save made as the user nobody.
#include "data/filesession.h"
#include "data/folderlock.h"
#include "data/smeltfiles.h"
#include "tests/support/sampletree.h"
#include "tests/support/testsupport.h"

#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Where a damaged file stopped and what was kept, or how many bytes follow the last record.
QString said(const FileReport &report)
{
    if (report.status == LoadStatus::Damaged)
        return QString::asprintf("R: stopped at byte %lld, kept %d/%d/%d/%d", report.damagedAt,
                                 report.groups, report.procs, report.reqs, report.topics);
    return report.trailing ? QString::asprintf("R: %lld bytes follow", report.trailing) : "";
}

// What a reader must keep of `full` when the file ends after `cut` bytes: every requirement
// read whole, every process whose name and QLs were read, every group whose name was read.
CraftingData keptBeforeCut(const CraftingData &full, qsizetype cut)
{
    const auto size = [](const QString &s) { return 4 + 2 * s.size(); };
    CraftingData kept;
    qsizetype at = 6;
    for (const ProcGroup &g : full) {
        if ((at += size(g.name)) > cut)
            return kept;
        kept.append({g.name, {}}), at += 2;
        for (const Proc &p : g.procs) {
            if ((at += size(p.name) + 2) > cut)
                return kept;
            kept.last().procs.append({p.name, p.maxQL, p.minQL, {}}), at += 2;
            for (const Req &r : p.reqs) {
                if ((at += size(r.name) + size(r.multiplier) + 5) > cut)
                    return kept;
                kept.last().procs.last().reqs.append(r);
            }
        }
    }
    return kept;
}

QString noMounts = QStringLiteral("mounting needs root"); // cleared once mounts are private
#ifdef Q_OS_UNIX
uid_t nobody = uid_t(-1);
#endif

// Root reads and saves as nobody, real id too, since Qt asks access(); the saved id stays
// root's. Where there is no nobody, as on Windows, the test goes on as who runs it.
bool becomeNobody(const QString &guard)
{
#ifdef Q_OS_UNIX
    return guard.contains("nobody") && setresuid(nobody, nobody, 0) == 0;
#else
    Q_UNUSED(guard);
    return false;
#endif
}

void becomeRootAgain(bool wasNobody)
{
#ifdef Q_OS_UNIX
    if (wasNobody && setresuid(0, 0, 0) != 0)
        qFatal("cannot become root again");
#else
    Q_UNUSED(wasNobody);
#endif
}

// Runs `command` through the shell in `folder`, found by its name again: the current folder
// would be the one beneath a mount made on it. Empty when it worked, else what it said.
QString run(const QString &command, const QString &folder)
{
#ifdef Q_OS_WIN
    // No POSIX shell there: only the guards that need none.
    if (command == "true" || (command.startsWith("mkdir ") && QDir(folder).mkdir(command.mid(6))))
        return {};
    return command + ": POSIX only";
#endif
    QProcess sh;
    sh.setWorkingDirectory(folder);
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
    return sh.waitForFinished() && sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0
               ? QString()
               : command + ": " + sh.readAllStandardError().trimmed();
}

// What a folder holds before and after a save: entries "name=contents" by the names below,
// or "name->link target" (links are made by guards).
const QByteArray oldFile = encodeWithQDataStream({{"Old", {}}});
const QMap<QString, QByteArray> contents{{"old", oldFile},
                                         {"cut", oldFile.chopped(1)},
                                         {"new", encodeWithQDataStream(sampleTree())},
                                         {"earlier", "earlier"}};

QStringList snapshot(const ScratchFolder &folder)
{
    QStringList entries;
    for (const QFileInfo &info :
         QDir(folder.path())
             .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString name = info.fileName();
        if (info.isSymLink())
            entries << name + "->" + QFileInfo(info.symLinkTarget()).fileName();
        else if (info.isDir())
            entries << name + '/';
        else if (!info.isFile())
            entries << name + '|'; // a pipe, never read
        else if (name != "filler")
            entries << name + '=' +
                           contents.key(folder.readFile(name), QStringLiteral("(unknown)"));
    }
    return entries;
}

} // namespace

class FilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Mounts made in a namespace of the test's own go away with it.
    void initTestCase()
    {
#ifdef Q_OS_WIN
        noMounts = QStringLiteral("no mounts on Windows");
#else
        if (const passwd *user = getpwnam("nobody"))
            nobody = user->pw_uid;
        if (geteuid() != 0)
            return;
        if (unshare(CLONE_NEWNS) != 0)
            noMounts = QStringLiteral("no mount namespace of the test's own");
        else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            noMounts = QStringLiteral("the test's mounts cannot be made private");
        else
            noMounts.clear();
#endif
    }

    // Bytes -> status -> tree -> every trace line; the tree read is then written back as Qt's
    // own QDataStream writes it.
    void readsBytesIntoTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<CraftingData>("tree");
        QTest::addColumn<QStringList>("trace");
        const QString end = QStringLiteral("D: Finished loading data file");

        QTest::newRow("worked example")
            << fromHex("2A E5 10 A4 · 00 01 · 00 00 00 08 00 4F 00 72 00 65 00 73 · 00 01 · 00 "
                       "00 00 0A 00 49 00 6E 00 67 00 6F 00 74 · 64 · 01 · 00 01 · 00 00 00 0C 00 "
                       "48 00 61 00 6D 00 6D 00 65 00 72 · 00 00 00 02 00 31 · 00 · 00 00 04 D2")
            << LoadStatus::Loaded
            << CraftingData{{"Ores", {proc("Ingot", {item("Hammer", "1", 1234)})}}}
            << testDataLines("worked-example-trace.txt");
        QTest::newRow("null and empty strings, QL C8, type FF, id FF FF FF FF")
            << fromHex("2A E5 10 A4 00 02 · FF FF FF FF 00 00 · 00 00 00 00 00 01 · FF FF FF FF "
                       "C8 00 00 01 · 00 00 00 00 FF FF FF FF FF FF FF FF FF")
            << LoadStatus::Loaded
            << CraftingData{{QString(), {}},
                            {"", {proc(nullptr, {skill("", nullptr, -1, -1)}, 200, 0)}}}
            << testDataLines("null-and-empty-trace.txt");
        QTest::newRow("sample") << encodeWithQDataStream(sampleTree()) << LoadStatus::Loaded
                                << sampleTree() << (testDataLines("sample-trace.txt") << end);
        QTest::newRow("empty tree, bytes after the last group ignored")
            << fromHex("2A E5 10 A4 00 00 DE AD BE EF") << LoadStatus::Loaded << CraftingData{}
            << QStringList{"D: Groups: 0", end, "R: 4 bytes follow"};
        for (const char *hex :
             {"2A E5 10 A5 00 00", "A4 10 E5 2A 00 00", "", "2A", "2A E5", "2A E5 10"})
            QTest::addRow("foreign: %s", hex)
                << fromHex(hex) << LoadStatus::BadMagic << CraftingData{} << QStringList();
        // 00000003 is odd; FFFFFFFE is no -2.
        for (const char *length : {"00 00 00 03", "FF FF FF FE", "7F FF FF F0"})
            QTest::addRow("string of %s bytes in a 100-byte file", length)
                << fromHex("2A E5 10 A4 00 01") + fromHex(length) + QByteArray(90, 'A')
                << LoadStatus::Damaged << CraftingData{}
                << QStringList{"D: Groups: 1", "R: stopped at byte 10, kept 0/0/0/0"};
        QTest::newRow("65535 counted at every level, one of each held")
            << fromHex("2A E5 10 A4 FF FF FF FF FF FF FF FF FF FF FF FF 01 01 FF FF")
            << LoadStatus::Damaged << CraftingData{{QString(), {proc(nullptr, {}, 1, 1)}}}
            << testDataLines("counted-65535-trace.txt");
    }

    void readsBytesIntoTree()
    {
        QFETCH(QByteArray, bytes);
        TraceCapture capture;
        CraftingData loaded;
        const FileReport report = readCraftingData(bytes, loaded);
        QTEST(report.status, "status");
        QTEST(loaded, "tree");
        QStringList lines = capture.lines();
        if (!said(report).isEmpty())
            lines << said(report);
        QTEST(lines, "trace");
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        QVERIFY(writeCraftingData(written, loaded));
        QCOMPARE(written.data(), encodeWithQDataStream(loaded));
        // A loaded file is written back as it was, less any bytes after its last group.
        QVERIFY(report.status != LoadStatus::Loaded || bytes.startsWith(written.data()));
    }

    // The reader gets a view of the first `cut` bytes of the intact file, so reading past the
    // end would find valid data and keep records it must not have.
    void truncatedAtEveryByteKeepsWhatWasComplete()
    {
        const QByteArray bytes = encodeWithQDataStream(sampleTree());
        for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
            TraceCapture capture;
            CraftingData loaded;
            const FileReport report = readCraftingData(QByteArrayView(bytes.data(), cut), loaded);
            const CraftingData kept = keptBeforeCut(sampleTree(), cut);
            QCOMPARE(loaded, kept);
            QCOMPARE(report.status, cut < 4 ? LoadStatus::BadMagic : LoadStatus::Damaged);
            int procs = 0, reqs = 0;
            for (const ProcGroup &g : kept)
                for (const Proc &p : g.procs)
                    procs++, reqs += int(p.reqs.size());
            QCOMPARE(QList<int>({report.groups, report.procs, report.reqs}),
                     QList<int>({int(kept.size()), procs, reqs}));
            // The lines are those a whole load prints up to there.
            const QStringList lines = capture.lines();
            QCOMPARE(lines, testDataLines("sample-trace.txt").mid(0, lines.size()));
        }
    }

    // Guard: a shell command run in the folder. Before and after: its entries (see contents).
    void saveReplacesTheFileOrChangesNothing_data()
    {
        QTest::addColumn<QString>("guard");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("keepBackup");
        QTest::addColumn<SaveStatus>("status");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("warnings");
        const auto row = [](const char *guard, const QStringList &before, bool keepBackup,
                            SaveStatus status, const QStringList &after,
                            const QStringList &warnings) {
            QTest::addRow("%s; %s", guard,
                          before.isEmpty() ? "no file" : qPrintable(before.join(", ")))
                << guard << before << keepBackup << status << after << warnings;
        };

        const QStringList none, old{"Smeltwork.dat=old"}, cut{"Smeltwork.dat=cut"};
        const QString dat = "Smeltwork.dat=new", bak = "Smeltwork.dat.bak=";
        const QString kept = "Kept the old file as Smeltwork.dat.bak";
        const auto unable = [](int error) {
            return "Unable to save Smeltwork.dat: " + QString::fromLocal8Bit(strerror(error));
        };
        const QString noBackup =
            "Unable to keep a copy of Smeltwork.dat; the file was not replaced";
        const auto saved = SaveStatus::Saved, notWritable = SaveStatus::NotWritable;
        // A folder that takes no new file: the file is written in place, keeping its owner and
        // mode, unless it must be kept first, for which there is no room.
        for (const char *guard : {"chattr +i .", "chown -R nobody . && chmod 555 ."}) {
            const int error = QByteArray(guard).contains("chattr") ? EPERM : EACCES;
            row(guard, old, false, saved, {dat}, {});
            row(guard, cut, true, notWritable, cut, {unable(error)});
            row(guard, none, false, notWritable, none, {unable(error)});
        }
        // A file that takes no writing is never replaced.
        row("mount --bind -o ro . .", old, false, notWritable, old, {unable(EROFS)});
        row("chattr +i Smeltwork.dat", cut, true, notWritable, cut, {unable(EPERM)});
        row("chown -R nobody . && chmod 444 Smeltwork.dat", old, false, notWritable, old,
            {unable(EACCES)});
        // The tmpfs is mounted before the entries are made. A backup takes no room.
        const char *fill = "dd if=/dev/zero of=filler 2>/dev/null; true";
        row(fill, old, false, SaveStatus::WriteFailed, old, {unable(ENOSPC)});
        row(fill, cut, true, SaveStatus::WriteFailed, cut + QStringList{bak + "cut"},
            {kept, unable(ENOSPC)});
        row("true", none, false, saved, {dat}, {});
        // A backup never replaces a backup: each moves one place down, the tenth goes.
        row("true",
            cut + QStringList{bak + "earlier", "Smeltwork.dat.bak.1=old", "Smeltwork.dat.bak.2=new",
                              "Smeltwork.dat.bak.9=old"},
            true, saved,
            {dat, bak + "cut", "Smeltwork.dat.bak.1=earlier", "Smeltwork.dat.bak.2=old",
             "Smeltwork.dat.bak.3=new"},
            {kept});
        row("mkdir Smeltwork.dat.bak", cut, true, saved, {dat, bak + "cut", "Smeltwork.dat.bak.1/"},
            {kept});
        row("true", old + QStringList{bak + "earlier"}, false, saved, {dat, bak + "earlier"}, {});
        // A file the program could not read is kept without reading it.
        row("chown -R nobody . && chmod 200 Smeltwork.dat", old, true, saved, {dat, bak + "old"},
            {kept});
        row("ln -s target Smeltwork.dat", {"target=cut"}, true, saved,
            {"Smeltwork.dat->target", bak + "cut", "target=new"}, {kept});
        // Only a regular file is replaced.
        row("mkfifo Smeltwork.dat", none, false, SaveStatus::NotAFile, {"Smeltwork.dat|"},
            {"Unable to save Smeltwork.dat: a named pipe, not a file"});
    }

    void saveReplacesTheFileOrChangesNothing()
    {
        QFETCH(QString, guard);
        QFETCH(QStringList, before);
        QFETCH(bool, keepBackup);
        ScratchFolder folder;
        // Takes away whatever guarded the folder, so that it can be removed.
        const auto unguard = qScopeGuard([&folder] {
            run("umount -l .; chattr -i . Smeltwork.dat; chmod 700 .; rm -f Smeltwork.dat; true",
                folder.path());
        });
        QString unavailable = guard.contains("mount") || guard.contains("filler") ? noMounts : "";
        if (unavailable.isEmpty() && guard.contains("filler"))
            unavailable = run("mount -t tmpfs -o size=64k tmpfs .", folder.path());
        for (const QString &entry : before)
            folder.writeFile(entry.section('=', 0, 0), contents.value(entry.section('=', 1)));
#ifdef Q_OS_UNIX // modes and owners; Windows keeps access lists, and only in place
        const QByteArray file = QFile::encodeName(folder.path() + "/Smeltwork.dat");
        ::chmod(file.constData(), 0604); // not what a new file gets
#endif
        if (unavailable.isEmpty())
            unavailable = run(guard, folder.path());
        if (!unavailable.isEmpty())
            QSKIP(qPrintable("cannot guard the folder here: " + unavailable));
#ifdef Q_OS_UNIX
        struct stat was = {}, is = {};
        const bool existed = ::lstat(file.constData(), &was) == 0 && S_ISREG(was.st_mode);
#endif

        const bool asNobody = becomeNobody(guard);
        TraceCapture trace;
        const SaveStatus status =
            saveFile(folder.path() + "/Smeltwork.dat", sampleTree(), keepBackup).status;
        becomeRootAgain(asNobody);
        QTEST(status, "status");
        QTEST(snapshot(folder), "after");
#ifdef Q_OS_UNIX
        // The file saved over keeps its permissions and owner, in place or renamed over.
        if (existed && status == SaveStatus::Saved && ::stat(file.constData(), &is) == 0)
            QCOMPARE(QString::asprintf("%o %u", is.st_mode, is.st_uid),
                     QString::asprintf("%o %u", was.st_mode, was.st_uid));
#endif
        QTEST(trace.lines("W: "), "warnings");
        // A save that starts prints the lines loading prints, between lines of its own.
        const QStringList wrote =
            QStringList("D: Saving data file...") + testDataLines("sample-trace.txt");
        QCOMPARE(trace.lines().filter(QRegularExpression("^D: ")),
                 status == SaveStatus::WriteFailed ? wrote
                 : status == SaveStatus::Saved ? wrote + QStringList("D: Finished saving data file")
                                               : QStringList());
    }

    // Bytes -> topics and warning (none: loaded whole, and written back the same).
    void helpFileBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("warning");
        const auto row = [](const char *name, const QByteArray &bytes, const HelpTopics &topics,
                            const QString &warning = "") {
            QTest::newRow(name) << bytes << topics << warning;
        };
        const QString bad = "bad magic", damaged = "R: stopped at byte %1, kept 0/0/0/%2";
        // Three topics, the first with a body never written, the last with empty strings.
        const QByteArray sample = fromHex("E9A7143D 0003 . 00000002 0031 . 0000000A "
                                          "0049006E00740072006F . FFFFFFFF . 00000006 0031002E0031 "
                                          ". 00000006 005300750062 . 00000008 003C0062003E0078 . "
                                          "00000000 . 00000000 . 00000000");
        const HelpTopics topics = {{"1", "Intro", QString()}, {"1.1", "Sub", "<b>x"}, {"", "", ""}};
        row("sample", sample, topics);
        row("bytes after the last topic are not read", fromHex("E9A7143D 0000 DEADBEEF"), {},
            "R: 4 bytes follow");
        row("the data file", fromHex("2AE510A4 0001 00000002 0041 0000"), {}, bad);
        row("count with the top bit set is 40000, not negative",
            fromHex("E9A7143D 9C40 00000002 0031 00000000 FFFFFFFF"), {{"1", "", QString()}},
            damaged.arg(20).arg(1));
        row("odd byte count", fromHex("E9A7143D 0001 00000003 003100"), {}, damaged.arg(10).arg(0));
        row("length beyond the end", fromHex("E9A7143D 0001 7FFFFFFE 0031"), {},
            damaged.arg(10).arg(0));
        // Cut short, the sample keeps its complete topics and names the field it could not
        // read. These offsets begin a field (a string's characters follow its length).
        const QList<int> fields = {4, 6, 10, 12, 16, 26, 30, 34, 40, 44, 50, 54, 62, 66, 70};
        for (int size = 0; size < sample.size(); ++size) {
            const int at =
                *std::prev(std::upper_bound(fields.begin(), fields.end(), qMax(4, size)));
            const int kept = size < 30 ? 0 : size < 62 ? 1 : 2;
            QTest::addRow("sample cut at %d", size) << sample.left(size) << topics.mid(0, kept)
                                                    << (size < 4 ? bad : damaged.arg(at).arg(kept));
        }
    }

    void helpFileBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(HelpTopics, topics);
        QFETCH(QString, warning);
        TraceCapture trace;
        HelpTopics read;
        const FileReport report = readHelpTopics(bytes, read);
        QCOMPARE(report.status, warning == "bad magic"             ? LoadStatus::BadMagic
                                : warning.startsWith("R: stopped") ? LoadStatus::Damaged
                                                                   : LoadStatus::Loaded);
        QCOMPARE(report.topics, int(topics.size()));
        QCOMPARE(read, topics);
        QCOMPARE(report.status == LoadStatus::BadMagic ? "bad magic" : said(report), warning);
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        QVERIFY(writeHelpTopics(written, read));
        QVERIFY(report.status != LoadStatus::Loaded || bytes.startsWith(written.data()));
    }

    // The file counts topics in 16 bits: the writer refuses one topic more and leaves the file
    // as it was.
    void aTopicTooManyIsRefused()
    {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", "old");
        const HelpTopics tooMany(MaxHelpTopics + 1, {"1", "x", QString()});
        TraceCapture quiet;
        QCOMPARE(saveFile(helpFilePath(), tooMany, false).status, SaveStatus::WriteFailed);
        QCOMPARE(folder.readFile("Smeltwork.hlp"), QByteArray("old"));
    }

    // What the path is -> what reading it reports; only a regular file is ever opened.
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("guard");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const char *guard, LoadStatus status,
                            const QString &reason = {}) {
            QTest::newRow(name) << QString(guard) << status << reason;
        };
        row("missing", "true", LoadStatus::NotOpened);
        row("pipe", "mkfifo Smeltwork.dat", LoadStatus::NotAFile, "a named pipe");
        row("folder", "mkdir Smeltwork.dat", LoadStatus::NotAFile, "a folder");
        row("link to a device", "ln -s /dev/null Smeltwork.dat", LoadStatus::NotAFile, "a device");
        row("link to a file", "echo x > t && ln -s t Smeltwork.dat", LoadStatus::Loaded);
        row("unreadable",
            "echo x > Smeltwork.dat && chown nobody Smeltwork.dat && chmod 200 Smeltwork.dat",
            LoadStatus::Unreadable, strerror(EACCES));
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, guard);
        ScratchFolder folder;
        const QString made = run(guard, folder.path());
#ifdef Q_OS_WIN
        if (!made.isEmpty())
            QSKIP(qPrintable("cannot make the path here: " + made));
#endif
        QCOMPARE(made, QString());
        const bool asNobody = becomeNobody(guard);
        QByteArray bytes;
        const FileReport report = readWholeFile(craftingFilePath(), bytes);
        becomeRootAgain(asNobody);
        QTEST(report.status, "status");
        QTEST(report.reason, "reason");
    }

    // A session of a window with its file: a touched file is no changed one, a rewrite of
    // the same size is; unsaved changes wait in a recovery copy of the folder's own until a
    // save has worked, and are offered whatever happened to the file since; a copy that
    // cannot be written is said once; one window per folder.
    void sessionsLoseNothing()
    {
        ScratchFolder folder;
        const QByteArray mine = encodeWithQDataStream({{"Mine", {}}});
        folder.writeFile("Smeltwork.dat", mine);
        const QString copy = recoveryPath(workingFolder(), "Smeltwork.dat");
        TraceCapture quiet;
        CraftingData tree;
        FileSession session(craftingFilePath());
        QVERIFY(session.load(tree).status == LoadStatus::Loaded &&
                !session.recoveryOffer().isValid());
        tree.append(ProcGroup{"Added", {}});
        session.changed(tree);
        session.writePendingRecovery();
        QFile(copy).setFileTime(QFileInfo("Smeltwork.dat").lastModified(),
                                QFileDevice::FileModificationTime);
        QVERIFY(FileSession(craftingFilePath()).recoveryOffer().isValid()); // as old as the file
        QTest::qWait(20); // a touch that changes the time and not the bytes is no change
        folder.writeFile("Smeltwork.dat", mine);
        QVERIFY(QFile::rename("Smeltwork.dat", "aside") && QDir().mkdir("Smeltwork.dat"));
        QCOMPARE(session.save(tree).status, SaveStatus::NotAFile);
        QVERIFY(QFile::exists(copy) && QDir().rmdir("Smeltwork.dat") &&
                QFile::rename("aside", "Smeltwork.dat"));
        SaveResult saved = session.save(tree);
        QVERIFY(saved.status == SaveStatus::Saved && saved.otherVersion.isEmpty() &&
                !QFile::exists("Smeltwork.dat.bak") && !QFile::exists(copy));

        // Killed with a change unsaved, while another program rewrote the file.
        tree.append(ProcGroup{"Unsaved", {}});
        session.changed(tree);
        session.writePendingRecovery();
        const QByteArray theirs = encodeWithQDataStream({{"Mine", {}}, {"Odded", {}}});
        folder.writeFile("Smeltwork.dat", theirs); // as long as the file saved
        CraftingData restored;
        FileSession next(craftingFilePath());
        QVERIFY(next.recoveryOffer().fileChanged);
        QVERIFY(next.loadRecovery(restored).status == LoadStatus::Loaded && restored == tree);
        QCOMPARE(folder.readFile("Smeltwork.dat"), theirs);
        saved = next.save(restored);
        QCOMPARE(saved.otherVersion, "Smeltwork.dat.bak");
        QCOMPARE(folder.readFile("Smeltwork.dat.bak"), theirs);
        next.changed(tree.mid(0, 1));
        next.writePendingRecovery();
        FileSession(craftingFilePath()).declineRecovery();
        QVERIFY(!FileSession(craftingFilePath()).recoveryOffer().isValid() &&
                QFile::exists(copy + ".declined"));

        QVERIFY(QDir().mkpath(copy)); // where the copy goes, a folder
        QSignalSpy failed(&next, &FileSession::recoveryFailed);
        for (int i = 0; i < 2; ++i)
            next.changed(tree), next.writePendingRecovery();
        QTRY_COMPARE(failed.count(), 1);
        QCOMPARE(quiet.lines("W: ").filter("recovery copy").size(), 1);
        QDir(copy).removeRecursively();

        // A folder removed under a session is named, not taken for a lack of permission.
        // Windows keeps a process's working folder from being removed.
#ifndef Q_OS_WIN
        {
            ScratchFolder gone;
            FileSession lost(craftingFilePath());
            QDir(gone.path()).removeRecursively();
            QCOMPARE(lost.save(tree).reason, "the folder " + gone.path() + " no longer exists");
        }
#endif
        // One window per folder: a second lock is refused while the first is held.
        auto first = std::make_unique<FolderLock>();
        QVERIFY(!first->heldElsewhere() && FolderLock().heldElsewhere());
        qint64 pid = 0;
        QString host;
        QVERIFY(FolderLock().holder(&pid, &host) && pid == QCoreApplication::applicationPid());
        first.reset();
        QVERIFY(!FolderLock().heldElsewhere());
    }

    // A child saves two big trees in turn until it is killed at a random moment; whatever
    // the moment, the file then holds one of the two whole.
    void killedWhileSavingLeavesTheOldOrTheNewFile()
    {
#ifdef Q_OS_WIN
        QSKIP("needs fork() and SIGKILL");
#else
        ScratchFolder folder;
        // About 1.2 MB each once encoded; the two differ in every record, so a file mixed from
        // both cannot pass for either.
        CraftingData trees[2];
        QByteArray bytes[2];
        for (int v = 0; v < 2; ++v) {
            const QString tag = QString::number(v);
            const Proc p{"Process " + tag, 100, 1,
                         QList<Req>(12, Req{"Requirement " + tag, tag, 0, 1})};
            trees[v] = CraftingData(60, ProcGroup{"Group " + tag, QList<Proc>(40, p)});
            bytes[v] = encodeWithQDataStream(trees[v]);
        }
        for (int round = 0; round < 12; ++round) {
            const pid_t child = fork();
            if (child == 0) {
                QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
                for (int n = 0;; ++n)
                    static_cast<void>(saveFile(craftingFilePath(), trees[n % 2], false));
            }
            QVERIFY(child > 0);
            // The file appears whole, by a rename, once the first save is done.
            const bool saved = QTest::qWaitFor([] { return QFile::exists("Smeltwork.dat"); });
            QTest::qSleep(QRandomGenerator::global()->bounded(60));
            kill(child, SIGKILL);
            int status = 0;
            waitpid(child, &status, 0);
            QVERIFY(saved && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
            const QByteArray now = folder.readFile("Smeltwork.dat");
            QVERIFY2(now == bytes[0] || now == bytes[1],
                     qPrintable(QString::number(now.size()) + " bytes, neither file whole"));
        }
#endif
    }
};

QTEST_GUILESS_MAIN(FilesTest)
#include "tst_files.moc"
