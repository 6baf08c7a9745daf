#include "codex/TomlText.h"

#include "profiles/AsciiText.h"

#include <QChar>

namespace TomlText {

namespace {

unsigned char byteAt(QByteArrayView text, qsizetype at) {
    return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
}

// The code point of the UTF-8 sequence at `at` and its length; a length of 0 when the
// bytes there are no whole sequence.
std::pair<char32_t, qsizetype> codePointAt(QByteArrayView text, qsizetype at) {
    const unsigned char lead = byteAt(text, at);
    const qsizetype length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (qsizetype i = 1; i < length; ++i) {
        const unsigned char next = byteAt(text, at + i);
        if ((next & 0xC0) != 0x80)
            return {0, 0};
        code = (code << 6) | (next & 0x3F);
    }
    return {code, length};
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The character an escape of a basic string stands for, read at `at` (just past the
// backslash); its length in bytes, 0 when it is no valid escape.
std::pair<QString, qsizetype> escapeAt(QByteArrayView value, qsizetype at) {
    const char escape = at < value.size() ? value[at] : '\0';
    const qsizetype digits = escape == 'u' ? 4 : escape == 'U' ? 8 : 0;
    if (digits > 0) {
        char32_t code = 0;
        for (qsizetype d = 1; d <= digits; ++d) {
            const int hex = at + d < value.size() ? hexValue(value[at + d]) : -1;
            if (hex < 0)
                return {{}, 0};
            code = code * 16 + char32_t(hex);
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return {{}, 0};
        return {QString::fromUcs4(&code, 1), digits + 1};
    }
    const qsizetype which = QByteArrayView("\"\\btnfr").indexOf(escape);
    if (which < 0 || escape == '\0')
        return {{}, 0};
    return {QString(QLatin1Char("\"\\\b\t\n\f\r"[which])), 1};
}

// The offset just past the statement that starts at `from` (the start of a line outside
// any multi-line value), or -1 when the text ends inside a string, array or inline table.
qsizetype statementEnd(QByteArrayView text, qsizetype from) {
    const qsizetype size = text.size();
    const auto at = [&](qsizetype i) { return i < size ? text[i] : '\0'; };
    int depth = 0;
    qsizetype i = from;
    while (i < size) {
        const char c = text[i];
        if (c == '\n') {
            ++i;
            if (depth == 0)
                return i;
        } else if (c == '#') {
            i = text.indexOf('\n', i);
            if (i < 0)
                i = size;
        } else if ((c == '"' || c == '\'') && at(i + 1) == c && at(i + 2) == c) {
            // A multi-line string ends at three quotes; up to two more belong to its text.
            for (i += 3;;) {
                if (i >= size)
                    return -1;
                if (text[i] == c) {
                    qsizetype run = 0;
                    while (at(i + run) == c)
                        ++run;
                    i += run;
                    if (run >= 3)
                        break;
                } else {
                    i += (c == '"' && text[i] == '\\') ? 2 : 1;
                }
            }
        } else if (c == '"' || c == '\'') {
            // A one-line string ends at its closing quote or, unfinished, at the line's end.
            for (++i; i < size && text[i] != '\n';) {
                const char d = text[i++];
                if (d == c)
                    break;
                if (c == '"' && d == '\\' && at(i) != '\n')
                    ++i;
            }
        } else {
            if (c == '[' || c == '{')
                ++depth;
            else if ((c == ']' || c == '}') && depth > 0)
                --depth;
            ++i;
        }
    }
    return depth == 0 ? size : -1;
}

// A key of a header, read at `at`: bare, or a basic or literal string. Its text and the
// offset just past it; nothing when none can be read there.
std::optional<std::pair<QString, qsizetype>> headerKeyAt(QByteArrayView text, qsizetype at) {
    const char quote = at < text.size() ? text[at] : '\0';
    if (quote == '"') {
        const auto string = basicStringAt(text.sliced(at));
        return string ? std::optional(std::pair(string->first, at + string->second)) : std::nullopt;
    }
    qsizetype end = at;
    if (quote == '\'') {
        end = text.indexOf('\'', at + 1);
        if (end < 0)
            return std::nullopt;
        return std::pair(QString::fromUtf8(text.sliced(at + 1, end - at - 1)), end + 1);
    }
    while (end < text.size() && AsciiText::isWordCharacter(byteAt(text, end), "_-"))
        ++end;
    if (end == at)
        return std::nullopt;
    return std::pair(QString::fromLatin1(text.sliced(at, end - at)), end);
}

} // namespace

qsizetype spaceAt(QByteArrayView text, qsizetype at) {
    const unsigned char c = byteAt(text, at);
    if (c == ' ' || c == '\t')
        return 1;
    if (c < 0x80)
        return 0;
    const auto [code, length] = codePointAt(text, at);
    return length > 0 && QChar::category(code) == QChar::Separator_Space ? length : 0;
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    while (const qsizetype space = spaceAt(text, begin))
        begin += space;
    qsizetype end = text.size();
    while (end > begin) {
        // The last character: back over the continuation bytes to its first byte.
        qsizetype last = end - 1;
        while (last > begin && (byteAt(text, last) & 0xC0) == 0x80)
            --last;
        if (spaceAt(text, last) != end - last)
            break;
        end = last;
    }
    return text.sliced(begin, end - begin);
}

QByteArrayView unquoted(QByteArrayView key) {
    if (key.size() >= 2 && (key.front() == '"' || key.front() == '\'') && key.back() == key.front())
        return key.sliced(1, key.size() - 2);
    return key;
}

bool isBareKey(QStringView key) {
    return AsciiText::isWord(key, "_-");
}

QString quoted(const QString& value) {
    QString result;
    result.reserve(value.size() + 2);
    result += QLatin1Char('"');
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            result += QLatin1Char('\\');
            result += c;
        } else if (u < 0x20 || u == 0x7F) {
            // A control character would end or break the line: TOML's escapes instead.
            const qsizetype form = QStringView(u"\b\t\n\f\r").indexOf(c);
            if (form >= 0)
                result += QLatin1Char('\\') + QLatin1Char("btnfr"[form]);
            else
                result += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        } else {
            result += c;
        }
    }
    result += QLatin1Char('"');
    return result;
}

QString keyText(const QString& key) {
    return isBareKey(key) ? key : quoted(key);
}

std::optional<QByteArrayView> keyOf(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text.front() == '#')
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    const QByteArrayView key = unquoted(trimmed(text.first(equals)));
    if (!AsciiText::isWord(key, "_"))
        return std::nullopt;
    return key;
}

bool isTableHeader(QByteArrayView line) {
    for (qsizetype at = 0; at < line.size();) {
        if (const qsizetype space = spaceAt(line, at))
            at += space;
        else
            return line[at] == '[';
    }
    return false;
}

bool isArrayHeader(QByteArrayView line) {
    return trimmed(line).startsWith("[[");
}

std::optional<QStringList> headerKeys(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    qsizetype at = isArrayHeader(text) ? 2 : 1;
    if (!text.startsWith('['))
        return std::nullopt;
    QStringList keys;
    for (;;) {
        while (const qsizetype space = spaceAt(text, at))
            at += space;
        const auto key = headerKeyAt(text, at);
        if (!key)
            return std::nullopt;
        keys << key->first;
        at = key->second;
        while (const qsizetype space = spaceAt(text, at))
            at += space;
        if (at >= text.size())
            return std::nullopt;
        if (text[at] == ']')
            return keys;
        if (text[at] != '.')
            return std::nullopt;
        ++at;
    }
}

std::optional<std::pair<QString, qsizetype>> basicStringAt(QByteArrayView value) {
    if (!value.startsWith('"') || value.startsWith("\"\"\""))
        return std::nullopt;
    QString text;
    for (qsizetype i = 1; i < value.size();) {
        const char c = value[i];
        if (c == '"')
            return std::pair(text, i + 1);
        if (c == '\n')
            return std::nullopt;
        if (c != '\\') {
            // The bytes up to the next quote, backslash or line end, as one piece.
            qsizetype end = i + 1;
            while (end < value.size() && value[end] != '"' && value[end] != '\\' &&
                   value[end] != '\n')
                ++end;
            text += QString::fromUtf8(value.sliced(i, end - i));
            i = end;
            continue;
        }
        const auto [character, length] = escapeAt(value, i + 1);
        if (length == 0)
            return std::nullopt;
        text += character;
        i += 1 + length;
    }
    return std::nullopt;
}

QByteArray dominantEnding(QByteArrayView text) {
    qsizetype lf = 0;
    qsizetype crlf = 0;
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1))
        ++(at > 0 && text[at - 1] == '\r' ? crlf : lf);
    return crlf > lf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

std::optional<Statement> Statements::next() {
    const qsizetype size = m_text.size();
    if (m_position >= size)
        return std::nullopt;
    const qsizetype begin = m_position;
    const qsizetype newline = m_text.indexOf('\n', begin);
    qsizetype end = newline < 0 ? size : newline + 1;
    if (m_multiLine) {
        const qsizetype statement = statementEnd(m_text, begin);
        if (statement < 0)
            m_multiLine = false;
        else
            end = statement;
    }
    m_position = end;

    Statement result;
    result.begin = begin;
    result.text = m_text.sliced(begin, end - begin);
    qsizetype firstEnd = newline < 0 ? size : newline;
    if (newline >= 0 && firstEnd > begin && m_text[firstEnd - 1] == '\r')
        --firstEnd;
    result.firstLine = m_text.sliced(begin, firstEnd - begin);
    if (m_text[end - 1] == '\n') {
        const bool crlf = end - 2 >= begin && m_text[end - 2] == '\r';
        result.ending = m_text.sliced(end - (crlf ? 2 : 1), crlf ? 2 : 1);
    }
    return result;
}

} // namespace TomlText
