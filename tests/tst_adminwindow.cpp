#include "adminwindow.h"
#include "sampletree.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

Q_DECLARE_METATYPE(CraftingData)

namespace {

using Base = SmeltworkAdminDialogBase;
const QString DataFile = QStringLiteral("Smeltwork.dat");

Req item(const char *name, const char *multiplier, qint32 id)
{
    return {QString::fromUtf8(name), QString::fromUtf8(multiplier), 0, id};
}

Req skill(const char *name, const char *multiplier, qint8 type = 1)
{
    return {QString::fromUtf8(name), QString::fromUtf8(multiplier), type, 0};
}

Proc proc(const char *name, QList<Req> reqs = {})
{
    return {QString::fromUtf8(name), 100, 1, reqs};
}

// Four groups: two processes, one, three, none.
CraftingData windowTree()
{
    return {
        {QStringLiteral("Metals"), {proc("Ingot", {item("Hammer", "1", 5)}), proc("Wire")}},
        {QStringLiteral("Single"), {proc("Nail")}},
        {QStringLiteral("Three"),
         {proc("X", {item("Tongs", "2", 7)}), proc("Y", {skill("Smithing", "1")}), proc("Z")}},
        {QStringLiteral("Empty"), {}},
    };
}

// A window built the way main() builds it, in the current folder.
struct Window : SmeltworkAdminDialog
{
    Window() : SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags()) {}
};

