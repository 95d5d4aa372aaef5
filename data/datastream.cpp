#include "datastream.h"

#include <QtEndian>

const char *StreamReader::take(qsizetype count)
{
    if (!m_ok || count > remaining()) {
        m_ok = false;
        return nullptr;
    }
    const char *at = m_data.data() + m_pos;
    m_pos += count;
    return at;
}

bool StreamReader::readU8(quint8 &value)
{
    const char *at = take(1);
    if (!at)
        return false;
    value = quint8(*at);
    return true;
}

bool StreamReader::readI8(qint8 &value)
{
    quint8 raw = 0;
    if (!readU8(raw))
        return false;
    value = qint8(raw);
    return true;
}

bool StreamReader::readU16(quint16 &value)
{
    const char *at = take(2);
    if (!at)
        return false;
    value = qFromBigEndian<quint16>(at);
    return true;
}

bool StreamReader::readU32(quint32 &value)
{
    const char *at = take(4);
    if (!at)
        return false;
    value = qFromBigEndian<quint32>(at);
    return true;
}

bool StreamReader::readI32(qint32 &value)
{
    quint32 raw = 0;
    if (!readU32(raw))
        return false;
    value = qint32(raw);
    return true;
}

bool StreamReader::readString(QString &value)
{
    quint32 bytes = 0;
    if (!readU32(bytes))
        return false;
    if (bytes == 0xFFFFFFFFu) {
        value = QString();
        return true;
    }
    // Check the length against what is left before allocating anything for it.
    if (bytes % 2 != 0 || qint64(bytes) > qint64(remaining())) {
        m_ok = false;
        return false;
    }
    const char *at = take(qsizetype(bytes));
    const qsizetype units = qsizetype(bytes / 2);
    if (units == 0) {
        value = QStringLiteral(""); // empty, not null
        return true;
    }
    value = QString(units, Qt::Uninitialized);
    qFromBigEndian<char16_t>(at, units, value.data());
    return true;
}

void StreamWriter::writeU16(quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    m_out.append(bytes, 2);
}

void StreamWriter::writeU32(quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    m_out.append(bytes, 4);
}

void StreamWriter::writeString(const QString &value)
{
    if (value.isNull()) {
        writeU32(0xFFFFFFFFu);
        return;
    }
    const qsizetype units = value.size();
    writeU32(quint32(units * 2));
    const qsizetype at = m_out.size();
    m_out.resize(at + units * 2);
    qToBigEndian<char16_t>(value.constData(), units, m_out.data() + at);
}
