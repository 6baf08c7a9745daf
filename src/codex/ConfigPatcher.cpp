#include "codex/ConfigPatcher.h"

#include "codex/Toml.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"

#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QStringView>

#include <array>
#include <sstream>
#include <string_view>

// config.toml is patched as text, statement by statement: only the statements before the
// first table header (the top-level region) are rewritten, and the Velqor provider table,
// when it is needed and missing, is appended at the end. Every other line stays as it was.
// A statement is one line, or several when a multi-line string, array or inline table
// runs on; lines inside those are never taken for keys or headers.
//
// When the file is valid TOML, it is also read with a TOML parser: to find the provider
// table in any of its forms, and to check the new text before it is written (it must parse,
// hold what the profile asks and keep every other value). A file that does not parse is
// handled by the line rules alone.

namespace {

const QLatin1String modelProviderKey("model_provider");
const QLatin1String modelKey("model");
const QLatin1String modelReasoningEffortKey("model_reasoning_effort");
const QLatin1String preferredAuthMethodKey("preferred_auth_method");
const QLatin1String disableResponseStorageKey("disable_response_storage");
const QLatin1String providersKey("model_providers");
const QLatin1String wireApiKey("wire_api");
const QLatin1String requiresOpenAIAuthKey("requires_openai_auth");
const QLatin1String velqorProvider("velqor");

// Providers Codex knows without a model_providers table.
const std::array<QLatin1String, 4> builtInProviders{QLatin1String("openai"), QLatin1String("oss"),
                                                    QLatin1String("ollama"),
                                                    QLatin1String("lmstudio")};

const QByteArray utf8Bom("\xEF\xBB\xBF");

struct Assignment {
    QLatin1String key;
    std::optional<QString> value; // the raw value to write; absent: the key must go
};

using Assignments = std::array<Assignment, 5>;

QString trimmedProvider(const Profile& profile) {
    return profile.modelProvider ? profile.modelProvider->trimmed() : QString();
}

// The managed keys, in the order in which missing ones are inserted (and checked).
Assignments assignments(const Profile& profile) {
    const QString provider = trimmedProvider(profile);
    return {{
        {modelProviderKey, provider.isEmpty() ? std::nullopt : std::optional<QString>(provider)},
        {modelKey, profile.model},
        {modelReasoningEffortKey, profile.modelReasoningEffort},
        {preferredAuthMethodKey, std::nullopt},
        {disableResponseStorageKey, std::nullopt},
    }};
}

const Assignment* assignmentFor(const Assignments& all, QStringView key) {
    for (const Assignment& assignment : all) {
        if (key == assignment.key)
            return &assignment;
    }
    return nullptr;
}

QString writtenLine(const Assignment& assignment) {
    return assignment.key + QStringLiteral(" = ") + ConfigPatcher::quoted(*assignment.value);
}

// The provider whose model_providers table Codex needs; empty when it needs none.
QString providerNeedingTable(const Profile& profile) {
    const QString provider = trimmedProvider(profile);
    for (QLatin1String builtIn : builtInProviders) {
        if (provider == builtIn)
            return QString();
    }
    return provider;
}

bool isBareKey(QStringView key) {
    if (key.isEmpty())
        return false;
    for (QChar c : key) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
              u == u'_' || u == u'-'))
            return false;
    }
    return true;
}

// A key as TOML writes it: bare when it can be, quoted otherwise.
QString keyText(const QString& key) {
    return isBareKey(key) ? key : ConfigPatcher::quoted(key);
}

QString providerTableName(const QString& provider) {
    return providersKey + QLatin1Char('.') + keyText(provider);
}

// --- Lines and statements ------------------------------------------------------------------

// Space, tab and the other Unicode space separators; line breaks are not included.
bool isHorizontalSpace(QChar c) {
    const char16_t u = c.unicode();
    if (u == u' ' || u == u'\t')
        return true;
    return u >= 0x80 && c.category() == QChar::Separator_Space;
}

