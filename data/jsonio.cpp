#include "data/jsonio.h"

#include "data/escaping.h"
#include "data/textpool.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QVarLengthArray>
#include <cmath>

namespace {

// Translation context of the JSON messages, which both the tool and the windows show.
class SmeltworkJson
{
    Q_DECLARE_TR_FUNCTIONS(SmeltworkJson)
};

const char CraftingJsonFormat[] = "smeltwork-data";
const char HelpJsonFormat[] = "smeltwork-help";

// ---- Writing ------------------------------------------------------------------------
// Written by hand rather than through QJsonDocument: fields keep the file's order, and a
// requirement stays on one line, so an exported tree diffs like the data it holds.

void appendString(QByteArray &out, const QString &text)
{
    if (text.isNull()) {
        out += "null";
        return;
    }
    if (!QStringView(text).isValidUtf16()) {
        out += "{\"utf16\": [";
        for (qsizetype i = 0; i < text.size(); ++i)
            out += (i ? ", " : "") + QByteArray::number(text.at(i).unicode());
        out += "]}";
        return;
    }
    out += '"';
    appendEscaped(out, text, [](QByteArray &out, char32_t c) {
        const char *escape = c == '\b' ? "\\b" : c == '\f' ? "\\f" : cEscape(c);
        if (escape)
            out += escape;
        else if (c < 0x20)
            out += "\\u00" + QByteArray::number(uint(c), 16).rightJustified(2, '0');
        else
            return false;
        return true;
    });
    out += '"';
}

template <typename Record> QByteArray jsonList(const QList<Record> &records)
{
    QByteArray out = "[";
    for (qsizetype i = 0; i < records.size(); ++i)
        out += (i ? ", " : "") + jsonRecord(records.at(i));
    return out + ']';
}

void write(JsonWriter &json, const Req &r)
{
    json.value(nullptr, jsonRecord(r));
}

void write(JsonWriter &json, const Proc &p)
{
    json.open('{');
    json.value("name", jsonString(p.name));
    json.value("maxQL", QByteArray::number(p.maxQL));
    json.value("minQL", QByteArray::number(p.minQL));
    json.open('[', "reqs");
    for (const Req &r : p.reqs)
        write(json, r);
    json.close();
    json.close();
}

void write(JsonWriter &json, const ProcGroup &g)
{
    json.open('{');
    json.value("name", jsonString(g.name));
    json.open('[', "procs");
    for (const Proc &p : g.procs)
        write(json, p);
    json.close();
    json.close();
}

QByteArray json(const CraftingData &groups)
{
    JsonWriter json;
    json.open('{');
    json.value("format", jsonString(QLatin1String(CraftingJsonFormat)));
    json.open('[', "groups");
    for (const ProcGroup &g : groups)
        write(json, g);
    return json.finish();
}

QByteArray json(const HelpTopics &topics)
{
    JsonWriter json;
    json.open('{');
    json.value("format", jsonString(QLatin1String(HelpJsonFormat)));
    json.open('[', "topics");
    for (const HelpTopic &t : topics) {
        json.open('{');
        json.value("id", jsonString(t.id));
        json.value("header", jsonString(t.header));
        json.value("body", jsonString(t.body));
        json.close();
    }
    return json.finish();
}

// ---- Reading ------------------------------------------------------------------------

// A value from the document as a message shows it: a long one would hide the message.
QString shortened(const QString &text)
{
    constexpr qsizetype Most = 40;
    if (text.size() <= Most)
        return text;
    const qsizetype keep = text.at(Most - 4).isHighSurrogate() ? Most - 4 : Most - 3;
    return text.left(keep) + QStringLiteral("...");
}

QString typeName(const QJsonValue &value)
{
    static const char *const names[] = {QT_TRANSLATE_NOOP("SmeltworkJson", "null"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "true or false"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "a number"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "a string"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "an array"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "an object"),
                                        QT_TRANSLATE_NOOP("SmeltworkJson", "nothing")};
    return SmeltworkJson::tr(names[value.isUndefined() ? 6 : value.type()]); // in Type's order
}

// As short as it reads back the same: 1e300 rather than 301 digits.
QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// Walks the parsed document; the first offending value stops the walk and is named by
// its path.
class Importer
{
public:
    QString error;