QStringList texts(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

// The rows of a requirement list as shown, top to bottom, all four columns.
QStringList rows(const QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << row->text(c);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// What a widget shows: its text or title, or its entries, tabs or column labels.
QString shownText(QWidget *w)
{
    QStringList parts;
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        parts = texts(combo);
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

// The whole window in creation order, which is also its tab order. `stop`: reached by
// Tab with windowTree() loaded (SkillsList sits on the hidden page).
struct WidgetRow
{
    const char *name;
    const char *className;
    const char *text;
    bool stop;
    QWidget *(*member)(Base &);
};
// clang-format off
#define ROW(member, cls, text, stop) \
    {#member, cls, text, stop, [](Base &w) -> QWidget * { return w.member; }}
// clang-format on
const WidgetRow widgetTable[] = {
    ROW(ProcGroupLabel, "QLabel", "&Groups:", false),
    ROW(ProcGroupList, "QComboBox", "Metals|Single|Three|Empty", true),
    ROW(SortGrpBtn, "QPushButton", "Sort", true),
    ROW(ProcessLabel, "QLabel", "&Product:", false),
    ROW(ProcessList, "QComboBox", "Ingot|Wire", true),
    ROW(SortProcBtn, "QPushButton", "Sort", true),
    ROW(ReqControl, "QTabWidget", "&Items/Tools|S&kills", true),
    ROW(tab, "QWidget", "", false),
    ROW(ItemsList, "QTreeWidget", "Name|Multiplier||", true),
    ROW(tab_2, "QWidget", "", false),
    ROW(SkillsList, "QTreeWidget", "Name|Multiplier||", false),
    ROW(ActionBox, "QGroupBox", "Actions", false),
    ROW(ActionList, "QComboBox", "Add|Delete|Edit", true),
    ROW(TypeList, "QComboBox", "Process Group|Process|Item/Tool|Skill", true),
    ROW(ActionBtn, "QPushButton", "Add", true),
    ROW(HelpBtn, "QPushButton", "Edit &help", true),
    ROW(ExitBtn, "QPushButton", "E&xit", true),
};
#undef ROW

// The table name of `w` or of the nearest of its parents that has one (the tab bar stands
// for its tab widget).
QString tableName(QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        for (const WidgetRow &row : widgetTable) {
            if (w->objectName() == QLatin1String(row.name))
                return w->objectName();
        }
    }
    return QStringLiteral("(none)");
}

enum class CloseBy { ExitButton, Escape, Return, AltX, TitleBarClose };

} // namespace

class AdminWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widgetsMatchTheTable();
    void windowDecorationsAndRequirementColumns();
    void tabAndMnemonicsMoveTheFocus();
    void requirementRowsMapBackToRecords_data();
    void requirementRowsMapBackToRecords();
    void emptyLevelsGiveEmptyWidgets_data();
    void emptyLevelsGiveEmptyWidgets();
    void pickingGroupsAndProcessesRefillsTheLevelsBelow();
    void closingTheWindowSaves_data();
    void closingTheWindowSaves();
    void combosOfAFullListAreNotMeasured();
};

void AdminWindowTest::widgetsMatchTheTable()
{
    ScratchFolder folder;
    folder.writeFile(DataFile, encodeWithQDataStream(windowTree()));
    TraceCapture quiet;
    Window w;

    QCOMPARE(w.objectName(), QStringLiteral("SmeltworkAdminDialogBase"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Smeltwork - Admin"));
    QStringList chainExpected;
    for (const WidgetRow &row : widgetTable) {
        QWidget *widget = row.member(w);
        QVERIFY2(widget, row.name);
        QCOMPARE(widget->objectName(), QLatin1String(row.name));
        QCOMPARE(widget->metaObject()->className(), row.className);
        QCOMPARE(w.findChild<QWidget *>(QLatin1String(row.name)), widget);
        QCOMPARE(shownText(widget), QString::fromUtf8(row.text));
        chainExpected << QLatin1String(row.name);
    }
    // The focus chain follows the order of creation.
    QStringList chain;
    for (QWidget *at = w.nextInFocusChain(); at != &w; at = at->nextInFocusChain()) {
        if (chainExpected.contains(at->objectName()))
            chain << at->objectName();
    }
    QCOMPARE(chain, chainExpected);

    QCOMPARE(w.TypeList->currentText(), QStringLiteral("Process Group"));
    QCOMPARE(w.ReqControl->currentWidget(), w.tab);
    QVERIFY(w.ExitBtn->isDefault());
    QVERIFY(!w.ActionBtn->isDefault());
    QVERIFY(w.ExitBtn->autoDefault());
}

void AdminWindowTest::windowDecorationsAndRequirementColumns()
{
    ScratchFolder folder;
    Window w;
    const Qt::WindowFlags flags = w.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w.isModal());
    QCOMPARE(w.size(), QSize(450, 400));
    QCOMPARE(w.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(w.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(w.windowIcon().availableSizes().value(0), QSize(32, 32));

    for (QTreeWidget *list : {w.ItemsList, w.SkillsList}) {
        QCOMPARE(list->columnCount(), 4);
        QVERIFY(!list->isColumnHidden(0) && !list->isColumnHidden(1));
        QVERIFY(list->isColumnHidden(2) && list->isColumnHidden(3));
        QVERIFY(!list->header()->sectionsClickable());
        for (int c = 0; c < 4; ++c)
            QVERIFY(list->header()->sectionResizeMode(c) != QHeaderView::Interactive);
        QVERIFY(list->isSortingEnabled());
        QCOMPARE(list->header()->sortIndicatorSection(), 0);
        QCOMPARE(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(list->allColumnsShowFocus());
        QVERIFY(list->rootIsDecorated());
    }

    // A click on "Multiplier" leaves the rows sorted by name.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QHeaderView *header = w.ItemsList->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + header->sectionSize(1) / 2,
                             header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), 0);
}

void AdminWindowTest::tabAndMnemonicsMoveTheFocus()
{
    ScratchFolder folder;
    folder.writeFile(DataFile, encodeWithQDataStream(windowTree()));
    TraceCapture quiet;
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.ProcGroupList);

    QStringList stops, visited;
    for (const WidgetRow &row : widgetTable) {
        if (row.stop)
            stops << QLatin1String(row.name);
    }
    for (int i = 0; i < stops.size(); ++i) {
        visited << tableName(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, stops);
    QCOMPARE(QApplication::focusWidget(), w.ProcGroupList); // round and back to the start

    const struct
    {
        Qt::Key key;
        QWidget *focus;
        int tab;
    } mnemonics[] = {{Qt::Key_P, w.ProcessList, 0},
                     {Qt::Key_G, w.ProcGroupList, 0},
                     {Qt::Key_K, nullptr, 1},
                     {Qt::Key_I, nullptr, 0}};
    for (const auto &m : mnemonics) {
        w.HelpBtn->setFocus();
        QTest::keyClick(QApplication::focusWidget(), m.key, Qt::AltModifier);
        if (m.focus)
            QCOMPARE(QApplication::focusWidget(), m.focus);
        QCOMPARE(w.ReqControl->currentIndex(), m.tab);
    }
}

// One group, one process holding `reqs`; rows read top to bottom as "name|multiplier|2|3".
void AdminWindowTest::requirementRowsMapBackToRecords_data()
{
    QTest::addColumn<QList<Req>>("reqs");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("skills");

    QTest::newRow("skill B, item A, skill C")
        << QList<Req>{skill("B", "2"), item("A", "1", 77), skill("C", "0.5")}
        << QStringList{"A|1|77|1"} << QStringList{"B|2|0|", "C|0.5|2|"};
    QTest::newRow("type 5 is a skill")
        << QList<Req>{skill("Q", "1", 5)} << QStringList{} << QStringList{"Q|1|0|"};
    QTest::newRow("id -1 reads unsigned") << QList<Req>{item("Tongs", "1", -1)}
                                          << QStringList{"Tongs|1|4294967295|0"} << QStringList{};
    QTest::newRow("Saw, Anvil, Hammer sorted by name")
        << QList<Req>{item("Saw", "1", 1), item("Anvil", "0", 2), item("Hammer", "x", 3)}
        << QStringList{"Anvil|0|2|1", "Hammer|x|3|2", "Saw|1|1|0"} << QStringList{};
    QTest::newRow("no requirements") << QList<Req>{} << QStringList{} << QStringList{};
}

void AdminWindowTest::requirementRowsMapBackToRecords()
{
    QFETCH(QList<Req>, reqs);
    QFETCH(QStringList, items);
    QFETCH(QStringList, skills);

    ScratchFolder folder;
    folder.writeFile(DataFile, encodeWithQDataStream({{QStringLiteral("G"), {proc("P", reqs)}}}));
    TraceCapture quiet;
    Window w;
    QCOMPARE(rows(w.ItemsList), items);
    QCOMPARE(rows(w.SkillsList), skills);
    QVERIFY(w.ItemsList->selectedItems().isEmpty());
    QVERIFY(w.SkillsList->selectedItems().isEmpty());
}

void AdminWindowTest::emptyLevelsGiveEmptyWidgets_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<CraftingData>("tree");
    QTest::addColumn<int>("processes");

    QTest::newRow("no data file") << false << CraftingData{} << 0;
    QTest::newRow("no groups") << true << CraftingData{} << 0;
    QTest::newRow("group without processes")
        << true << CraftingData{{QStringLiteral("G"), {}}} << 0;
    QTest::newRow("process without requirements")
        << true << CraftingData{{QStringLiteral("G"), {proc("P")}}} << 1;
}

void AdminWindowTest::emptyLevelsGiveEmptyWidgets()
{
    QFETCH(bool, fileExists);
    QFETCH(CraftingData, tree);
    QFETCH(int, processes);

    ScratchFolder folder;
    if (fileExists)
        folder.writeFile(DataFile, encodeWithQDataStream(tree));
    TraceCapture quiet;
    Window w;
    QCOMPARE(w.ProcGroupList->count(), int(tree.size()));
    QCOMPARE(w.ProcessList->count(), processes);
    QCOMPARE(w.ItemsList->topLevelItemCount() + w.SkillsList->topLevelItemCount(), 0);
    QVERIFY(!w.SortProcBtn->isEnabled());
    QVERIFY(w.SortGrpBtn->isEnabled());
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Add"));

    // Choosing in the empty combos must not reach for records that are not there.
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (QComboBox *combo : {w.ProcGroupList, w.ProcessList}) {
        QTest::keyClick(combo, Qt::Key_Down);
        QTest::keyClick(combo, Qt::Key_Up);
    }
    QCOMPARE(w.ProcessList->count(), processes);
}

void AdminWindowTest::pickingGroupsAndProcessesRefillsTheLevelsBelow()
{
    ScratchFolder folder;
    folder.writeFile(DataFile, encodeWithQDataStream(windowTree()));
    TraceCapture quiet;
    Window w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QVERIFY(w.SortProcBtn->isEnabled()); // two processes

    QTest::keyClick(w.ActionList, Qt::Key_Down);
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));

    QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
    QCOMPARE(texts(w.ProcessList), QStringList{"Nail"});
    QVERIFY(!w.SortProcBtn->isEnabled()); // one process

    // The third group, picked from the open list.
    QTest::keyClick(w.ProcGroupList, Qt::Key_F4);
    QAbstractItemView *view = w.ProcGroupList->view();
    QTRY_VERIFY(view->isVisible());
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(w.ProcGroupList->currentIndex(), 2);
    QCOMPARE(texts(w.ProcessList), (QStringList{"X", "Y", "Z"}));
    QCOMPARE(w.ProcessList->currentIndex(), 0);
    QCOMPARE(rows(w.ItemsList), QStringList{"Tongs|2|7|0"});
    QVERIFY(w.SortProcBtn->isEnabled());
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));

    QTest::keyClick(w.ProcessList, Qt::Key_Down);
    QCOMPARE(rows(w.ItemsList), QStringList{});
    QCOMPARE(rows(w.SkillsList), QStringList{"Smithing|1|0|"});
    QCOMPARE(texts(w.ProcessList), (QStringList{"X", "Y", "Z"}));

    // Picking the current group again starts over at its first process.
    QTest::keyClick(w.ProcGroupList, Qt::Key_F4);
    QTRY_VERIFY(view->isVisible());
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(w.ProcessList->currentIndex(), 0);
    QCOMPARE(rows(w.ItemsList), QStringList{"Tongs|2|7|0"});

    QTest::keyClick(w.ProcGroupList, Qt::Key_Down);
    QCOMPARE(w.ProcessList->count(), 0);
    QCOMPARE(w.SkillsList->topLevelItemCount(), 0);
    QVERIFY(!w.SortProcBtn->isEnabled());
    QCOMPARE(w.ActionBtn->text(), QStringLiteral("Delete"));
}

