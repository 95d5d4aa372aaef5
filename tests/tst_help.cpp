#include "adminwindow.h"
#include "editor.h"
#include "helpwindow.h"
#include "testsupport.h"

#include <QBuffer>
#include <QKeySequence>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

Q_DECLARE_METATYPE(HelpTopics)

namespace {

// Drives a window as its user would, steps separated by blanks: 'text types the text, "close"
// is the window's close button, a button is named by its object name or its text without the
// '&', anything else is a key such as "Shift+Left"; "*3" repeats. Keys go to the focus widget.
void act(QWidget *window, const QString &steps)
{
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        const QString name = step.section(u'*', 0, 0);
        QAbstractButton *button = nullptr;
        for (QAbstractButton *candidate : window->findChildren<QAbstractButton *>()) {
            if (candidate->objectName() == name || candidate->text().remove(u'&') == name)
                button = candidate;
        }
        const QKeyCombination key = QKeySequence(name)[0];
        // Once closed by a step, the window takes no more.
        for (int i = qMax(1, step.section(u'*', 1).toInt()); i > 0 && window->isVisible(); --i) {
            QWidget *focus = window->focusWidget() ? window->focusWidget() : window;
            if (step.startsWith(u'\''))
                QTest::keyClicks(focus, step.mid(1));
            else if (step == u"close")
                window->close();
            else if (button)
                QTest::mouseClick(button, Qt::LeftButton);
            else if (key.toCombined() != 0 && key.key() != Qt::Key_unknown)
                QTest::keyClick(focus, key.key(), key.keyboardModifiers());
            else
                qWarning("act: no button or key \"%s\"", qPrintable(name));
        }
    }
}

// Runs stages separated by " > ": the first in `window`, each later one in the next modal
// window to open, which is noted in the trace as its class or a message box's caption and
// text, and closed if its stage left it open.
void run(QWidget *window, const QString &steps)
{
    const QStringList stages = steps.split(QStringLiteral(" > "));
    QList<QPointer<QWidget>> seen;
    QObject alive; // ends the polling on return
    int waited = 0;
    std::function<void()> poll = [&] {
        QTimer::singleShot(10, &alive, poll); // a timer of its own for each nested event loop
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && seen.contains(modal) && ++waited > 300) {
            qWarning("Left open: %s", modal->metaObject()->className());
            modal->close();
        }
        if (!modal || seen.contains(modal) || !modal->isActiveWindow())
            return; // shortcuts such as Alt+O work in the active window only
        seen.append(modal);
        auto *box = qobject_cast<QMessageBox *>(modal);
        qInfo("%s", qPrintable(box ? box->windowTitle() + ": " + box->text()
                                   : modal->metaObject()->className()));
        act(modal, stages.value(seen.size()));
    };
    poll();
    act(window, stages.first());
}

QByteArray helpFile(const HelpTopics &topics)
{
    QBuffer buffer;
    return buffer.open(QIODevice::WriteOnly) && writeHelpTopics(buffer, topics) ? buffer.data()
                                                                                : "refused";
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
            part += QString(item->isExpanded() ? "(%1)" : "<%1>").arg(shape(window, item));
        parts.append(part);
    }
    return parts.join(u' ');
}

// The printed lines that start with the pattern `only`, with the part it matched cut off, less
// the offscreen platform's complaint about size hints.
QString printed(const TraceCapture &trace, const QString &only = QString())
{
    const QRegularExpression start("^" + only);
    QStringList lines = trace.lines().filter(start).replaceInStrings(start, QString());
    lines.removeAll(QStringLiteral("W: This plugin does not support propagateSizeHints()"));
    return lines.join(u'|');
}

// Three topics, the last with empty (not null) strings: 6 + 24 + 32 + 12 bytes.
const char *const sampleHex =
    "E9A7143D 0003 . 00000002 0031 . 0000000A 0049006E00740072006F . FFFFFFFF"
    " . 00000006 0031002E0031 . 00000006 005300750062 . 00000008 003C0062003E0078"
    " . 00000000 . 00000000 . 00000000";
const HelpTopics sample = {{"1", "Intro", QString()}, {"1.1", "Sub", "<b>x"}, {"", "", ""}};

} // namespace

class HelpTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Bytes -> topics and warning (none: loaded whole, and written back the same).
    void readsAndWritesBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("warning");
        const auto row = [](const char *name, const char *hex, const HelpTopics &topics,
                            const QString &warning = "") {
            QTest::newRow(name) << fromHex(hex) << topics << warning;
        };
        const QString bad = "BAD MAGIC NUMBER!",
                      damaged = "Help file damaged at byte %1: kept %2 topics";
        row("worked example, body never written",
            "E9A7143D 0001 00000002 0031 0000000A 0049006E00740072006F FFFFFFFF", sample.mid(0, 1));
        row("bytes after the last topic are ignored", "E9A7143D 0000 DEADBEEF", {});
        row("the data file", "2AE510A4 0001 00000002 0041 0000", {}, bad);
        row("count with the top bit set is 40000, not negative",
            "E9A7143D 9C40 00000002 0031 00000000 FFFFFFFF", {{"1", "", QString()}},
            damaged.arg(20).arg(1));
        row("odd byte count", "E9A7143D 0001 00000003 003100", {}, damaged.arg(10).arg(0));
        row("length beyond the end, nothing allocated for it", "E9A7143D 0001 7FFFFFFE 0031", {},
            damaged.arg(10).arg(0));
        row("sample", sampleHex, sample);
        // Cut short, the sample keeps its complete topics and names the field it could not
        // read. These offsets begin a field (a string's characters follow its length).
        const QByteArray whole = fromHex(sampleHex);
        const QList<int> fields = {4, 6, 10, 12, 16, 26, 30, 34, 40, 44, 50, 54, 62, 66, 70};
        for (int size = 0; size < whole.size(); ++size) {
            const int at =
                *std::prev(std::upper_bound(fields.begin(), fields.end(), qMax(4, size)));
            const int kept = size < 30 ? 0 : size < 62 ? 1 : 2;
            QTest::addRow("sample cut at %d", size) << whole.left(size) << sample.mid(0, kept)
                                                    << (size < 4 ? bad : damaged.arg(at).arg(kept));
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
        QCOMPARE(report.status, warning.isEmpty()           ? LoadStatus::Loaded
                                : warning.startsWith("BAD") ? LoadStatus::BadMagic
                                                            : LoadStatus::Damaged);
        QCOMPARE(report.topics, int(topics.size()));
        QCOMPARE(read, topics);
        QCOMPARE(printed(trace, "W: "), warning);
        if (warning.isEmpty())
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
        for (QPushButton *tool : editor.findChildren<QPushButton *>()) {
            QVERIFY2(tool->text().isEmpty() && !tool->autoDefault() &&
                         tool->icon().pixmap(16, 16).size() == QSize(16, 16),
                     qPrintable(tool->objectName()));
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

    // Text, steps in the editor -> text with '|' where the cursor ends, nothing marked.
    void typing_data()
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
        row("one two three", "Right*7 Shift+Left*3 BoldBtn", "one <b>two</b>| three");
        row("xy", "Shift+Right ULineBtn Shift+Right ItalicBtn", "<u>x</u><i>y</i>|");
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

    // Topics with `ids` loaded, one selected with the mouse, steps in the help window and the
    // modal windows it opens -> topics, "tree / what the steps printed / the lines printed
    // while the window was built that start with the pattern `only`, without it".
    void actions_data()
    {
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<HelpTopics>("topics");
        QTest::addColumn<QString>("only");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QStringList &ids, const char *selected,
                            const char *steps, const HelpTopics &topics, const QString &expected,
                            const char *only = "W: ", const char *built = "") {
            QTest::newRow(name) << ids << QString(selected) << QString(steps) << topics
                                << QString(only) << expected + " / " + built;
        };
        const auto loaded = [&row](const char *name, const QStringList &ids, const char *tree,
                                   const char *only = "W: ", const char *built = "") {
            row(name, ids, "", "", topicsWithIds(ids), tree + QString(" / "), only, built);
        };
        loaded("sub-topics under their topic", {"1", "1.1", "1.2", "2"}, "1(1.1 1.2) 2");
        loaded("under the nearest preceding topic", {"1", "2", "1.5"}, "1 2(1.5)");
        loaded("no number, empty and negative at the top", {"HLP_", "", "-1.5"}, "'' -1.5 HLP_");
        loaded("sorted by code units", {"2", "2.10", "2.05", "2.2", "10", "a", "B"},
               "10 2(2.05 2.10 2.2) B a");
        loaded("a sub-topic first stays at the top", {"1.5", "1", "1.2"}, "1(1.2) 1.5");
        loaded("and takes no sub-topics", {"0.5", "0.7", "3"}, "0.5 0.7 3");
        loaded("construction trace in order", {"1", "1.1 Äxte Ω"}, "1(1.1 Äxte Ω)", "(D: )?",
               "Loading help data...|Topics: 2|"
               " * Topic #0: 1> \"Topic 1\" (not displaying body...)|"
               " * Topic #1: 1.1 Äxte ?> \"Topic 1.1 Äxte ?\" (not displaying body...)|"
               "Finished loading help file|Setting up GUI:| * TopLevel layout|"
               "   + HBoxLayout|     + VBoxLayout|       + HeaderLabel|       + HeaderList|"
               "     + BodyFrame|       + BodyView|   + ActionGroup|     + AddBtn|"
               "     + EditBtn|     + DelBtn|     + EditorBtn|   + HBoxLayout|"
               "     + CloseBtnBtn|Connecting signals|IDTest: 1.00 - 1 = 0.00|"
               "IDTest: 1.10 - 1 = 0.10");
        // Value - whole part = fraction, the whole part toward zero and held within 32 bits;
        // beyond them the fraction still decides which topic is a sub-topic.
        loaded("IDTest lines",
               {"2.5", "-1.5", "-0.5", "HLP_", " \t 7.5", ".5", "3.25abc", "1.2.3", "25E-1", "3e+x",
                "1,5", "0x1A", "inf", "1e-999", "1e999", "-1e999", "3000000000.5",
                "-3000000000.25"},
               "-0.5 -1.5 -1e999(3000000000.5) -3000000000.25 0x1A 1,5 1e-999 1e999 2.5 3e+x "
               "HLP_( \t 7.5 .5 1.2.3 25E-1 3.25abc) inf",
               "D: IDTest: ",
               "2.50 - 2 = 0.50|-1.50 - -1 = -0.50|-0.50 - 0 = -0.50|0.00 - 0 = 0.00|"
               "7.50 - 7 = 0.50|0.50 - 0 = 0.50|3.25 - 3 = 0.25|1.20 - 1 = 0.20|2.50 - 2 = 0.50|"
               "3.00 - 3 = 0.00|1.00 - 1 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|0.00 - 0 = 0.00|"
               "inf - 2147483647 = 0.00|-inf - -2147483648 = 0.00|3000000000.50 - 2147483647 = "
               "0.50|-3000000000.25 - -2147483648 = -0.25");

        const QStringList three = {"1", "2", "3"};
        const HelpTopics same = topicsWithIds(three);
        HelpTopics added = same, renamed = same, bold = same;
        added.append({"HLP_", "", QString()}); // an empty header, not a null one
        renamed[1] = {"2.5", "Renamed", "<i>Body</i> of 2"};
        bold[1].body = "<b>new</b><br>\n<i>Body</i> of 2";
        const QString deleting = " / D: Deleting Topic: #0|I: SmeltworkAdmin: Really delete help "
                                 "topic \"Topic 1\" (1)?";
        row("add with the defaults, Alt+O", three, "", "AddBtn > Alt+O", added,
            "1 2 3 HLP_ / I: SmeltworkTopicDialog");
        row("add, Return answers no button", three, "", "AddBtn > Return Escape", same,
            "1 2 3 / I: SmeltworkTopicDialog");
        row("edit keeps the item current", three, "2", "EditBtn > End '.5 Tab Ctrl+A 'Renamed Ok",
            renamed,
            "1(2.5*) 3 / D: Editing Topic: #1|I: SmeltworkTopicDialog|D: Topic selected: #1");
        row("edit, Cancel", three, "2", "EditBtn > End '.5 Cancel", same,
            "1 2* 3 / D: Editing Topic: #1|I: SmeltworkTopicDialog");
        row("delete, Yes", three, "1", "DelBtn > Yes", same.mid(1), "2 3" + deleting);
        row("delete, No", three, "1", "DelBtn > No", same, "1* 2 3" + deleting);
        // Return only breaks the line: were it to end the editor, Close would keep the change.
        row("editor, Save", three, "2", "EditorBtn > 'new Shift+Home BoldBtn Return SaveBtn", bold,
            "1 2* 3 / D: Editing Body: #1|I: SmeltworkEditor");
        row("editor, Close", three, "2", "EditorBtn > 'new Return CloseBtn", same,
            "1 2* 3 / D: Editing Body: #1|I: SmeltworkEditor");
        row("nothing selected", three, "", "EditBtn DelBtn EditorBtn", same, "1 2 3 / ");
        row("no topics", {}, "", "EditBtn DelBtn EditorBtn", {}, " / ");
    }

    void actions()
    {
        QFETCH(QStringList, ids);
        QFETCH(QString, selected);
        QFETCH(QString, steps);
        QFETCH(QString, only);
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", helpFile(topicsWithIds(ids)));
        TraceCapture trace;
        SmeltworkHelpDialog window;
        const QString built = printed(trace, only);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window) && window.HeaderList->isColumnHidden(2));
        if (QTreeWidget *list = window.HeaderList; !selected.isEmpty())
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->findItems(selected, {}, 1)[0]).center());
        trace.clear();
        run(&window, steps);
        QTEST(shape(window) + " / " + printed(trace, "(?!D: IDTest)") + " / " + built, "expected");
        QTEST(window.helpTopics(), "topics");
        // The view shows the body selected before, rendered, until a topic is selected anew.
        QCOMPARE(window.BodyView->toPlainText(), selected.isEmpty() ? "" : "Body of " + selected);
    }

    // A run of the help window from the administration window saves the topics shown, however
    // the window is left; a file it could not read is kept as Smeltwork.hlp.bak first. The
    // window refuses a topic more than the file can count.
    void eachRunSavesTheTopicsShown_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<QString>("steps");
        QTest::addColumn<HelpTopics>("saved");
        QTest::addColumn<QString>("printed");
        const HelpTopics intro = {{"HLP_", "Intro", QString()}};
        const QString ran = "%1|I: SmeltworkHelpDialog|I: SmeltworkTopicDialog|W: Kept the old "
                            "file as Smeltwork.hlp.bak";
        const HelpTopics full(MaxHelpTopics, {"1", "x", QString()});
        QTest::newRow("65,535 topics, one more refused")
            << helpFile(full) << "AddBtn Close > OK" << full
            << "I: SmeltworkHelpDialog|I: SmeltworkAdmin: The help file cannot hold more than "
               "65535 topics.\nDelete a topic before adding another one.";
        QTest::newRow("no file, Close")
            << QByteArray() << "Close" << HelpTopics() << "I: SmeltworkHelpDialog";
        QTest::newRow("the data file, Escape")
            << fromHex("2AE510A4 0000") << "OK > AddBtn Escape > Tab 'Intro Ok" << intro
            << ran.arg("W: BAD MAGIC NUMBER!|I: SmeltworkAdmin: Unable to load help file: Format "
                       "not recognized");
        QTest::newRow("damaged, the window's close button")
            << helpFile(topicsWithIds({"1", "1.1", "2"})).chopped(3)
            << "OK > AddBtn close > Tab 'Intro Ok" << topicsWithIds({"1", "1.1"}) + intro
            << ran.arg(
                   "W: Help file damaged at byte 166: kept 2 topics|I: SmeltworkAdmin: The help "
                   "file is damaged: it ends early or holds impossible lengths.\nRecovered 2 "
                   "topics; the rest could not be read.\nThe damaged file will be kept as "
                   "Smeltwork.hlp.bak when the help is saved.");
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
        run(&admin, "HelpBtn > " + steps);
        QTEST(printed(trace, "(?=[WI]: )"), "printed");
        QCOMPARE(folder.readFile("Smeltwork.hlp"), helpFile(saved));
        QCOMPARE(folder.readFile("Smeltwork.hlp.bak"),
                 printed(trace).contains("W: Kept the old file") ? bytes : QByteArray());
    }

    // The file counts topics in 16 bits: the writer refuses one topic more and leaves the file
    // as it was.
    void aTopicTooManyIsRefused()
    {
        ScratchFolder folder;
        folder.writeFile("Smeltwork.hlp", "old");
        const HelpTopics tooMany(MaxHelpTopics + 1, {"1", "x", QString()});
        QCOMPARE(helpFile(tooMany.mid(1)).mid(4, 2), fromHex("FFFF"));
        QCOMPARE(helpFile(tooMany), QByteArray("refused"));
        QCOMPARE(saveHelpTopics(helpFilePath(), tooMany, false), SaveStatus::WriteFailed);
        QCOMPARE(folder.readFile("Smeltwork.hlp"), QByteArray("old"));
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
