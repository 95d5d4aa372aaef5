#include "editor.h"
#include "testsupport.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

class EditorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensReadyWithTheCursorAtTheStart();
    void toolButtons_data();
    void toolButtons();
    void lineAndColumnModel();
    void tagButtons_data();
    void tagButtons();
    void secondClickFindsNothingMarked();
    void returnEndsTheLineWithABreakTag_data();
    void returnEndsTheLineWithABreakTag();
    void undoAndRedoTakeOneActionAtATime();
    void leaving_data();
    void leaving();
    void lockKeyReleaseRereadsItsIndicatorOnly();
    void unimplementedSlotsSaySo();
};

namespace {

QPushButton *button(const SmeltworkEditor &editor, const char *name)
{
    return editor.findChild<QPushButton *>(QLatin1String(name));
}

// Moves the cursor with the keyboard: "R3" is Right three times, "SD2" Shift+Down twice;
// L, U, D, R are the arrows, H and E are Home and End, a leading S holds Shift.
void moveCursor(QWidget *edit, const QString &moves)
{
    for (const QString &move : moves.split(u' ', Qt::SkipEmptyParts)) {
        const bool shift = move.startsWith(u'S');
        const QChar key = move.at(shift ? 1 : 0);
        const int count = move.mid(shift ? 2 : 1).toInt();
        const Qt::Key code = key == u'L'   ? Qt::Key_Left
                             : key == u'R' ? Qt::Key_Right
                             : key == u'U' ? Qt::Key_Up
                             : key == u'D' ? Qt::Key_Down
                             : key == u'H' ? Qt::Key_Home
                                           : Qt::Key_End;
        for (int i = 0; i < qMax(1, count); ++i)
            QTest::keyClick(edit, code, shift ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

QPoint cursorOf(const SmeltworkTagEdit *edit)
{
    int line = -1, col = -1;
    edit->getCursorPosition(&line, &col);
    return {line, col};
}

struct ShownEditor
{
    SmeltworkEditor editor;
    ShownEditor(const QString &text = QString())
    {
        editor.BodyEdit->setText(text);
        editor.show();
        editor.activateWindow();
    }
};

} // namespace

void EditorTest::opensReadyWithTheCursorAtTheStart()
{
    ShownEditor shown(QStringLiteral("first\nsecond"));
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QCOMPARE(editor.objectName(), QStringLiteral("SmeltworkEditor"));
    QCOMPARE(editor.windowTitle(), QStringLiteral("SmeltworkAdmin"));
    QCOMPARE(editor.size(), QSize(500, 400));
    QCOMPARE(editor.StatusBar->currentMessage(), QStringLiteral("Ready."));
    QCOMPARE(editor.BodyEdit->objectName(), QStringLiteral("BodyEdit"));
    QTRY_COMPARE(QApplication::focusWidget(), editor.BodyEdit);
    QCOMPARE(cursorOf(editor.BodyEdit), QPoint(0, 0));
    QVERIFY(!editor.BodyEdit->hasMarkedText());

    // The indicators sit at the right end of the status bar, Num before Caps, and show
    // "off" where the window system cannot be asked.
    QCOMPARE(editor.NumLockInd->text(), QStringLiteral("Num"));
    QCOMPARE(editor.CapsLockInd->text(), QStringLiteral("Caps"));
    QCOMPARE(editor.NumLockInd->parent(), editor.StatusBar);
    QVERIFY(editor.NumLockInd->x() < editor.CapsLockInd->x());
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        QVERIFY(!editor.NumLockInd->isEnabled());
        QVERIFY(!editor.CapsLockInd->isEnabled());
    }
}

void EditorTest::toolButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("longText");

    QTest::newRow("close") << "CloseBtn"
                           << "Close"
                           << "Exit editor without saving changes";
    QTest::newRow("save") << "SaveBtn"
                          << "Save"
                          << "Exit editor and save changes";
    QTest::newRow("bold") << "BoldBtn"
                          << "Bold"
                          << "Insert 'bold' tags around marked text or at cursor";
    QTest::newRow("underline") << "ULineBtn"
                               << "Underlined"
                               << "Insert 'underlined' tags around marked text or at cursor";
    QTest::newRow("italic") << "ItalicBtn"
                            << "Italic"
                            << "Insert 'italic' tags around marked text or at cursor";
    QTest::newRow("undo") << "UndoBtn"
                          << "Undo"
                          << "Undo the last change you did";
    QTest::newRow("redo") << "RedoBtn"
                          << "Redo"
                          << "Redo the last undo you did";
}

void EditorTest::toolButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, tip);
    QFETCH(QString, longText);

    ShownEditor shown;
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const QList<QPushButton *> row = {button(editor, "CloseBtn"),  button(editor, "SaveBtn"),
                                      button(editor, "BoldBtn"),   button(editor, "ULineBtn"),
                                      button(editor, "ItalicBtn"), button(editor, "UndoBtn"),
                                      button(editor, "RedoBtn")};
    for (int i = 1; i < row.size(); ++i)
        QVERIFY(row.at(i - 1)->x() < row.at(i)->x());

    QPushButton *tool = button(editor, qPrintable(name));
    QVERIFY(tool);
    QVERIFY(tool->text().isEmpty());
    QCOMPARE(tool->icon().pixmap(16, 16).size(), QSize(16, 16));
    QVERIFY(!tool->icon().isNull());
    QVERIFY(!tool->autoDefault());
    QVERIFY(!tool->isDefault());
    QCOMPARE(tool->toolTip(), tip);

    // Resting on the button shows its long text; leaving it empties the message area.
    QTest::mouseMove(tool);
    QTRY_COMPARE(editor.StatusBar->currentMessage(), longText);
    QTest::mouseMove(editor.BodyEdit);
    QTRY_COMPARE(editor.StatusBar->currentMessage(), QString());
}