// The whole run as main() makes it: load (and any box) before the window shows, exec(),
// however it is closed, then saveData().
void AdminWindowTest::closingTheWindowSaves_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<QByteArray>("olderBackup");
    QTest::addColumn<CloseBy>("closeBy");
    QTest::addColumn<QString>("box"); // empty: no box
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("backup"); // null: no .bak
    QTest::addColumn<QStringList>("warnings");

    const QByteArray sample = encodeWithQDataStream(sampleTree());
    const QByteArray empty = fromHex("2A E5 10 A4 00 00");
    const QByteArray swapped = fromHex("A4 10 E5 2A 00 00");
    const QString badMagic = QStringLiteral("Unable to load data file: Format not recognized");
    const QStringList badMagicLines{"BAD MAGIC NUMBER!", "Kept the old file as Smeltwork.dat.bak"};
    const QByteArray none;

    QTest::newRow("no file, Exit")
        << none << none << CloseBy::ExitButton << QString() << empty << none << QStringList();
    // Trailing bytes are dropped by the save, so an unchanged file would show no save.
    const QByteArray padded = sample + "tail";
    QTest::newRow("sample, Exit") << padded << none << CloseBy::ExitButton << QString() << sample
                                  << none << QStringList();
    QTest::newRow("sample, Escape")
        << padded << none << CloseBy::Escape << QString() << sample << none << QStringList();
    QTest::newRow("sample, Return presses Exit")
        << padded << none << CloseBy::Return << QString() << sample << none << QStringList();
    QTest::newRow("sample, Alt+X")
        << padded << none << CloseBy::AltX << QString() << sample << none << QStringList();
    QTest::newRow("sample, title bar close")
        << padded << none << CloseBy::TitleBarClose << QString() << sample << none << QStringList();
    QTest::newRow("byte-swapped magic") << swapped << none << CloseBy::TitleBarClose << badMagic
                                        << empty << swapped << badMagicLines;
    QTest::newRow("bad magic replaces an older backup")
        << swapped << QByteArray("older") << CloseBy::ExitButton << badMagic << empty << swapped
        << badMagicLines;
    QTest::newRow("empty file") << QByteArray("") << none << CloseBy::ExitButton << badMagic
                                << empty << QByteArray("") << badMagicLines;

    // Cut inside the second requirement of the first process: one of each is recovered.
    CraftingData recovered{sampleTree().first()};
    recovered[0].procs.resize(1);
    recovered[0].procs[0].reqs.resize(1);
    QTest::newRow("damaged") << sample.left(100) << none << CloseBy::Escape
                             << QStringLiteral(
                                    "The data file is damaged: it ends early or holds impossible "
                                    "lengths.\nRecovered 1 process groups, 1 processes and 1 "
                                    "items/tools and skills; the rest could not be read.\nThe "
                                    "damaged file will be kept as Smeltwork.dat.bak when the data "
                                    "is saved.")
                             << encodeWithQDataStream(recovered) << sample.left(100)
                             << QStringList{"Data file damaged at byte 85: kept 1 groups, 1 "
                                            "processes, 1 requirements",
                                            "Kept the old file as Smeltwork.dat.bak"};
}

