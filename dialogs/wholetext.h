#pragma once

#include <QFontMetricsF>
#include <QString>

class QAbstractItemView;
class QWidget;

// The widest of many texts as Qt lays them out in one font, in whole pixels, for lists of
// up to 65,535 texts. Laying out each text takes a fifth of a second for such a list; adding
// up the advances of its characters a millisecond, but that misses what the layout changes
// between them: kerning, several pixels over a long name. So a Latin-1 text's width is the
// sum of its characters' advances and of what the layout changes between each two of them
// (each pair laid out once, for all lists in that font). That sum is the laid-out width
// except where letters join into ligatures, which the pairs count only in part: we found
// such a text up to a thirtieth of the line height wider than its sum. A twenty-fourth is
// added, so the width found is at most a pixel or two more than the laid-out one, and never
// less. Other texts (other scripts join, combine and reorder their characters; tabs and soft
// hyphens depend on where they stand) are laid out.
class WidestText
{
public:
    explicit WidestText(const QFont &font);

    void add(const QString &text);
    // The width, fractions rounded up; 0 for no text.
    int width() const;

private:
    struct Advances;

    QFontMetricsF m_metrics;
    Advances *m_advances;
    qreal m_widestSum = -1; // of the texts added up, or -1 for none
    qreal m_widestLaidOut = 0;
};

// The room a row of an item view leaves its text: Qt's item views keep a margin on either
// side of it.
int textMargins(const QWidget *view);

// Whether `text` is cut where `width` pixels are left for it in `font`.
bool isCut(const QString &text, const QFont &font, int width);

// Shows a text as a tool tip as it is, tags and all, in one line.
void showWholeText(const QPoint &globalPos, const QString &text, QWidget *over, const QRect &rect);

// Shows the whole text of a row that `view` shows cut as the row's tool tip. Over a row
// whose text is whole, no tip shows.
void showCutTextsAsTips(QAbstractItemView *view);
