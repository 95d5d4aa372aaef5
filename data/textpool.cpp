#include "data/textpool.h"

#include <QtEndian>

#include <cstring>

namespace {

// A pool of this many texts is far past any game's vocabulary: what fills it is texts that
// never repeat, which no pool can share. It starts again empty rather than grow without
// end; a text that does repeat joins again at its next use.
constexpr qsizetype MostTexts = qsizetype(1) << 16;
constexpr qsizetype FirstSlots = 256;

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
template <typename Word> quint64 hashOf(qsizetype units, Word word)
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
    return hash ^ (hash >> 33);
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
    const qsizetype capacity = qsizetype(m_slots.size());
    if (capacity && (m_size + 1) * 2 <= capacity)
        return;
    if (m_size >= MostTexts) {
        for (Slot &slot : m_slots)
            slot = Slot();
        m_size = 0;
        return;
    }
    std::vector<Slot> old(capacity ? size_t(2 * capacity) : size_t(FirstSlots));
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (Slot &slot : old) {
        if (slot.text.isNull())
            continue;
        size_t at = size_t(slot.hash) & mask;
        while (!m_slots[at].text.isNull())
            at = (at + 1) & mask;
        m_slots[at] = std::move(slot);
    }
}

// Where the text with `hash` is, or the free slot where it goes; `same` tells a text equal
// to the one looked for.
template <typename Same> TextPool::Slot &TextPool::find(quint64 hash, const Same &same)
{
    grow();
    const size_t mask = m_slots.size() - 1;
    size_t at = size_t(hash) & mask;
    while (!m_slots[at].text.isNull() && !(m_slots[at].hash == hash && same(m_slots[at].text)))
        at = (at + 1) & mask;
    return m_slots[at];
}

QString TextPool::shared(const QString &text)
{
    if (text.isEmpty())
        return text;
    const QChar *units = text.constData();
    const quint64 hash = hashOf(text.size(), [units](qsizetype at, qsizetype bytes) {
        return nativeWord(units + at / 2, bytes);
    });
    Slot &slot = find(hash, [&text](const QString &held) { return held == text; });
    if (slot.text.isNull()) {
        slot.hash = hash;
        slot.text = text;
        ++m_size;
    }
    return slot.text;
}

QString TextPool::sharedBigEndian(const char *bytes, qsizetype units)
{
    if (units == 0)
        return QStringLiteral(""); // empty, not null
    const quint64 hash = hashOf(
        units, [bytes](qsizetype at, qsizetype count) { return bigEndianWord(bytes + at, count); });
    Slot &slot = find(
        hash, [bytes, units](const QString &held) { return equalsBigEndian(held, bytes, units); });
    if (slot.text.isNull()) {
        QString text(units, Qt::Uninitialized);
        qFromBigEndian<char16_t>(bytes, units, text.data());
        slot.hash = hash;
        slot.text = std::move(text);
        ++m_size;
    }
    return slot.text;
}
