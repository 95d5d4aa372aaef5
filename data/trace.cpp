#include "trace.h"

#include <QLoggingCategory>

QByteArray traceText(const QString &text)
{
    // Filled through a pointer and cut to length once: the trace converts two names per
    // requirement, and append() per character cost more than the conversion itself.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *at = out.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            *at++ = char(u);
        } else if (u < 0x100) {
            *at++ = char(0xC0 | (u >> 6));
            *at++ = char(0x80 | (u & 0x3F));
        } else {
            *at++ = '?';
        }
    }
    out.truncate(at - out.constData());
    return out;
}

bool traceEnabled()
{
    const QLoggingCategory *category = QLoggingCategory::defaultCategory();
    return category && category->isDebugEnabled();
}
