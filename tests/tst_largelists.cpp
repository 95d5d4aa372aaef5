// Large trees: the writer's chunked output, the trace's name conversion, and the window's
// one-go fills of combo boxes and sorted requirement lists.
#include "adminwindow.h"
#include "craftingfile.h"
#include "testsupport.h"
#include "trace.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDataStream>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>

class LargeListsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void treeLargerThanOneChunkWritesQDataStreamBytes();
    void writeFailsWhenTheDeviceStopsTakingBytes_data();
    void writeFailsWhenTheDeviceStopsTakingBytes();
    void traceTextIsLatin1ReadAsUtf8_data();
    void traceTextIsLatin1ReadAsUtf8();
    void requirementRowsSortByNameLikeQtWithFixedHeaders();
    void comboBoxesShowWholeListsWithTheFirstEntryCurrent();
    void groupListOpensNoWiderThanItsBox();
};

namespace {

// 3 groups x 150 processes x 20 requirements: about 250 KB, several of the writer's chunks.
CraftingData largeTree()
{
    CraftingData data;
    for (int g = 0; g < 3; ++g) {
        ProcGroup group{QStringLiteral("Stählerne Äxte %1").arg(g), {}};
        for (int p = 0; p < 150; ++p) {
            Proc proc{p == 7 ? QString() : QStringLiteral("Ingot %1").arg(p),
                      quint8(200 - p),
                      quint8(p),
                      {}};
            for (int k = 0; k < 20; ++k) {
                proc.reqs.append(Req{QStringLiteral("Hammer %1").arg(k),
                                     k == 3 ? QStringLiteral("") : QString::number(k), qint8(k % 2),
                                     k == 5 ? -1 : 1000 + k});
            }
            group.procs.append(proc);
        }
        data.append(group);
    }
    return data;
}

// The file's layout, field by field, with Qt's own stream.
QByteArray viaQDataStream(const CraftingData &data)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint32(CraftingMagic) << quint16(data.size());
    for (const ProcGroup &g : data) {
        out << g.name << quint16(g.procs.size());
        for (const Proc &p : g.procs) {
            out << p.name << p.maxQL << p.minQL << quint16(p.reqs.size());
            for (const Req &r : p.reqs)
                out << r.name << r.multiplier << r.type << r.id;
        }
    }
    return bytes;
}

// Takes `limit` bytes, then refuses every write, like a disk that fills up.
class LimitedDevice : public QIODevice
{
public:
    explicit LimitedDevice(qint64 limit) : m_limit(limit) { open(WriteOnly | Unbuffered); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        if (m_taken + len > m_limit)
            return -1;
        m_taken += len;
        return len;
    }

private:
    qint64 m_limit;
    qint64 m_taken = 0;
};

void writeDataFile(const QByteArray &bytes)
{
    QFile file(craftingFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList columnTexts(const QTreeWidget *list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts.append(list->topLevelItem(row)->text(column));
    return texts;
}

} // namespace

void LargeListsTest::treeLargerThanOneChunkWritesQDataStreamBytes()
{
    const CraftingData data = largeTree();
    const QByteArray expected = viaQDataStream(data);
    QVERIFY(expected.size() > 3 * 64 * 1024);

    TraceCapture trace;
    QByteArray written;
    QBuffer buffer(&written);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeCraftingData(buffer, data));
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);

    CraftingData loaded;
    QCOMPARE(readCraftingData(written, loaded).status, LoadReport::Loaded);
    QVERIFY(loaded == data);
}

void LargeListsTest::writeFailsWhenTheDeviceStopsTakingBytes_data()
{
    const qint64 size = viaQDataStream(largeTree()).size();
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("written");
    QTest::newRow("nothing taken") << qint64(0) << false;
    QTest::newRow("first chunk taken") << qint64(70000) << false;
    QTest::newRow("all but the last byte") << size - 1 << false;
    QTest::newRow("exactly the file") << size << true;
}

void LargeListsTest::writeFailsWhenTheDeviceStopsTakingBytes()
{
    QFETCH(qint64, limit);
    QFETCH(bool, written);
    TraceCapture trace;
    LimitedDevice device(limit);
    QCOMPARE(writeCraftingData(device, largeTree()), written);
}

void LargeListsTest::traceTextIsLatin1ReadAsUtf8_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("ascii") << QStringLiteral("Ores") << QByteArray("Ores");
    QTest::newRow("latin-1") << QStringLiteral("Stählerne Äxte")
                             << QByteArray("St\xc3\xa4hlerne \xc3\x84xte");
    QTest::newRow("last latin-1 char") << QStringLiteral("\u00ff") << QByteArray("\xc3\xbf");
    QTest::newRow("outside latin-1") << QStringLiteral("Ω-Erz") << QByteArray("?-Erz");
    QTest::newRow("surrogate pair") << QStringLiteral("a\U0001F528b") << QByteArray("a??b");
    QTest::newRow("empty") << QStringLiteral("") << QByteArray("");
    QTest::newRow("null") << QString() << QByteArray("");
}

