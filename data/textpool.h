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
    qsizetype size() const { return m_size; }
    qsizetype cost() const { return qsizetype(m_slots.capacity() * sizeof(Slot)); }

private:
    struct Slot
    {
        quint64 hash = 0;
        QString text; // null: free
    };

    // Room for one more text.
    void grow();
    template <typename Same> Slot &find(quint64 hash, const Same &same);

    std::vector<Slot> m_slots;
    qsizetype m_size = 0;
};
