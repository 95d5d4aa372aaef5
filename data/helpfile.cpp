#include "data/helpfile.h"

#include "data/datastream.h"
#include "data/trace.h"

#include <QDebug>
#include <QIODevice>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

bool operator==(const HelpTopic &a, const HelpTopic &b)
{
    return sameText(a.id, b.id) && sameText(a.header, b.header) && sameText(a.body, b.body);
}

QDebug operator<<(QDebug dbg, const HelpTopic &topic)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "HelpTopic(";
    printText(dbg, topic.id);
    dbg << ", ";
    printText(dbg, topic.header);
    dbg << ", ";
    printText(dbg, topic.body);
    dbg << ')';
    return dbg;
}

FileReport readHelpTopics(QByteArrayView bytes, HelpTopics &topics)
{
    FileReport report;
    StreamReader in(bytes);
    quint32 magic = 0;
    if (!in.readU32(magic) || magic != HelpMagic) {
        report.status = LoadStatus::BadMagic;
        return report;
    }

    const Tracer trace;
    quint16 count = 0;
    bool intact = in.readU16(count);
    if (intact && trace.on())
        trace.line("Topics: ", int(count));
    for (int i = 0; intact && i < count; ++i) {
        HelpTopic topic;
        intact =
            in.readString(topic.id) && in.readString(topic.header) && in.readString(topic.body);
        if (!intact)
            break;
        if (trace.on())
            trace.line(" * Topic #", i, ": ", topic.id, "> \"", topic.header,
                       "\" (not displaying body...)");
        topics.append(std::move(topic));
        ++report.topics;
    }

    if (!intact) {
        report.status = LoadStatus::Damaged;
        report.damagedAt = in.position();
        return report;
    }
    if (trace.on())
        trace.line("Finished loading help file");
    report.status = LoadStatus::Loaded;
    report.trailing = in.remaining();
    return report;
}

bool writeHelpTopics(QIODevice &device, const HelpTopics &topics, bool traced)
{
    // The count field would wrap and the file would read back as a different list.
    if (topics.size() > MaxHelpTopics)
        return false;
    if (traced)
        traceLine("Saving help file...");
    QByteArray bytes;
    StreamWriter out(bytes);
    out.writeU32(HelpMagic);
    out.writeU16(quint16(topics.size()));
    for (const HelpTopic &topic : topics) {
        out.writeString(topic.id);
        out.writeString(topic.header);
        out.writeString(topic.body);
    }
    return device.write(bytes) == bytes.size();
}

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

qsizetype skipSign(QStringView text, qsizetype at)
{
    return at < text.size() && (text[at] == u'+' || text[at] == u'-') ? at + 1 : at;
}

} // namespace

double topicIdValue(QStringView id)
{
    qsizetype start = 0;
    while (start < id.size() && id[start].isSpace())
        ++start;

    const qsizetype intStart = skipSign(id, start);
    const qsizetype intEnd = skipDigits(id, intStart);
    qsizetype end = intEnd;
    bool digits = intEnd > intStart;
    if (end < id.size() && id[end] == u'.') {
        const qsizetype fracEnd = skipDigits(id, end + 1);
        digits = digits || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!digits)
        return 0;
    // An exponent counts only when it has digits: "2e" is the number 2 followed by text.
    if (end < id.size() && (id[end] == u'e' || id[end] == u'E')) {
        const qsizetype expDigits = skipSign(id, end + 1);
        const qsizetype expEnd = skipDigits(id, expDigits);
        if (expEnd > expDigits)
            end = expEnd;
    }

    // The part is plain ASCII by now; the C locale reads it without a group separator or a
    // decimal comma. Overflow comes back as an infinity, underflow as 0.
    return QLocale::c().toDouble(id.mid(start, end - start));
}

TopicIdNumber splitTopicId(QStringView id)
{
    TopicIdNumber number;
    number.value = topicIdValue(id);
    if (!std::isfinite(number.value)) {
        number.whole =
            number.value > 0 ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
        return number;
    }
    const double whole = std::trunc(number.value);
    number.fraction = number.value - whole;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    number.whole = int(std::clamp(whole, lowest, highest));
    return number;
}
