#include "jsonio.h"

#include "tooltext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>

const char CraftingJsonFormat[] = "smeltwork-data";
const char HelpJsonFormat[] = "smeltwork-help";

namespace {

// ---- Writing ------------------------------------------------------------------------
// Written by hand rather than through QJsonDocument: fields keep the file's order, and a
// requirement stays on one line, so an exported tree diffs like the data it holds.

bool isWellFormedUtf16(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

void appendString(QByteArray &out, const QString &text)
{
    if (text.isNull()) {
        out += "null";
        return;
    }
    if (!isWellFormedUtf16(text)) {
        out += "{\"utf16\": [";
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i)
                out += ", ";
            out += QByteArray::number(text.at(i).unicode());
        }
        out += "]}";
        return;
    }
    out += '"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        switch (u) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += QByteArray::number(u, 16).rightJustified(2, '0');
            } else if (u < 0x80) {
                out += char(u);
            } else if (QChar::isHighSurrogate(u)) {
                out += QStringView(text).mid(i, 2).toUtf8(); // well-formed: a pair
                ++i;
            } else {
                out += QStringView(text).mid(i, 1).toUtf8();
            }
        }
    }
    out += '"';
}

template <typename Record> QByteArray jsonList(const QList<Record> &records)
{
    QByteArray out = "[";
    for (qsizetype i = 0; i < records.size(); ++i)
        out += (i ? ", " : "") + jsonRecord(records.at(i));
    return out + ']';
}

QByteArray craftingJson(const CraftingData &groups)
{
    QByteArray out;
    out += "{\n    \"format\": \"";
    out += CraftingJsonFormat;
    out += "\",\n    \"groups\": [";
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const ProcGroup &g = groups.at(i);
        out += i ? ",\n" : "\n";
        out += "        {\n            \"name\": " + jsonString(g.name) + ",\n";
        out += "            \"procs\": [";
        for (qsizetype j = 0; j < g.procs.size(); ++j) {
            const Proc &p = g.procs.at(j);
            out += j ? ",\n" : "\n";
            out += "                {\n                    \"name\": " + jsonString(p.name) + ",\n";
            out += "                    \"maxQL\": " + QByteArray::number(p.maxQL) + ",\n";
            out += "                    \"minQL\": " + QByteArray::number(p.minQL) + ",\n";
            out += "                    \"reqs\": [";
            for (qsizetype k = 0; k < p.reqs.size(); ++k) {
                out += k ? ",\n" : "\n";
                out += "                        " + jsonRecord(p.reqs.at(k));
            }
            out += p.reqs.isEmpty() ? "]\n" : "\n                    ]\n";
            out += "                }";
        }
        out += g.procs.isEmpty() ? "]\n" : "\n            ]\n";
        out += "        }";
    }
    out += groups.isEmpty() ? "]\n}\n" : "\n    ]\n}\n";
    return out;
}

QByteArray helpJson(const HelpTopics &topics)
{
    QByteArray out;
    out += "{\n    \"format\": \"";
    out += HelpJsonFormat;
    out += "\",\n    \"topics\": [";
    for (qsizetype i = 0; i < topics.size(); ++i) {
        const HelpTopic &t = topics.at(i);
        out += i ? ",\n" : "\n";
        out += "        {\n            \"id\": " + jsonString(t.id) + ",\n";
        out += "            \"header\": " + jsonString(t.header) + ",\n";
        out += "            \"body\": " + jsonString(t.body) + "\n        }";
    }
    out += topics.isEmpty() ? "]\n}\n" : "\n    ]\n}\n";
    return out;
}

// ---- Reading ------------------------------------------------------------------------

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return SmeltworkTool::tr("null");
    case QJsonValue::Bool:
        return SmeltworkTool::tr("true or false");
    case QJsonValue::Double:
        return SmeltworkTool::tr("a number");
    case QJsonValue::String:
        return SmeltworkTool::tr("a string");
    case QJsonValue::Array:
        return SmeltworkTool::tr("an array");
    case QJsonValue::Object:
        return SmeltworkTool::tr("an object");
    case QJsonValue::Undefined:
        break;
    }
    return SmeltworkTool::tr("nothing");
}

// Walks the parsed document; the first offending value stops the walk and is named by
// its path.
class Importer
{
public:
    QString error;

    bool fail(const QString &path, const QString &what)
    {
        error = path + QStringLiteral(": ") + what;
        return false;
    }

    bool object(const QJsonValue &value, const QString &path, const QStringList &keys,
                QJsonObject &out)
    {
        if (!value.isObject())
            return fail(path,
                        SmeltworkTool::tr("expected an object, found %1").arg(typeName(value)));
        out = value.toObject();
        for (auto it = out.constBegin(); it != out.constEnd(); ++it) {
            if (!keys.contains(it.key()))
                return fail(path + QLatin1Char('.') + it.key(),
                            SmeltworkTool::tr("unknown key (expected %1)")
                                .arg(keys.join(QStringLiteral(", "))));
        }
        for (const QString &key : keys) {
            if (!out.contains(key))
                return fail(path, SmeltworkTool::tr("missing key \"%1\"").arg(key));
        }
        return true;
    }

