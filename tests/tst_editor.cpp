#include "editor.h"
#include "userinput.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTest>

class EditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toolButtonsExplainThemselves_data();
    void toolButtonsExplainThemselves();
    void lineAndColumnModel();
    void typing_data();
    void typing();
};

void EditorTest::toolButtonsExplainThemselves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("longText");

    const auto row = [](const char *name, const char *tip, const char *longText) {
        QTest::newRow(name) << name << tip << longText;
    };
    row("CloseBtn", "Close", "Exit editor without saving changes");
    row("SaveBtn", "Save", "Exit editor and save changes");
    row("BoldBtn", "Bold", "Insert 'bold' tags around marked text or at cursor");
    row("ULineBtn", "Underlined", "Insert 'underlined' tags around marked text or at cursor");
    row("ItalicBtn", "Italic", "Insert 'italic' tags around marked text or at cursor");
    row("UndoBtn", "Undo", "Undo the last change you did");
    row("RedoBtn", "Redo", "Redo the last undo you did");
}

void EditorTest::toolButtonsExplainThemselves()
{
    QFETCH(QString, name);
    QFETCH(QString, tip);
    QFETCH(QString, longText);

    SmeltworkEditor editor;
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto *tool = editor.findChild<QPushButton *>(name);
    QVERIFY(tool && tool->text().isEmpty() && !tool->autoDefault());
    QCOMPARE(tool->icon().pixmap(16, 16).size(), QSize(16, 16));
    QCOMPARE(tool->toolTip(), tip);
    // Resting on the button shows its long text; leaving it empties the message area.
    QCOMPARE(editor.StatusBar->currentMessage(), QStringLiteral("Ready."));
    QTest::mouseMove(tool);
    QTRY_COMPARE(editor.StatusBar->currentMessage(), longText);
    QTest::mouseMove(editor.BodyEdit);
    QTRY_COMPARE(editor.StatusBar->currentMessage(), QString());
}

void EditorTest::lineAndColumnModel()
{
    SmeltworkTagEdit edit;
    edit.setText(QStringLiteral("one\ntwo\nthree"));
    QCOMPARE(QStringList({edit.textLine(1), edit.textLine(7)}), QStringList({"two", ""}));
    QCOMPARE(edit.numLines(), 3);
    // Lines and columns beyond the end are held at the end; with mark, the region grows.
    edit.setCursorPosition(9, 99);
    edit.setCursorPosition(0, 1, true);
    int line1, col1, line2, col2;
    QVERIFY(edit.getMarkedRegion(&line1, &col1, &line2, &col2));
    QCOMPARE(QList<int>({line1, col1, line2, col2}), QList<int>({0, 1, 2, 5}));
    // Inserting elsewhere leaves the cursor on its text; with mark, the insertion is marked.
    edit.setCursorPosition(1, 2);
    edit.insertAt(QStringLiteral("<i>"), 1, 0);
    edit.getCursorPosition(&line1, &col1);
    QCOMPARE(QPoint(line1, col1), QPoint(1, 5));
    edit.insertAt(QStringLiteral("</i>"), 2, 5, true);
    QCOMPARE(edit.textCursor().selectedText(), QStringLiteral("</i>"));
    QCOMPARE(edit.text(), QStringLiteral("one\n<i>two\nthree</i>"));
}

void EditorTest::typing_data()
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
    row("underline", "x", "Shift+End ULineBtn", "<u>x</u>|");
    row("italic", "x", "Shift+End ItalicBtn", "<i>x</i>|");
    row("a no-break space stays one", "a\u00A0b", "End BoldBtn", "a\u00A0b<b></b>|");
    // Line 1 column 2 to line 3 column 4: the cursor column counts both tags, 4 + 3 + 4.
    row("lines 1 to 3, left to right", lines, "Down Right*2 Shift+Down*2 Shift+Right*2 BoldBtn",
        "zero\nli<b>ne one\nline two\nline</b> th|ree");
    row("lines 1 to 3, right to left", lines, "Down*3 Right*4 Shift+Up*2 Shift+Left*2 BoldBtn",
        "zero\nli<b>ne one\nline two\nline</b> th|ree");
    row("lines 1 to 3, last line shorter than the column", "zero\nline one\nline two\nabcd",
        "Down Right*2 Shift+Down*2 Shift+End BoldBtn", "zero\nli<b>ne one\nline two\nabcd</b>|");
    row("a second click finds nothing marked; typing goes on in the body", "abc",
        "Shift+End BoldBtn*2 '!", "<b>abc</b><b></b>!|");
    row("Return ends the line with a break tag", "", "'ab Return 'cd", "ab<br>\ncd|");
    row("Return inside a line", "abcd", "Right*2 Return", "ab<br>\n|cd");
    row("Return at the start", "abcd", "Return", "<br>\n|abcd");
    row("Return replaces marked text", "abcd", "Right Shift+Right*2 Return", "a<br>\n|d");
    row("Return on a later line", "one\ntwo", "Down End Return 'x", "one\ntwo<br>\nx|");
    row("Shift+Return the same", "abcd", "Right*2 Shift+Return", "ab<br>\n|cd");
    // Undo puts the cursor back where the user had it before the step.
    row("undo takes the tags", "", undoable + "UndoBtn", "ab<br>\n|cd");
    row("then the letters", "", undoable + "UndoBtn*2", "ab<br>\n|");
    row("then the break with its tag", "", undoable + "UndoBtn*3", "ab|");
    row("redo all", "", undoable + "UndoBtn*4 RedoBtn*4", "ab<br>\n<b>|cd</b>");
    row("the keyboard's undo shares the history", "", undoable + "Ctrl+Z", "ab<br>\n|cd");
}

void EditorTest::typing()
{
    QFETCH(QString, text);
    QFETCH(QString, steps);
    QFETCH(QString, expected);

    SmeltworkEditor editor;
    editor.BodyEdit->setText(text);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    act(&editor, steps);
    QVERIFY(!editor.BodyEdit->hasMarkedText());
    QCOMPARE(editor.BodyEdit->text().insert(editor.BodyEdit->textCursor().position(), u'|'),
             expected);
}

QTEST_MAIN(EditorTest)
#include "tst_editor.moc"
