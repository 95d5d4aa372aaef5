#include "craftingfile.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

// A device that takes `room` bytes and then fails every write, like a disk that fills up.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    QByteArray taken;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_room <= 0)
            return -1;
        const qint64 accepted = qMin(size, m_room);
        taken.append(data, accepted);
        m_room -= accepted;
        return accepted;
    }

private:
    qint64 m_room;
};

// Limits the size of files this process writes, so writing past it fails as on a full
// disk (without the signal that would end the process).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};

// Every entry below `dir`, with file contents, so "nothing changed" is one comparison.
QStringList snapshot(const QString &dir)
{
    QStringList entries;
    const QDir root(dir);
    const auto infos =
        root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo &info : infos) {
        if (info.isDir()) {
            entries << info.fileName() + QStringLiteral("/");
            for (const QString &inner : snapshot(info.filePath()))
                entries << info.fileName() + QStringLiteral("/") + inner;
        } else {
            QFile file(info.filePath());
            file.open(QIODevice::ReadOnly);
            entries << info.fileName() + QStringLiteral(" = ") + file.readAll().toHex(' ');
        }
    }
    return entries;
}

const QString DataFile = QStringLiteral("Smeltwork.dat");

} // namespace

class CraftingSaveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveReplacesTheFileInOneStep();
    void saveThatCannotWriteChangesNothing_data();
    void saveThatCannotWriteChangesNothing();
    void writerReportsADeviceThatFails_data();
    void writerReportsADeviceThatFails();
};

// A reader that had the old file open still sees the old bytes: the new file was renamed
// into place, not written over the old one.
void CraftingSaveTest::saveReplacesTheFileInOneStep()
{
    ScratchFolder folder;
    const QByteArray old = fromHex("2A E5 10 A4 00 00");
    folder.writeFile(DataFile, old);
    QFile before(folder.filePath(DataFile));
    QVERIFY(before.open(QIODevice::ReadOnly));

    TraceCapture quiet;
    QVERIFY(saveCraftingFile(craftingFilePath(), sampleTree(), false) == SaveStatus::Saved);
    QCOMPARE(folder.readFile(DataFile), encodeWithQDataStream(sampleTree()));
    QCOMPARE(before.readAll(), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{DataFile});
}

enum class Obstacle { FolderGone, FileIsFolder, DiskFull, WriterFails };

void CraftingSaveTest::saveThatCannotWriteChangesNothing_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<bool>("keepBackup");
    QTest::addColumn<bool>("silent"); // false: the trace ran before the write failed

    QTest::newRow("working folder removed") << Obstacle::FolderGone << false << true;
    QTest::newRow("working folder removed, backup asked") << Obstacle::FolderGone << true << true;
    QTest::newRow("Smeltwork.dat is a folder") << Obstacle::FileIsFolder << false << true;
    QTest::newRow("Smeltwork.dat is a folder, backup asked")
        << Obstacle::FileIsFolder << true << true;
    QTest::newRow("disk full") << Obstacle::DiskFull << false << false;
    QTest::newRow("writer fails") << Obstacle::WriterFails << false << false;
}

void CraftingSaveTest::saveThatCannotWriteChangesNothing()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(bool, keepBackup);
    QFETCH(bool, silent);

    ScratchFolder folder;
    const QByteArray old = encodeWithQDataStream({ProcGroup{QStringLiteral("Old"), {}}});
    QString path = folder.filePath(DataFile);
    if (obstacle == Obstacle::FolderGone) {
        path = folder.filePath(QStringLiteral("gone/") + DataFile);
    } else if (obstacle == Obstacle::FileIsFolder) {
        QVERIFY(QDir(folder.path()).mkpath(DataFile));
        folder.writeFile(DataFile + "/inside", "kept");
    } else {
        folder.writeFile(DataFile, old);
    }
    const QStringList before = snapshot(folder.path());

    // Big enough to pass any write buffer before it reaches the disk.
    const CraftingData tree(2000, sampleTree().first());
    TraceCapture capture;
    SaveStatus status;
    if (obstacle == Obstacle::DiskFull) {
        FileSizeLimit limit(100);
        status = saveCraftingFile(path, tree, keepBackup);
    } else if (obstacle == Obstacle::WriterFails) {
        status = saveAtomically(path, keepBackup, [&tree](QIODevice &file) {
            FailingDevice failing(10);
            return file.write("2A E5") > 0 && writeCraftingData(failing, tree);
        });
    } else {
        status = saveCraftingFile(path, tree, keepBackup);
    }

    QVERIFY(status != SaveStatus::Saved);
    QCOMPARE(snapshot(folder.path()), before);
    QVERIFY(!capture.debugLines().contains("Finished saving data file"));
    if (silent)
        QCOMPARE(capture.lines(), QStringList());
}

void CraftingSaveTest::writerReportsADeviceThatFails_data()
{
    QTest::addColumn<qint64>("room");
    QTest::addColumn<bool>("result");
    const qint64 size = encodeWithQDataStream(sampleTree()).size();
    QTest::newRow("no room") << qint64(0) << false;
    QTest::newRow("magic only") << qint64(4) << false;
    QTest::newRow("one byte short") << size - 1 << false;
    QTest::newRow("exactly enough") << size << true;
}

void CraftingSaveTest::writerReportsADeviceThatFails()
{
    QFETCH(qint64, room);
    QFETCH(bool, result);
    TraceCapture quiet;
    FailingDevice device(room);
    QCOMPARE(writeCraftingData(device, sampleTree()), result);
    QCOMPARE(device.taken, encodeWithQDataStream(sampleTree()).left(room));
}

QTEST_GUILESS_MAIN(CraftingSaveTest)
#include "tst_craftingsave.moc"
