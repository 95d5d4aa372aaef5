#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

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

    bool readU8(quint8 &value);
    bool readI8(qint8 &value);
    bool readU16(quint16 &value);
    bool readU32(quint32 &value);
    bool readI32(qint32 &value);
    bool readString(QString &value);

    bool ok() const { return m_ok; }
    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_data.size() - m_pos; }

private:
    const char *take(qsizetype count);

    QByteArrayView m_data;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// Appends to a byte buffer.
class StreamWriter
{
public:
    explicit StreamWriter(QByteArray &out) : m_out(out) {}

    void writeU8(quint8 value) { m_out.append(char(value)); }
    void writeI8(qint8 value) { m_out.append(char(value)); }
    void writeU16(quint16 value);
    void writeU32(quint32 value);
    void writeI32(qint32 value) { writeU32(quint32(value)); }
    void writeString(const QString &value);

private:
    QByteArray &m_out;
};
