#pragma once

#include <QString>
#include <vector>

// One string for each distinct text. A real tree names the same few hundred items, skills
// and multipliers a million times; each "Crucible" and "0.5" a string of its own made the
// tree several times the size of its file. Handing out the pool's string instead shares it:
// a copy costs a reference, and the texts stay values (equal, comparable, and detached from
// the pool by the first change made to one).
//
// A pool is not safe to use from two threads at once.
class TextPool
{
public:
    // The pool's string equal to `text`, which joins the pool when it is new. A null text
    // stays null and an empty one empty: they are different values in the files.
    QString shared(const QString &text);
    // The same for the text of `units` UTF-16 code units at `bytes`, big-endian as the files
    // hold them: a text seen before costs a look-up, and nothing is decoded.
    QString sharedBigEndian(const char *bytes, qsizetype units);

    // The texts held, and the bytes the pool takes beside them.
    qsizetype size() const { return qsizetype(m_texts.size()); }
    qsizetype cost() const
    {
        return qsizetype(m_slots.capacity() * sizeof(quint64) +
                         m_texts.capacity() * sizeof(QString));
    }

private:
    // Room for one more text.
    void grow();
    // The text equal to the one looked for, by `same`, or where it goes.
    template <typename Same> quint64 &find(quint32 hash, const Same &same);
    QString add(quint64 &slot, quint32 hash, QString text);

    // A slot holds a text's hash in its high half and its place in m_texts, from 1, in its
    // low half; 0 is free. Eight bytes a slot keep the table small enough to stay in the
    // cache while a million names are looked up.
    std::vector<quint64> m_slots;
    std::vector<QString> m_texts;
};