QStringView trimmedHorizontally(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHorizontalSpace(text[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QStringView unquoted(QStringView key) {
    if (key.size() >= 2 && (key.front() == u'"' || key.front() == u'\'') &&
        key.back() == key.front())
        return key.sliced(1, key.size() - 2);
    return key;
}

// The key of a key/value line: letters, digits and "_" only, bare or in quotes. Dotted
// keys, keys with "-" or with escapes are never managed, so they are not recognised.
std::optional<QStringView> keyOf(QStringView line) {
    const QStringView text = trimmedHorizontally(line);
    if (text.isEmpty() || text.front() == u'#')
        return std::nullopt;
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringView key = unquoted(trimmedHorizontally(text.first(equals)));
    if (key.isEmpty() || key.contains(u'-') || !isBareKey(key))
        return std::nullopt;
    return key;
}

bool isTableHeader(QStringView line) {
    for (QChar c : line) {
        if (!isHorizontalSpace(c))
            return c == u'[';
    }
    return false;
}

// Whether a header line opens the table `[model_providers.<provider>]`.
bool isProviderHeader(QStringView line, const QString& provider) {
    const QStringView text = trimmedHorizontally(line);
    if (text.startsWith(QLatin1String("[[")))
        return false;
    const qsizetype close = text.indexOf(u']');
    if (close < 0)
        return false;
    const QList<QStringView> parts = text.sliced(1, close - 1).split(u'.');
    return parts.size() == 2 && unquoted(trimmedHorizontally(parts[0])) == providersKey &&
           unquoted(trimmedHorizontally(parts[1])) == provider;
}

// The line ending most lines of the text use; "\n" when it has none.
QString dominantEnding(QStringView text) {
    qsizetype lf = 0;
    qsizetype crlf = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        ++(at > 0 && text[at - 1] == u'\r' ? crlf : lf);
    return crlf > lf ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

// The offset just past the statement that starts at `from` (the start of a line outside
// any multi-line value), or -1 when the text ends inside a string, array or inline table.
qsizetype statementEnd(QStringView text, qsizetype from) {
    const qsizetype size = text.size();
    const auto at = [&](qsizetype i) { return i < size ? text[i].unicode() : u'\0'; };
    int depth = 0;
    qsizetype i = from;
    while (i < size) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            ++i;
            if (depth == 0)
                return i;
        } else if (c == u'#') {
            i = text.indexOf(u'\n', i);
            if (i < 0)
                i = size;
        } else if ((c == u'"' || c == u'\'') && at(i + 1) == c && at(i + 2) == c) {
            // A multi-line string ends at three quotes; up to two more belong to its text.
            for (i += 3;;) {
                if (i >= size)
                    return -1;
                const char16_t d = text[i].unicode();
                if (d == c) {
                    qsizetype run = 0;
                    while (at(i + run) == c)
                        ++run;
                    i += run;
                    if (run >= 3)
                        break;
                } else {
                    i += (c == u'"' && d == u'\\') ? 2 : 1;
                }
            }
        } else if (c == u'"' || c == u'\'') {
            // A one-line string ends at its closing quote or, unfinished, at the line's end.
            for (++i; i < size && text[i] != u'\n';) {
                const char16_t d = text[i].unicode();
                ++i;
                if (d == c)
                    break;
                if (c == u'"' && d == u'\\' && at(i) != u'\n')
                    ++i;
            }
        } else {
            if (c == u'[' || c == u'{')
                ++depth;
            else if ((c == u']' || c == u'}') && depth > 0)
                --depth;
            ++i;
        }
    }
    return depth == 0 ? size : -1;
}

struct Statement {
    QStringView text;      // all its lines with their line endings
    QStringView firstLine; // its first line without the line ending
    QStringView ending;    // the line ending of its last line; empty at an unended end of text
};

// Reads a text statement by statement. When a multi-line value never ends (the file is
// not TOML), that line counts alone and the rest of the text is read line by line.
class Statements {
public:
    explicit Statements(QStringView text) : m_text(text) {}

    qsizetype position() const { return m_position; }

    std::optional<Statement> next() {
        const qsizetype size = m_text.size();
        if (m_position >= size)
            return std::nullopt;
        const qsizetype begin = m_position;
        const qsizetype newline = m_text.indexOf(u'\n', begin);
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
        result.text = m_text.sliced(begin, end - begin);
        qsizetype firstEnd = newline < 0 ? size : newline;
        if (newline >= 0 && firstEnd > begin && m_text[firstEnd - 1] == u'\r')
            --firstEnd;
        result.firstLine = m_text.sliced(begin, firstEnd - begin);
        if (m_text[end - 1] == u'\n') {
            const bool crlf = end - 2 >= begin && m_text[end - 2] == u'\r';
            result.ending = m_text.sliced(end - (crlf ? 2 : 1), crlf ? 2 : 1);
        }
        return result;
    }

private:
    QStringView m_text;
    qsizetype m_position = 0;
    bool m_multiLine = true;
};

// --- What a file holds ---------------------------------------------------------------------

struct Found {
    std::optional<QString> text; // the string it holds (line rules: the value without quotes)
    QString display;             // the value as the file writes it
};

// The managed keys and the profile's provider table, as found in a file.
struct Reading {
    QHash<QString, Found> keys;
    bool hasTable = false;
    std::optional<Found> wireApi;
    std::optional<Found> requiresOpenAIAuth;
};

// A string the parser read; unlike QString::fromUtf8(), keeps a U+FEFF it starts with.
QString fromStd(std::string_view text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
}

std::optional<toml::table> parsedToml(const QByteArray& utf8) {
    try {
        return toml::parse(std::string_view(utf8.constData(), size_t(utf8.size())));
    } catch (const toml::parse_error&) {
        return std::nullopt;
    }
}

Found foundIn(const toml::node& node) {
    Found found;
    if (const auto* string = node.as_string()) {
        found.text = fromStd(string->get());
        found.display = ConfigPatcher::quoted(*found.text);
    } else if (node.is_table()) {
        found.display = QStringLiteral("a table");
    } else {
        std::ostringstream stream;
        node.visit([&stream](const auto& value) { stream << value; });
        found.display = QString::fromStdString(stream.str());
    }
    return found;
}

Reading readToml(const toml::table& root, const QString& provider) {
    Reading reading;
    for (const Assignment& assignment : assignments(Profile())) {
        if (const toml::node* node =
                root.get(std::string_view(assignment.key.data(), size_t(assignment.key.size()))))
            reading.keys.insert(assignment.key, foundIn(*node));
    }
    if (provider.isEmpty())
        return reading;
    const auto* providers = root.get_as<toml::table>("model_providers");
    const auto* table =
        providers ? providers->get_as<toml::table>(provider.toStdString()) : nullptr;
    reading.hasTable = table != nullptr;
    if (table) {
        if (const toml::node* node = table->get("wire_api"))
            reading.wireApi = foundIn(*node);
        if (const toml::node* node = table->get("requires_openai_auth"))
            reading.requiresOpenAIAuth = foundIn(*node);
    }
    return reading;
}

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// A one-line basic string at the start of `value` ("..." with TOML's escapes): what it
// holds and its length in `value`; nothing when `value` does not start with a whole one.
std::optional<std::pair<QString, qsizetype>> basicStringAt(QStringView value) {
    if (!value.startsWith(u'"') || value.startsWith(QLatin1String("\"\"\"")))
        return std::nullopt;
    QString text;
    for (qsizetype i = 1; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'"')
            return std::pair(text, i + 1);
        if (c == u'\n')
            return std::nullopt;
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (++i >= value.size())
            return std::nullopt;
        const char16_t escape = value[i].unicode();
        const qsizetype digits = escape == u'u' ? 4 : escape == u'U' ? 8 : 0;
        if (digits > 0) {
            char32_t code = 0;
            for (qsizetype d = 1; d <= digits; ++d) {
                const int hex = i + d < value.size() ? hexValue(value[i + d]) : -1;
                if (hex < 0)
                    return std::nullopt;
                code = code * 16 + char32_t(hex);
            }
            if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return std::nullopt;
            text += QString::fromUcs4(&code, 1);
            i += digits;
            continue;
        }
        const qsizetype which = QStringView(u"\"\\btnfr").indexOf(QChar(escape));
        if (which < 0)
            return std::nullopt;
        text += QStringView(u"\"\\\b\t\n\f\r")[which];
    }
    return std::nullopt;
}

// The value of a key/value statement by the line rules: a basic string after the first
// "=" holds what it spells; otherwise the text after the "=" up to the first "#",
// trimmed, without surrounding double quotes.
Found foundInLine(QStringView statement) {
    const qsizetype equals = statement.indexOf(u'=');
    QStringView value = statement.sliced(equals + 1);
    if (value.isEmpty())
        value = statement.first(equals);
    Found found;
    const QStringView start = trimmedHorizontally(value);
    if (const auto string = basicStringAt(start)) {
        found.text = string->first;
        found.display = start.first(string->second).toString();
        return found;
    }
    const qsizetype hash = value.indexOf(u'#');
    found.display = (hash < 0 ? value : value.first(hash)).toString().trimmed();
    QStringView text = found.display;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.sliced(1, text.size() - 2);
    found.text = text.toString();
    return found;
}

Reading readLines(const QString& content, const QString& provider) {
    Reading reading;
    const Assignments managed = assignments(Profile());
    Statements statements(content);
    bool topLevel = true;
    bool inTable = false;
    while (const auto statement = statements.next()) {
        if (isTableHeader(statement->firstLine)) {
            if (provider.isEmpty())
                break;
            topLevel = false;
            inTable = isProviderHeader(statement->firstLine, provider);
            reading.hasTable = reading.hasTable || inTable;
            continue;
        }
        const auto key = keyOf(statement->firstLine);
        if (!key)
            continue;
        if (topLevel && assignmentFor(managed, *key))
            reading.keys.insert(key->toString(), foundInLine(statement->text));
        else if (inTable && *key == wireApiKey)
            reading.wireApi = foundInLine(statement->text);
        else if (inTable && *key == requiresOpenAIAuthKey)
            reading.requiresOpenAIAuth = foundInLine(statement->text);
    }
    return reading;
}

Reading readingOf(const QString& content, const QString& provider) {
    if (const auto tree = parsedToml(content.toUtf8()))
        return readToml(*tree, provider);
    return readLines(content, provider);
}

bool requiresOpenAIAuth(const Reading& reading) {
    return reading.requiresOpenAIAuth &&
           reading.requiresOpenAIAuth->display == QLatin1String("true");
}

bool usesChatWireApi(const Reading& reading) {
    return reading.wireApi && reading.wireApi->text == QLatin1String("chat");
}

// Why Codex could not use the profile with this file; nothing when it could (a missing
// Velqor table is not a reason: the patch adds it).
std::optional<QString> refusal(const Reading& reading, const Profile& profile,
                               const QString& provider) {
    if (provider.isEmpty())
        return std::nullopt;
    const QString header = QLatin1Char('[') + providerTableName(provider) + QLatin1Char(']');
    if (!reading.hasTable) {
        if (provider == velqorProvider)
            return std::nullopt;
        return QStringLiteral("config.toml has no ") + header +
               QStringLiteral(" table, so Codex would stop with \"Model provider `") + provider +
               QStringLiteral("` not found\". Add that table to config.toml or choose another "
                              "model provider for this profile.");
    }
    if (usesChatWireApi(reading))
        return QStringLiteral("config.toml: ") + header +
               QStringLiteral(" has wire_api = \"chat\", which Codex no longer supports. Change "
                              "it to wire_api = \"responses\".");
    if (profile.isVelqorAccount() && !requiresOpenAIAuth(reading))
        return QStringLiteral("config.toml: ") + header +
               QStringLiteral(" does not set requires_openai_auth = true, so Codex would not "
                              "send the API key. Set requires_openai_auth = true in that table.");
    return std::nullopt;
}

// The first way the file does not hold what the profile asks.
std::optional<QString> mismatch(const Reading& reading, const Profile& profile,
                                const QString& provider) {
    for (const Assignment& assignment : assignments(profile)) {
        const auto found = reading.keys.constFind(assignment.key);
        if (assignment.value) {
            if (found == reading.keys.constEnd() || found->text != *assignment.value)
                return assignment.key + QStringLiteral(" was not updated.");
        } else if (found != reading.keys.constEnd()) {
            return assignment.key + QStringLiteral(" is still active.");
        }
    }
    if (const auto why = refusal(reading, profile, provider))
        return why;
    if (!provider.isEmpty() && !reading.hasTable)
        return QLatin1Char('[') + providerTableName(provider) + QStringLiteral("] was not added.");
    return std::nullopt;
}

// --- The TOML check ------------------------------------------------------------------------

QString keyPath(const QStringList& path) {
    QStringList keys;
    for (const QString& key : path)
        keys.append(keyText(key));
    return keys.join(QLatin1Char('.'));
}

// The first key whose value differs between the two tables, as a dotted path below `path`.
// Tables are compared key by key, so the path names the innermost key that differs; other
// values (arrays included) are compared whole, NaN equal to NaN.
std::optional<QString> firstDifference(const toml::table& a, const toml::table& b,
                                       QStringList& path) {
    for (auto&& [key, value] : a) {
        path.append(fromStd(key.str()));
        const toml::node* other = b.get(key.str());
        if (!other)
            return keyPath(path);
        if (value.is_table() && other->is_table()) {
            if (auto difference = firstDifference(*value.as_table(), *other->as_table(), path))
                return difference;
        } else if (toml::node_view<const toml::node>(&value) !=
                   toml::node_view<const toml::node>(other)) {
            return keyPath(path);
        }
        path.removeLast();
    }
    for (auto&& [key, value] : b) {
        if (!a.contains(key.str()))
            return keyPath(path << fromStd(key.str()));
    }
    return std::nullopt;
}

const QString cannotUpdate = QStringLiteral("Could not update config.toml: ");
const QString nothingWritten = QStringLiteral(" Nothing was written.");

// Throws unless `patched` parses, holds what the profile asks and keeps every value of
// `before` outside the managed keys (and a provider table the patch added).
void checkAgainst(toml::table& before, const QString& patched, const Profile& profile) {
    toml::table after;
    try {
        const QByteArray utf8 = patched.toUtf8();
        after = toml::parse(std::string_view(utf8.constData(), size_t(utf8.size())));
    } catch (const toml::parse_error& error) {
        // Name the line the parser stopped at; its number would mean nothing to the user,
        // who never sees the new text.
        const QStringList lines = patched.split(QLatin1Char('\n'));
        const qsizetype index = qsizetype(error.source().begin.line) - 1;
        const QString line =
            index >= 0 && index < lines.size() ? lines[index].trimmed() : QString();
        throw ConfigPatchError(cannotUpdate + QStringLiteral("with the change, the line \"") +
                               line + QStringLiteral("\" would not be valid TOML (") +
                               fromStd(error.description()) + QStringLiteral(").") +
                               nothingWritten);
    }
    const QString provider = providerNeedingTable(profile);
    if (const auto why = mismatch(readToml(after, provider), profile, provider))
        throw ConfigPatchError(cannotUpdate + *why + nothingWritten);

    for (const Assignment& assignment : assignments(profile)) {
        const std::string_view key(assignment.key.data(), size_t(assignment.key.size()));
        before.erase(key);
        after.erase(key);
    }
    if (!provider.isEmpty() && !readToml(before, provider).hasTable) {
        if (auto* providers = after.get_as<toml::table>("model_providers")) {
            providers->erase(provider.toStdString());
            if (providers->empty() && !before.contains("model_providers"))
                after.erase("model_providers");
        }
    }
    QStringList path;
    if (const auto key = firstDifference(before, after, path))
        throw ConfigPatchError(cannotUpdate + QStringLiteral("the change would also alter ") +
                               *key + QStringLiteral(", which Tavrin does not manage.") +
                               nothingWritten);
}

// --- The new text --------------------------------------------------------------------------

bool endsWithEmptyLine(QStringView text) {
    // `text` ends with a line ending; is the line it ends empty?
    qsizetype end = text.size() - 1;
    if (end > 0 && text[end - 1] == u'\r')
        --end;
    return end == 0 || text[end - 1] == u'\n';
}

void appendVelqorTable(QString& text, const QString& newline) {
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += newline;
    if (!text.isEmpty() && !endsWithEmptyLine(text))
        text += newline;
    const QString lines[] = {
        QLatin1Char('[') + providerTableName(velqorProvider) + QLatin1Char(']'),
        QStringLiteral("name = \"Velqor\""),
        QStringLiteral("base_url = ") +
            ConfigPatcher::quoted(Profile::velqorOpenAIBaseURL),
        QStringLiteral("wire_api = \"responses\""),
        QStringLiteral("requires_openai_auth = true"),
    };
    for (const QString& line : lines)
        text += line + newline;
}

QString patchText(const QString& content, const Profile& profile, bool addVelqorTable) {
    const QString newline = dominantEnding(content);
    const Assignments all = assignments(profile);
    std::array<bool, 5> written{};

    // The top-level region, statement by statement: managed keys are rewritten in place
    // (keeping the line ending) or dropped, everything else is kept.
    QString region;
    bool regionStartsWithEmptyLine = false;
    qsizetype tablesStart = content.size();
    Statements statements(content);
    for (;;) {
        const qsizetype position = statements.position();
        const auto statement = statements.next();
        if (!statement)
            break;
        if (isTableHeader(statement->firstLine)) {
            tablesStart = position;
            break;
        }
        const auto key = keyOf(statement->firstLine);
        const Assignment* match = key ? assignmentFor(all, *key) : nullptr;
        if (match) {
            bool& done = written[size_t(match - all.data())];
            // Drop a key that must go, and any later duplicate of a written one.
            if (!match->value || done)
                continue;
            done = true;
            region += writtenLine(*match) + statement->ending;
        } else {
            if (region.isEmpty())
                regionStartsWithEmptyLine = statement->firstLine.isEmpty();
            region += statement->text;
        }
    }

    // Missing keys go to the very top, set off from what follows by one blank line.
    QString missing;
    for (size_t index = 0; index < all.size(); ++index) {
        if (all[index].value && !written[index])
            missing += writtenLine(all[index]) + newline;
    }
    const QStringView tables = QStringView(content).sliced(tablesStart);
    QString result;
    result.reserve(missing.size() + region.size() + tables.size() + 256);
    result += missing;
    if (!missing.isEmpty() && (!region.isEmpty() || !tables.isEmpty()) &&
        !regionStartsWithEmptyLine)
        result += newline;
    result += region;
    result += tables;
    if (addVelqorTable)
        appendVelqorTable(result, newline);
    return result;
}

// --- Files ---------------------------------------------------------------------------------

struct DecodedText {
    QString text;
    bool hasBom = false;
};

DecodedText decodeUtf8(const QByteArray& bytes, const QString& path) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    DecodedText decoded;
    decoded.text = decoder.decode(bytes);
    if (decoder.hasError())
        throw FileError(
            QStringLiteral("Could not read %1: the file is not valid UTF-8 text.").arg(path));
    decoded.hasBom = bytes.startsWith(utf8Bom);
    if (decoded.hasBom && decoded.text.startsWith(QChar(0xFEFF)))
        decoded.text.remove(0, 1);
    return decoded;
}

