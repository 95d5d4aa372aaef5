#include "adminwindow.h"
#include "helpwindow.h"
#include "testsupport.h"
#include "userinput.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

Q_DECLARE_METATYPE(HelpTopics)

class HelpWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructionTraceInOrder();
    void tree_data();
    void tree();
    void idTestLines();
    void actions_data();
    void actions();
    void leavingSavesTheTopicsShown_data();
    void leavingSavesTheTopicsShown();
    void unreadableFileIsKeptAsBackup_data();
    void unreadableFileIsKeptAsBackup();
    void aTopicTooManyIsRefused();
};

namespace {

QByteArray helpFile(const HelpTopics &topics)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeHelpTopics(buffer, topics);
    return buffer.data();
}

HelpTopics topicsWithIds(const QStringList &ids)
{
    HelpTopics topics;
    for (const QString &id : ids)
        topics.append({id, "Topic " + id, "<i>Body</i> of " + id});
    return topics;
}

// The tree as text: ids in display order, an empty one as '', the current item marked when
// selected, children in parentheses when expanded and in angle brackets when not.
QString shape(const QTreeWidgetItem *parent)
{
    QStringList parts;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem *item = parent->child(i);
        QString part = item->text(1).isEmpty() ? QStringLiteral("''") : item->text(1);
        if (item == item->treeWidget()->currentItem() && item->isSelected())
            part += u'*';
        if (item->childCount() > 0)
            part += (item->isExpanded() ? u'(' : u'<') + shape(item) +
                    (item->isExpanded() ? u')' : u'>');
        parts.append(part);
    }
    return parts.join(u' ');
}

// What the program printed, without the offscreen platform's complaint about size hints,
// one line after the other.
QString printed(const TraceCapture &trace, const QString &only = QString())
{
    QStringList lines = trace.lines().filter(QRegularExpression("^" + only));
    lines.removeAll(QStringLiteral("W: This plugin does not support propagateSizeHints()"));
    return lines.join(u'|');
}

// The help window on a help file holding `topics`, shown.
struct ShownHelp
{
    ScratchFolder folder;
    std::unique_ptr<SmeltworkHelpDialog> window;
    explicit ShownHelp(const HelpTopics &topics)
    {
        folder.writeFile("Smeltwork.hlp", helpFile(topics));
        window = std::make_unique<SmeltworkHelpDialog>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void click(const QString &id) const
    {
        QTreeWidget *list = window->HeaderList;
        const auto item = list->findItems(id, Qt::MatchExactly | Qt::MatchRecursive, 1).value(0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
};

// Drives the first modal window that opens while it lives through `steps`, and notes it in
// the trace as its class or, for a message box, its caption and text.
struct ModalWatch
{
    QString opened;
    QTimer timer;
    int waited = 0;
    explicit ModalWatch(const QString &steps)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, steps] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && !opened.isEmpty() && ++waited > 300)
                modal->close(); // left open by the steps
            if (!modal || !opened.isEmpty() || !modal->isActiveWindow())
                return; // shortcuts such as Alt+O work in the active window only
            auto *box = qobject_cast<QMessageBox *>(modal);
            opened =
                box ? box->windowTitle() + ": " + box->text() : modal->metaObject()->className();
            qInfo("%s", qPrintable(opened));
            act(modal, steps);
        });
        timer.start(10);
    }
};

} // namespace

void HelpWindowTest::constructionTraceInOrder()
{
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile({{"1", "Äxte Ω", "x"}, {"1.1", "Sub", QString()}}));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    QCOMPARE(
        printed(trace),
        QString("Loading help data...|Topics: 2|"
                " * Topic #0: 1> \"Äxte ?\" (not displaying body...)|"
                " * Topic #1: 1.1> \"Sub\" (not displaying body...)|Finished loading help file|"
                "Setting up GUI:| * TopLevel layout|   + HBoxLayout|     + VBoxLayout|"
                "       + HeaderLabel|       + HeaderList|     + BodyFrame|       + BodyView|"
                "   + ActionGroup|     + AddBtn|     + EditBtn|     + DelBtn|     + EditorBtn|"
                "   + HBoxLayout|     + CloseBtnBtn|Connecting signals|"
                "IDTest: 1.00 - 1 = 0.00|IDTest: 1.10 - 1 = 0.10")
            .replace("|", "|D: ")
            .prepend("D: "));
}

