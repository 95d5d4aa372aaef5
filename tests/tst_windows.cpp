// The windows' wiring: that keys and clicks reach the right slot, the right rule of the data
// library and the right refill. The rules themselves are tested in tst_rules.
#include "app/adminwindow.h"
#include "app/findwindow.h"
#include "data/editing.h"
#include "data/filesession.h"
#include "data/trace.h"
#include "dialogs/dialogkit.h"
#include "dialogs/messagebox.h"
#include "dialogs/problemswindow.h"
#include "help/editor.h"
#include "help/helpwindow.h"
#include "platform/processhooks.h"
#include "resources/translations.h"
#include "tests/support/sampletree.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPaintEngine>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <memory>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

enum { Add, Delete, Edit, Unknown, SortGroups, SortProcesses };
enum { Group, Process, Item, Skill };

class AdminWindow : public SmeltworkAdminDialog
{
public:
    AdminWindow() : SmeltworkAdminDialog(nullptr, nullptr, true, smeltworkWindowFlags()) {}
    using SmeltworkAdminDialogBase::fillGroupList;
    using SmeltworkAdminDialogBase::followDisk;
    using SmeltworkAdminDialogBase::selectAction;
};

// The files of the working folder as "name=contents": "loaded" for `loaded`, "[shape]" for
// a data file.
QStringList folderFiles(const QByteArray &loaded)
{
    QStringList files;
    for (const QString &name : QDir().entryList(QDir::Files, QDir::Name)) {
        QFile file(name);
        const QByteArray contents = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        CraftingData tree;
        const bool ours = readCraftingData(contents, tree).status == LoadStatus::Loaded;
        files << name + '=' +
                     (contents == loaded ? "loaded"
                      : ours             ? '[' + shape(tree) + ']'
                                         : contents);
    }
    return files;
}

// A working folder holding `bytes` as its data file or help file (null: none), boxes
// answered by `answers`, and the window main() builds there, shown and active.
struct Session
{
    explicit Session(const QByteArray &bytes, const QStringList &answers = {},
                     const char *file = "Smeltwork.dat")
        : boxes(answers)
    {
        if (!bytes.isNull())
            folder.writeFile(file, bytes);
        window = std::make_unique<AdminWindow>();
        window->show();
        active = QTest::qWaitForWindowActive(window.get());
    }
    ScratchFolder folder;
    BoxScript boxes;
    std::unique_ptr<AdminWindow> window;
    bool active = false;
};

// The lists in one line: "groups @current / processes @current [sort] / item rows / skill
// rows / action button", a requirement row as "name|multiplier|hidden|hidden".
QString levels(const SmeltworkAdminDialogBase &w)
{
    QStringList parts;
    for (QComboBox *combo : {w.ProcGroupList, w.ProcessList}) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        parts << entries.join('|') + " @" + QString::number(combo->currentIndex());
    }
    parts.last() += w.SortProcBtn->isEnabled() ? " sort" : "";
    for (const QTreeWidget *list : {w.ItemsList, w.SkillsList}) {
        QStringList rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *row = list->topLevelItem(i);
            rows << QStringList{row->text(0), row->text(1), row->text(2), row->text(3)}.join('|');
        }
        parts << rows.join(", ");
    }
    return parts.join(" / ") + " / " + w.ActionBtn->text();
}

// Picks an entry the way a user does with the keyboard.
void choose(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

// Makes "group/process/row" current as a user does; the row is typed on the tab of `kind`.
void select(AdminWindow &w, const QString &path, int kind)
{
    const QStringList parts = path.split(u'/');
    QComboBox *const combos[] = {w.ProcGroupList, w.ProcessList};
    for (int i = 0; i < std::min<int>(2, parts.size()); ++i)
        if (!parts[i].isEmpty())
            choose(combos[i], combos[i]->findText(parts[i]));
    QTest::keyClick(&w, kind == Skill ? Qt::Key_K : Qt::Key_I, Qt::AltModifier);
    if (parts.size() < 3)
        return;
    QTreeWidget *list = kind == Skill ? w.SkillsList : w.ItemsList;
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClicks(list, parts[2]);
    QVERIFY(list->currentItem() && list->currentItem()->text(0) == parts[2]);
}

// Where the window stands: "group/process/tab:row".
QString shown(const SmeltworkAdminDialog &w)
{
    const QTreeWidget *list = w.ReqControl->currentIndex() ? w.SkillsList : w.ItemsList;
    return w.ProcGroupList->currentText() + '/' + w.ProcessList->currentText() + '/' +
           (list == w.ItemsList ? "items:" : "skills:") +
           (list->currentItem() ? list->currentItem()->text(0) : QString());
}

using T = CraftingData &;
using Change = std::function<void(T)>;

struct ActionCase
{
    CraftingData start;
    Change change;
    QString path;
    int action, kind;
    QString steps; // in the dialog that opens, see run()
    QStringList answers, boxes, opened, trace;
    QString key, after; // a direct action: its key, and shown(), the focus and the action box
};

QByteArray helpFile(const HelpTopics &topics)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeHelpTopics(buffer, topics, false);
    return buffer.data();
}

// Topic "3" has a null header and a body with CR LF line ends.
HelpTopics topicsWithIds(const QStringList &ids)
{
    HelpTopics topics;
    for (const QString &id : ids)
        topics.append({id, id == "3" ? QString() : "Topic " + id,
                       "<i>Body</i> of " + id + (id == "3" ? "<br>\r\nline\r\n" : "")});
    return topics;
}

// The topic tree as shown: ids in display order, an empty one as '', the current item marked
// '*' when selected, '?' when its hidden index leads to another topic; children in
// parentheses when expanded, in angle brackets when not.
QString shape(const SmeltworkHelpDialog &window, const QTreeWidgetItem *parent = nullptr)
{
    QStringList parts;
    parent = parent ? parent : window.HeaderList->invisibleRootItem();
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        const HelpTopic topic = window.helpTopics().value(item->text(2).toInt());
        QString part = item->text(1).isEmpty() ? QStringLiteral("''") : item->text(1);
        if (item == window.HeaderList->currentItem() && item->isSelected())
            part += u'*';
        if (topic.id != item->text(1) || topic.header != item->text(0))
            part += u'?';
        if (item->childCount() > 0)
            part += QString(item->isExpanded() ? "(%1)" : "<%1>").arg(shape(window, item));
        parts.append(part);
    }
    return parts.join(u' ');
}

// The texts a widget draws, as it paints them: one cut ends in "\u2026".
class DrawnTexts : public QPaintDevice
{
public:
    QString of(QWidget *widget)
    {
        m_engine.texts.clear();
        widget->render(this);
        return m_engine.texts.join('|');
    }
    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        return m == PdmDevicePixelRatioScaled ? int(devicePixelRatioFScale())
               : m == PdmDevicePixelRatio     ? 1
                                              : 4000;
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { texts << item.text(); }
        Type type() const override { return User; }
        QStringList texts;
    };
    mutable Engine m_engine;
};

constexpr int Waits = 0, Shows = 1, Aborts = 2; // how the buffered run ends

#ifdef Q_OS_UNIX
// Messages that went through someone else's handler, and so through qDebug(), not the buffer.
int forwarded = 0;
QtMessageHandler next = nullptr;

// What `work` writes to file descriptor 2; what the buffer held before it belongs to the
// stderr before.
QByteArray stderrOf(const std::function<void()> &work)
{
    flushTrace();
    QTemporaryFile file;
    const int saved = dup(STDERR_FILENO);
    dup2(file.open() ? file.handle() : saved, STDERR_FILENO);
    work();
    awaitTraceWriter(); // what went to the writer, not what it was never given
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}
#endif

} // namespace

class WindowsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        installTranslations();
        QLoggingCategory::setFilterRules("default.debug=true");
        // Under the C locale a locale-aware comparison is the plain one; English tells them apart.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // Tab round the window (SkillsList sits on the hidden page), then the mnemonics of the
    // labels and tabs: where the focus is after each key, and the page shown.
    void adminWindowKeysAndColumns()
    {
        Session s(
            encodeWithQDataStream({{"G", {proc("P", {item("a", "1", 1)}), proc("Q")}}, {"H", {}}}));
        AdminWindow &w = *s.window;
        QVERIFY(s.active);
        const auto decorations = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        QCOMPARE(w.windowFlags() & (decorations | Qt::WindowMinMaxButtonsHint), decorations);
        QVERIFY(w.isModal() && w.ExitBtn->isDefault() && !w.ActionBtn->isDefault());
        const auto where = [&w] {
            QWidget *at = QApplication::focusWidget(); // the tab bar stands for its tab widget
            while (at && (at->objectName().isEmpty() || at->objectName().startsWith("qt_")))
                at = at->parentWidget();
            return (at ? at->objectName() : QStringLiteral("(none)")) +
                   (w.ReqControl->currentIndex() ? "/skills" : "");
        };
        QStringList visited{where()};
        for (const QString &key :
             (QString("Tab ").repeated(11) + "Alt+P Alt+G Alt+K Alt+I").split(' '))
            run(&w, key), visited << where();
        QCOMPARE(visited, testDataLines("admin-tab-order.txt"));
        QHeaderView *header = w.ItemsList->header(); // a click on "Multiplier" sorts nothing
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(header->sortIndicatorSection(), 0);
    }

    // No name or multiplier is cut at its column's width, wherever it stands in its list.
    void namesAreWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QFile example(SMELT_EXAMPLES "/Smeltwork.dat");
        QVERIFY(example.open(QIODevice::ReadOnly));
        QTest::newRow("the example") << example.readAll();
        QTest::newRow("outside Latin-1") << encodeWithQDataStream(
            {{"G",
              {proc("P", {item("Жар ☆ 😀", "½", 1), item("ﬁligree Äxte", "٣", 2),
                          skill("مطرقة", "0.5"), skill("Ωmega", "1")})}}});
        QList<Req> many(150, item("Short", "1", 1));
        many[120] = item(qPrintable(QString(90, 'W')), "0.0000001", 3);
        QTest::newRow("wider than the window, far down")
            << encodeWithQDataStream({{"G", {proc("P", many)}}});
    }

    void namesAreWhole()
    {
        QFETCH(QByteArray, bytes);
        Session s(bytes);
        QVERIFY(s.active);
        AdminWindow &w = *s.window;
        DrawnTexts drawn;
        for (int g = 0; g < w.data().size(); ++g)
            for (int p = 0; p < w.data()[g].procs.size(); ++p) {
                w.showRecord({g, p});
                for (QTreeWidget *list : {w.ItemsList, w.SkillsList}) {
                    w.ReqControl->setCurrentWidget(list->parentWidget());
                    for (int row = 0; row < list->topLevelItemCount(); row += 10) {
                        list->scrollToItem(list->topLevelItem(row), QTreeWidget::PositionAtTop);
                        const QString texts = drawn.of(list);
                        QVERIFY2(!texts.contains(u'\u2026') && !texts.isEmpty(), qPrintable(texts));
                    }
                }
            }
    }

    // A data file, keys in the window -> the lists; an empty level empties those below it.
    void listsFollowTheChoices_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("levels");
        const auto reqs = [](const QList<Req> &list) {
            return encodeWithQDataStream({{"G", {proc("P", list)}}});
        };
        const auto row = [](const char *name, const QByteArray &bytes, const char *steps,
                            const QString &levels) {
            QTest::newRow(name) << bytes << QString(steps) << levels;
        };
        row("no data file", {}, "", " @-1 /  @-1 /  /  / Add");
        row("items and skills apart, each by name; type 5 a skill; id unsigned",
            reqs({skill("B", "2"), item("Saw", "1", 1), skill("Q", "1", 5), item("a", "0", 2),
                  skill("C", "0.5"), item("Hammer", "x", -1)}),
            "",
            "G @0 / P @0 / a|0|2|3, Hammer|x|4294967295|5, Saw|1|1|1 / B|2|0|, C|0.5|4|, Q|1|2| / "
            "Add");
        const QByteArray file = encodeWithQDataStream(forge());
        const QString groups = "Ores|Wood|Empty @";
        row("a group starts at its first process, the action stays", file,
            "Tab*6 Down Shift+Tab*6 Down", groups + "1 / Bar|Plank @0 sort /  /  / Delete");
        row("a process shows its requirements", file, "Down Alt+P Down",
            groups + "1 / Bar|Plank @1 sort / Glue|lots|3|0 /  / Add");
        row("the same group again", file, "Down Alt+P Down Alt+G Down Up Up Down",
            groups + "1 / Bar|Plank @0 sort /  /  / Add");
        row("no process", file, "End", groups + "2 /  @-1 /  /  / Add");
    }

    void listsFollowTheChoices()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, steps);
        Session s(bytes);
        QVERIFY(s.active);
        run(s.window.get(), steps);
        QTEST(levels(*s.window), "levels");
        QVERIFY(s.window->ItemsList->selectedItems().isEmpty());
    }

    // A record chosen, an action picked as a user picks it and its dialog played -> the tree,
    // the boxes shown, the windows opened, the trace; the lists show the tree after it.
    void actionsReachTheirRule_data()
    {
        QTest::addColumn<ActionCase>("c");
        const auto row = [](const char *name, int action, int kind, const char *path,
                            const char *steps, const Change &change = {},
                            const QStringList &answers = {}, const QStringList &boxes = {},
                            const CraftingData &start = forge(), const char *trace = "") {
            const QString dialog = kind <= Process ? "SmeltworkProcDialog" : "SmeltworkReqDialog";
            const QStringList opened = *steps ? QStringList{dialog} : QStringList();
            const QStringList lines = QString(trace).split('|', Qt::SkipEmptyParts);
            QTest::newRow(name) << ActionCase{start,   change, path,   action, kind, steps,
                                              answers, boxes,  opened, lines,  {},   {}};
        };
        // A key on the list of `kind` (a double-click, the context menu) -> as above, and then
        // where the window stands, its focus and the action box.
        const auto direct = [](const char *name, int kind, const char *path, const char *key,
                               const char *steps, const Change &change, const char *after,
                               const QStringList &answers = {}, const QStringList &boxes = {}) {
            QStringList opened;
            if (QString(key).startsWith("Shift+F10"))
                opened << "QMenu &Add...=Ins &Edit...=F2 &Delete...=Del = D&uplicate=Ctrl+D "
                          "Cu&t=Ctrl+X &Copy=Ctrl+C &Paste=Ctrl+V";
            if (*steps)
                opened << (kind <= Process ? "SmeltworkProcDialog" : "SmeltworkReqDialog");
            QTest::newRow(name) << ActionCase{forge(), change, path,   Add, kind, steps,
                                              answers, boxes,  opened, {},  key,  after};
        };
        direct(
            "F2 on an item/tool row", Item, "Ores/Ingot/Hammer", "F2", "End 's Return",
            [](T d) { d[0].procs[0].reqs[0].name = "Hammers"; },
            "Ores/Ingot/items:Hammers ItemsList Edit/Item/Tool");
        direct(
            "double-click on a skill row", Skill, "Ores/Ingot/Mining", "dclick", "End 's Return",
            [](T d) { d[0].procs[0].reqs[3].name = "Minings"; },
            "Ores/Ingot/skills:Minings SkillsList Edit/Skill");
        direct("Delete on a skill row, Yes: the next row", Skill, "Ores/Ingot/Mining", "Delete", "",
               [](T d) { d[0].procs[0].reqs.removeAt(3); },
               "Ores/Ingot/skills:Smithing SkillsList Delete/Skill", {"Yes"},
               {"Really delete skill \"Mining\"?"});
        direct(
            "Insert on the skills tab", Skill, "Wood/Plank", "Insert", "'Carving Alt+M '1.5 Return",
            [](T d) { d[1].procs[1].reqs << skill("Carving", "1.5"); },
            "Wood/Plank/skills:Carving SkillsList Add/Skill");
        direct(
            "F2 on the group box", Group, "Wood", "F2", "End 's OkBtn",
            [](T d) { d[1].name = "Woods"; }, "Woods/Bar/items: ProcGroupList Edit/Process Group");
        direct(
            "Insert on the group box", Group, "Wood", "Insert", "'Clay Return",
            [](T d) {
                d << ProcGroup{"Clay", {}};
            },
            "Clay//items: ProcGroupList Add/Process Group");
        direct("Delete on the process box, Yes", Process, "Wood/Plank", "Delete", "",
               [](T d) { d[1].procs.removeAt(1); }, "Wood/Bar/items: ProcessList Delete/Process",
               {"Yes"}, {"Really delete process \"Plank\" and all of it's items/tools/skills?"});
        direct(
            "Shift+F10 on the process box, Edit", Process, "Wood/Plank", "Shift+F10 > E",
            "End 's Return", [](T d) { d[1].procs[1].name = "Planks"; },
            "Wood/Planks/items: ProcessList Edit/Process");
        // Records whole through the clipboard, which holds a text that is no record at first.
        direct(
            "Ctrl+D on a process: a copy after it", Process, "Ores/Ingot", "Ctrl+D", "",
            [](T d) { d[0].procs.insert(1, d[0].procs[0]); },
            "Ores/Ingot/items: ProcessList Add/Process");
        direct(
            "Ctrl+C, Ctrl+V on a group: a copy after it", Group, "Wood", "Ctrl+C Ctrl+V", "",
            [](T d) { d.insert(2, d[1]); }, "Wood/Bar/items: ProcGroupList Add/Process Group");
        direct(
            "Ctrl+X on an item/tool row, Ctrl+V after the next", Item, "Ores/Ingot/Hammer",
            "Ctrl+X Ctrl+V", "", [](T d) { d[0].procs[0].reqs.move(0, 2); },
            "Ores/Ingot/items:Hammer ItemsList Add/Item/Tool");
        direct("Ctrl+V of a text that holds no records", Skill, "Ores/Ingot/Mining", "Ctrl+V", "",
               {}, "Ores/Ingot/skills:Mining SkillsList Add/Process Group", {},
               {"The clipboard holds no Smeltwork records"});
        row("add group", Add, Group, "", "'Aardvark Return", [](T d) {
            d << ProcGroup{"Aardvark", {}};
        });
        row("add group, Escape", Add, Group, "Wood", "'Typed Escape");
        row("edit group", Edit, Group, "Wood", "End 's OkBtn", [](T d) { d[1].name = "Woods"; });
        row("edit keeps a 40,000-character name", Edit, Group, "", "Return", {}, {}, {},
            {{QString(40000, u'x'), {}}});
        const QString deleteWood = "Really delete process group \"Wood\" and all of it's processes "
                                   "and items/tools/skills?";
        row("delete group, Yes", Delete, Group, "Wood", "", [](T d) { d.removeAt(1); }, {"Yes"},
            {deleteWood});
        row("delete group, No", Delete, Group, "Wood", "", {}, {"No"}, {deleteWood});
        row("add process, Special", Add, Process, "Wood",
            "'Nugget Alt+S Shift+Tab Ctrl+A '50 Return",
            [](T d) { d[1].procs << proc("Nugget", {}, 50, 50); });
        // Special opens checked: Tab passes the switched-off Max QL and reaches Min QL.
        row("edit special process", Edit, Process, "Wood/Bar", "Tab Ctrl+A '200 Return",
            [](T d) { d[1].procs[0].maxQL = d[1].procs[0].minQL = 200; });
        row("delete process, Yes", Delete, Process, "Ores/Dust", "",
            [](T d) { d[0].procs.removeAt(1); }, {"Yes"},
            {"Really delete process \"Dust\" and all of it's items/tools/skills?"});
        row("add item/tool", Add, Item, "Wood/Plank", "'Tongs Alt+M '2 Alt+Z Ctrl+A '55 Return",
            [](T d) { d[1].procs[1].reqs << item("Tongs", "2", 55); });
        row("add skill", Add, Skill, "Wood/Plank", "'Carving Alt+M '1.5 Return",
            [](T d) { d[1].procs[1].reqs << skill("Carving", "1.5"); });
        row("edit item/tool: id -5 and 0 kept", Edit, Item, "Ores/Ingot/Anvil", "Return");
        CraftingData twoHammers = forge();
        twoHammers[1].procs[0].reqs << item("Hammer", "1", 1234);
        row(
            "a new id for every item/tool of its name and id", Edit, Item, "Ores/Ingot/Hammer",
            "Alt+Z Ctrl+A '99 Return",
            [](T d) { d[0].procs[0].reqs[0].id = d[1].procs[0].reqs[0].id = 99; }, {"Yes"},
            {"Change the id of all 2 item/tools named \"Hammer\" from 1234 to 99?"}, twoHammers);
        row("edit item/tool: letters open Fixed", Edit, Item, "Wood/Plank/Glue", "Return",
            [](T d) { d[1].procs[1].reqs[0].multiplier = "0"; });
        row("edit skill keeps id and type", Edit, Skill, "Ores/Ingot/Mining", "End 's Return",
            [](T d) { d[0].procs[0].reqs[3].name = "Minings"; });
        row("delete item/tool among skills", Delete, Item, "Ores/Ingot/Anvil", "",
            [](T d) { d[0].procs[0].reqs.removeAt(2); }, {"Yes"},
            {"Really delete item/tool \"Anvil\"?"});
        row("no current row", Delete, Item, "Wood/Plank", "");
        row("no groups", Add, Process, "", "", {}, {},
            {"There is no process group to add the process to.\nAdd a process group first."},
            CraftingData());
        row("unknown action", Unknown, Group, "", "", {}, {},
            {"An unknown error occured.\nUnable to determin type of action to perform."});
        row("full list", Add, Group, "", "", {}, {},
            {"The list of process groups is full: it holds 65535 groups, the most the data file "
             "can store."},
            CraftingData(MaxListSize));
        const auto sort = [](T d) { d.move(2, 0); };
        row("sort groups", SortGroups, Group, "", "", sort, {}, {}, forge(),
            "Sorting ProcGroupList:|Ores appended.|Wood appended.|Empty comes before Ores (r = 1)|"
            "List sorted, saving...|Sorting Complete!");
        const auto sortOres = [](T d) { d[0].procs.move(1, 0); };
        row("sort processes", SortProcesses, Group, "Ores", "", sortOres, {}, {}, forge(),
            "Sorting ProcessList (Ores):|Ingot appended.|Dust comes before Ingot (r = 1)|"
            "List sorted, saving...|Sorting Complete!");
    }

    void actionsReachTheirRule()
    {
        QFETCH(ActionCase, c);
        QGuiApplication::clipboard()->setText("{\"a\": 1}");
        Session s(encodeWithQDataStream(c.start), c.answers);
        AdminWindow &w = *s.window;
        QVERIFY(s.active);
        select(w, c.path, c.kind);
        QWidget *const lists[] = {w.ProcGroupList, w.ProcessList, w.ItemsList, w.SkillsList};
        if (!c.key.isEmpty()) {
            lists[c.kind]->setFocus();
        } else if (c.action <= Edit) {
            choose(w.ActionList, c.action);
            choose(w.TypeList, c.kind);
        } else if (c.action == Unknown) {
            w.selectAction(Unknown);
        }
        QPushButton *button = c.action == SortGroups      ? w.SortGrpBtn
                              : c.action == SortProcesses ? w.SortProcBtn
                                                          : w.ActionBtn;
        TraceCapture trace;
        QCOMPARE(run(&w, (c.key.isEmpty() ? button->objectName() : c.key) + " > " + c.steps),
                 c.opened);
        QCOMPARE(trace.lines("D: "), c.trace);
        if (!c.key.isEmpty())
            QCOMPARE(shown(w) + ' ' + w.focusWidget()->objectName() + ' ' +
                         w.ActionList->currentText() + '/' + w.TypeList->currentText(),
                     c.after);
        QCOMPARE(s.boxes.shown(), c.boxes);
        CraftingData expected = c.start;
        if (c.change)
            c.change(expected);
        QCOMPARE(w.data(), expected);
        // A requirement's process stays current; the lists read as after a full refill there.
        QCOMPARE(w.ProcessList->currentText(),
                 c.kind >= Item ? c.path.section('/', 1, 1) : w.ProcessList->currentText());
        const QString after = levels(w);
        const RecordPath at{w.ProcGroupList->currentIndex(), w.ProcessList->currentIndex()};
        w.fillGroupList();
        w.showRecord(at);
        QCOMPARE(levels(w), after);
    }

    // The run as main() makes it: the data file (null: none) loaded, exec(), `steps` (after a
    // group "Clay" is added and a fault, a shell command, made in the folder), saveData() ->
    // the files left as "name=contents" ("loaded": the bytes loaded; "[shape]": a data file),
    // the boxes answered by `answers` and the warnings, in order as "I: text" and "W: text".
    void closingTheWindowSaves_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("printed");
        const auto row = [](const QString &name, const QByteArray &bytes, const char *fault,
                            const QStringList &answers, const char *steps, const QStringList &files,
                            const QString &printed = {}) {
            QTest::newRow(qPrintable(name))
                << bytes << QString(fault) << answers << QString(steps) << files << printed;
        };
        const auto golden = [](const char *name) { return QString(testData(name)).trimmed(); };
        const QByteArray sample = encodeWithQDataStream(sampleTree());
        const QByteArray wood = encodeWithQDataStream({{"Wood", {}}});
        const QString older = "Smeltwork.dat.bak=older", keptOlder = "Smeltwork.dat.bak.1=older";
        const QString clay = "Smeltwork.dat=[Wood Clay]", loaded = "Smeltwork.dat.bak=loaded";
        const char *folder = "rm Smeltwork.dat && mkdir Smeltwork.dat";
        row("no file", {}, "", {}, "ExitBtn", {"Smeltwork.dat=[]", older});
        for (const char *way : {"ExitBtn", "Escape", "Return", "Alt+X", "close"})
            row(QString("sample, ") + way, sample, "", {}, way, {"Smeltwork.dat=loaded", older});
        row("empty file", "", "", {}, "close", {"Smeltwork.dat=[]", loaded, keptOlder},
            golden("closing/empty-file.txt"));
        // Cut inside the second requirement of the first process: one of each is recovered.
        row("damaged", sample.left(100), "", {}, "Escape",
            {"Smeltwork.dat=[St\u00e4hlerne \u00c4xte(Axt[Hammer])]", loaded, keptOlder},
            golden("closing/damaged.txt"));
        const QString reason = strerror(EPERM); // as the system words it
        row("Retry once the file takes writing again", wood, "chattr +i Smeltwork.dat", {"Retry"},
            "ExitBtn", {clay, older},
            "W: Unable to save Smeltwork.dat: " + reason +
                "\nI: Smeltwork.dat could not be saved: " + reason +
                ". | Your changes are still here. Retry once the cause is gone, save them to "
                "another file, or give them up.");
        row("Save As, by Ctrl+S", wood, folder, {"Ok", "SaveAs", "Discard", "Yes"},
            "Ctrl+S > '../other.dat Return", {older, "other.dat=[Wood Clay]"},
            golden("closing/save-as.txt"));
        row("Retry after a Save As tries that file again", wood, folder,
            {"Ok", "SaveAs", "Retry", "Discard", "Yes", "Discard", "Yes"},
            "Ctrl+S > '/gone/other.dat Return", {older}, golden("closing/retry-save-as.txt"));
        row("Discard asks once more", wood, folder, {"Ok", "Discard", "No", "Discard", "Yes"},
            "ExitBtn", {older}, golden("closing/discard.txt"));
        row("a version changed on disk is kept", wood, "echo theirs > Smeltwork.dat", {"Ok"},
            "ExitBtn", {clay, "Smeltwork.dat.bak=theirs\n", keptOlder},
            golden("closing/changed.txt"));
    }

    void closingTheWindowSaves()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fault);
        QFETCH(QStringList, answers);
        QFETCH(QString, steps);
        ScratchFolder folder;
        if (!bytes.isNull())
            folder.writeFile("Smeltwork.dat", bytes);
        folder.writeFile("Smeltwork.dat.bak", "older");
        const auto shell = [](const QString &command) {
            return QProcess::execute("sh", {"-c", command});
        };
        const auto lift = qScopeGuard([&] { shell("chattr -i Smeltwork.dat 2>/dev/null"); });
        // An immutable file takes writing again once a box asks what to do.
        BoxScript boxes(answers, [&](const QString &) { shell("chattr -i Smeltwork.dat"); });
        TraceCapture trace;
        AdminWindow w;
        bool faulted = fault.isEmpty();
        QTimer::singleShot(0, &w, [&] {
            if (QTest::qWaitForWindowActive(&w) && !faulted) {
                run(&w, "ActionBtn > 'Clay Return");
                faulted = shell(fault) == 0;
                w.followDisk(); // what the file watcher finds a moment later
            }
            if (faulted)
                run(&w, steps);
            if (w.isVisible()) // left open by its steps or a failed one
                w.reject();
        });
        QCOMPARE(w.exec() == QDialog::Accepted, QString("ExitBtn Return Alt+X").contains(steps));
        if (!faulted)
            QSKIP(qPrintable("cannot set the fault up here: " + fault));
        w.saveData();
        QTEST(folderFiles(bytes), "files");
        QStringList printed = trace.lines().filter(QRegularExpression("^[WI]: "));
        printed.removeIf([](const QString &line) { return line.startsWith("W: This plugin"); });
        QTEST(printed.join('\n'), "printed");
    }

    // A window with its data file, a change made by `steps` or none, the file changed by
    // another program (a shell command), `then` keys -> the tree shown once the window has
    // looked (the last row waits for the file watcher), the boxes answered by `answers` and
    // the warnings, and the files after the close.
    void followsItsFileOnDisk_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QStringList>("files");
        const QString mine = "ActionBtn > 'Mine Return", theirs = "mv theirs.dat Smeltwork.dat";
        const QString changed = "I: Smeltwork.dat was changed by another program, and this window "
                                "holds changes that are not saved. | Load theirs shows that "
                                "version; what this window holds stays one Ctrl+Z away. Keep mine "
                                "goes on with yours; theirs is then kept as Smeltwork.dat.bak when "
                                "you save.";
        const QString shownNow =
            "W: Smeltwork.dat was changed by another program; that version is shown now";
        const QStringList saved{"Smeltwork.dat=[Theirs]"}, savedMine{"Smeltwork.dat=[Wood Mine]"};
        QTest::newRow("unchanged: shown at once, saved as it is")
            << "" << theirs << QStringList() << ""
            << "Theirs" << shownNow << saved;
        QTest::newRow("changed, Load theirs, then Ctrl+Z")
            << mine << theirs << QStringList{"LoadTheirs"} << "Ctrl+Z"
            << "Wood Mine" << changed << savedMine;
        QTest::newRow("changed, Keep mine: theirs kept at the save")
            << mine << theirs << QStringList{"KeepMine"} << ""
            << "Wood Mine"
            << changed + "\n" + QString(testData("closing/changed.txt")).trimmed().section('\n', 2)
            << savedMine + QStringList{"Smeltwork.dat.bak=[Theirs]"};
        QTest::newRow("gone: said once, written again")
            << ""
            << "rm Smeltwork.dat theirs.dat" << QStringList() << ""
            << "Wood"
            << "W: Smeltwork.dat is gone; the window keeps what it shows\nI: Smeltwork.dat is no "
               "longer there. | The window keeps what it shows; Ctrl+S, or closing the window, "
               "writes the file again."
            << QStringList{"Smeltwork.dat=[Wood]"};
        QTest::newRow("by the file watcher") << "" << theirs << QStringList() << ""
                                             << "Theirs" << shownNow << saved;
    }

    void followsItsFileOnDisk()
    {
        QFETCH(QString, steps);
        QFETCH(QString, fault);
        QFETCH(QString, then);
        QFETCH(QStringList, answers);
        Session s(encodeWithQDataStream({{"Wood", {}}}), answers);
        s.folder.writeFile("theirs.dat", encodeWithQDataStream({{"Theirs", {}}}));
        QVERIFY(s.active);
        if (!steps.isEmpty())
            run(s.window.get(), steps);
        TraceCapture trace;
        QCOMPARE(QProcess::execute("sh", {"-c", fault}), 0);
        if (QString(QTest::currentDataTag()) == "by the file watcher")
            QTRY_COMPARE(shape(s.window->data()), "Theirs");
        s.window->followDisk();
        if (!then.isEmpty())
            run(s.window.get(), then);
        QTEST(shape(s.window->data()), "shown");
        s.window->saveData();
        QTEST(trace.lines().filter(QRegularExpression("^[WI]: ")).join('\n'), "printed");
        QTEST(folderFiles({}), "files");
    }

    // A recovery copy is offered before the window opens, however old it is; Yes restores it
    // and leaves the file alone until it is saved, No keeps the copy aside. A copy that cannot
    // be written is said once.
    void recoveryCopies()
    {
        for (const QString answer : {"No", "Yes"}) {
            ScratchFolder folder;
            const QByteArray file = encodeWithQDataStream({{"Wood", {}}});
            folder.writeFile("Smeltwork.dat", file);
            QFile recovered(recoveryPath(workingFolder(), "Smeltwork.dat"));
            QVERIFY(QDir().mkpath(QFileInfo(recovered).path()) &&
                    recovered.open(QIODevice::WriteOnly));
            recovered.write(encodeWithQDataStream({{"Wood", {}}, {"Clay", {}}}));
            recovered.close();
            QVERIFY(recovered.open(QIODevice::Append) &&
                    recovered.setFileTime(QFileInfo("Smeltwork.dat").lastModified(),
                                          QFileDevice::FileModificationTime));
            recovered.close();
            BoxScript boxes({answer});
            TraceCapture quiet;
            AdminWindow w;
            QCOMPARE(boxes.shown().value(0).section(" (", 0, 0),
                     "Smeltwork.dat has changes from a session that ended without saving");
            QCOMPARE(w.data().size(), answer == "Yes" ? 2 : 1);
            QCOMPARE(folder.readFile("Smeltwork.dat"), file);
            QCOMPARE(QFile::exists(recovered.fileName() + ".declined"), answer == "No");
            if (answer == "No")
                continue;
            QVERIFY(QFile::remove(recovered.fileName()) && QDir().mkdir(recovered.fileName()));
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            run(&w, "ActionBtn > 'A Return");
            run(&w, "ActionBtn > 'B Return");
            QTRY_COMPARE(boxes.shown().size(), 2);
            QTest::qWait(50);
            QCOMPARE(boxes.shown().value(1).section(":", 0, 0),
                     "Unsaved changes to Smeltwork.dat are not protected against a crash");
            QCOMPARE(boxes.shown().size(), 2);
            QVERIFY(QDir().rmdir(recovered.fileName()));
        }
    }

    // A request to end the program (a signal) leaves a box about unsaved changes up until the
    // user has answered it; the windows below close after that.
    void aBoxAboutUnsavedChangesOutlastsAnEndRequest()
    {
        QDialog window;
        window.setModal(true);
        bool stayed = false, guarded = false;
        QTimer::singleShot(0, &window, [&] {
            QTimer::singleShot(0, &window, [&] { // once the box is up
                QWidget *box = QApplication::activeModalWidget();
                closeOpenWindows();
                stayed = box && box != &window && box->isVisible() && window.isVisible();
                for (auto *button :
                     box ? box->findChildren<QPushButton *>() : QList<QPushButton *>())
                    if (button->text() == "&Retry")
                        button->click();
            });
            SmeltworkMessageBox::warning(&window, "Unsaved",
                                         SmeltworkMessageBox::Retry | SmeltworkMessageBox::Discard);
        });
        QTimer::singleShot(10000, &window, [&] { guarded = true, window.reject(); });
        window.exec();
        QVERIFY(stayed && !guarded);
    }

    // An end request over the body editor with typed text asks its question; Keep editing
    // leaves the editor up, and the windows below close once it is left.
    void anEndRequestAsksTheBodyEditor()
    {
        QDialog below;
        below.setModal(true);
        BoxScript boxes({"KeepEditing"});
        bool stayed = false, guarded = false;
        QTimer::singleShot(0, &below, [&] {
            SmeltworkEditor editor(&below, nullptr, true, smeltworkWindowFlags());
            QTimer::singleShot(0, &editor, [&] {
                QTest::keyClicks(editor.BodyEdit, "typed");
                closeOpenWindows();
                stayed = editor.isVisible() && below.isVisible();
                editor.accept();
            });
            editor.exec();
        });
        QTimer::singleShot(10000, &below, [&] { guarded = true, below.reject(); });
        below.exec();
        QVERIFY(stayed && !guarded);
        QCOMPARE(boxes.shown(), QStringList{"Discard the changes to this body?"});
    }

    // Ctrl+F finds; Down and Return show the match chosen, ready to act on: its kind in the
    // action box and its list focused; the find window stays until Escape. The requirement found
    // deleted by the action button through the real box (no script), the groups sorted, undone
    // twice, redone, undone and redone by keys: the close saves the tree without it. Neither
    // finding nor undoing prints anything.
    void findAndUndoByKeys()
    {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.dat", encodeWithQDataStream(forge()));
        AdminWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        TraceCapture trace;
        run(&w, "Ctrl+F");
        auto *find = w.findChild<SmeltworkFindWindow *>();
        QVERIFY(find && find->windowTitle() == "Find - Smeltwork");
        QTRY_VERIFY(find->isActiveWindow() && find->FindEdit->hasFocus());
        QTest::keyClicks(find->FindEdit, "ING");
        const QModelIndex second = find->MatchList->model()->index(1, 0);
        QCOMPARE(find->CountLabel->text() + ": " + second.data().toString() + '|' +
                     second.siblingAtColumn(1).data().toString() + '|' +
                     second.siblingAtColumn(2).data().toString(),
                 QStringLiteral("3 matches: Ores \u203a Ingot \u203a Smithing|2|Skill"));
        const auto landed = [&w] {
            static_cast<void>(QTest::qWaitFor([&w] { return w.isActiveWindow(); }));
            return shown(w) + ' ' + w.TypeList->currentText() + ' ' +
                   QApplication::focusWidget()->objectName();
        };
        run(find, "Down Return"); // from the first match, with the cursor in the line
        QCOMPARE(landed(), QStringLiteral("Ores/Ingot/skills:Smithing Skill SkillsList"));
        run(find, "Ctrl+A 'glue Return");
        QCOMPARE(find->CountLabel->text() + ": " + landed(),
                 QStringLiteral("1 match: Wood/Plank/items:Glue Item/Tool ItemsList"));
        QVERIFY(find->isVisible());
        run(find, "Escape");
        QTRY_VERIFY(!find->isVisible());
        QCOMPARE(trace.lines("D: "), QStringList());

        choose(w.ActionList, Delete);
        QCOMPARE(run(&w, "ActionBtn > Alt+Y"),
                 QStringList{"QMessageBox SmeltworkAdmin: Really delete item/tool \"Glue\"? "
                             "[&Yes &No]"});
        run(&w, "SortGrpBtn");
        const int sortLines = trace.lines("D: ").size();
        run(&w, "Ctrl+Z Ctrl+Z");
        QCOMPARE(w.data(), forge());
        QCOMPARE(shown(w), QStringLiteral("Wood/Plank/items:Glue"));
        run(&w, "Ctrl+Shift+Z Ctrl+Z Ctrl+Y");
        CraftingData expected = forge();
        expected[1].procs[1].reqs.clear();
        QCOMPARE(w.data(), expected);
        QCOMPARE(shown(w), QStringLiteral("Wood/Plank/items:"));
        QCOMPARE(trace.lines("D: ").size(), sortLines);
        run(&w, "Alt+P"); // the mnemonics still answer
        QTRY_COMPARE(QApplication::focusWidget(), w.ProcessList);
        w.saveData();
        QCOMPARE(folder.readFile("Smeltwork.dat"), encodeWithQDataStream(expected));
    }

    // Ctrl+H: the find window with the line to replace with. Replace All asks, then changes
    // every name that holds the text (that is it, with Whole name) in one step for Ctrl+Z.
    void replaceEverywhereByKeys()
    {
        Session s(encodeWithQDataStream(forge()), {"Yes", "Yes"});
        QVERIFY(s.active);
        run(s.window.get(), "Ctrl+H");
        auto *find = s.window->findChild<SmeltworkFindWindow *>();
        QVERIFY(find);
        QTRY_VERIFY(find->isActiveWindow() && find->FindEdit->hasFocus());
        run(find, "'ING Alt+W 'ung Alt+A");
        find->FindEdit->setFocus();
        run(find, "Ctrl+A 'hammer Alt+N Alt+W Ctrl+A 'Mallet Alt+A");
        QCOMPARE(s.boxes.shown(), QStringList({"Replace \"ING\" with \"ung\" in 3 names?",
                                               "Replace \"hammer\" with \"Mallet\" in 1 name?"}));
        CraftingData expected = forge();
        QList<Req> &ingot = expected[0].procs[0].reqs;
        expected[0].procs[0].name = "ungot", ingot[1].name = "Smithung", ingot[3].name = "Minung";
        ingot[0].name = "Mallet";
        QCOMPARE(s.window->data(), expected);
        s.window->activateWindow();
        QTRY_VERIFY(s.window->isActiveWindow());
        run(s.window.get(), "Ctrl+Z");
        ingot[0].name = "Hammer";
        QCOMPARE(s.window->data(), expected);
    }

    // F8 lists what the checks find by the records' names, checked again in the background
    // after each change; Return shows the record. The help window's F8 lists its topics'.
    void problemsByKey()
    {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.dat", encodeWithQDataStream(forge()));
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds({"1.5", "1"})));
        AdminWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        run(&w, "F8");
        auto *problems = w.findChild<SmeltworkProblemsWindow *>();
        QVERIFY(problems && problems->windowTitle() == "Problems - Smeltwork");
        const auto listed = [&problems] {
            QStringList rows{problems->CountLabel->text()};
            for (int row = 0; row < problems->ProblemList->model()->rowCount(); ++row)
                rows << problems->ProblemList->model()->index(row, 0).data().toString();
            return rows;
        };
        QTRY_COMPARE(listed(), testDataLines("problems.txt"));
        run(problems, "Down Return");
        QCOMPARE(shown(w), QStringLiteral("Wood/Plank/items:Glue"));
        run(&w, "SortGrpBtn");
        QTRY_COMPARE(listed().value(1).section(':', 0, 0), "Ores › Ingot › Mining");
        w.hide(); // a modal window takes the keys from every other one
        SmeltworkHelpDialog help;
        help.show();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        run(&help, "F8");
        QVERIFY((problems = help.findChild<SmeltworkProblemsWindow *>()));
        QTRY_COMPARE(listed().value(1), "Topic 1.5 (1.5): sub-topic \"1.5\" comes before any "
                                        "top-level topic, so it has no parent");
    }

    // A tree too large to search on the keystroke: the window searches while the user types,
    // the search of each text taking the place of the one before, and lists what the last
    // text finds.
    void findSearchesALargeTreeAside()
    {
        QList<Req> reqs;
        for (int k = 0; k < int(SmeltworkFindWindow::SearchedAtOnce) / 2; ++k)
            reqs.append(k % 4 ? item("Tongs", "1", k) : skill("Hammering", "2"));
        ScratchFolder folder;
        folder.writeFile(
            "Smeltwork.dat",
            encodeWithQDataStream({{"Ores", {proc("Ingot", reqs), proc("Bar", reqs)}}}));
        AdminWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        run(&w, "Ctrl+F");
        auto *find = w.findChild<SmeltworkFindWindow *>();
        QTRY_VERIFY(find && find->FindEdit->hasFocus());
        run(find, "'tong Ctrl+A 'hamm");
        QTRY_COMPARE(find->CountLabel->text(),
                     QStringLiteral("12500 matches, the first 1000 listed"));
        QCOMPARE(find->MatchList->model()->index(0, 0).data().toString(),
                 QStringLiteral("Ores \u203a Ingot \u203a Hammering"));
    }

    // Topics with `ids` loaded, one selected with the mouse, steps in the help window and the
    // modal windows it opens -> the tree, the topics, and what was printed.
    void helpWindowActions_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("expected"); // tree / boxes / windows / lines printed
        const auto row = [](const char *name, const QStringList &ids, const char *selected,
                            const char *steps, const HelpTopics &topics, const char *expected,
                            const QStringList &answers = {}) {
            QTest::newRow(name) << ids << QString(selected) << QString(steps) << answers << topics
                                << QString::fromUtf8(expected);
        };
        const QStringList nested{"1", "1.1", "1.2", "2"},
            mixed{"2", "2.10", "2.05", "10", "a", "B", ""};
        row("sub-topics under their topic", nested, "", "", topicsWithIds(nested),
            "1(1.1 1.2) 2 /  /  / ");
        row("sorted by code units", mixed, "", "", topicsWithIds(mixed),
            "'' 10 2(2.05 2.10) B a /  /  / ");
        const QStringList three = {"1", "2", "3"};
        const HelpTopics same = topicsWithIds(three);
        HelpTopics added = same, added7 = same, renamed = same, bold = same;
        added.append({"HLP_", "", QString()}); // an empty header, not a null one
        added7.append({"HLP_7", "Intro", QString()});
        renamed[1] = {"2.5", "Renamed", "<i>Body</i> of 2"};
        bold[1].body = "<b>new</b><br>\n<i>Body</i> of 2";
        row("add with the defaults, Alt+O", three, "", "AddBtn > Alt+O", added,
            "1 2 3 HLP_ /  / SmeltworkTopicDialog / ");
        row("add: typing extends the prefix, Return accepts", three, "",
            "AddBtn > '7 Tab 'Intro Return", added7, "1 2 3 HLP_7 /  / SmeltworkTopicDialog / ");
        const char *renaming = "End '.5 Tab Ctrl+A 'Renamed Ok";
        const char *edited =
            "1(2.5*) 3 /  / SmeltworkTopicDialog / Editing Topic: #1|Topic selected: #1";
        for (const char *way : {"EditBtn", "F2", "dclick"})
            QTest::newRow(qPrintable(QString("edit keeps the item current, ") + way))
                << three << "2" << QString(way) + " > " + renaming << QStringList() << renamed
                << QString(edited);
        const char *deleting = "Really delete help topic \"Topic 1\" (1)? / ";
        row("delete, Yes", three, "1", "DelBtn", same.mid(1),
            qPrintable(QString("2 3 / ") + deleting + " / Deleting Topic: #0"), {"Yes"});
        row("delete, No", three, "1", "DelBtn", same,
            qPrintable(QString("1* 2 3 / ") + deleting + " / Deleting Topic: #0"), {"No"});
        // The keys, and the context menu, leave the topic they touched current.
        row("Delete, Yes: the next topic", three, "1", "Delete", same.mid(1),
            qPrintable(QString("2* 3 / ") + deleting + " / Deleting Topic: #0|Topic selected: #0"),
            {"Yes"});
        row("Insert adds", three, "", "Insert > Alt+O", added,
            "1 2 3 HLP_* /  / SmeltworkTopicDialog / Topic selected: #3");
        row("Shift+F10, Delete", three, "1", "Shift+F10 > D", same.mid(1),
            qPrintable(QString("2* 3 / ") + deleting +
                       "QMenu &Add...=Ins &Edit...=F2 &Delete...=Del / Deleting Topic: "
                       "#0|Topic selected: #0"),
            {"Yes"});
        // Return only breaks the line: were it to end the editor, Close would keep the change.
        row("editor, Save", three, "2", "EditorBtn > 'new Shift+Home BoldBtn Return SaveBtn", bold,
            "1 2* 3 /  / SmeltworkEditor / Editing Body: #1");
        // Typed text goes only when the user says so; Ctrl+S saves as Save does.
        const char *discard = "Discard the changes to this body?";
        row("editor, Close: Discard", three, "2", "EditorBtn > 'new Return CloseBtn", same,
            qPrintable(QString("1 2* 3 / %1 / SmeltworkEditor / Editing Body: #1").arg(discard)),
            {"DiscardText"});
        HelpTopics kept = same;
        kept[1].body = "new<i>Body</i> of 2";
        row("editor, Escape and the close button: Keep editing, Ctrl+S", three, "2",
            "EditorBtn > 'new Escape close Ctrl+S", kept,
            qPrintable(QString("1 2* 3 / %1|%1 / SmeltworkEditor / Editing Body: #1").arg(discard)),
            {"KeepEditing", "KeepEditing"});
        row("editor, typed and taken back: the close button asks nothing", three, "2",
            "EditorBtn > 'x BackSpace close", same,
            "1 2* 3 /  / SmeltworkEditor / Editing Body: #1");
        row("nothing selected", three, "", "EditBtn DelBtn EditorBtn", same, "1 2 3 /  /  / ");
        // What the user did not touch keeps its bytes: a null header, CR LF line ends.
        row("edit accepted as it was", three, "3", "EditBtn > Ok", same,
            "1 2 3* /  / SmeltworkTopicDialog / Editing Topic: #2|Topic selected: #2");
        row("editor, Save as it was", three, "3", "EditorBtn > SaveBtn", same,
            "1 2 3* /  / SmeltworkEditor / Editing Body: #2");
    }

    void helpWindowActions()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, selected);
        QFETCH(QString, steps);
        QFETCH(QStringList, answers);
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
        BoxScript boxes(answers);
        SmeltworkHelpDialog window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window) && window.HeaderList->isColumnHidden(2));
        if (QTreeWidget *list = window.HeaderList; !selected.isEmpty())
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->findItems(selected, {}, 1)[0]).center());
        TraceCapture trace;
        const QStringList opened = run(&window, steps);
        QStringList printed = trace.lines("D: ").filter(QRegularExpression("^(?!IDTest)"));
        QTEST(QStringList(
                  {shape(window), boxes.shown().join('|'), opened.join('|'), printed.join('|')})
                  .join(" / "),
              "expected");
        QTEST(window.helpTopics(), "topics");
        // The view shows the body selected before, rendered, until a topic is selected anew.
        const QStringList chosen = printed.filter("Topic selected: #");
        const QString body = chosen.isEmpty()
                                 ? (selected.isEmpty() ? "" : "Body of " + selected)
                                 : window.helpTopics()[chosen.last().section('#', 1).toInt()].body;
        QCOMPARE(window.BodyView->toPlainText().section('\n', 0, 0),
                 QString(body).remove(QRegularExpression("<[^>]*>|\r")).section('\n', 0, 0));
    }

    // A run of the help window from the administration window: the lines it prints (all, or
    // only warnings and boxes) as in tests/data/help-run-*.txt, and the topics shown are saved
    // however it is left; a file it could not read is kept as Smeltwork.hlp.bak first. One
    // topic more than the file can count is refused.
    void helpRunsSaveTheTopicsShown_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("steps");
        QTest::addColumn<HelpTopics>("saved");
        QTest::addColumn<QString>("printed");
        QTest::newRow("no file, Close") << QByteArray() << "CloseBtn" << HelpTopics() << "no-file";
        const HelpTopics latin{{"1.1 Äxte Ω", "Ω", ""}};
        QTest::newRow("a name outside Latin-1, Escape")
            << helpFile(latin) << "Escape" << latin << "latin";
        QTest::newRow("the data file, the close button")
            << fromHex("2AE510A4 0000") << "AddBtn close > Tab 'Intro Ok"
            << HelpTopics{{"HLP_", "Intro", QString()}} << "data-file";
        QTest::newRow("damaged") << helpFile(topicsWithIds({"1", "1.1", "2"})).chopped(3)
                                 << "CloseBtn" << topicsWithIds({"1", "1.1"}) << "damaged";
        const HelpTopics full(MaxHelpTopics, {"1", "x", QString()});
        QTest::newRow("65,535 topics, one more refused")
            << helpFile(full) << "AddBtn CloseBtn" << full << "full";
    }

    void helpRunsSaveTheTopicsShown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, steps);
        QFETCH(HelpTopics, saved);
        QFETCH(QString, printed);
        Session s(bytes, {}, "Smeltwork.hlp");
        QVERIFY(s.active);
        TraceCapture trace;
        QCOMPARE(run(s.window.get(), "HelpBtn > " + steps).value(0), "SmeltworkHelpDialog");
        const QString expected = QString(testData("help-run-" + printed + ".txt")).trimmed();
        QStringList lines = trace.lines();
        lines.removeAll("W: This plugin does not support propagateSizeHints()");
        if (!expected.startsWith("D: Loading help data..."))
            lines = lines.filter(QRegularExpression("^[WI]: "));
        QCOMPARE(lines.join('\n'), expected);
        QCOMPARE(s.folder.readFile("Smeltwork.hlp"), helpFile(saved));
        QCOMPARE(s.folder.readFile("Smeltwork.hlp.bak"),
                 expected.endsWith("W: Kept the old file as Smeltwork.hlp.bak") ? bytes
                                                                                : QByteArray());
    }

    // Text, steps in the editor -> text with '|' where the cursor ends, nothing marked.
    void editorTyping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *text, const QString &steps, const char *expected) {
            QTest::newRow(qPrintable(steps)) << QString(text) << steps << QString(expected);
        };
        // Both tags at the cursor or around the marked text, marked either way.
        row("abc", "Right BoldBtn", "a<b></b>|bc");
        row("one two three", "Right*4 Shift+Right*3 BoldBtn", "one <b>two</b>| three");
        row("xy", "Shift+Right ULineBtn Shift+Right ItalicBtn", "<u>x</u><i>y</i>|");
        row("xy", "Shift+Right Ctrl+U Shift+Right Ctrl+I Ctrl+B", "<u>x</u><i>y</i><b></b>|");
        row("a\u00A0b", "End BoldBtn", "a\u00A0b<b></b>|"); // a no-break space stays one
        // Line 1 column 2 to line 3 column 4: the cursor column counts both tags, 4 + 3 + 4.
        const char *lines = "zero\nline one\nline two\nline three";
        const char *tagged = "zero\nli<b>ne one\nline two\nline</b> th|ree";
        row(lines, "Down Right*2 Shift+Down*2 Shift+Right*2 BoldBtn", tagged);
        row(lines, "Down*3 Right*4 Shift+Up*2 Shift+Left*2 BoldBtn", tagged);
        row("zero\nline one\nline two\nabcd", "Down Right*2 Shift+Down*2 Shift+End BoldBtn",
            "zero\nli<b>ne one\nline two\nabcd</b>|");
        // A second click marks nothing, and typing goes on after the tags.
        row("abc", "Shift+End BoldBtn*2 '!", "<b>abc</b><b></b>!|");
        // Return ends the line with a break tag, replacing the marked text.
        row("", "'ab Return 'cd", "ab<br>\ncd|");
        row("one\ntwo", "Down Right Return", "one\nt<br>\n|wo");
        row("abcd", "Right Shift+Right*2 Return", "a<br>\n|d");
        row("abcd", "Right*2 Shift+Return", "ab<br>\n|cd");
        // Undo takes the tags, then the letters, then the break with its tag, and puts the
        // cursor back where the user had it; the keyboard's undo shares the history.
        const QString undoable = "'ab Return 'cd Shift+Left*2 BoldBtn ";
        row("", undoable + "UndoBtn", "ab<br>\n|cd");
        row("", undoable + "UndoBtn*3", "ab|");
        row("", undoable + "UndoBtn*4 RedoBtn*4", "ab<br>\n<b>|cd</b>");
        row("", undoable + "Ctrl+Z", "ab<br>\n|cd");
    }

    void editorTyping()
    {
        QFETCH(QString, text);
        QFETCH(QString, steps);
        SmeltworkEditor editor;
        editor.BodyEdit->setText(text);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        run(&editor, steps);
        QVERIFY(!editor.BodyEdit->hasMarkedText());
        QTEST(editor.BodyEdit->text().insert(editor.BodyEdit->textCursor().position(), u'|'),
              "expected");
    }

    // Each tool button shows a 16 x 16 picture and no text; while its tip is up, the status
    // bar shows its long text, and whatever hides the tip clears it.
    void toolTipsShowTheirLongText()
    {
        SmeltworkEditor editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QStringList shown = {editor.StatusBar->currentMessage()};
        for (QPushButton *tool : editor.findChildren<QPushButton *>()) {
            QVERIFY2(tool->text().isEmpty() && !tool->autoDefault() &&
                         tool->icon().pixmap(16, 16).size() == QSize(16, 16),
                     qPrintable(tool->objectName()));
            QTest::mouseMove(tool);
            QTRY_VERIFY(QToolTip::isVisible());
            shown << QToolTip::text() + ": " + editor.StatusBar->currentMessage();
            if (tool->objectName() == "BoldBtn")
                QTest::mouseClick(tool, Qt::LeftButton); // a click hides the tip
            else
                QToolTip::hideText(); // as its time-out does
            QTRY_COMPARE(editor.StatusBar->currentMessage(), QString());
            QTest::mouseMove(editor.BodyEdit);
        }
        QCOMPARE(shown, testDataLines("editor-tips.txt"));
    }

    // The trace on stderr, buffered and through qDebug(): the same bytes for loads, saves and
    // sorts of awkward names with a warning between, however the buffer is written out: when
    // the event loop waits, when a window shows, on abort. Last: the buffering stays on.
    void bufferedAsThroughQDebug_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("cut"); // bytes cut off the end of the data file
        QTest::addColumn<int>("end");
        const QString nul = QString("Ofen") + QChar(0) + "rohr";
        const QStringList awkward{"Stählerne Äxte", "Жар ☆ 😀", "100% %s %d %n", "", QString(), nul};
        QTest::newRow("Latin-1, beyond, %, empty, null, U+0000") << awkward << 0 << Waits;
        QTest::newRow("warning between the lines") << awkward << 9 << Waits;
        QTest::newRow("more than the buffer holds") << QStringList(60, "Eisen Äxte") << 0 << Waits;
        QTest::newRow("a name longer than the buffer")
            << QStringList{QString(40000, QChar(0xE4)), "x"} << 0 << Waits;
        QTest::newRow("written out when a window shows") << awkward << 0 << Shows;
        QTest::newRow("written out on abort") << awkward << 0 << Aborts;
    }

    // Standard error a pipe that nobody reads any more: the trace is dropped, and the file is
    // saved and read all the same.
    void bufferedIntoAClosedPipe()
    {
        const ScratchFolder folder;
        const QtMessageHandler testlib = qInstallMessageHandler(nullptr);
        startTraceBuffering();
        const auto pipeAction = std::signal(SIGPIPE, SIG_IGN);
        int ends[2];
        QVERIFY(pipe(ends) == 0);
        close(ends[0]);
        const int saved = dup(STDERR_FILENO);
        dup2(ends[1], STDERR_FILENO);
        close(ends[1]);
        CraftingData loaded;
        const CraftingData tree(3000, forge().first());
        const bool savedFile =
            saveFile(craftingFilePath(), tree, false).status == SaveStatus::Saved;
        qWarning("after the save");
        const FileReport read = loadFile(craftingFilePath(), loaded);
        flushTrace();
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::signal(SIGPIPE, pipeAction);
        qInstallMessageHandler(testlib);
        QVERIFY(savedFile && read.status == LoadStatus::Loaded && loaded == tree);
    }

    void bufferedAsThroughQDebug()
    {
#ifdef Q_OS_WIN
        QSKIP("the trace buffer is POSIX's: on Windows every line goes through Qt's handler");
#else
        QFETCH(QStringList, names);
        QFETCH(int, cut);
        QFETCH(int, end);
        const ScratchFolder folder;
        CraftingData tree;
        HelpTopics topics, loaded;
        for (const QString &name : names) {
            tree.append({name, {}});
            for (const QString &other : names)
                tree.last().procs.append(
                    {other, 200, 3, {{name, other, 1, -7}, {other, name, 0, 40012}}});
            topics.append({name, name, name});
        }
        const auto run = [&] {
            CraftingData data;
            folder.writeFile("Smeltwork.dat", encodeWithQDataStream(tree).chopped(cut));
            // A damaged file warns after the lines read.
            static_cast<void>(loadFile(craftingFilePath(), data));
            static_cast<void>(saveFile(craftingFilePath(), data, false));
            SmeltworkAdminDialog window;
            window.SortGrpBtn->click();
            window.SortProcBtn->click();
            window.saveData();
            static_cast<void>(saveFile(helpFilePath(), topics, false));
            static_cast<void>(loadFile(helpFilePath(), loaded));
        };

        // Qt's own handler, as in the program, with the buffer in front of it.
        const QtMessageHandler testlib = qInstallMessageHandler(nullptr);
        startTraceBuffering();
        qint64 held = 0; // bytes on stderr before the end
        int status = 0;
        const QByteArray buffered = stderrOf([&] {
            if (end == Aborts) {
                const pid_t child = fork();
                if (child == 0) {
                    alarm(60);
                    std::signal(SIGABRT, SIG_DFL); // not Qt Test's report of it
                    ProcessHooks hooks;
                    startTraceBuffering();
                    run();
                    std::abort();
                }
                waitpid(child, &status, 0);
                return;
            }
            run();
            held = lseek(STDERR_FILENO, 0, SEEK_CUR);
            QDialog window;
            QEventLoop loop;
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
            if (end == Shows)
                window.show();
            else
                loop.exec();
        });
        next = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                ++forwarded;
                next(type, context, text);
            });
        forwarded = 0;
        const QByteArray logged = stderrOf(run);
        qInstallMessageHandler(testlib);

        QVERIFY(forwarded > 0);
        QCOMPARE(buffered, logged);
        QVERIFY(end == Aborts ? WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT
                              : held < buffered.size()); // the buffer held some
#endif
    }
};

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
