#include "data/textpool.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {

// A pool of this many texts is far past any game's vocabulary: what fills it is texts that
// never repeat, which no pool can share. It starts again empty rather than grow without
// end; a text that does repeat joins again at its next use.
constexpr size_t MostTexts = size_t(1) << 15;
constexpr size_t FirstSlots = 256;

// 8 bytes of a text as its big-endian bytes, whichever way the machine orders them: for a
// QString, each code unit's two bytes swapped on a little-endian machine.
inline quint64 bigEndianWord(const char *bigEndian, qsizetype bytes)
{
    quint64 word = 0;
    std::memcpy(&word, bigEndian, size_t(bytes));
    return word;
}

inline quint64 nativeWord(const QChar *units, qsizetype bytes)
{
    quint64 word = 0;
    std::memcpy(&word, units, size_t(bytes));
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
        word = ((word & 0x00FF00FF00FF00FFull) << 8) | ((word >> 8) & 0x00FF00FF00FF00FFull);
    return word;
}

// The same hash of a text from either form, 8 bytes at a time; the last step spreads every
// bit over the low ones, which choose the slot.
template <typename Word> quint32 hashOf(qsizetype units, Word word)
{
    const qsizetype bytes = units * 2;
    quint64 hash = quint64(units) * 0x9E3779B97F4A7C15ull;
    for (qsizetype at = 0; at < bytes; at += 8) {
        hash ^= word(at, std::min<qsizetype>(8, bytes - at));
        hash *= 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 32;
    }
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return quint32(hash ^ (hash >> 33));
}

bool equalsBigEndian(const QString &text, const char *bytes, qsizetype units)
{
    if (text.size() != units)
        return false;
    const QChar *at = text.constData();
    for (qsizetype i = 0; i < units; ++i) {
        if (at[i].unicode() != qFromBigEndian<char16_t>(bytes + 2 * i))
            return false;
    }
    return true;
}

} // namespace

void TextPool::grow()
{
    if (!m_slots.empty() && (m_texts.size() + 1) * 2 <= m_slots.size())
        return;
    if (m_texts.size() >= MostTexts) {
        std::fill(m_slots.begin(), m_slots.end(), 0);
        m_texts.clear();
        return;
    }
    std::vector<quint64> old(m_slots.empty() ? FirstSlots : 2 * m_slots.size());
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const quint64 slot : old) {
        if (!slot)
            continue;
        size_t at = size_t(slot >> 32) & mask;
        while (m_slots[at])
            at = (at + 1) & mask;
        m_slots[at] = slot;
    }
}

template <typename Same> quint64 &TextPool::find(quint32 hash, const Same &same)
{
    grow();
    const size_t mask = m_slots.size() - 1;
    size_t at = size_t(hash) & mask;
    for (;; at = (at + 1) & mask) {
        const quint64 slot = m_slots[at];
        if (!slot || (quint32(slot >> 32) == hash && same(m_texts[size_t(quint32(slot)) - 1])))
            return m_slots[at];
    }
}

QString TextPool::add(quint64 &slot, quint32 hash, QString text)
{
    m_texts.push_back(std::move(text));
    slot = (quint64(hash) << 32) | quint64(m_texts.size());
    return m_texts.back();
}

QString TextPool::shared(const QString &text)
{
    if (text.isEmpty())
        return text;
    const QChar *units = text.constData();
    const quint32 hash = hashOf(text.size(), [units](qsizetype at, qsizetype bytes) {
        return nativeWord(units + at / 2, bytes);
    });
    quint64 &slot = find(hash, [&text](const QString &held) { return held == text; });
    return slot ? m_texts[size_t(quint32(slot)) - 1] : add(slot, hash, text);
}

QString TextPool::sharedBigEndian(const char *bytes, qsizetype units)
{
    if (units == 0)
        return QStringLiteral(""); // empty, not null
    const quint32 hash = hashOf(
        units, [bytes](qsizetype at, qsizetype count) { return bigEndianWord(bytes + at, count); });
    quint64 &slot = find(
        hash, [bytes, units](const QString &held) { return equalsBigEndian(held, bytes, units); });
    if (slot)
        return m_texts[size_t(quint32(slot)) - 1];
    QString text(units, Qt::Uninitialized);
    qFromBigEndian<char16_t>(bytes, units, text.data());
    return add(slot, hash, std::move(text));
}
