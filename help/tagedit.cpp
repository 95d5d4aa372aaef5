#include "help/tagedit.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Undo and redo take one user action as one step, however many edits it makes.
class EditStep
{
public:
    // Begun at the user's cursor, which is where undo puts the cursor back.
    explicit EditStep(const QTextCursor &cursor) : m_cursor(cursor) { m_cursor.beginEditBlock(); }
    ~EditStep() { m_cursor.endEditBlock(); }
    EditStep(const EditStep &) = delete;
    EditStep &operator=(const EditStep &) = delete;

private:
    QTextCursor m_cursor;
};

} // namespace

SmeltworkTagEdit::SmeltworkTagEdit(QWidget *parent, const char *name) : QPlainTextEdit(parent)
{
    if (name)
        setObjectName(QLatin1String(name));
    // Lines are what the user sees: a long line scrolls rather than wraps.
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void SmeltworkTagEdit::insertTags(const QString &open, const QString &close)
{
    EditStep step(textCursor());
    int line1, col1, line2, col2;
    if (getMarkedRegion(&line1, &col1, &line2, &col2)) {
        insertAt(close, line2, col2);
        insertAt(open, line1, col1);
        // The column counts both tags even when the opening one went onto an earlier line;
        // setCursorPosition holds it at the end of the line.
        setCursorPosition(line2, col2 + int(open.size()) + int(close.size()));
    } else {
        insert(open);
        insert(close);
    }
}

void SmeltworkTagEdit::setText(const QString &text)
{
    setPlainText(text);
}

QString SmeltworkTagEdit::text() const
{
    // toPlainText() would turn no-break spaces into plain ones; bodies keep theirs.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

int SmeltworkTagEdit::numLines() const
{
    return document()->blockCount();
}

QString SmeltworkTagEdit::textLine(int line) const
{
    const QTextBlock block = document()->findBlockByNumber(line);
    return block.isValid() ? block.text() : QString();
}

bool SmeltworkTagEdit::hasMarkedText() const
{
    return textCursor().hasSelection();
}

bool SmeltworkTagEdit::getMarkedRegion(int *line1, int *col1, int *line2, int *col2) const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return false;
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    *line1 = first.blockNumber();
    *col1 = cursor.selectionStart() - first.position();
    *line2 = last.blockNumber();
    *col2 = cursor.selectionEnd() - last.position();
    return true;
}

void SmeltworkTagEdit::getCursorPosition(int *line, int *col) const
{
    const QTextCursor cursor = textCursor();
    *line = cursor.blockNumber();
    *col = cursor.positionInBlock();
}

int SmeltworkTagEdit::positionOf(int line, int col) const
{
    QTextBlock block = document()->findBlockByNumber(qMax(0, line));
    if (!block.isValid())
        block = document()->lastBlock();
    // A block's length counts its line break; the last column is just before it.
    return block.position() + qBound(0, col, block.length() - 1);
}

void SmeltworkTagEdit::setCursorPosition(int line, int col, bool mark)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(positionOf(line, col),
                       mark ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
}

void SmeltworkTagEdit::insertAt(const QString &text, int line, int col, bool mark)
{
    QTextCursor at(document());
    const int position = positionOf(line, col);
    at.setPosition(position);
    at.insertText(text);
    if (mark) {
        at.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(at);
    }
}

void SmeltworkTagEdit::insert(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

void SmeltworkTagEdit::keyPressEvent(QKeyEvent *event)
{
    const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Shift+Return would otherwise put a line separator inside the paragraph, a second kind
    // of line the text does not have.
    if (!lineBreak || isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    EditStep step(textCursor());
    QTextCursor cursor = textCursor();
    cursor.insertBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    emit returnPressed();
    event->accept();
}
