#include "data/datastream.h"

#include "data/textpool.h"

bool StreamReader::readString(QString &value, TextPool *pool)
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
    if (pool) {
        value = pool->sharedBigEndian(at, units);
        return true;
    }
    if (units == 0) {
        value = QStringLiteral(""); // empty, not null
        return true;
    }
    value = QString(units, Qt::Uninitialized);
    qFromBigEndian<char16_t>(at, units, value.data());
    return true;
}

void StreamWriter::writeString(const QString &value)
{
    if (value.isNull()) {
        writeU32(0xFFFFFFFFu);
        return;
    }
    const qsizetype units = value.size();
    char *at = grow(4 + units * 2);
    qToBigEndian(quint32(units * 2), at);
    qToBigEndian<char16_t>(value.constData(), units, at + 4);
}