void AdminWindowTest::closingTheWindowSaves()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, olderBackup);
    QFETCH(CloseBy, closeBy);
    QFETCH(QString, box);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, backup);
    QFETCH(QStringList, warnings);

    ScratchFolder folder;
    if (!before.isNull())
        folder.writeFile(DataFile, before);
    if (!olderBackup.isNull())
        folder.writeFile(DataFile + ".bak", olderBackup);
    TraceCapture capture;

    QString boxSeen;
    bool windowVisibleUnderBox = true;
    if (!box.isEmpty()) {
        whenModalOpens([&](QWidget *modal) {
            auto *message = qobject_cast<QMessageBox *>(modal);
            QVERIFY2(message, modal->metaObject()->className());
            QCOMPARE(message->windowTitle(), QStringLiteral("SmeltworkAdmin"));
            QCOMPARE(message->icon(), QMessageBox::Warning);
            QCOMPARE(message->standardButtons(), QMessageBox::Ok);
            auto *owner = qobject_cast<Base *>(message->parentWidget());
            QVERIFY(owner);
            windowVisibleUnderBox = owner->isVisible();
            boxSeen = message->text();
            QTest::mouseClick(message->button(QMessageBox::Ok), Qt::LeftButton);
        });
    }
    // Without a box expected, one that opens anyway is recorded and closed, not waited on.
    QObject guard;
    QTimer::singleShot(3000, &guard, [&] {
        if (auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxSeen = message->text();
            message->reject();
        }
    });

    Window w;
    QCOMPARE(boxSeen, box);
    if (!box.isEmpty())
        QVERIFY(!windowVisibleUnderBox);

    whenModalOpens([&](QWidget *modal) {
        QCOMPARE(modal, &w);
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : modal;
        switch (closeBy) {
        case CloseBy::ExitButton:
            QTest::mouseClick(w.ExitBtn, Qt::LeftButton);
            break;
        case CloseBy::Escape:
            QTest::keyClick(focus, Qt::Key_Escape);
            break;
        case CloseBy::Return:
            QTest::keyClick(focus, Qt::Key_Return);
            break;
        case CloseBy::AltX:
            QTest::keyClick(focus, Qt::Key_X, Qt::AltModifier);
            break;
        case CloseBy::TitleBarClose:
            modal->windowHandle()->close();
            break;
        }
    });
    const int result = w.exec();
    QCOMPARE(result == QDialog::Accepted,
             closeBy != CloseBy::Escape && closeBy != CloseBy::TitleBarClose);
    w.saveData();

    QCOMPARE(folder.readFile(DataFile), after);
    QCOMPARE(folder.exists(DataFile + ".bak"), !backup.isNull());
    if (!backup.isNull())
        QCOMPARE(folder.readFile(DataFile + ".bak"), backup);
    QStringList printed = capture.warningLines();
    printed.removeAll(
        QStringLiteral("This plugin does not support propagateSizeHints()")); // offscreen
    QCOMPARE(printed, warnings);
}

// Measuring 65,535 entries each time the combo is shown or opened would stall the window.
void AdminWindowTest::combosOfAFullListAreNotMeasured()
{
    CraftingData tree;
    for (int i = 0; i < 65535; ++i)
        tree.append(ProcGroup{QStringLiteral("Group %1").arg(i), {}});
    tree[0].procs = QList<Proc>(65535, proc("P"));
    ScratchFolder folder;
    folder.writeFile(DataFile, encodeWithQDataStream(tree));
    TraceCapture quiet;
    Window w;
    QCOMPARE(w.ProcGroupList->count(), 65535);
    QCOMPARE(w.ProcGroupList->itemText(65534), QStringLiteral("Group 65534"));
    QCOMPARE(w.ProcessList->count(), 65535);
    for (QComboBox *combo : {w.ProcGroupList, w.ProcessList, w.ActionList, w.TypeList})
        QVERIFY(combo->sizeAdjustPolicy() != QComboBox::AdjustToContents);
}

QTEST_MAIN(AdminWindowTest)
#include "tst_adminwindow.moc"