void EditorTest::lineAndColumnModel()
{
    SmeltworkTagEdit edit;
    // A no-break space stays one: bodies keep every character they were given.
    edit.setText(QStringLiteral("one\ntwo\u00A0two\nthree"));
    QCOMPARE(edit.numLines(), 3);
    QCOMPARE(edit.textLine(1), QStringLiteral("two\u00A0two"));
    QCOMPARE(edit.textLine(7), QString());
    QCOMPARE(edit.text(), QStringLiteral("one\ntwo\u00A0two\nthree"));

    // Columns and lines beyond the end are held at the end.
    edit.setCursorPosition(0, 99);
    QCOMPARE(cursorOf(&edit), QPoint(0, 3));
    edit.setCursorPosition(9, 1);
    QCOMPARE(cursorOf(&edit), QPoint(2, 1));
    edit.setCursorPosition(0, 1, true);
    int l1, c1, l2, c2;
    QVERIFY(edit.getMarkedRegion(&l1, &c1, &l2, &c2));
    QCOMPARE(QList<int>({l1, c1, l2, c2}), QList<int>({0, 1, 2, 1}));

    // Inserting elsewhere leaves the cursor on its text; with mark, the insertion is marked.
    edit.setCursorPosition(1, 2);
    edit.insertAt(QStringLiteral("<i>"), 1, 0);
    QCOMPARE(cursorOf(&edit), QPoint(1, 5));
    QVERIFY(!edit.hasMarkedText());
    edit.insertAt(QStringLiteral("</i>"), 2, 5, true);
    QCOMPARE(edit.textCursor().selectedText(), QStringLiteral("</i>"));
    QCOMPARE(edit.text(), QStringLiteral("one\n<i>two\u00A0two\nthree</i>"));
}

void EditorTest::tagButtons_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QPoint>("cursor");

    QTest::newRow("nothing marked: both tags at the cursor, cursor after them")
        << "abc"
        << "R1"
        << "BoldBtn"
        << "a<b></b>bc" << QPoint(0, 8);
    QTest::newRow("three characters, left to right") << "one two three"
                                                     << "R4 SR3"
                                                     << "BoldBtn"
                                                     << "one <b>two</b> three" << QPoint(0, 14);
    QTest::newRow("three characters, right to left") << "one two three"
                                                     << "R7 SL3"
                                                     << "BoldBtn"
                                                     << "one <b>two</b> three" << QPoint(0, 14);
    QTest::newRow("underline") << "x"
                               << "SR1"
                               << "ULineBtn"
                               << "<u>x</u>" << QPoint(0, 8);
    QTest::newRow("italic") << "x"
                            << "SE"
                            << "ItalicBtn"
                            << "<i>x</i>" << QPoint(0, 8);
    // Line 1 column 2 to line 3 column 4: the cursor column counts both tags, 4 + 3 + 4.
    QTest::newRow("lines 1 to 3, left to right")
        << "zero\nline one\nline two\nline three"
        << "D1 R2 SD2 SR2"
        << "BoldBtn"
        << "zero\nli<b>ne one\nline two\nline</b> three" << QPoint(3, 11);
    QTest::newRow("lines 1 to 3, right to left")
        << "zero\nline one\nline two\nline three"
        << "D3 R4 SU2 SL2"
        << "BoldBtn"
        << "zero\nli<b>ne one\nline two\nline</b> three" << QPoint(3, 11);
    QTest::newRow("lines 1 to 3, last line shorter than the column")
        << "zero\nline one\nline two\nabcd"
        << "D1 R2 SD2 SE"
        << "BoldBtn"
        << "zero\nli<b>ne one\nline two\nabcd</b>" << QPoint(3, 8);
}

