#include "data/dumptext.h"

#include "data/escaping.h"

namespace {

// Control and format characters, line and paragraph separators and the bidirectional
// controls (all of them format characters) would let a dump, or a diff of two, show other
// text than the file holds; so would a surrogate without its partner.
bool isHidden(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// A body line keeps its tabs; quoted, a string escapes what would end it or its line.
void appendVisible(QByteArray &out, QStringView text, bool quoted)
{
    appendEscaped(out, text, [quoted](QByteArray &out, char32_t c) {
        const char *escape = c == '\r' ? "\\r" : quoted ? cEscape(c) : nullptr;
        if (escape)
            out += escape;
        else if (c != '\t' && isHidden(c))
            out += "\\u{" + QByteArray::number(uint(c), 16).toUpper().rightJustified(4, '0') + '}';
        else
            return false;
        return true;
    });
}

void dump(QByteArray &out, const CraftingData &groups)
{
    out += "Smeltwork data file\n";
    for (const ProcGroup &g : groups) {
        out += "group " + dumpQuoted(g.name) + '\n';
        for (const Proc &p : g.procs) {
            out += "  process " + dumpQuoted(p.name) + " maxQL " + QByteArray::number(p.maxQL) +
                   " minQL " + QByteArray::number(p.minQL) + '\n';
            for (const Req &r : p.reqs) {
                out += r.type == 0   ? QByteArray("    item")
                       : r.type == 1 ? QByteArray("    skill")
                                     : "    type-" + QByteArray::number(quint8(r.type));
                out += ' ' + dumpQuoted(r.name) + " multiplier " + dumpQuoted(r.multiplier) +
                       " id " + QByteArray::number(r.id) + '\n';
            }
        }
    }
}

void dump(QByteArray &out, const HelpTopics &topics)
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
    std::visit([&out](const auto &content) { dump(out, content); }, file);
    return out;
}
