#include "dumptext.h"

namespace {

void appendEscaped(QByteArray &out, char16_t u)
{
    out += "\\u{" + QByteArray::number(u, 16).toUpper().rightJustified(4, '0') + "}";
}

// Characters that would break the line structure or hide in a terminal are escaped, and
// so is a surrogate that has no partner (it has no UTF-8 form).
void appendVisible(QByteArray &out, QStringView text, bool quoted)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (quoted && u == '"') {
            out += "\\\"";
        } else if (quoted && u == '\\') {
            out += "\\\\";
        } else if (quoted && u == '\n') {
            out += "\\n";
        } else if (quoted && u == '\t') {
            out += "\\t";
        } else if (u == '\r') {
            out += "\\r";
        } else if ((u < 0x20 && u != '\t') || u == 0x7F) {
            appendEscaped(out, u);
        } else if (u < 0x80) {
            out += char(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                   QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            out += text.mid(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(u)) {
            appendEscaped(out, u);
        } else {
            out += text.mid(i, 1).toUtf8();
        }
    }
}

const char *requirementKind(qint8 type)
{
    switch (type) {
    case 0:
        return "item";
    case 1:
        return "skill";
    default:
        return nullptr;
    }
}

void dumpCrafting(QByteArray &out, const CraftingData &groups)
{
    out += "Smeltwork data file\n";
    for (const ProcGroup &g : groups) {
        out += "group " + dumpQuoted(g.name) + '\n';
        for (const Proc &p : g.procs) {
            out += "  process " + dumpQuoted(p.name) + " maxQL " + QByteArray::number(p.maxQL) +
                   " minQL " + QByteArray::number(p.minQL) + '\n';
            for (const Req &r : p.reqs) {
                out += "    ";
                if (const char *kind = requirementKind(r.type))
                    out += kind;
                else
                    out += "type-" + QByteArray::number(quint8(r.type));
                out += ' ' + dumpQuoted(r.name) + " multiplier " + dumpQuoted(r.multiplier) +
                       " id " + QByteArray::number(r.id) + '\n';
            }
        }
    }
}

void dumpHelp(QByteArray &out, const HelpTopics &topics)
{
    out += "Smeltwork help file\n";
    for (const HelpTopic &t : topics) {
        out += "topic " + dumpQuoted(t.id) + " header " + dumpQuoted(t.header) + '\n';
        if (t.body.isEmpty()) {
            out += "  body " + dumpQuoted(t.body) + '\n';
            continue;
        }
        // A body is shown line by line, so that an edit to one line shows as that line.
        out += "  body\n";
        for (const QStringView line : QStringView(t.body).split(u'\n')) {
            out += "    |";
            if (!line.isEmpty())
                out += ' ';
            appendVisible(out, line, false);
            out += '\n';
        }
    }
}

} // namespace

QByteArray dumpQuoted(const QString &text)
{
    if (text.isNull())
        return QByteArrayLiteral("null");
    QByteArray out = "\"";
    appendVisible(out, text, true);
    out += '"';
    return out;
}

QByteArray dumpText(const SmeltFile &file)
{
    QByteArray out;
    if (file.kind == SmeltFile::Crafting)
        dumpCrafting(out, file.groups);
    else
        dumpHelp(out, file.topics);
    return out;
}
