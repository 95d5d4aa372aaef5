#pragma once

#include "data/fileio.h"
#include "data/records.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

class QDebug;
class QIODevice;

// One help topic of the planner. The body is rich text with simple HTML-like tags.
struct HelpTopic
{
    QString id;
    QString header;
    QString body; // null until a body is first written
};

using HelpTopics = QList<HelpTopic>;

constexpr quint32 HelpMagic = 0xE9A7143D;
// The file counts topics in 16 bits.
constexpr qsizetype MaxHelpTopics = 0xFFFF;

bool operator==(const HelpTopic &a, const HelpTopic &b);
inline bool operator!=(const HelpTopic &a, const HelpTopic &b)
{
    return !(a == b);
}
QDebug operator<<(QDebug dbg, const HelpTopic &topic);

// Appends the topics held in `bytes` (a whole help file) to `topics`, printing the load
// trace; the report says whether the file was whole, and what was kept.
FileReport readHelpTopics(QByteArrayView bytes, HelpTopics &topics);
// Writes all topics to `device`, after the save trace's first line unless `traced` is false.
// Returns false when the device did not take every byte.
bool writeHelpTopics(QIODevice &device, const HelpTopics &topics, bool traced = true);

// The number an id starts with: the longest leading part that reads as a decimal number
// (leading white space, a sign, digits with at most one point, an exponent), read the same
// way in every locale. Hexadecimal, "inf" and "nan" are not numbers here; an id that does
// not start with a number is 0. A number too large for a double is an infinity.
double topicIdValue(QStringView id);

// An id's number split the way the topic tree uses it: a topic with a positive fraction is
// a sub-topic.
struct TopicIdNumber
{
    double value = 0;
    int whole = 0;       // truncated toward zero and held within the 32-bit range
    double fraction = 0; // value minus its own whole part, so a huge id is never a sub-topic
                         // by accident; an infinite value has none
};
TopicIdNumber splitTopicId(QStringView id);
