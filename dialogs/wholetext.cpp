#include "dialogs/wholetext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QHelpEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

// What each Latin-1 character adds to a text's width in a font, after each other one (or
// first, after U+0000): its advance and what the layout changes between the two. Infinite
// for the characters that are laid out only; NaN where not asked for yet.
struct WidestText::Advances
{
    explicit Advances(const QFontMetricsF &metrics) : metrics(metrics) { steps.fill(qQNaN()); }

    float step(char16_t before, char16_t c)
    {
        float &known = steps[before << 8 | c];
        if (qIsNaN(known))
            known = laidOutOnly(c) ? qInf()
                    : before == 0  ? metrics.horizontalAdvance(QChar(c))
                                   : metrics.horizontalAdvance(QString(QChar(before)) + QChar(c)) -
                                        metrics.horizontalAdvance(QChar(before));
        return known;
    }

    // Characters whose width depends on more than their neighbours: controls (tabs among
    // them) and the soft hyphen, which shows only at the end of a line.
    static bool laidOutOnly(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0xAD; }

    QFontMetricsF metrics;
    std::array<float, 0x10000> steps; // advances are whole 64ths of a pixel: floats hold them
};

WidestText::WidestText(const QFont &font) : m_metrics(font)
{
    // One table per font for the program's run, 256 KB each: the lists use one or two.
    static QHash<QString, std::shared_ptr<Advances>> known;
    std::shared_ptr<Advances> &advances = known[font.key()];
    if (!advances)
        advances = std::make_shared<Advances>(m_metrics);
    m_advances = advances.get();
}

void WidestText::add(const QString &text)
{
    qreal sum = 0;
    char16_t before = 0;
    for (const QChar c : text) {
        // Other scripts join, combine and reorder their characters.
        if (c.unicode() >= 0x100) {
            sum = qInf();
            break;
        }
        sum += m_advances->step(before, c.unicode());
        if (qIsInf(sum))
            break;
        before = c.unicode();
    }
    if (qIsInf(sum))
        m_widestLaidOut = std::max(m_widestLaidOut, m_metrics.horizontalAdvance(text));
    else
        m_widestSum = std::max(m_widestSum, sum);
}

int WidestText::width() const
{
    const qreal summed = m_widestSum < 0 ? 0 : m_widestSum + m_metrics.height() / 24;
    return int(std::ceil(std::max(summed, m_widestLaidOut)));
}

int textMargins(const QWidget *view)
{
    return 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
}

bool isCut(const QString &text, const QFont &font, int width)
{
    return QFontMetricsF(font).horizontalAdvance(text) > width;
}

void showWholeText(const QPoint &globalPos, const QString &text, QWidget *over, const QRect &rect)
{
    QToolTip::showText(
        globalPos, QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()),
        over, rect);
}

namespace {

class CutTextTips : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        const QRect text = view->style()->subElementRect(QStyle::SE_ItemViewItemText, &row, view);
        if (isCut(row.text, row.font, text.width() - textMargins(view)))
            showWholeText(event->globalPos(), row.text, view->viewport(), option.rect);
        else
            QToolTip::hideText();
        // Handled either way: a row is no place for what the window says of itself.
        return true;
    }
};

} // namespace

void showCutTextsAsTips(QAbstractItemView *view)
{
    view->setItemDelegate(new CutTextTips(view));
}