void EditorTest::tagButtons()
{
    QFETCH(QString, text);
    QFETCH(QString, moves);
    QFETCH(QString, tool);
    QFETCH(QString, expected);
    QFETCH(QPoint, cursor);

    ShownEditor shown(text);
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    moveCursor(editor.BodyEdit, moves);
    QTest::mouseClick(button(editor, qPrintable(tool)), Qt::LeftButton);
    QCOMPARE(editor.BodyEdit->text(), expected);
    QCOMPARE(cursorOf(editor.BodyEdit), cursor);
    QVERIFY(!editor.BodyEdit->hasMarkedText());
}

void EditorTest::secondClickFindsNothingMarked()
{
    ShownEditor shown(QStringLiteral("abc"));
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    moveCursor(editor.BodyEdit, QStringLiteral("SE"));
    QTest::mouseClick(button(editor, "BoldBtn"), Qt::LeftButton);
    QTest::mouseClick(button(editor, "BoldBtn"), Qt::LeftButton);
    QCOMPARE(editor.BodyEdit->text(), QStringLiteral("<b>abc</b><b></b>"));
    QCOMPARE(cursorOf(editor.BodyEdit), QPoint(0, 17));
    // Typing goes on after the tags: the buttons leave the focus in the body.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!"));
    QCOMPARE(editor.BodyEdit->text(), QStringLiteral("<b>abc</b><b></b>!"));
}

void EditorTest::returnEndsTheLineWithABreakTag_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<QString>("typed"); // "|" stands for the Return key
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QPoint>("cursor");

    QTest::newRow("two letters, Return, two letters")
        << ""
        << ""
        << "ab|cd" << 0 << "ab<br>\ncd" << QPoint(1, 2);
    QTest::newRow("between the second and third letter")
        << "abcd"
        << "R2"
        << "|" << 0 << "ab<br>\ncd" << QPoint(1, 0);
    QTest::newRow("at the start") << "abcd"
                                  << ""
                                  << "|" << 0 << "<br>\nabcd" << QPoint(1, 0);
    QTest::newRow("marked text is replaced") << "abcd"
                                             << "R1 SR2"
                                             << "|" << 0 << "a<br>\nd" << QPoint(1, 0);
    QTest::newRow("on a later line") << "one\ntwo"
                                     << "D1 E"
                                     << "|x" << 0 << "one\ntwo<br>\nx" << QPoint(2, 1);
    QTest::newRow("Shift+Return breaks the line the same way")
        << "abcd"
        << "R2"
        << "|" << int(Qt::ShiftModifier) << "ab<br>\ncd" << QPoint(1, 0);
}

void EditorTest::returnEndsTheLineWithABreakTag()
{
    QFETCH(QString, text);
    QFETCH(QString, moves);
    QFETCH(QString, typed);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    QFETCH(QPoint, cursor);

    ShownEditor shown(text);
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    moveCursor(editor.BodyEdit, moves);
    const QStringList parts = typed.split(u'|');
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            QTest::keyClick(editor.BodyEdit, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QTest::keyClicks(editor.BodyEdit, parts.at(i));
    }
    QCOMPARE(editor.BodyEdit->text(), expected);
    QCOMPARE(cursorOf(editor.BodyEdit), cursor);
    QVERIFY(editor.isVisible());
}