void HelpWindowTest::tree_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("tree");

    const auto row = [](const char *name, const QStringList &ids, const char *tree) {
        QTest::newRow(name) << ids << QString(tree);
    };
    row("sub-topics under their topic", {"1", "1.1", "1.2", "2"}, "1(1.1 1.2) 2");
    row("under the nearest preceding topic", {"1", "2", "1.5"}, "1 2(1.5)");
    row("no number, empty and negative at the top", {"HLP_", "", "-1.5"}, "'' -1.5 HLP_");
    row("sorted by code units", {"2", "10", "a", "B"}, "10 2 B a");
    row("children sorted", {"1", "1.2", "1.10", "1.05"}, "1(1.05 1.10 1.2)");
    row("a sub-topic before every whole number at the top", {"1.5", "1", "1.2"}, "1(1.2) 1.5");
    row("and takes no sub-topics", {"0.5", "0.7", "3"}, "0.5 0.7 3");
    row("beyond 32 bits the fraction still decides", {"7", "3000000000.5", "1e999", "-3000000000"},
        "-3000000000 1e999 7(3000000000.5)");
}

void HelpWindowTest::tree()
{
    QFETCH(QStringList, ids);
    QFETCH(QString, tree);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    QCOMPARE(shape(window.HeaderList->invisibleRootItem()), tree);
    // The hidden index column leads from an item back to its topic.
    QVERIFY(window.HeaderList->isColumnHidden(2));
    for (int i = 0; i < ids.size(); ++i) {
        const QList<QTreeWidgetItem *> items = window.HeaderList->findItems(
            QString::number(i), Qt::MatchExactly | Qt::MatchRecursive, 2);
        QCOMPARE(items.size(), 1);
        QCOMPARE(QStringList({items[0]->text(0), items[0]->text(1)}),
                 QStringList({"Topic " + ids[i], ids[i]}));
    }
}

void HelpWindowTest::idTestLines()
{
    const QList<std::pair<QString, QString>> cases = {
        {"2.5", "2.50 - 2 = 0.50"},
        {"-1.5", "-1.50 - -1 = -0.50"},
        {"-0.5", "-0.50 - 0 = -0.50"}, // toward zero
        {"HLP_", "0.00 - 0 = 0.00"},
        {" \t 7.5", "7.50 - 7 = 0.50"},
        {".5", "0.50 - 0 = 0.50"},
        {"3.25abc", "3.25 - 3 = 0.25"},
        {"1.2.3", "1.20 - 1 = 0.20"},
        {"25E-1", "2.50 - 2 = 0.50"},
        {"3e+x", "3.00 - 3 = 0.00"},
        {"1,5", "1.00 - 1 = 0.00"}, // in every locale
        {"0x1A", "0.00 - 0 = 0.00"},
        {"inf", "0.00 - 0 = 0.00"},
        {"1e-999", "0.00 - 0 = 0.00"},
        {"3000000000.5", "3000000000.50 - 2147483647 = 0.50"},
        {"-3000000000.25", "-3000000000.25 - -2147483648 = -0.25"},
        {"1e999", "inf - 2147483647 = 0.00"},
        {"-1e999", "-inf - -2147483648 = 0.00"},
    };
    QStringList ids, expected;
    for (const auto &[id, line] : cases) {
        ids.append(id);
        expected.append("IDTest: " + line);
    }
    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
    TraceCapture trace;
    SmeltworkHelpDialog window;
    QCOMPARE(trace.debugLines().filter(QRegularExpression("^IDTest")), expected);
}