    // Records of one level, as a paste takes them: a record, a list of records, or a whole
    // export of a data file (with or without its "format").
    bool records(const QJsonDocument &doc, JsonRecords &out)
    {
        QJsonValue value = doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
        QString path = QStringLiteral("$");
        if (doc.object().contains(QStringLiteral("format"))) {
            SmeltFile file;
            if (!document(doc.object(), file))
                return false;
            if (const auto *groups = std::get_if<CraftingData>(&file))
                out.groups = *groups;
            return !out.groups.isEmpty();
        }
        if (doc.object().contains(QStringLiteral("groups"))) {
            QJsonObject o;
            if (!object(value, path, {QStringLiteral("groups")}, o))
                return false;
            value = o.value(QStringLiteral("groups"));
            path += QStringLiteral(".groups");
        }
        // The level is the first record's; the rest must be of the same.
        const QJsonArray items = value.toArray();
        if (value.isArray() && items.isEmpty())
            return false;
        const QJsonObject first = (value.isArray() ? items.first() : value).toObject();
        const auto has = [&first](const char *key) { return first.contains(QLatin1String(key)); };
        if (has("procs"))
            return recordOrList(value, path, out.groups);
        if (has("reqs"))
            return recordOrList(value, path, out.procs);
        if (has("multiplier"))
            return recordOrList(value, path, out.reqs);
        return false;
    }

