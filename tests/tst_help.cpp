#include "adminwindow.h"
#include "editor.h"
#include "helpwindow.h"
#include "testsupport.h"

#include <QBuffer>
#include <QKeySequence>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

Q_DECLARE_METATYPE(HelpTopics)
Q_DECLARE_METATYPE(LoadStatus)

namespace {

// Drives a window the way its user would, step by step (steps separated by blanks): 'text
// types the text, "close" is the window's close button, a button is clicked by its object
// name or its text without the '&', anything else is a key such as "Shift+Left". A "*3"
// suffix repeats a click or key. Keys go to the widget that holds the window's focus.
void act(QWidget *window, const QString &steps)
{
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        if (!window->isVisible())
            return; // closed by an earlier step: the rest would not reach it
        QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
        if (step.startsWith(u'\'')) {
            QTest::keyClicks(focus, step.mid(1));
            continue;
        }
        if (step == u"close") {
            window->close();
            continue;
        }
        const QString name = step.section(u'*', 0, 0);
        QAbstractButton *button = nullptr;
        for (QAbstractButton *candidate : window->findChildren<QAbstractButton *>()) {
            if (candidate->objectName() == name || candidate->text().remove(u'&') == name)
                button = candidate;
        }
        const QKeyCombination key = QKeySequence(name)[0];
        if (!button && (key.toCombined() == 0 || key.key() == Qt::Key_unknown))
            qFatal("act: no button or key \"%s\"", qPrintable(name));
        for (int i = step.contains(u'*') ? step.section(u'*', 1).toInt() : 1; i > 0; --i) {
            if (button)
                QTest::mouseClick(button, Qt::LeftButton);
            else
                QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        }
    }
}

// While it lives, drives the modal window that opens next through the steps before " > "
// (those after it go to a modal window that one opens), notes it in the trace as its class
// or a message box's caption and text, and closes it if the steps left it open.
struct ModalWatch
{
    QStringList steps;
    QWidget *outer;
    QString opened;
    QTimer timer;
    std::unique_ptr<ModalWatch> nested;
    int waited = 0;
    explicit ModalWatch(const QString &steps, QWidget *outer = nullptr)
        : steps(steps.split(QStringLiteral(" > "))), outer(outer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(10);
    }
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && !opened.isEmpty() && ++waited > 300) {
            qWarning("Left open: %s", modal->metaObject()->className());
            modal->close();
        }
        if (!modal || modal == outer || !opened.isEmpty() || !modal->isActiveWindow())
            return; // shortcuts such as Alt+O work in the active window only
        auto *box = qobject_cast<QMessageBox *>(modal);
        opened = box ? box->windowTitle() + ": " + box->text() : modal->metaObject()->className();
        qInfo("%s", qPrintable(opened));
        if (steps.size() > 1)
            nested = std::make_unique<ModalWatch>(steps.mid(1).join(QStringLiteral(" > ")), modal);
        act(modal, steps.first());
    }
};

QByteArray helpFile(const HelpTopics &topics)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeHelpTopics(buffer, topics) ? buffer.data() : QByteArray("refused");
}

HelpTopics topicsWithIds(const QStringList &ids)
{
    HelpTopics topics;
    for (const QString &id : ids)
        topics.append({id, "Topic " + id, "<i>Body</i> of " + id});
    return topics;
}

// The tree as text: ids in display order, an empty one as '', the current item marked with
// '*' when selected, '?' when its hidden index column leads to another topic, and children
// in parentheses when expanded and in angle brackets when not.
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
            part += (item->isExpanded() ? u'(' : u'<') + shape(window, item) +
                    (item->isExpanded() ? u')' : u'>');
        parts.append(part);
    }
    return parts.join(u' ');
}