DecodedText readConfig(const QString& configURL) {
    // A folder, a dangling link or a link loop there is refused in plain words, never
    // taken for a missing file.
    if (!FileUtil::fileExists(configURL))
        return {};
    return decodeUtf8(FileUtil::readAll(configURL), configURL);
}

// Puts the file back as it was before the patch: the bytes read then (which the latest
// backup also holds), or no file when there was none. The file is replaced atomically
// rather than removed first, so the configuration is never missing, keeps its mode and
// stays a symbolic link if it was one.
void rollBack(const QString& configURL, bool existed, const QByteArray& originalBytes) {
    try {
        if (existed)
            FileUtil::writeAtomically(configURL, originalBytes);
        else
            FileUtil::remove(configURL);
    } catch (const TavrinError& error) {
        qCWarning(lcCodex) << "Could not restore" << configURL << ":"
                           << error.localizedDescription();
    }
}

} // namespace

ConfigPatchError ConfigPatchError::patchFailedAndRestored(const QString& cause) {
    return ConfigPatchError(QStringLiteral("Patch failed, restored backup. ") + cause);
}

ConfigPatcher::ConfigPatcher(std::shared_ptr<FileBackupService> backupService)
    : m_backupService(backupService ? std::move(backupService)
                                    : std::make_shared<FileBackupService>()) {}