    bool document(const QJsonObject &root, SmeltFile &file)
    {
        const QJsonValue format = root.value(QStringLiteral("format"));
        if (format == QLatin1String(CraftingJsonFormat))
            return top(root, "groups", file.emplace<CraftingData>());
        if (format == QLatin1String(HelpJsonFormat))
            return top(root, "topics", file.emplace<HelpTopics>());
        return fail(QStringLiteral("$.format"),
                    SmeltworkJson::tr("expected \"%1\" or \"%2\", found %3")
                        .arg(QLatin1String(CraftingJsonFormat), QLatin1String(HelpJsonFormat),
                             format.isString() ? u'"' + shortened(format.toString()) + u'"'
                                               : typeName(format)));
    }

private:
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
                        SmeltworkJson::tr("expected an object, found %1").arg(typeName(value)));
        out = value.toObject();
        for (auto it = out.constBegin(); it != out.constEnd(); ++it) {
            if (!keys.contains(it.key()))
                return fail(path + u'.' + shortened(it.key()),
                            SmeltworkJson::tr("unknown key (expected %1)")
                                .arg(keys.join(QStringLiteral(", "))));
        }
        for (const QString &key : keys) {
            if (!out.contains(key))
                return fail(path, SmeltworkJson::tr("missing key \"%1\"").arg(key));
        }
        return true;
    }

    bool array(const QJsonValue &value, const QString &path, QJsonArray &out)
    {
        if (!value.isArray())
            return fail(path,
                        SmeltworkJson::tr("expected an array, found %1").arg(typeName(value)));
        out = value.toArray();
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
                    SmeltworkJson::tr("expected a string or null, found %1").arg(typeName(value)));
    }

    bool integer(const QJsonValue &value, const QString &path, qint64 min, qint64 max, qint64 &out)
    {
        if (!value.isDouble())
            return fail(path,
                        SmeltworkJson::tr("expected a number, found %1").arg(typeName(value)));
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d))
            return fail(path, SmeltworkJson::tr("%1 is not a whole number").arg(number(d)));
        if (d < double(min) || d > double(max))
            return fail(path, SmeltworkJson::tr("%1 is out of range (%2 to %3)")
                                  .arg(number(d))
                                  .arg(min)
                                  .arg(max));
        out = qint64(d);
        return true;
    }

    template <typename Record>
    bool list(const QJsonValue &value, const QString &path, QList<Record> &out)
    {
        QJsonArray records;
        if (!array(value, path, records))
            return false;
        // The file counts the records of a list in 16 bits; a string's code units are not
        // records and have no such bound.
        if (records.size() > MaxListSize)
            return fail(path, SmeltworkJson::tr("%n record(s), but the file holds at most %1",
                                                nullptr, int(records.size()))
                                  .arg(MaxListSize));
        out.resize(records.size());
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (!read(records.at(i), path + QStringLiteral("[%1]").arg(i), out[i]))
                return false;
        }
        return true;
    }

    template <typename Record>
    bool recordOrList(const QJsonValue &value, const QString &path, QList<Record> &out)
    {
        if (value.isArray())
            return list(value, path, out);
        out.resize(1);
        return read(value, path, out.first());
    }

    // The member `key` of a record's object `o`, at `path`. Equal texts share one string, as
    // a loaded file's do.
    bool field(const QJsonObject &o, const QString &path, const char *key, QString &out)
    {
        if (!string(o.value(QLatin1String(key)), path + u'.' + QLatin1String(key), out))
            return false;
        out = m_texts.shared(out);
        return true;
    }
    bool field(const QJsonObject &o, const QString &path, const char *key, qint64 min, qint64 max,
               qint64 &out)
    {
        return integer(o.value(QLatin1String(key)), path + u'.' + QLatin1String(key), min, max,
                       out);
    }
    template <typename Record>
    bool field(const QJsonObject &o, const QString &path, const char *key, QList<Record> &out)
    {
        return list(o.value(QLatin1String(key)), path + u'.' + QLatin1String(key), out);
    }

    bool read(const QJsonValue &value, const QString &path, Req &r)
    {
        QJsonObject o;
        qint64 type = 0, id = 0;
        if (!object(value, path, {"name", "multiplier", "type", "id"}, o) ||
            !field(o, path, "name", r.name) || !field(o, path, "multiplier", r.multiplier) ||
            !field(o, path, "type", 0, 255, type) ||
            !field(o, path, "id", std::numeric_limits<qint32>::min(),
                   std::numeric_limits<qint32>::max(), id))
            return false;
        r.type = qint8(quint8(type));
        r.id = qint32(id);
        return true;
    }

    bool read(const QJsonValue &value, const QString &path, Proc &p)
    {
        QJsonObject o;
        qint64 maxQL = 0, minQL = 0;
        if (!object(value, path, {"name", "maxQL", "minQL", "reqs"}, o) ||
            !field(o, path, "name", p.name) || !field(o, path, "maxQL", 0, 255, maxQL) ||
            !field(o, path, "minQL", 0, 255, minQL) || !field(o, path, "reqs", p.reqs))
            return false;
        p.maxQL = quint8(maxQL);
        p.minQL = quint8(minQL);
        return true;
    }

    bool read(const QJsonValue &value, const QString &path, ProcGroup &g)
    {
        QJsonObject o;
        return object(value, path, {"name", "procs"}, o) && field(o, path, "name", g.name) &&
               field(o, path, "procs", g.procs);
    }

    bool read(const QJsonValue &value, const QString &path, HelpTopic &t)
    {
        QJsonObject o;
        return object(value, path, {"id", "header", "body"}, o) && field(o, path, "id", t.id) &&
               field(o, path, "header", t.header) && field(o, path, "body", t.body);
    }

    template <typename Record>
    bool top(const QJsonObject &root, const char *key, QList<Record> &out)
    {
        QJsonObject o;
        return object(root, QStringLiteral("$"), {"format", key}, o) &&
               field(o, QStringLiteral("$"), key, out);
    }

    TextPool m_texts;
};