    bool array(const QJsonValue &value, const QString &path, QJsonArray &out)
    {
        if (!value.isArray())
            return fail(path,
                        SmeltworkTool::tr("expected an array, found %1").arg(typeName(value)));
        out = value.toArray();
        if (out.size() > MaxListSize)
            return fail(path, SmeltworkTool::tr("%n record(s), but the file holds at most %1",
                                                nullptr, int(out.size()))
                                  .arg(MaxListSize));
        return true;
    }

    bool string(const QJsonValue &value, const QString &path, QString &out)
    {
        if (value.isNull()) {
            out = QString();
            return true;
        }
        if (value.isString()) {
            out = value.toString();
            if (out.isNull())
                out = QStringLiteral(""); // "" is empty, not null
            return true;
        }
        if (value.isObject()) {
            const QString unitsPath = path + QStringLiteral(".utf16");
            QJsonObject obj;
            QJsonArray units;
            if (!object(value, path, {QStringLiteral("utf16")}, obj) ||
                !array(obj.value(QStringLiteral("utf16")), unitsPath, units))
                return false;
            QString text(units.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < units.size(); ++i) {
                qint64 unit = 0;
                if (!integer(units.at(i), unitsPath + QStringLiteral("[%1]").arg(i), 0, 0xFFFF,
                             unit))
                    return false;
                text[i] = QChar(char16_t(unit));
            }
            out = units.isEmpty() ? QStringLiteral("") : text;
            return true;
        }
        return fail(path,
                    SmeltworkTool::tr("expected a string or null, found %1").arg(typeName(value)));
    }

    bool integer(const QJsonValue &value, const QString &path, qint64 min, qint64 max, qint64 &out)
    {
        if (!value.isDouble())
            return fail(path,
                        SmeltworkTool::tr("expected a number, found %1").arg(typeName(value)));
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d))
            return fail(path, SmeltworkTool::tr("%1 is not a whole number").arg(d, 0, 'g', 17));
        if (d < double(min) || d > double(max))
            return fail(path, SmeltworkTool::tr("%1 is out of range (%2 to %3)")
                                  .arg(d, 0, 'f', 0)
                                  .arg(min)
                                  .arg(max));
        out = qint64(d);
        return true;
    }

    bool req(const QJsonValue &value, const QString &path, Req &r)
    {
        QJsonObject obj;
        qint64 type = 0, id = 0;
        if (!object(value, path,
                    {QStringLiteral("name"), QStringLiteral("multiplier"), QStringLiteral("type"),
                     QStringLiteral("id")},
                    obj) ||
            !string(obj.value(QStringLiteral("name")), path + QStringLiteral(".name"), r.name) ||
            !string(obj.value(QStringLiteral("multiplier")), path + QStringLiteral(".multiplier"),
                    r.multiplier) ||
            !integer(obj.value(QStringLiteral("type")), path + QStringLiteral(".type"), 0, 255,
                     type) ||
            !integer(obj.value(QStringLiteral("id")), path + QStringLiteral(".id"),
                     std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), id))
            return false;
        r.type = qint8(quint8(type));
        r.id = qint32(id);
        return true;
    }

    bool proc(const QJsonValue &value, const QString &path, Proc &p)
    {
        QJsonObject obj;
        QJsonArray reqs;
        qint64 maxQL = 0, minQL = 0;
        if (!object(value, path,
                    {QStringLiteral("name"), QStringLiteral("maxQL"), QStringLiteral("minQL"),
                     QStringLiteral("reqs")},
                    obj) ||
            !string(obj.value(QStringLiteral("name")), path + QStringLiteral(".name"), p.name) ||
            !integer(obj.value(QStringLiteral("maxQL")), path + QStringLiteral(".maxQL"), 0, 255,
                     maxQL) ||
            !integer(obj.value(QStringLiteral("minQL")), path + QStringLiteral(".minQL"), 0, 255,
                     minQL) ||
            !array(obj.value(QStringLiteral("reqs")), path + QStringLiteral(".reqs"), reqs))
            return false;
        p.maxQL = quint8(maxQL);
        p.minQL = quint8(minQL);
        p.reqs.resize(reqs.size());
        for (qsizetype k = 0; k < reqs.size(); ++k) {
            if (!req(reqs.at(k), path + QStringLiteral(".reqs[%1]").arg(k), p.reqs[k]))
                return false;
        }
        return true;
    }

    bool group(const QJsonValue &value, const QString &path, ProcGroup &g)
    {
        QJsonObject obj;
        QJsonArray procs;
        if (!object(value, path, {QStringLiteral("name"), QStringLiteral("procs")}, obj) ||
            !string(obj.value(QStringLiteral("name")), path + QStringLiteral(".name"), g.name) ||
            !array(obj.value(QStringLiteral("procs")), path + QStringLiteral(".procs"), procs))
            return false;
        g.procs.resize(procs.size());
        for (qsizetype j = 0; j < procs.size(); ++j) {
            if (!proc(procs.at(j), path + QStringLiteral(".procs[%1]").arg(j), g.procs[j]))
                return false;
        }
        return true;
    }

    bool topic(const QJsonValue &value, const QString &path, HelpTopic &t)
    {
        QJsonObject obj;
        return object(value, path,
                      {QStringLiteral("id"), QStringLiteral("header"), QStringLiteral("body")},
                      obj) &&
               string(obj.value(QStringLiteral("id")), path + QStringLiteral(".id"), t.id) &&
               string(obj.value(QStringLiteral("header")), path + QStringLiteral(".header"),
                      t.header) &&
               string(obj.value(QStringLiteral("body")), path + QStringLiteral(".body"), t.body);
    }

    bool document(const QJsonValue &root, SmeltFile &file)
    {
        const QString path = QStringLiteral("$");
        if (!root.isObject())
            return fail(path,
                        SmeltworkTool::tr("expected an object, found %1").arg(typeName(root)));
        const QJsonValue format = root.toObject().value(QStringLiteral("format"));
        QJsonObject obj;
        QJsonArray list;
        if (format == QLatin1String(CraftingJsonFormat)) {
            if (!object(root, path, {QStringLiteral("format"), QStringLiteral("groups")}, obj) ||
                !array(obj.value(QStringLiteral("groups")), QStringLiteral("$.groups"), list))
                return false;
            file.kind = SmeltFile::Crafting;
            file.groups.resize(list.size());
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (!group(list.at(i), QStringLiteral("$.groups[%1]").arg(i), file.groups[i]))
                    return false;
            }
            return true;
        }
        if (format == QLatin1String(HelpJsonFormat)) {
            if (!object(root, path, {QStringLiteral("format"), QStringLiteral("topics")}, obj) ||
                !array(obj.value(QStringLiteral("topics")), QStringLiteral("$.topics"), list))
                return false;
            file.kind = SmeltFile::Help;
            file.topics.resize(list.size());
            for (qsizetype i = 0; i < list.size(); ++i) {
                if (!topic(list.at(i), QStringLiteral("$.topics[%1]").arg(i), file.topics[i]))
                    return false;
            }
            return true;
        }
        return fail(QStringLiteral("$.format"),
                    SmeltworkTool::tr("expected \"%1\" or \"%2\"")
                        .arg(QLatin1String(CraftingJsonFormat), QLatin1String(HelpJsonFormat)));
    }
};

