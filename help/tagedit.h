#pragma once

#include <QPlainTextEdit>

// A plain-text edit addressed by line and column, where a line is a paragraph of the text
// (a text block): the body editor inserts its tags at such positions. Return breaks the
// line and then signals returnPressed(), so the line break and whatever a receiver adds
// for it form one step for undo.
class SmeltworkTagEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit SmeltworkTagEdit(QWidget *parent = nullptr, const char *name = nullptr);

    // Puts `open` before and `close` after the marked text, or both at the cursor when
    // nothing is marked. One step for undo.
    void insertTags(const QString &open, const QString &close);

    void setText(const QString &text);
    // The text with a line feed between lines, every other character as it was set.
    QString text() const;

    int numLines() const;
    QString textLine(int line) const;
    bool hasMarkedText() const;
    // The marked region, its start the earlier position whichever way it was marked.
    bool getMarkedRegion(int *line1, int *col1, int *line2, int *col2) const;
    void getCursorPosition(int *line, int *col) const;
    // Lines and columns beyond the end are held at the end; `mark` extends the marked
    // region to the new position instead of clearing it.
    void setCursorPosition(int line, int col, bool mark = false);
    // Inserts `text` at a position without moving to it; with `mark` the inserted text
    // becomes the marked region.
    void insertAt(const QString &text, int line, int col, bool mark = false);
    // Inserts at the cursor as typing would, replacing the marked text.
    void insert(const QString &text);
    // Room kept free between the frame and the text area, on every side.
    void setFrameMargin(int margin) { setViewportMargins(margin, margin, margin, margin); }

Q_SIGNALS:
    void returnPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int positionOf(int line, int col) const;
};