void HelpWindowTest::actions_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("steps"); // in the help window > in the window it opens
    QTest::addColumn<HelpTopics>("topics");
    QTest::addColumn<QString>("tree");
    QTest::addColumn<QString>("printed");

    const auto row = [](const char *name, const char *selected, const char *steps,
                        const HelpTopics &topics, const char *tree, const QString &printed) {
        QTest::newRow(name) << QString(selected) << QString(steps) << topics << QString(tree)
                            << printed;
    };
    const HelpTopics same = topicsWithIds({"1", "2", "3"});
    HelpTopics added = same, renamed = same, bold = same;
    added.append({"HLP_", "", QString()}); // an empty header, not a null one
    renamed[1] = {"2.5", "Renamed", "<i>Body</i> of 2"};
    bold[1].body = "<b>new</b><br>\n<i>Body</i> of 2";
    const QString refill = "D: IDTest: 1.00 - 1 = 0.00|D: IDTest: %1|D: IDTest: 3.00 - 3 = 0.00";
    const QString addedTrace =
        "I: SmeltworkTopicDialog|" + refill.arg("2.00 - 2 = 0.00") + "|D: IDTest: 0.00 - 0 = 0.00";
    const char *question = "D: Deleting Topic: #0|I: SmeltworkAdmin: Really delete help topic "
                           "\"Topic 1\" (1)?";

    row("add, Ok", "", "AddBtn > Ok", added, "1 2 3 HLP_", addedTrace);
    row("add, Alt+O", "", "AddBtn > Alt+O", added, "1 2 3 HLP_", addedTrace);
    row("add, Cancel", "", "AddBtn > Cancel", same, "1 2 3", "I: SmeltworkTopicDialog");
    row("add, Return answers no button", "", "AddBtn > Return Escape", same, "1 2 3",
        "I: SmeltworkTopicDialog");
    row("edit keeps the item current", "2", "EditBtn > End '.5 Tab Ctrl+A 'Renamed Ok", renamed,
        "1(2.5*) 3",
        "D: Editing Topic: #1|I: SmeltworkTopicDialog|" + refill.arg("2.50 - 2 = 0.50") +
            "|D: Topic selected: #1");
    row("edit, Cancel", "2", "EditBtn > End '.5 Cancel", same, "1 2* 3",
        "D: Editing Topic: #1|I: SmeltworkTopicDialog");
    row("delete, Yes", "1", "DelBtn > Yes", same.mid(1), "2 3",
        question + QString("|D: IDTest: 2.00 - 2 = 0.00|D: IDTest: 3.00 - 3 = 0.00"));
    row("delete, No", "1", "DelBtn > No", same, "1* 2 3", question);
    // Return only breaks the line: were it to end the editor, Close would keep the change.
    row("editor, Save", "2", "EditorBtn > 'new Shift+Home BoldBtn Return SaveBtn", bold, "1 2* 3",
        "D: Editing Body: #1|I: SmeltworkEditor");
    row("editor, Close", "2", "EditorBtn > 'new Return CloseBtn", same, "1 2* 3",
        "D: Editing Body: #1|I: SmeltworkEditor");
    row("nothing selected", "", "EditBtn DelBtn EditorBtn", same, "1 2 3", "");
    row("no topics", "", "EditBtn DelBtn EditorBtn", HelpTopics(), "", "");
}

void HelpWindowTest::actions()
{
    QFETCH(QString, selected);
    QFETCH(QString, steps);
    QFETCH(HelpTopics, topics);
    QFETCH(QString, tree);
    QFETCH(QString, printed);

    ShownHelp help(topics.isEmpty() ? HelpTopics() : topicsWithIds({"1", "2", "3"}));
    if (!selected.isEmpty())
        help.click(selected);
    TraceCapture trace;
    ModalWatch watch(steps.section(" > ", 1));
    act(help.window.get(), steps.section(" > ", 0, 0));
    QCOMPARE(::printed(trace), printed);
    QCOMPARE(help.window->helpTopics(), topics);
    QCOMPARE(shape(help.window->HeaderList->invisibleRootItem()), tree);
    // The view shows the body selected before, rendered, until a topic is selected anew.
    QCOMPARE(help.window->BodyView->toPlainText(), selected.isEmpty() ? "" : "Body of " + selected);
}