void LargeListsTest::traceTextIsLatin1ReadAsUtf8()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    const QByteArray converted = traceText(text);
    QCOMPARE(converted, expected);
    QCOMPARE(qstrlen(converted.constData()), size_t(expected.size()));
}

void LargeListsTest::requirementRowsSortByNameLikeQtWithFixedHeaders()
{
    ScratchFolder folder;
    const QStringList names = {QStringLiteral("saw"),    QStringLiteral("Anvil"),
                               QStringLiteral("anvil"),  QStringLiteral("Ämboss"),
                               QStringLiteral("10"),     QStringLiteral("9"),
                               QStringLiteral("Hammer"), QStringLiteral("B"),
                               QStringLiteral("saw"),    QStringLiteral("")};
    Proc proc{QStringLiteral("Ingot"), 100, 1, {}};
    for (const QString &name : names) {
        proc.reqs.append(Req{name, QStringLiteral("1"), 0, 1});
        proc.reqs.append(Req{name, QStringLiteral("2"), 1, 0});
    }
    writeDataFile(viaQDataStream({ProcGroup{QStringLiteral("Ores"), {proc}}}));

    TraceCapture trace;
    SmeltworkAdminDialogBase window;
    QStringList sorted = names;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
        return a.localeAwareCompare(b) < 0;
    });
    QCOMPARE(columnTexts(window.ItemsList, 0), sorted);
    QCOMPARE(columnTexts(window.SkillsList, 0), sorted);
    // Equal names keep the order of the requirements: the two "saw" rows.
    const int firstSaw = int(sorted.indexOf(QStringLiteral("saw")));
    QCOMPARE(window.ItemsList->topLevelItem(firstSaw)->text(3), QStringLiteral("0"));
    QCOMPARE(window.ItemsList->topLevelItem(firstSaw + 1)->text(3), QStringLiteral("16"));
    QCOMPARE(window.SkillsList->topLevelItem(firstSaw)->text(2), QStringLiteral("1"));

    for (const QTreeWidget *list : {window.ItemsList, window.SkillsList}) {
        QVERIFY(list->isSortingEnabled());
        QCOMPARE(list->header()->sortIndicatorSection(), 0);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(!list->header()->sectionsClickable());
    }
}

void LargeListsTest::comboBoxesShowWholeListsWithTheFirstEntryCurrent()
{
    ScratchFolder folder;
    CraftingData data;
    for (int g = 0; g < 300; ++g) {
        ProcGroup group{QStringLiteral("Group %1").arg(g), {}};
        for (int p = 0; p < g % 4; ++p)
            group.procs.append(Proc{QStringLiteral("Proc %1.%2").arg(g).arg(p), 10, 1, {}});
        data.append(group);
    }
    writeDataFile(viaQDataStream(data));

    TraceCapture trace;
    SmeltworkAdminDialog window(nullptr, nullptr, true, smeltworkWindowFlags());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.ProcGroupList->count(), 300);
    QCOMPARE(window.ProcGroupList->currentIndex(), 0);
    QCOMPARE(window.ProcGroupList->itemText(299), QStringLiteral("Group 299"));
    QCOMPARE(window.ProcessList->count(), 0); // group 0 has no processes
    QCOMPARE(window.ProcessList->currentIndex(), -1);
    QVERIFY(!window.SortProcBtn->isEnabled());

    window.ProcGroupList->setFocus();
    QTest::keyClick(window.ProcGroupList, Qt::Key_End); // group 299: three processes
    QCOMPARE(window.ProcGroupList->currentIndex(), 299);
    QCOMPARE(window.ProcessList->count(), 3);
    QCOMPARE(window.ProcessList->currentIndex(), 0);
    QCOMPARE(window.ProcessList->currentText(), QStringLiteral("Proc 299.0"));
    QVERIFY(window.SortProcBtn->isEnabled());

    QTest::keyClick(window.ProcGroupList, Qt::Key_Up); // group 298: two processes
    QCOMPARE(window.ProcessList->count(), 2);
    QCOMPARE(window.ProcessList->itemText(1), QStringLiteral("Proc 298.1"));
    window.reject();
}

void LargeListsTest::groupListOpensNoWiderThanItsBox()
{
    ScratchFolder folder;
    CraftingData data;
    for (int g = 0; g < 2000; ++g)
        data.append(ProcGroup{QStringLiteral("Group %1").arg(g), {}});
    data[1500].name = QString(400, QLatin1Char('W'));
    writeDataFile(viaQDataStream(data));

    TraceCapture trace;
    SmeltworkAdminDialog window(nullptr, nullptr, true, smeltworkWindowFlags());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QComboBox *groups = window.ProcGroupList;
    groups->showPopup();
    QWidget *popup = groups->view()->window();
    QTRY_VERIFY(popup->isVisible());
    // Sized to the box, not to the widest of 2,000 entries, which would mean measuring all.
    QVERIFY(popup->width() <= groups->width());
    groups->hidePopup();
    window.reject();
}

QTEST_MAIN(LargeListsTest)
#include "tst_largelists.moc"
