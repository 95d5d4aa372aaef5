#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

class TextPool;

// The binary encoding both files use: integers big-endian at fixed widths, a string as a
// 32-bit byte count followed by its UTF-16 code units (each big-endian), a null string as
// the count 0xFFFFFFFF. These are the bytes a default QDataStream produces, without its
// habit of quietly returning zeros after a short read.

// Reads from a byte buffer and never past its end. The first read that does not fit
// (or a string whose byte count is odd or exceeds what is left) fails the reader; every
// later read fails too, so a caller can check once per record.
class StreamReader
{
public:
    explicit StreamReader(QByteArrayView data) : m_data(data) {}

    // The fixed-width reads are inline: a large file makes millions of them.
    bool readU8(quint8 &value)
    {
        const char *at = take(1);
        if (!at)
            return false;
        value = quint8(*at);
        return true;
    }
    bool readI8(qint8 &value)
    {
        const char *at = take(1);
        if (!at)
            return false;
        value = qint8(*at);
        return true;
    }
    bool readU16(quint16 &value)
    {
        const char *at = take(2);
        if (!at)
            return false;
        value = qFromBigEndian<quint16>(at);
        return true;
    }
    bool readU32(quint32 &value)
    {
        const char *at = take(4);
        if (!at)
            return false;
        value = qFromBigEndian<quint32>(at);
        return true;
    }
    bool readI32(qint32 &value)
    {
        const char *at = take(4);
        if (!at)
            return false;
        value = qFromBigEndian<qint32>(at);
        return true;
    }
    // With a pool, a text read before comes back as the pool's string (see TextPool).
    bool readString(QString &value, TextPool *pool = nullptr);

    bool ok() const { return m_ok; }
    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }

private:
    const char *take(qsizetype count)
    {
        if (!m_ok || count > remaining()) {
            m_ok = false;
            return nullptr;
        }
        const char *at = m_data.data() + m_pos;
        m_pos += count;
        return at;
    }

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// Appends to a byte buffer. A caller may write the buffer out and empty it with resize(0)
// at any time; its capacity is kept, so the next records reuse the same memory.
class StreamWriter
{
public:
    explicit StreamWriter(QByteArray &out) : m_out(out) {}

    void writeU8(quint8 value) { *grow(1) = char(value); }
    void writeI8(qint8 value) { *grow(1) = char(value); }
    void writeU16(quint16 value) { qToBigEndian(value, grow(2)); }
    void writeU32(quint32 value) { qToBigEndian(value, grow(4)); }
    void writeI32(qint32 value) { qToBigEndian(value, grow(4)); }
    void writeString(const QString &value);

private:
    // Room for `count` more bytes at the end. resize() grows the capacity geometrically
    // and is much cheaper than append(), which handles aliasing and insertion.
    char *grow(qsizetype count)
    {
        const qsizetype at = m_out.size();
        m_out.resize(at + count);
        return m_out.data() + at;
    }

    QByteArray &m_out;
};
