#include "adminwindow.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>

namespace {

// Four groups: two processes, one, three, none.
CraftingData windowTree()
{
    return {{"Metals", {proc("Ingot", {item("Hammer", "1", 5)}), proc("Wire")}},
            {"Single", {proc("Nail")}},
            {"Three",
             {proc("X", {item("Tongs", "2", 7)}), proc("Y", {skill("Smithing", "1")}), proc("Z")}},
            {"Empty", {}}};
}

// The window as main() builds it, on a data file of `bytes` (null: no file).
struct DataFolder
{
    explicit DataFolder(const QByteArray &bytes)
    {
        if (!bytes.isNull())
            folder.writeFile(QStringLiteral("Smeltwork.dat"), bytes);
    }
    ScratchFolder folder;
    TraceCapture trace;
};
struct Window : DataFolder, SmeltworkAdminDialog
{
    explicit Window(const QByteArray &bytes = encodeWithQDataStream(windowTree()))
        : DataFolder(bytes), SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags())
    {}
    bool showActive()
    {
        show();
        return QTest::qWaitForWindowActive(this);
    }
};

// What a widget shows, entries and columns joined by "|"; a hidden column shows as "-".
QString shownText(QWidget *w)
{
    QStringList parts;
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        for (int i = 0; i < combo->count(); ++i)
            parts << combo->itemText(i);
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        for (int i = 0; i < tabs->count(); ++i)
            parts << tabs->tabText(i);
    } else if (auto *list = qobject_cast<QTreeWidget *>(w)) {
        for (int i = 0; i < list->columnCount(); ++i)
            parts << (list->isColumnHidden(i) ? "-" : list->headerItem()->text(i));
    } else {
        return w->property(w->inherits("QGroupBox") ? "title" : "text").toString();
    }
    return parts.join(QLatin1Char('|'));
}

// The lists in one line: "groups @current / processes @current [sort] / item rows / skill rows",
// a requirement row as "name|multiplier|id|index".
QString levels(const SmeltworkAdminDialog &w)
{
    QStringList parts;
    for (QComboBox *combo : {w.ProcGroupList, w.ProcessList})
        parts << shownText(combo) + " @" + QString::number(combo->currentIndex());
    parts.last() += w.SortProcBtn->isEnabled() ? " sort" : "";
    for (const QTreeWidget *list : {w.ItemsList, w.SkillsList}) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            rows << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join('|');
        }
        parts << rows.join(", ");
    }
    return parts.join(" / ");
}

// The whole window in creation order, as "name class text".
const QStringList widgetTable{"ProcGroupLabel QLabel &Groups:",
                              "ProcGroupList QComboBox Metals|Single|Three|Empty",
                              "SortGrpBtn QPushButton Sort",
                              "ProcessLabel QLabel &Product:",
                              "ProcessList QComboBox Ingot|Wire",
                              "SortProcBtn QPushButton Sort",
                              "ReqControl QTabWidget &Items/Tools|S&kills",
                              "tab QWidget",
                              "ItemsList QTreeWidget Name|Multiplier|-|-",
                              "tab_2 QWidget",
                              "SkillsList QTreeWidget Name|Multiplier|-|-",
                              "ActionBox QGroupBox Actions",
                              "ActionList QComboBox Add|Delete|Edit",
                              "TypeList QComboBox Process Group|Process|Item/Tool|Skill",
                              "ActionBtn QPushButton Add",
                              "HelpBtn QPushButton Edit &help",
                              "ExitBtn QPushButton E&xit"};

// Opens the list, moves `steps` down (up when negative) and picks the entry there.
void pickFromOpenList(QComboBox *combo, int steps)
{
    QTest::keyClick(combo, Qt::Key_F4);
    QTRY_VERIFY(combo->view()->isVisible());
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(combo->view(), steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
}

} // namespace

class AdminWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowMatchesTheTable()
    {
        Window w;
        QStringList shown;
        for (const QString &row : widgetTable) {
            QWidget *widget = w.findChild<QWidget *>(row.section(' ', 0, 0));
            QVERIFY2(widget, qPrintable(row));
            shown << QStringList{widget->objectName(), widget->metaObject()->className(),
                                 shownText(widget)}
                         .join(' ')
                         .trimmed();
        }
        QCOMPARE(shown, widgetTable);
        QCOMPARE(w.objectName() + ": " + w.windowTitle(),
                 QStringLiteral("SmeltworkAdminDialogBase: Smeltwork - Admin"));
        const auto decorations = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        QCOMPARE(w.windowFlags() & (decorations | Qt::WindowMinMaxButtonsHint), decorations);
        QVERIFY(w.isModal() && w.ExitBtn->isDefault() && !w.ActionBtn->isDefault());
        QCOMPARE(w.size(), QSize(450, 400));
        QCOMPARE(w.sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
        QCOMPARE(w.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});

        // Tab round the window (SkillsList sits on the hidden page), then the mnemonics of the
        // labels and the tabs: where the focus is after each key, and the page shown.
        QVERIFY(w.showActive());
        const auto where = [&w] {
            QWidget *at = QApplication::focusWidget(); // the tab bar stands for its tab widget
            while (at && (at->objectName().isEmpty() || at->objectName().startsWith("qt_")))
                at = at->parentWidget();
            return (at ? at->objectName() : QStringLiteral("(none)")) +
                   (w.ReqControl->currentIndex() ? "/skills" : "");
        };
        QStringList visited{where()};
        for (const QString &key :
             (QString("Tab ").repeated(11) + "Alt+P Alt+G Alt+K Alt+I").split(' ')) {
            const QKeyCombination press = QKeySequence(key)[0];
            QTest::keyClick(QApplication::focusWidget(), press.key(), press.keyboardModifiers());
            visited << where();
        }
        QCOMPARE(visited.join(' '),
                 "ProcGroupList SortGrpBtn ProcessList SortProcBtn ReqControl ItemsList ActionList "
                 "TypeList ActionBtn HelpBtn ExitBtn ProcGroupList ProcessList ProcGroupList "
                 "ProcGroupList/skills ProcGroupList");
        QHeaderView *header = w.ItemsList->header(); // a click on "Multiplier" sorts nothing
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), 0);
    }

    // An empty level gives empty widgets below it, and choosing in them reaches for no record.
    void listsShowTheTree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("levels");
        const auto reqs = [](const QList<Req> &list) {
            return encodeWithQDataStream({{"G", {proc("P", list)}}});
        };
        QTest::newRow("no data file") << QByteArray() << " @-1 /  @-1 /  / ";
        QTest::newRow("no groups") << encodeWithQDataStream({}) << " @-1 /  @-1 /  / ";
        QTest::newRow("group without processes")
            << encodeWithQDataStream({{"G", {}}}) << "G @0 /  @-1 /  / ";
        QTest::newRow("process without requirements") << reqs({}) << "G @0 / P @0 /  / ";
        QTest::newRow("items and skills apart, each sorted by name; type 5 a skill; id unsigned")
            << reqs({skill("B", "2"), item("Saw", "1", 1), skill("Q", "1", 5), item("A", "0", 2),
                     skill("C", "0.5"), item("Hammer", "x", -1)})
            << "G @0 / P @0 / A|0|2|3, Hammer|x|4294967295|5, Saw|1|1|1 / B|2|0|, C|0.5|4|, Q|1|2|";
    }

    void listsShowTheTree()
    {
        QFETCH(QByteArray, bytes);
        Window w(bytes);
        QTEST(levels(w), "levels");
        QVERIFY(w.ItemsList->selectedItems().isEmpty() && w.SkillsList->selectedItems().isEmpty());
        QVERIFY(w.SortGrpBtn->isEnabled() && w.showActive());
        for (QComboBox *combo : {w.ProcGroupList, w.ProcessList}) {
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Up);
        }
        QTEST(levels(w), "levels");
    }

    void pickingGroupsAndProcessesRefillsTheLevelsBelow()
    {
        Window w;
        QVERIFY(w.showActive());
        const QString groups = "Metals|Single|Three|Empty @";
        QCOMPARE(levels(w), groups + "0 / Ingot|Wire @0 sort / Hammer|1|5|0 / ");
        QTest::keyClick(w.ActionList, Qt::Key_Down);
        QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
        QCOMPARE(levels(w), groups + "1 / Nail @0 /  / ");
        pickFromOpenList(w.ProcGroupList, 1);
        QCOMPARE(levels(w), groups + "2 / X|Y|Z @0 sort / Tongs|2|7|0 / ");
        QTest::keyClick(w.ProcessList, Qt::Key_Down);
        QCOMPARE(levels(w), groups + "2 / X|Y|Z @1 sort /  / Smithing|1|0|");
        pickFromOpenList(w.ProcGroupList, 0); // the same group again starts at its first process
        QCOMPARE(levels(w), groups + "2 / X|Y|Z @0 sort / Tongs|2|7|0 / ");
        QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
        QCOMPARE(levels(w), groups + "3 /  @-1 /  / ");
        QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));
    }

    // The whole run as main() makes it: load (and any box) before the window shows, exec(),
    // however it is closed, then saveData().
    void closingTheWindowSaves_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("closeBy"); // "Exit" clicked, the "title bar" button, or keys
        QTest::addColumn<QString>("box");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("warnings");
        const QByteArray sample = encodeWithQDataStream(sampleTree());
        const QByteArray empty = fromHex("2A E5 10 A4 00 00");
        const QString kept = QStringLiteral("Kept the old file as Smeltwork.dat.bak");

        QTest::newRow("no file") << QByteArray() << "Exit" << QString() << empty << QStringList();
        // Trailing bytes are dropped by the save, so an unchanged file would show no save.
        for (const char *way : {"Exit", "Esc", "Return", "Alt+X", "title bar"})
            QTest::addRow("sample, %s", way)
                << sample + "tail" << way << QString() << sample << QStringList();
        QTest::newRow("empty file")
            << QByteArray("") << "title bar"
            << QStringLiteral("Unable to load data file: Format not recognized") << empty
            << QStringList{"BAD MAGIC NUMBER!", kept};
        // Cut inside the second requirement of the first process: one of each is recovered.
        QTest::newRow("damaged")
            << sample.left(100) << "Esc"
            << QStringLiteral("The data file is damaged: it ends early or holds impossible "
                              "lengths.\nRecovered 1 process groups, 1 processes and 1 "
                              "items/tools and skills; the rest could not be read.\nThe damaged "
                              "file will be kept as Smeltwork.dat.bak when the data is saved.")
            << encodeWithQDataStream(
                   {{sampleTree()[0].name, {proc("Axt", {item("Hammer", "1", 1234)}, 200)}}})
            << QStringList{"Data file damaged at byte 85: kept 1 groups, 1 processes, 1 "
                           "requirements",
                           kept};
    }

    void closingTheWindowSaves()
    {
        QFETCH(QString, closeBy);
        QString boxSeen; // any box comes first, before the window shows
        std::function<void(QWidget *)> drive = [&](QWidget *modal) {
            if (auto *message = qobject_cast<QMessageBox *>(modal)) {
                whenModalOpens(drive);
                QWidget *parent = message->parentWidget();
                QVERIFY(message->windowTitle() == "SmeltworkAdmin" &&
                        message->icon() == QMessageBox::Warning &&
                        qobject_cast<SmeltworkAdminDialogBase *>(parent) && !parent->isVisible());
                boxSeen = message->text();
                QTest::mouseClick(message->button(QMessageBox::Ok), Qt::LeftButton);
            } else if (closeBy == "Exit") {
                QTest::mouseClick(modal->findChild<QWidget *>("ExitBtn"), Qt::LeftButton);
            } else if (closeBy == "title bar") {
                modal->windowHandle()->close();
            } else {
                // Shortcuts such as Alt+X reach only the active window.
                QVERIFY(QTest::qWaitForWindowActive(modal));
                const QKeyCombination key = QKeySequence(closeBy)[0];
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal,
                                key.key(), key.keyboardModifiers());
            }
        };
        whenModalOpens(drive);
        QFETCH(QByteArray, bytes);
        Window w(bytes);
        QTEST(boxSeen, "box");
        w.folder.writeFile(QStringLiteral("Smeltwork.dat.bak"), "older");
        const bool accepted = w.exec() == QDialog::Accepted;
        QCOMPARE(accepted, closeBy != "Esc" && closeBy != "title bar");
        w.saveData();

        QTEST(w.folder.readFile(QStringLiteral("Smeltwork.dat")), "after");
        // The file this run could not read replaces an older backup; otherwise that one stays.
        QCOMPARE(w.folder.readFile(QStringLiteral("Smeltwork.dat.bak")),
                 boxSeen.isEmpty() ? QByteArray("older") : bytes);
        QStringList printed = w.trace.warningLines();
        printed.removeAll(QStringLiteral("This plugin does not support propagateSizeHints()"));
        QTEST(printed, "warnings");
    }

    // Full lists fill in one go, and neither the box nor its open list is sized to the
    // widest of 65,535 entries, which would mean measuring them all. A refill starts at the
    // first entry.
    void fullListsFillWithoutMeasuringEveryEntry()
    {
        CraftingData tree;
        for (int i = 0; i < 65535; ++i)
            tree.append(ProcGroup{QStringLiteral("Group %1").arg(i), {}});
        tree[0].procs = QList<Proc>(65535, proc("P"));
        tree.last().name = QString(400, QLatin1Char('W'));
        Window w(encodeWithQDataStream(tree));
        QCOMPARE(w.ProcGroupList->count(), 65535);
        QCOMPARE(w.ProcGroupList->itemText(65533), QStringLiteral("Group 65533"));
        QCOMPARE(w.ProcessList->count(), 65535);
        QVERIFY(w.showActive());
        QVERIFY(w.ProcGroupList->width() < w.fontMetrics().horizontalAdvance(tree.last().name));
        QTest::keyClick(w.ProcessList, Qt::Key_End);
        pickFromOpenList(w.ProcGroupList, 1);
        QVERIFY(w.ProcGroupList->view()->window()->width() <= w.ProcGroupList->width());
        QCOMPARE(w.ProcessList->count(), 0);
        pickFromOpenList(w.ProcGroupList, -1);
        QCOMPARE(w.ProcessList->currentIndex(), 0);
        QCOMPARE(w.ProcessList->count(), 65535);
    }
};

QTEST_MAIN(AdminWindowTest)
#include "tst_adminwindow.moc"