void HelpWindowTest::leavingSavesTheTopicsShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Close") << "Close";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("window's close button") << "close";
}

void HelpWindowTest::leavingSavesTheTopicsShown()
{
    QFETCH(QString, how);

    ScratchFolder folder;
    TraceCapture trace;
    SmeltworkAdminDialog admin;
    admin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&admin));
    // Without a help file the window opens empty, and six bytes are written after it.
    whenModalOpens([&](QWidget *modal) { act(modal, how); });
    QTest::mouseClick(admin.HelpBtn, Qt::LeftButton);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), fromHex("E9A7143D 0000"));

    // A topic added in the next run is in the file however the window is left.
    whenModalOpens([&](QWidget *modal) {
        whenModalOpens([](QWidget *topic) { act(topic, "Tab 'Intro Ok"); });
        act(modal, "AddBtn " + how);
    });
    QTest::mouseClick(admin.HelpBtn, Qt::LeftButton);
    QVERIFY(printed(trace).endsWith("|D: Saving help file...|D: Finished saving help file"));
    QCOMPARE(printed(trace, "W: "), QString()); // a missing file is no reason for a warning
    QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile({{"HLP_", "Intro", QString()}}));
    QVERIFY(!folder.exists("Smeltwork.hlp.bak"));
}

void HelpWindowTest::unreadableFileIsKeptAsBackup_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("boxSays");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<HelpTopics>("kept");

    const QByteArray damaged = helpFile(topicsWithIds({"1", "1.1", "2"})).chopped(3);
    QTest::newRow("the data file") << fromHex("2AE510A4 0000") << "Format not recognized"
                                   << "W: BAD MAGIC NUMBER!" << HelpTopics();
    QTest::newRow("damaged") << damaged << "Recovered 2 topics"
                             << "W: Help file damaged at byte 166: kept 2 topics"
                             << topicsWithIds({"1", "1.1"});
}

void HelpWindowTest::unreadableFileIsKeptAsBackup()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, boxSays);
    QFETCH(QString, warning);
    QFETCH(HelpTopics, kept);

    ScratchFolder folder;
    folder.writeFile("Smeltwork.hlp", bytes);
    TraceCapture trace;
    ModalWatch watch("OK");
    SmeltworkHelpDialog window;
    QVERIFY2(watch.opened.startsWith("SmeltworkAdmin: ") && watch.opened.contains(boxSays),
             qPrintable(watch.opened));
    QCOMPARE(window.helpTopics(), kept);
    QCOMPARE(printed(trace, "W: "), warning);

    trace.clear();
    window.saveHelpFile();
    QCOMPARE(printed(trace), "W: Kept the old file as Smeltwork.hlp.bak|D: Saving help file...|"
                             "D: Finished saving help file");
    QCOMPARE(folder.readFile("Smeltwork.hlp.bak"), bytes);
    QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile(kept));
}

void HelpWindowTest::aTopicTooManyIsRefused()
{
    // 65,535 topics print two lines each; the trace is switched off for the load.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    ShownHelp help(HelpTopics(MaxHelpTopics, HelpTopic{"1", "x", QString()}));
    QLoggingCategory::setFilterRules(QString());
    ModalWatch watch("OK");
    QTest::mouseClick(help.window->AddBtn, Qt::LeftButton);
    QVERIFY2(watch.opened.startsWith("SmeltworkAdmin: ") && watch.opened.contains("65535"),
             qPrintable(watch.opened));
    QCOMPARE(help.window->helpTopics().size(), MaxHelpTopics);
}

QTEST_MAIN(HelpWindowTest)
#include "tst_helpwindow.moc"
