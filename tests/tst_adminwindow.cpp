#include "adminwindow.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
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

// The window as main() builds it, on `tree` written to the data file (none: no file).
struct DataFolder
{
    explicit DataFolder(const std::optional<CraftingData> &tree)
    {
        if (tree)
            folder.writeFile(QStringLiteral("Smeltwork.dat"), encodeWithQDataStream(*tree));
    }
    ScratchFolder folder;
    TraceCapture quiet;
};
struct Window : DataFolder, SmeltworkAdminDialog
{
    explicit Window(const std::optional<CraftingData> &tree = windowTree())
        : DataFolder(tree), SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags())
    {}
    bool showActive()
    {
        show();
        return QTest::qWaitForWindowActive(this);
    }
};

// What a widget shows, entries and columns joined by "|".
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
            parts << list->headerItem()->text(i);
    } else {
        return w->property(w->inherits("QGroupBox") ? "title" : "text").toString();
    }
    return parts.join(QLatin1Char('|'));
}

// The rows of a requirement list, top to bottom, all four columns.
QStringList rows(const QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        out << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join('|');
    }
    return out;
}

// The whole window in creation order. `stop`: reached by Tab, in this order, with windowTree()
// loaded (SkillsList sits on the hidden page).
const struct
{
    const char *name, *className, *text;
    bool stop;
} widgetTable[] = {
    {"ProcGroupLabel", "QLabel", "&Groups:", false},
    {"ProcGroupList", "QComboBox", "Metals|Single|Three|Empty", true},
    {"SortGrpBtn", "QPushButton", "Sort", true},
    {"ProcessLabel", "QLabel", "&Product:", false},
    {"ProcessList", "QComboBox", "Ingot|Wire", true},
    {"SortProcBtn", "QPushButton", "Sort", true},
    {"ReqControl", "QTabWidget", "&Items/Tools|S&kills", true},
    {"tab", "QWidget", "", false},
    {"ItemsList", "QTreeWidget", "Name|Multiplier||", true},
    {"tab_2", "QWidget", "", false},
    {"SkillsList", "QTreeWidget", "Name|Multiplier||", false},
    {"ActionBox", "QGroupBox", "Actions", false},
    {"ActionList", "QComboBox", "Add|Delete|Edit", true},
    {"TypeList", "QComboBox", "Process Group|Process|Item/Tool|Skill", true},
    {"ActionBtn", "QPushButton", "Add", true},
    {"HelpBtn", "QPushButton", "Edit &help", true},
    {"ExitBtn", "QPushButton", "E&xit", true},
};

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
        QCOMPARE(w.objectName(), QStringLiteral("SmeltworkAdminDialogBase"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Smeltwork - Admin"));
        QStringList names, stops, visited;
        for (const auto &row : widgetTable) {
            auto *widget = w.findChild<QWidget *>(QLatin1String(row.name));
            QVERIFY2(widget, row.name);
            QCOMPARE(widget->metaObject()->className(), row.className);
            QCOMPARE(shownText(widget), QString::fromUtf8(row.text));
            names << QLatin1String(row.name);
            if (row.stop)
                stops << QLatin1String(row.name);
        }

        const auto decorations = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        QCOMPARE(w.windowFlags() & (decorations | Qt::WindowMinMaxButtonsHint), decorations);
        QVERIFY(w.isModal() && w.ExitBtn->isDefault() && !w.ActionBtn->isDefault());
        QCOMPARE(w.size(), QSize(450, 400));
        QCOMPARE(w.sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
        QCOMPARE(w.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
        for (QTreeWidget *list : {w.ItemsList, w.SkillsList})
            QVERIFY(!list->isColumnHidden(1) && list->isColumnHidden(2) && list->isColumnHidden(3));

        QVERIFY(w.showActive());
        QCOMPARE(QApplication::focusWidget(), w.ProcGroupList);
        for (int i = 0; i <= stops.size(); ++i) {      // round and back to the start
            QWidget *at = QApplication::focusWidget(); // the tab bar stands for its tab widget
            while (at && !names.contains(at->objectName()))
                at = at->parentWidget();
            visited << (at ? at->objectName() : QStringLiteral("(none)"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, stops << stops.first());
        const auto alt = [&w](Qt::Key key) {
            w.HelpBtn->setFocus();
            QTest::keyClick(w.HelpBtn, key, Qt::AltModifier);
            return QApplication::focusWidget();
        };
        QCOMPARE(alt(Qt::Key_P), w.ProcessList);
        QCOMPARE(alt(Qt::Key_G), w.ProcGroupList);
        alt(Qt::Key_K);
        QCOMPARE(w.ReqControl->currentIndex(), 1);
        alt(Qt::Key_I);
        QCOMPARE(w.ReqControl->currentIndex(), 0);
        QHeaderView *header = w.ItemsList->header(); // a click on "Multiplier" sorts nothing
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), 0);
    }

    // What the window shows of a tree. An empty level gives empty widgets below it, and
    // choosing in them reaches for no record. Requirement rows read "name|multiplier|id|index".
    void listsShowTheTree_data()
    {
        QTest::addColumn<std::optional<CraftingData>>("tree");
        QTest::addColumn<int>("processes");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("skills");
        const auto row = [](const char *name, std::optional<CraftingData> tree, int processes,
                            const QStringList &items = {}, const QStringList &skills = {}) {
            QTest::newRow(name) << tree << processes << items << skills;
        };
        const auto reqs = [](const QList<Req> &list) {
            return std::optional(CraftingData{{"G", {proc("P", list)}}});
        };
        row("no data file", std::nullopt, 0);
        row("no groups", CraftingData{}, 0);
        row("group without processes", CraftingData{{"G", {}}}, 0);
        row("process without requirements", reqs({}), 1);
        row("skill B, item A, skill C",
            reqs({skill("B", "2"), item("A", "1", 77), skill("C", "0.5")}), 1, {"A|1|77|1"},
            {"B|2|0|", "C|0.5|2|"});
        row("type 5 is a skill", reqs({skill("Q", "1", 5)}), 1, {}, {"Q|1|0|"});
        row("id -1 reads unsigned", reqs({item("Tongs", "1", -1)}), 1, {"Tongs|1|4294967295|0"});
        row("Saw, Anvil, Hammer sorted by name",
            reqs({item("Saw", "1", 1), item("Anvil", "0", 2), item("Hammer", "x", 3)}), 1,
            {"Anvil|0|2|1", "Hammer|x|3|2", "Saw|1|1|0"});
    }

    void listsShowTheTree()
    {
        QFETCH(std::optional<CraftingData>, tree);
        QFETCH(int, processes);
        Window w(tree);
        QCOMPARE(w.ProcGroupList->count(), tree ? int(tree->size()) : 0);
        QCOMPARE(w.ProcessList->count(), processes);
        QTEST(rows(w.ItemsList), "items");
        QTEST(rows(w.SkillsList), "skills");
        QVERIFY(w.ItemsList->selectedItems().isEmpty() && w.SkillsList->selectedItems().isEmpty());
        QVERIFY(!w.SortProcBtn->isEnabled() && w.SortGrpBtn->isEnabled());
        QVERIFY(w.showActive());
        for (QComboBox *combo : {w.ProcGroupList, w.ProcessList}) {
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Up);
        }
        QCOMPARE(w.ProcessList->count(), processes);
    }

    void pickingGroupsAndProcessesRefillsTheLevelsBelow()
    {
        Window w;
        QVERIFY(w.showActive());
        QVERIFY(w.SortProcBtn->isEnabled()); // two processes
        QTest::keyClick(w.ActionList, Qt::Key_Down);
        QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));

        QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
        QCOMPARE(shownText(w.ProcessList), QStringLiteral("Nail"));
        QVERIFY(!w.SortProcBtn->isEnabled()); // one process

        pickFromOpenList(w.ProcGroupList, 1);
        QCOMPARE(w.ProcGroupList->currentIndex(), 2);
        QCOMPARE(shownText(w.ProcessList), QStringLiteral("X|Y|Z"));
        QCOMPARE(rows(w.ItemsList), QStringList{"Tongs|2|7|0"});
        QVERIFY(w.SortProcBtn->isEnabled());
        QTest::keyClick(w.ProcessList, Qt::Key_Down);
        QCOMPARE(rows(w.ItemsList), QStringList{});
        QCOMPARE(rows(w.SkillsList), QStringList{"Smithing|1|0|"});

        pickFromOpenList(w.ProcGroupList, 0); // the same group again starts at its first process
        QCOMPARE(w.ProcessList->currentIndex(), 0);
        QCOMPARE(rows(w.ItemsList), QStringList{"Tongs|2|7|0"});

        QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
        QCOMPARE(w.ProcessList->count() + w.SkillsList->topLevelItemCount(), 0);
        QVERIFY(!w.SortProcBtn->isEnabled());
        QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));
    }

    // The whole run as main() makes it: load (and any box) before the window shows, exec(),
    // however it is closed, then saveData().
    void closingTheWindowSaves_data()
    {
        // No file before: null bytes. Closed by Key_unknown: Exit clicked; Key_Close: the title
        // bar's close button. No box: an empty text.
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QKeyCombination>("closeBy");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("warnings");

        // Trailing bytes are dropped by the save, so an unchanged file would show no save.
        const QByteArray sample = encodeWithQDataStream(sampleTree()), padded = sample + "tail";
        const QByteArray empty = fromHex("2A E5 10 A4 00 00");
        const QString badMagic = QStringLiteral("Unable to load data file: Format not recognized");
        const QString kept = QStringLiteral("Kept the old file as Smeltwork.dat.bak");

        const QKeyCombination exit(Qt::Key_unknown), titleBar(Qt::Key_Close);
        QTest::newRow("no file, Exit")
            << QByteArray() << exit << QString() << empty << QStringList();
        const std::pair<const char *, QKeyCombination> ways[] = {
            {"Exit", exit},
            {"Escape", Qt::Key_Escape},
            {"Return presses Exit", Qt::Key_Return},
            {"Alt+X", Qt::AltModifier | Qt::Key_X},
            {"title bar", titleBar}};
        for (const auto &[name, way] : ways)
            QTest::addRow("sample, %s", name)
                << padded << way << QString() << sample << QStringList();
        QTest::newRow("byte-swapped magic") << fromHex("A4 10 E5 2A 00 00") << titleBar << badMagic
                                            << empty << QStringList{"BAD MAGIC NUMBER!", kept};
        QTest::newRow("empty file") << QByteArray("") << exit << badMagic << empty
                                    << QStringList{"BAD MAGIC NUMBER!", kept};
        // Cut inside the second requirement of the first process: one of each is recovered.
        CraftingData recovered{sampleTree().first()};
        recovered[0].procs.resize(1);
        recovered[0].procs[0].reqs.resize(1);
        QTest::newRow("damaged")
            << sample.left(100) << QKeyCombination(Qt::Key_Escape)
            << QStringLiteral("The data file is damaged: it ends early or holds impossible "
                              "lengths.\nRecovered 1 process groups, 1 processes and 1 "
                              "items/tools and skills; the rest could not be read.\nThe damaged "
                              "file will be kept as Smeltwork.dat.bak when the data is saved.")
            << encodeWithQDataStream(recovered)
            << QStringList{"Data file damaged at byte 85: kept 1 groups, 1 processes, 1 "
                           "requirements",
                           kept};
    }

    void closingTheWindowSaves()
    {
        QFETCH(QByteArray, before);
        QFETCH(QKeyCombination, closeBy);
        ScratchFolder folder;
        if (!before.isNull())
            folder.writeFile(QStringLiteral("Smeltwork.dat"), before);
        folder.writeFile(QStringLiteral("Smeltwork.dat.bak"), "older");
        TraceCapture capture;

        // Any box comes first, before the window shows; then the window is closed.
        QString boxSeen;
        std::function<void(QWidget *)> drive = [&](QWidget *modal) {
            if (auto *message = qobject_cast<QMessageBox *>(modal)) {
                whenModalOpens(drive);
                QCOMPARE(message->windowTitle(), QStringLiteral("SmeltworkAdmin"));
                QCOMPARE(message->icon(), QMessageBox::Warning);
                QVERIFY(qobject_cast<SmeltworkAdminDialogBase *>(message->parentWidget()));
                QVERIFY(!message->parentWidget()->isVisible());
                boxSeen = message->text();
                QTest::mouseClick(message->button(QMessageBox::Ok), Qt::LeftButton);
            } else if (closeBy.key() == Qt::Key_unknown) {
                QTest::mouseClick(modal->findChild<QWidget *>("ExitBtn"), Qt::LeftButton);
            } else if (closeBy.key() == Qt::Key_Close) {
                modal->windowHandle()->close();
            } else {
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal,
                                closeBy.key(), closeBy.keyboardModifiers());
            }
        };
        whenModalOpens(drive);
        SmeltworkAdminDialog w(nullptr, nullptr, true, smeltworkWindowFlags());
        QTEST(boxSeen, "box");
        const int result = w.exec();
        QCOMPARE(result == QDialog::Accepted,
                 closeBy.key() != Qt::Key_Escape && closeBy.key() != Qt::Key_Close);
        w.saveData();

        QTEST(folder.readFile(QStringLiteral("Smeltwork.dat")), "after");
        // The file this run could not read replaces an older backup; otherwise that one stays.
        QCOMPARE(folder.readFile(QStringLiteral("Smeltwork.dat.bak")),
                 boxSeen.isEmpty() ? QByteArray("older") : before);
        QStringList printed = capture.warningLines();
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
        Window w(tree);
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
