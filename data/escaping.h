#pragma once

#include <QByteArray>
#include <QStringView>

// Appends `text` as UTF-8, one code point at a time, except where `escape(out, c)` appends
// a form of its own for the code point `c` and returns true. The dump and the JSON differ
// only in what they escape. A surrogate without its partner reaches `escape` alone: UTF-8
// has no form for it.
template <typename Escape> void appendEscaped(QByteArray &out, QStringView text, Escape escape)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype start = i;
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text.at(++i).unicode());
        if (escape(out, c))
            continue;
        if (c < 0x80)
            out += char(c);
        else
            out += text.mid(start, i + 1 - start).toUtf8();
    }
}

// The C-style escape of a quote, a backslash, a line feed, a carriage return or a tab, which
// a JSON string and a dumped one share; null for any other character.
inline const char *cEscape(char32_t c)
{
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        return nullptr;
    }
}