void EditorTest::undoAndRedoTakeOneActionAtATime()
{
    ShownEditor shown;
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    SmeltworkTagEdit *edit = editor.BodyEdit;
    QPushButton *undo = button(editor, "UndoBtn");
    QPushButton *redo = button(editor, "RedoBtn");

    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("cd"));
    moveCursor(edit, QStringLiteral("SL2"));
    QTest::mouseClick(button(editor, "BoldBtn"), Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("ab<br>\n<b>cd</b>"));

    const QStringList steps = {
        QStringLiteral("ab<br>\ncd"), // the two tags
        QStringLiteral("ab<br>\n"),   // the typed letters
        QStringLiteral("ab"),         // the line break with its tag
        QString(),
    };
    for (const QString &step : steps) {
        QTest::mouseClick(undo, Qt::LeftButton);
        QCOMPARE(edit->text(), step);
    }
    for (qsizetype i = steps.size() - 2; i >= 0; --i) {
        QTest::mouseClick(redo, Qt::LeftButton);
        QCOMPARE(edit->text(), steps.at(i));
    }
    QTest::mouseClick(redo, Qt::LeftButton);
    QCOMPARE(edit->text(), QStringLiteral("ab<br>\n<b>cd</b>"));
    // The keyboard's undo is the same history.
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->text(), steps.first());
}

void EditorTest::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");

    QTest::newRow("Save") << "SaveBtn" << int(QDialog::Accepted);
    QTest::newRow("Close") << "CloseBtn" << int(QDialog::Rejected);
    QTest::newRow("Escape") << "Escape" << int(QDialog::Rejected);
    QTest::newRow("window's close button") << "close" << int(QDialog::Rejected);
}

void EditorTest::leaving()
{
    QFETCH(QString, how);
    QFETCH(int, result);

    SmeltworkEditor editor(nullptr, nullptr, true);
    editor.BodyEdit->setText(QStringLiteral("old"));
    whenModalOpens([&](QWidget *modal) {
        QCOMPARE(modal, &editor);
        QTest::keyClicks(editor.BodyEdit, QStringLiteral("new "));
        QTest::keyClick(editor.BodyEdit, Qt::Key_Return); // never ends the dialog
        QVERIFY(editor.isVisible());
        if (how == QLatin1String("Escape"))
            QTest::keyClick(editor.BodyEdit, Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            editor.close();
        else
            QTest::mouseClick(button(editor, qPrintable(how)), Qt::LeftButton);
    });
    QCOMPARE(editor.exec(), result);
    QCOMPARE(editor.BodyEdit->text(), QStringLiteral("new <br>\nold"));
}

void EditorTest::lockKeyReleaseRereadsItsIndicatorOnly()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("The lock states here are the X server's; tst_lockkeys covers them");
    ShownEditor shown;
    SmeltworkEditor &editor = shown.editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.NumLockInd->setEnabled(true);
    editor.CapsLockInd->setEnabled(true);

    // Other releases pass by; the lock key's own release reads its state again (off here).
    QTest::keyRelease(editor.BodyEdit, Qt::Key_A);
    QTest::keyRelease(editor.BodyEdit, Qt::Key_Shift);
    QVERIFY(editor.NumLockInd->isEnabled());
    QVERIFY(editor.CapsLockInd->isEnabled());
    QTest::keyRelease(editor.BodyEdit, Qt::Key_CapsLock);
    QVERIFY(!editor.CapsLockInd->isEnabled());
    QVERIFY(editor.NumLockInd->isEnabled());
    QTest::keyRelease(button(editor, "BoldBtn"), Qt::Key_NumLock);
    QVERIFY(!editor.NumLockInd->isEnabled());
}

void EditorTest::unimplementedSlotsSaySo()
{
    SmeltworkEditor editor;
    editor.BodyEdit->setText(QStringLiteral("kept"));
    TraceCapture trace;
    QVERIFY(QMetaObject::invokeMethod(&editor, "saveBody"));
    QVERIFY(QMetaObject::invokeMethod(&editor, "topicSelected", Q_ARG(int, 3)));
    QCOMPARE(trace.lines(),
             QStringList({"W: SmeltworkEditor::saveBody(): Not implemented yet!",
                          "W: SmeltworkEditor::topicSelected(int): Not implemented yet!"}));
    QCOMPARE(editor.BodyEdit->text(), QStringLiteral("kept"));
}

QTEST_MAIN(EditorTest)
#include "tst_editor.moc"