// QJsonDocument keeps the last of two equal keys in an object; the import refuses them
// instead. Returns the path of the first key that repeats in its object, or an empty string.
// Runs on a document the parser took, so it checks nothing else, and compares keys as UTF-8
// so that a document of a million records is not decoded twice.
QString repeatedKey(const QByteArray &json)
{
    struct Open
    {
        bool list = false;
        qsizetype index = 0;                     // of the element, in a list
        bool atKey = true;                       // in an object, where the next string is a key
        QVarLengthArray<QByteArrayView, 8> keys; // in an object; the last is the member's
    };
    QList<Open> open;
    QByteArrayList unescaped; // holds the keys that were written with escapes
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json.at(i);
        if (c == '{' || c == '[') {
            open.append(Open{c == '[', 0, true, {}});
        } else if (c == '}' || c == ']') {
            open.removeLast();
        } else if (c == ',') {
            ++open.last().index;
            open.last().atKey = true;
        } else if (c == '"') {
            const qsizetype start = i;
            bool escaped = false;
            for (++i; json.at(i) != '"'; ++i) {
                if (json.at(i) == '\\') {
                    escaped = true;
                    ++i;
                }
            }
            Open &here = open.last();
            if (here.list || !here.atKey)
                continue;
            here.atKey = false;
            QByteArrayView key = QByteArrayView(json).sliced(start + 1, i - start - 1);
            if (escaped) {
                const QByteArray quoted = '[' + json.mid(start, i + 1 - start) + ']';
                unescaped.append(QJsonDocument::fromJson(quoted).array().at(0).toString().toUtf8());
                key = unescaped.last();
            }
            const bool repeated = here.keys.contains(key);
            here.keys.append(key);
            if (!repeated)
                continue;
            QString path = QStringLiteral("$");
            for (const Open &o : std::as_const(open)) {
                path += o.list ? u'[' + QString::number(o.index) + u']'
                               : u'.' + shortened(QString::fromUtf8(o.keys.last()));
            }
            return path;
        }
    }
    return QString();
}

// Where a syntax error is, as an editor counts: lines from 1, characters from 1.
QString position(const QByteArray &json, qsizetype offset)
{
    const qsizetype lineStart = json.lastIndexOf('\n', offset - 1) + 1;
    qsizetype column = 1;
    for (qsizetype i = lineStart; i < offset; ++i)
        column += (uchar(json.at(i)) & 0xC0) != 0x80; // UTF-8 continuation bytes add none
    return SmeltworkJson::tr("line %1, column %2")
        .arg(json.left(offset).count('\n') + 1)
        .arg(column);
}

// The first syntax error of a document, found again after Qt's parser refused it: Qt says
// where it gave up rather than what was wrong ("unterminated object" for a doubled comma). It
// takes what Qt takes (control characters and any escape in strings, ".5"), so the error it
// finds is the one Qt stopped at.
class SyntaxScan
{
public:
    explicit SyntaxScan(const QByteArray &json) : m_json(json) {}

    // "line 3, column 14: expected a value, found ","", or an empty text when it finds none.
    QString firstError()
    {
        QByteArray open; // '{' and '[' of the containers the scan is in, innermost last
        enum { Value, ValueOrClose, KeyOrClose, Key, Colon, CommaOrClose, End } expect = Value;
        const auto afterValue = [&] { return open.isEmpty() ? End : CommaOrClose; };
        for (;;) {
            while (QByteArrayView(" \t\n\r").contains(at(m_at)) && at(m_at))
                ++m_at;
            const char c = at(m_at);
            switch (expect) {
            case Value:
            case ValueOrClose:
                if (expect == ValueOrClose && c == ']') {
                    open.chop(1), ++m_at, expect = afterValue();
                } else if (c == '{' || c == '[') {
                    open += c, ++m_at, expect = c == '{' ? KeyOrClose : ValueOrClose;
                } else if (!scalar()) {
                    return m_error.isEmpty()
                               ? failed(expect == Value ? SmeltworkJson::tr("a value")
                                                        : SmeltworkJson::tr("a value or \"]\""))
                               : m_error;
                } else {
                    expect = afterValue();
                }
                break;
            case KeyOrClose:
            case Key:
                if (expect == KeyOrClose && c == '}')
                    open.chop(1), ++m_at, expect = afterValue();
                else if (c == '"' && string())
                    expect = Colon;
                else
                    return m_error.isEmpty()
                               ? failed(expect == Key
                                            ? SmeltworkJson::tr("a key in quotes")
                                            : SmeltworkJson::tr("a key in quotes or \"}\""))
                               : m_error;
                break;
            case Colon:
                if (c != ':')
                    return failed(QStringLiteral("\":\""));
                ++m_at, expect = Value;
                break;
            case CommaOrClose:
                if (c == ',')
                    ++m_at, expect = open.endsWith('{') ? Key : Value;
                else if (c == (open.endsWith('{') ? '}' : ']'))
                    open.chop(1), ++m_at, expect = afterValue();
                else
                    return failed(open.endsWith('{') ? QStringLiteral("\",\" or \"}\"")
                                                     : QStringLiteral("\",\" or \"]\""));
                break;
            case End:
                return m_at < m_json.size() ? failed(SmeltworkJson::tr("the end of the text"))
                                            : QString();
            }
        }
    }

private:
    QString failed(const QString &expected) const { return failed(expected, m_at); }
    QString failed(const QString &expected, qsizetype at) const
    {
        return SmeltworkJson::tr("%1: expected %2, found %3")
            .arg(position(m_json, at), expected, found(at));
    }