QString syntaxError(const QByteArray &json, const QJsonParseError &parse)
{
    // Qt's offset lies on or just after the character that stopped the parser: near enough.
    const qsizetype offset = qBound(qsizetype(0), qsizetype(parse.offset), json.size());
    const QByteArray before = json.left(offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = QString::fromUtf8(before.mid(before.lastIndexOf('\n') + 1)).size() + 1;
    return SmeltworkTool::tr("near line %1, column %2: %3")
        .arg(line)
        .arg(column)
        .arg(parse.errorString());
}

} // namespace

QByteArray jsonString(const QString &text)
{
    QByteArray out;
    appendString(out, text);
    return out;
}

QByteArray jsonRecord(const Req &r)
{
    return "{\"name\": " + jsonString(r.name) + ", \"multiplier\": " + jsonString(r.multiplier) +
           ", \"type\": " + QByteArray::number(quint8(r.type)) +
           ", \"id\": " + QByteArray::number(r.id) + '}';
}

QByteArray jsonRecord(const Proc &p)
{
    return "{\"name\": " + jsonString(p.name) + ", \"maxQL\": " + QByteArray::number(p.maxQL) +
           ", \"minQL\": " + QByteArray::number(p.minQL) + ", \"reqs\": " + jsonList(p.reqs) + '}';
}

QByteArray jsonRecord(const ProcGroup &g)
{
    return "{\"name\": " + jsonString(g.name) + ", \"procs\": " + jsonList(g.procs) + '}';
}

QByteArray jsonRecord(const HelpTopic &t)
{
    return "{\"id\": " + jsonString(t.id) + ", \"header\": " + jsonString(t.header) +
           ", \"body\": " + jsonString(t.body) + '}';
}

QByteArray exportJson(const SmeltFile &file)
{
    return file.kind == SmeltFile::Crafting ? craftingJson(file.groups) : helpJson(file.topics);
}

bool importJson(const QByteArray &json, SmeltFile &file, QString &error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = syntaxError(json, parse);
        return false;
    }
    Importer importer;
    SmeltFile read;
    const QJsonValue root = doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array());
    if (!importer.document(root, read)) {
        error = importer.error;
        return false;
    }
    file = std::move(read);
    return true;
}