// What the program printed, without the offscreen platform's complaint about size hints.
QString printed(const TraceCapture &trace, const QString &only = QString())
{
    QStringList lines = trace.lines().filter(QRegularExpression("^" + only));
    lines.removeAll(QStringLiteral("W: This plugin does not support propagateSizeHints()"));
    return lines.join(u'|');
}

// Three topics, the last with empty (not null) strings: 6 + 24 + 32 + 12 bytes.
const char *const sampleHex = "E9 A7 14 3D 00 03"
                              " 00 00 00 02 00 31 . 00 00 00 0A 00 49 00 6E 00 74 00 72 00 6F"
                              " . FF FF FF FF"
                              " 00 00 00 06 00 31 00 2E 00 31 . 00 00 00 06 00 53 00 75 00 62"
                              " . 00 00 00 08 00 3C 00 62 00 3E 00 78"
                              " 00 00 00 00 . 00 00 00 00 . 00 00 00 00";
const HelpTopics sample = {{"1", "Intro", QString()}, {"1.1", "Sub", "<b>x"}, {"", "", ""}};

} // namespace

class HelpTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Bytes -> status, topics, warning; what was read whole is written back the same.
    void readsAndWritesBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("warning");
        const auto row = [](const char *name, const char *hex, LoadStatus status,
                            const HelpTopics &topics, const char *warning = "") {
            QTest::newRow(name) << fromHex(hex) << status << topics << QString(warning);
        };
        const auto damaged = LoadStatus::Damaged;
        row("worked example, body never written",
            "E9A7143D 0001 00000002 0031 0000000A 0049006E00740072006F FFFFFFFF",
            LoadStatus::Loaded, sample.mid(0, 1));
        row("bytes after the last topic are ignored", "E9A7143D 0000 DEADBEEF", LoadStatus::Loaded,
            {});
        row("the data file", "2AE510A4 0001 00000002 0041 0000", LoadStatus::BadMagic, {},
            "BAD MAGIC NUMBER!");
        row("count with the top bit set is 40000, not negative",
            "E9A7143D 9C40 00000002 0031 00000000 FFFFFFFF", damaged, {{"1", "", QString()}},
            "Help file damaged at byte 20: kept 1 topics");
        row("odd byte count", "E9A7143D 0001 00000003 003100", damaged, {},
            "Help file damaged at byte 10: kept 0 topics");
        row("length beyond the end, nothing allocated for it", "E9A7143D 0001 7FFFFFFE 0031",
            damaged, {}, "Help file damaged at byte 10: kept 0 topics");
        row("sample", sampleHex, LoadStatus::Loaded, sample);
        // Cut short, the sample keeps its complete topics and names the field it could not
        // read. These offsets begin a field (a string's characters follow its length).
        const QByteArray whole = fromHex(sampleHex);
        const QList<int> fields = {4, 6, 10, 12, 16, 26, 30, 34, 40, 44, 50, 54, 62, 66, 70};
        for (int size = 0; size < whole.size(); ++size) {
            const auto below = [size](int at) { return at <= size; };
            const int at =
                fields.value(int(std::count_if(fields.begin(), fields.end(), below)) - 1);
            const int kept = size < 30 ? 0 : size < 62 ? 1 : 2;
            QTest::addRow("sample cut at %d", size)
                << whole.left(size) << (size < 4 ? LoadStatus::BadMagic : damaged)
                << sample.mid(0, kept)
                << (size < 4 ? "BAD MAGIC NUMBER!"
                             : QString("Help file damaged at byte %1: kept %2 topics")
                                   .arg(at)
                                   .arg(kept));
        }
    }

    void readsAndWritesBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(HelpTopics, topics);
        QFETCH(QString, warning);
        TraceCapture trace;
        HelpTopics read;
        const HelpLoadReport report = readHelpTopics(bytes, read);
        QTEST(report.status, "status");
        QCOMPARE(report.topics, int(topics.size()));
        QCOMPARE(read, topics);
        QCOMPARE(trace.warningLines(), warning.isEmpty() ? QStringList() : QStringList(warning));
        if (report.status == LoadStatus::Loaded)
            QCOMPARE(helpFile(read), bytes.endsWith("\xDE\xAD\xBE\xEF") ? bytes.chopped(4) : bytes);
    }

    // Each tool button shows a 16 x 16 picture and no text, and has a short tip; resting on
    // it shows its long text in the status bar, leaving it empties the status bar.
    void toolButtonsExplainThemselves()
    {
        SmeltworkEditor editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QStringList shown = {editor.StatusBar->currentMessage()};
        for (const char *name :
             {"CloseBtn", "SaveBtn", "BoldBtn", "ULineBtn", "ItalicBtn", "UndoBtn", "RedoBtn"}) {
            auto *tool = editor.findChild<QPushButton *>(name);
            QVERIFY2(tool && tool->text().isEmpty() && !tool->autoDefault() &&
                         tool->icon().pixmap(16, 16).size() == QSize(16, 16),
                     name);
            QTest::mouseMove(tool);
            QTRY_VERIFY(!editor.StatusBar->currentMessage().isEmpty());
            shown << tool->toolTip() + ": " + editor.StatusBar->currentMessage();
            QTest::mouseMove(editor.BodyEdit);
            QTRY_COMPARE(editor.StatusBar->currentMessage(), QString());
        }
        QCOMPARE(shown.join(u'|'),
                 "Ready.|Close: Exit editor without saving changes|Save: Exit editor and save "
                 "changes|Bold: Insert 'bold' tags around marked text or at cursor|Underlined: "
                 "Insert 'underlined' tags around marked text or at cursor|Italic: Insert "
                 "'italic' tags around marked text or at cursor|Undo: Undo the last change you "
                 "did|Redo: Redo the last undo you did");
    }

    void typing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected"); // "|" marks where the cursor ends
        const auto row = [](const char *name, const char *text, const QString &steps,
                            const char *expected) {
            QTest::newRow(name) << QString(text) << steps << QString(expected);
        };
        const char *lines = "zero\nline one\nline two\nline three";
        const QString undoable = "'ab Return 'cd Shift+Left*2 BoldBtn ";
        row("nothing marked: both tags at the cursor", "abc", "Right BoldBtn", "a<b></b>|bc");
        row("marked left to right", "one two three", "Right*4 Shift+Right*3 BoldBtn",
            "one <b>two</b>| three");
        row("marked right to left", "one two three", "Right*7 Shift+Left*3 BoldBtn",
            "one <b>two</b>| three");
        row("underline, italic", "xy", "Shift+Right ULineBtn Shift+Right ItalicBtn",
            "<u>x</u><i>y</i>|");
        row("a no-break space stays one", "a\u00A0b", "End BoldBtn", "a\u00A0b<b></b>|");
        // Line 1 column 2 to line 3 column 4: the cursor column counts both tags, 4 + 3 + 4.
        row("lines 1 to 3, left to right", lines, "Down Right*2 Shift+Down*2 Shift+Right*2 BoldBtn",
            "zero\nli<b>ne one\nline two\nline</b> th|ree");
        row("lines 1 to 3, right to left", lines, "Down*3 Right*4 Shift+Up*2 Shift+Left*2 BoldBtn",
            "zero\nli<b>ne one\nline two\nline</b> th|ree");
        row("lines 1 to 3, last one shorter", "zero\nline one\nline two\nabcd",
            "Down Right*2 Shift+Down*2 Shift+End BoldBtn",
            "zero\nli<b>ne one\nline two\nabcd</b>|");
        row("second click: nothing marked, typing goes on", "abc", "Shift+End BoldBtn*2 '!",
            "<b>abc</b><b></b>!|");
        row("Return ends the line with a break tag", "", "'ab Return 'cd", "ab<br>\ncd|");
        row("Return inside a later line", "one\ntwo", "Down Right Return", "one\nt<br>\n|wo");
        row("Return replaces marked text", "abcd", "Right Shift+Right*2 Return", "a<br>\n|d");
        row("Shift+Return the same", "abcd", "Right*2 Shift+Return", "ab<br>\n|cd");
        // Undo puts the cursor back where the user had it before the step.
        row("undo takes the tags", "", undoable + "UndoBtn", "ab<br>\n|cd");
        row("then the letters, then the break with its tag", "", undoable + "UndoBtn*3", "ab|");
        row("redo all", "", undoable + "UndoBtn*4 RedoBtn*4", "ab<br>\n<b>|cd</b>");
        row("the keyboard's undo shares the history", "", undoable + "Ctrl+Z", "ab<br>\n|cd");
    }

    void typing()
    {
        QFETCH(QString, text);
        QFETCH(QString, steps);
        SmeltworkEditor editor;
        editor.BodyEdit->setText(text);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        act(&editor, steps);
        QVERIFY(!editor.BodyEdit->hasMarkedText());
        QTEST(editor.BodyEdit->text().insert(editor.BodyEdit->textCursor().position(), u'|'),
              "expected");
    }

    void constructionTraceInOrder()
    {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp",
                         helpFile({{"1", "Äxte Ω", "x"}, {"1.1", "Sub", QString()}}));
        TraceCapture trace;
        SmeltworkHelpDialog window;
        QCOMPARE(printed(trace),
                 QString("Loading help data...|Topics: 2|"
                         " * Topic #0: 1> \"Äxte ?\" (not displaying body...)|"
                         " * Topic #1: 1.1> \"Sub\" (not displaying body...)|"
                         "Finished loading help file|Setting up GUI:| * TopLevel layout|"
                         "   + HBoxLayout|     + VBoxLayout|       + HeaderLabel|"
                         "       + HeaderList|     + BodyFrame|       + BodyView|"
                         "   + ActionGroup|     + AddBtn|     + EditBtn|     + DelBtn|"
                         "     + EditorBtn|   + HBoxLayout|     + CloseBtnBtn|Connecting signals|"
                         "IDTest: 1.00 - 1 = 0.00|IDTest: 1.10 - 1 = 0.10")
                     .replace("|", "|D: ")
                     .prepend("D: "));
    }

    // Ids -> their IDTest lines: value - whole part = fraction, the whole part toward zero.
    void idTestLines()
    {
        const QStringList ids = {"2.5",    "-1.5",         "-0.5",          "HLP_",   " \t 7.5",
                                 ".5",     "3.25abc",      "1.2.3",         "25E-1",  "3e+x",
                                 "1,5",    "0x1A",         "inf",           "1e-999", "1e999",
                                 "-1e999", "3000000000.5", "-3000000000.25"};
        const QString expected =
            "2.50 - 2 = 0.50|-1.50 - -1 = -0.50|-0.50 - 0 = -0.50|0.00 - 0 = 0.00|"
            "7.50 - 7 = 0.50|0.50 - 0 = 0.50|3.25 - 3 = 0.25|1.20 - 1 = 0.20|2.50 - 2 = 0.50|"
            "3.00 - 3 = 0.00|1.00 - 1 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|"
            "inf - 2147483647 = 0.00|-inf - -2147483648 = 0.00|3000000000.50 - 2147483647 = "
            "0.50|-3000000000.25 - -2147483648 = -0.25";
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
        TraceCapture trace;
        SmeltworkHelpDialog window;
        QCOMPARE(printed(trace, "D: IDTest: ").remove("D: IDTest: "), expected);
    }

    // Topics 1, 2 and 3 or those of `ids` loaded; a topic selected with the mouse, then steps
    // in the help window and in the modal window it opens -> topics, tree, what was printed.
    void actions_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("printed");
        const auto row = [](const char *name, const QStringList &ids, const char *selected,
                            const char *steps, const HelpTopics &topics, const char *tree,
                            const QString &printed) {
            QTest::newRow(name) << ids << QString(selected) << QString(steps) << topics
                                << QString(tree) << printed;
        };
        const auto loaded = [&row](const char *name, const QStringList &ids, const char *tree) {
            row(name, ids, "", "", topicsWithIds(ids), tree, "");
        };
        loaded("sub-topics under their topic", {"1", "1.1", "1.2", "2"}, "1(1.1 1.2) 2");
        loaded("under the nearest preceding topic", {"1", "2", "1.5"}, "1 2(1.5)");
        loaded("no number, empty and negative at the top", {"HLP_", "", "-1.5"}, "'' -1.5 HLP_");
        loaded("sorted by code units", {"2", "2.10", "2.05", "2.2", "10", "a", "B"},
               "10 2(2.05 2.10 2.2) B a");
        loaded("a sub-topic before every whole number at the top", {"1.5", "1", "1.2"},
               "1(1.2) 1.5");
        loaded("and takes no sub-topics", {"0.5", "0.7", "3"}, "0.5 0.7 3");
        loaded("beyond 32 bits the fraction still decides",
               {"7", "3000000000.5", "1e999", "-3000000000"}, "-3000000000 1e999 7(3000000000.5)");

        const QStringList three = {"1", "2", "3"};
        const HelpTopics same = topicsWithIds(three);
        HelpTopics added = same, renamed = same, bold = same;
        added.append({"HLP_", "", QString()}); // an empty header, not a null one
        renamed[1] = {"2.5", "Renamed", "<i>Body</i> of 2"};
        bold[1].body = "<b>new</b><br>\n<i>Body</i> of 2";
        const char *question = "D: Deleting Topic: #0|I: SmeltworkAdmin: Really delete help "
                               "topic \"Topic 1\" (1)?";
        row("add with the defaults, Alt+O", three, "", "AddBtn > Alt+O", added, "1 2 3 HLP_",
            "I: SmeltworkTopicDialog");
        row("add, Return answers no button", three, "", "AddBtn > Return Escape", same, "1 2 3",
            "I: SmeltworkTopicDialog");
        row("edit keeps the item current", three, "2", "EditBtn > End '.5 Tab Ctrl+A 'Renamed Ok",
            renamed, "1(2.5*) 3",
            "D: Editing Topic: #1|I: SmeltworkTopicDialog|D: Topic selected: #1");
        row("edit, Cancel", three, "2", "EditBtn > End '.5 Cancel", same, "1 2* 3",
            "D: Editing Topic: #1|I: SmeltworkTopicDialog");
        row("delete, Yes", three, "1", "DelBtn > Yes", same.mid(1), "2 3", question);
        row("delete, No", three, "1", "DelBtn > No", same, "1* 2 3", question);
        // Return only breaks the line: were it to end the editor, Close would keep the change.
        row("editor, Save", three, "2", "EditorBtn > 'new Shift+Home BoldBtn Return SaveBtn", bold,
            "1 2* 3", "D: Editing Body: #1|I: SmeltworkEditor");
        row("editor, Close", three, "2", "EditorBtn > 'new Return CloseBtn", same, "1 2* 3",
            "D: Editing Body: #1|I: SmeltworkEditor");
        row("nothing selected", three, "", "EditBtn DelBtn EditorBtn", same, "1 2 3", "");
        row("no topics", {}, "", "EditBtn DelBtn EditorBtn", {}, "", "");
    }

    void actions()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, selected);
        QFETCH(QString, steps);
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
        SmeltworkHelpDialog window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window) && window.HeaderList->isColumnHidden(2));
        if (!selected.isEmpty()) {
            QTreeWidget *list = window.HeaderList;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->findItems(selected, {}, 1)[0]).center());
        }
        TraceCapture trace;
        ModalWatch watch(steps.section(" > ", 1));
        act(&window, steps.section(" > ", 0, 0));
        QTEST(printed(trace, "(?!D: IDTest)"), "printed");
        QTEST(window.helpTopics(), "topics");
        QTEST(shape(window), "tree");
        // The view shows the body selected before, rendered, until a topic is selected anew.
        QCOMPARE(window.BodyView->toPlainText(), selected.isEmpty() ? "" : "Body of " + selected);
    }

    // A run of the help window from the administration window saves the topics shown, however
    // the window is left; a file it could not read is kept as Smeltwork.hlp.bak first.
    void eachRunSavesTheTopicsShown_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("steps");
        QTest::addColumn<HelpTopics>("saved");
        QTest::addColumn<QString>("printed");
        const HelpTopic intro{"HLP_", "Intro", QString()};
        const QString ran = "I: SmeltworkHelpDialog|I: SmeltworkTopicDialog";
        const QString backup = "|W: Kept the old file as Smeltwork.hlp.bak";
        QTest::newRow("no file, Close")
            << QByteArray() << "Close" << HelpTopics() << "I: SmeltworkHelpDialog";
        QTest::newRow("the data file, Escape")
            << fromHex("2AE510A4 0000") << "OK > AddBtn Escape > Tab 'Intro Ok" << HelpTopics{intro}
            << "W: BAD MAGIC NUMBER!|I: SmeltworkAdmin: Unable to load help file: Format not "
               "recognized|" +
                   ran + backup;
        QTest::newRow("damaged, the window's close button")
            << helpFile(topicsWithIds({"1", "1.1", "2"})).chopped(3)
            << "OK > AddBtn close > Tab 'Intro Ok"
            << topicsWithIds({"1", "1.1"}) + HelpTopics{intro}
            << "W: Help file damaged at byte 166: kept 2 topics|I: SmeltworkAdmin: The help file "
               "is damaged: it ends early or holds impossible lengths.\nRecovered 2 topics; the "
               "rest could not be read.\nThe damaged file will be kept as Smeltwork.hlp.bak when "
               "the help is saved.|" +
                   ran + backup;
    }

    void eachRunSavesTheTopicsShown()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, steps);
        QFETCH(HelpTopics, saved);
        ScratchFolder folder;
        if (!bytes.isNull())
            folder.writeFile("Smeltwork.hlp", bytes);
        SmeltworkAdminDialog admin;
        admin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&admin));
        TraceCapture trace;
        ModalWatch watch(steps);
        QTest::mouseClick(admin.HelpBtn, Qt::LeftButton);
        QTEST(printed(trace, "[WI]: "), "printed");
        QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile(saved));
        QCOMPARE(folder.readFile("Smeltwork.hlp.bak"), bytes);
    }

    // 65,535 topics fill the file's 16-bit count: the window refuses one more, and so does the
    // writer, which leaves the file as it was.
    void aTopicTooManyIsRefused()
    {
        ScratchFolder folder;
        HelpTopics full(MaxHelpTopics, {"1", "x", QString()});
        const QByteArray bytes = helpFile(full);
        QCOMPARE(bytes.mid(4, 2), fromHex("FFFF"));
        folder.writeFile("Smeltwork.hlp", bytes);
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); // a long trace
        SmeltworkHelpDialog window;
        QLoggingCategory::setFilterRules(QString());
        TraceCapture trace;
        ModalWatch watch("OK");
        QTest::mouseClick(window.AddBtn, Qt::LeftButton);
        QVERIFY(printed(trace).startsWith("I: SmeltworkAdmin: The help file cannot hold more "
                                          "than 65535 topics."));
        QCOMPARE(window.helpTopics().size(), MaxHelpTopics);
        full.append(full.first());
        QCOMPARE(helpFile(full), QByteArray("refused"));
        QCOMPARE(saveHelpTopics(helpFilePath(), full, false), SaveStatus::WriteFailed);
        QCOMPARE(folder.readFile("Smeltwork.hlp"), bytes);
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