QString ConfigPatcher::quoted(const QString& value) {
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

QString ConfigPatcher::patchedContent(const QString& content, const Profile& profile) {
    std::optional<toml::table> tree = parsedToml(content.toUtf8());
    const QString provider = providerNeedingTable(profile);
    const Reading reading = tree ? readToml(*tree, provider) : readLines(content, provider);
    if (const auto why = refusal(reading, profile, provider))
        throw ConfigPatchError(*why);
    const QString patched = patchText(content, profile, !provider.isEmpty() && !reading.hasTable);
    if (tree) {
        checkAgainst(*tree, patched, profile);
    } else if (const auto why = mismatch(readingOf(patched, provider), profile, provider)) {
        // Verification after writing would fail the same way: refuse before anything changes.
        throw ConfigPatchError(cannotUpdate +
                               QStringLiteral("config.toml is not valid TOML, and read line by "
                                              "line the new text would not be right: ") +
                               *why + nothingWritten);
    }
    return patched;
}

void ConfigPatcher::checkPatch(const QString& original, const QString& patched,
                               const Profile& profile) {
    if (auto tree = parsedToml(original.toUtf8()))
        checkAgainst(*tree, patched, profile);
}

void ConfigPatcher::validate(const QString& content, const Profile& profile) {
    const QString provider = providerNeedingTable(profile);
    if (const auto why = mismatch(readingOf(content, provider), profile, provider))
        throw ConfigPatchError(*why);
}

QStringList ConfigPatcher::differencesIn(const QString& content, const Profile& profile) {
    const QString provider = providerNeedingTable(profile);
    const Reading reading = readingOf(content, provider);
    QStringList lines;
    for (const Assignment& assignment : assignments(profile)) {
        const auto found = reading.keys.constFind(assignment.key);
        const bool present = found != reading.keys.constEnd();
        if (assignment.value && !present)
            lines.append(assignment.key + QStringLiteral(": missing, expected ") +
                         quoted(*assignment.value));
        else if (assignment.value && found->text != *assignment.value)
            lines.append(assignment.key + QStringLiteral(": ") + found->display +
                         QStringLiteral(", expected ") + quoted(*assignment.value));
        else if (!assignment.value && present)
            lines.append(assignment.key + QStringLiteral(": ") + found->display +
                         QStringLiteral(", should be absent"));
    }
    if (provider.isEmpty())
        return lines;
    const QString table = providerTableName(provider);
    if (!reading.hasTable)
        return lines << QLatin1Char('[') + table + QStringLiteral("]: missing");
    if (usesChatWireApi(reading))
        lines.append(table + QStringLiteral(".wire_api: \"chat\", expected \"responses\""));
    if (profile.isVelqorAccount() && !requiresOpenAIAuth(reading))
        lines.append(table + QStringLiteral(".requires_openai_auth: ") +
                     (reading.requiresOpenAIAuth ? reading.requiresOpenAIAuth->display
                                                 : QStringLiteral("missing")) +
                     QStringLiteral(", expected true"));
    return lines;
}

void ConfigPatcher::checkCanApply(const Profile& profile, const QString& configURL) {
    patchedContent(readConfig(configURL).text, profile);
}

QStringList ConfigPatcher::differences(const Profile& profile, const QString& configURL) {
    QString text;
    try {
        text = readConfig(configURL).text;
    } catch (const TavrinError& error) {
        return {error.localizedDescription()};
    }
    return differencesIn(text, profile);
}

ConfigPatchResult ConfigPatcher::apply(const Profile& profile, const QString& configURL,
                                       const ChangeRecorder& recorder) {
    // Everything that can refuse the patch comes before the first change.
    const bool existed = FileUtil::fileExists(configURL);
    const QByteArray originalBytes = existed ? FileUtil::readAll(configURL) : QByteArray();
    const DecodedText original = existed ? decodeUtf8(originalBytes, configURL) : DecodedText{};
    QByteArray bytes = patchedContent(original.text, profile).toUtf8();
    if (original.hasBom)
        bytes.prepend(utf8Bom);

    std::optional<BackupResult> backup;
    if (existed) {
        // A switch can only be undone from a copy: without one, the file stays as it is.
        try {
            backup = m_backupService->createConfigBackups(configURL);
        } catch (...) {
            throw ConfigPatchError(
                prefixedMessage(QStringLiteral("Could not back up config.toml, so it was not "
                                               "changed"),
                                describeError(std::current_exception())));
        }
    } else {
        FileUtil::makePath(AppPaths::codexDirectory());
        FileUtil::makePath(QFileInfo(configURL).absolutePath());
    }

    if (recorder)
        recorder(FileChange{configURL, existed, backup ? backup->timestampedBackupURL : QString()});

    try {
        FileUtil::writeAtomically(configURL, bytes);
        validate(decodeUtf8(FileUtil::readAll(configURL), configURL).text, profile);
    } catch (...) {
        const QString cause = describeError(std::current_exception());
        rollBack(configURL, existed, originalBytes);
        throw ConfigPatchError::patchFailedAndRestored(cause);
    }
    return ConfigPatchResult{backup};
}