    // What stands at `at`: a word or number whole ("tru", "1e"), a control character by its
    // code, anything else as the one character it is.
    QString found(qsizetype at) const
    {
        if (at >= m_json.size())
            return SmeltworkJson::tr("the end of the text");
        qsizetype end = at;
        while (isalnum(uchar(this->at(end))) || QByteArrayView(".+-").contains(this->at(end)))
            ++end;
        if (end > at)
            return u'"' + QString::fromLatin1(m_json.mid(at, end - at)) + u'"';
        const uchar c = uchar(m_json.at(at));
        if (c < 0x20 || c == 0x7F)
            return QStringLiteral("U+%1").arg(c, 4, 16, QLatin1Char('0')).toUpper();
        const QString text = QString::fromUtf8(m_json.mid(at, 4));
        return u'"' + text.left(text.at(0).isHighSurrogate() ? 2 : 1) + u'"';
    }

    // A string, number or literal at m_at, passed over; false where none stands there, or one
    // is broken (then with m_error).
    bool scalar()
    {
        const char c = at(m_at);
        if (c == '"')
            return string();
        for (const char *literal : {"true", "false", "null"}) {
            if (QByteArrayView(m_json).sliced(m_at).startsWith(literal)) {
                m_at += qsizetype(qstrlen(literal));
                return true;
            }
        }
        if (c != '-' && c != '.' && !(c >= '0' && c <= '9'))
            return false;
        // As Qt reads one: a sign, one 0 or digits, a fraction, an exponent.
        const qsizetype start = m_at;
        const auto digits = [this] {
            while (isdigit(uchar(at(m_at))))
                ++m_at;
        };
        m_at += c == '-';
        if (at(m_at) == '0')
            ++m_at;
        else
            digits();
        if (at(m_at) == '.')
            ++m_at, digits();
        if (at(m_at) == 'e' || at(m_at) == 'E') {
            ++m_at;
            m_at += at(m_at) == '+' || at(m_at) == '-';
            digits();
        }
        bool ok = false;
        m_json.mid(start, m_at - start).toDouble(&ok);
        m_at = ok ? m_at : start;
        return ok;
    }

    bool string()
    {
        const qsizetype start = m_at++;
        for (; m_at < m_json.size() && m_json.at(m_at) != '"'; ++m_at) {
            if (m_json.at(m_at) != '\\')
                continue;
            if (at(++m_at) == 'u') {
                for (int i = 1; i <= 4; ++i) {
                    if (!isxdigit(uchar(at(m_at + i)))) {
                        m_error = failed(SmeltworkJson::tr("four hexadecimal digits after \\u"),
                                         m_at + i);
                        return false;
                    }
                }
                m_at += 4;
            }
        }
        if (m_at >= m_json.size()) {
            m_error = position(m_json, start) + QStringLiteral(": ") +
                      SmeltworkJson::tr("the string that begins here never ends");
            return false;
        }
        if (!QByteArrayView(m_json).sliced(start, m_at - start).isValidUtf8()) {
            m_error = position(m_json, start) + QStringLiteral(": ") +
                      SmeltworkJson::tr("the string that begins here is not UTF-8");
            return false;
        }
        ++m_at;
        return true;
    }

    char at(qsizetype i) const { return i < m_json.size() ? m_json.at(i) : '\0'; }

    const QByteArray &m_json;
    qsizetype m_at = 0;
    QString m_error; // of a broken string or escape
};

QString syntaxError(const QByteArray &json, const QJsonParseError &parse)
{
    // QJsonDocument takes an object or an array only; say what else the document holds.
    const QJsonArray wrapped = QJsonDocument::fromJson('[' + json + ']').array();
    if (wrapped.size() == 1)
        return QStringLiteral("$: ") +
               SmeltworkJson::tr("expected an object, found %1").arg(typeName(wrapped.at(0)));
    const QString error = SyntaxScan(json).firstError();
    if (!error.isEmpty())
        return error;
    // What the scan does not look for, such as nesting too deep for Qt, in Qt's words.
    const qsizetype offset = qBound(qsizetype(0), qsizetype(parse.offset), json.size());
    return position(json, offset) + QStringLiteral(": ") + parse.errorString();
}

} // namespace

void JsonWriter::startItem(const char *key)
{
    if (!m_closers.isEmpty())
        m_text.append(m_empty ? "\n" : ",\n").append(4 * m_closers.size(), ' ');
    if (key)
        m_text += '"' + QByteArray(key) + "\": ";
    m_empty = false;
}

void JsonWriter::open(char bracket, const char *key)
{
    startItem(key);
    m_text += bracket;
    m_closers += bracket == '{' ? '}' : ']';
    m_empty = true;
}

void JsonWriter::value(const char *key, const QByteArray &json)
{
    startItem(key);
    m_text += json;
}

void JsonWriter::close()
{
    const char closer = m_closers.back();
    m_closers.chop(1);
    if (!m_empty)
        m_text.append('\n').append(4 * m_closers.size(), ' ');
    m_text += closer;
    m_empty = false;
}

QByteArray JsonWriter::finish()
{
    while (!m_closers.isEmpty())
        close();
    return std::move(m_text.append('\n'));
}

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
    return std::visit([](const auto &content) { return json(content); }, file);
}

bool importJson(const QByteArray &json, SmeltFile &file, QString &error)
{
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = syntaxError(json, parse);
        return false;
    }
    error = repeatedKey(json);
    if (!error.isEmpty()) {
        error += QStringLiteral(": ") + SmeltworkJson::tr("key repeats in its object");
        return false;
    }
    if (!doc.isObject()) {
        error = QStringLiteral("$: ") +
                SmeltworkJson::tr("expected an object, found %1").arg(typeName(doc.array()));
        return false;
    }
    Importer importer;
    SmeltFile read;
    if (!importer.document(doc.object(), read)) {
        error = importer.error;
        return false;
    }
    file = std::move(read);
    return true;
}

namespace {

template <typename Record> QByteArray document(const Record &record)
{
    JsonWriter json;
    write(json, record);
    return json.finish();
}

} // namespace

QByteArray jsonDocument(const Req &r)
{
    return document(r);
}

QByteArray jsonDocument(const Proc &p)
{
    return document(p);
}

QByteArray jsonDocument(const ProcGroup &g)
{
    return document(g);
}

bool readJsonRecords(const QByteArray &json, JsonRecords &records, QString &error)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    Importer importer;
    JsonRecords read;
    if (doc.isNull() || !repeatedKey(json).isEmpty() || !importer.records(doc, read)) {
        error = importer.error;
        return false;
    }
    records = std::move(read);
    return true;
}

bool operator==(const JsonRecords &a, const JsonRecords &b)
{
    return a.groups == b.groups && a.procs == b.procs && a.reqs == b.reqs;
}

QDebug operator<<(QDebug dbg, const JsonRecords &records)
{
    QDebugStateSaver saver(dbg);
    dbg.nospace() << "JsonRecords(" << records.groups << ", " << records.procs << ", "
                  << records.reqs << ')';
    return dbg;
}
