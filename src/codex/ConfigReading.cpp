#include "codex/ConfigReading.h"

#include "codex/TomlText.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <sstream>
#include <string_view>

namespace ConfigReading {

namespace {

using namespace TomlText;

const QLatin1String providersKey("model_providers");
const QLatin1String wireApiKey("wire_api");
const QLatin1String requiresOpenAIAuthKey("requires_openai_auth");
const QLatin1String velqorProvider("velqor");

// Providers Codex knows without a model_providers table.
const std::array<QLatin1String, 4> builtInProviders{QLatin1String("openai"), QLatin1String("oss"),
                                                    QLatin1String("ollama"),
                                                    QLatin1String("lmstudio")};

QString trimmedProvider(const Profile& profile) {
    return profile.modelProvider ? profile.modelProvider->trimmed() : QString();
}

std::string_view keyView(QLatin1String key) {
    return std::string_view(key.data(), size_t(key.size()));
}

Found foundIn(const toml::node& node) {
    Found found;
    if (const auto* string = node.as_string()) {
        found.text = fromStd(string->get());
        found.display = quoted(*found.text);
    } else if (node.is_table()) {
        found.display = QStringLiteral("a table");
    } else {
        std::ostringstream stream;
        node.visit([&stream](const auto& value) { stream << value; });
        found.display = QString::fromStdString(stream.str());
    }
    return found;
}

// The value of a key/value statement by the line rules: a basic string after the first
// "=" holds what it spells; otherwise the text after the "=" up to the first "#",
// trimmed, without surrounding double quotes.
Found foundInLine(QByteArrayView statement) {
    const qsizetype equals = statement.indexOf('=');
    QByteArrayView value = statement.sliced(equals + 1);
    if (value.isEmpty())
        value = statement.first(equals);
    Found found;
    const QByteArrayView start = trimmed(value);
    if (const auto string = basicStringAt(start)) {
        found.text = string->first;
        found.display = QString::fromUtf8(start.first(string->second));
        return found;
    }
    const qsizetype hash = value.indexOf('#');
    found.display = QString::fromUtf8(hash < 0 ? value : value.first(hash)).trimmed();
    QStringView text = found.display;
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.sliced(1, text.size() - 2);
    found.text = text.toString();
    return found;
}

// Whether a header line opens the table `[model_providers.<provider>]`.
bool isProviderHeader(QByteArrayView line, const QString& provider) {
    const std::optional<QStringList> keys = headerKeys(line);
    return !isArrayHeader(line) && keys && keys->size() == 2 && keys->at(0) == providersKey &&
           keys->at(1) == provider;
}

bool requiresOpenAIAuth(const Reading& reading) {
    return reading.requiresOpenAIAuth &&
           reading.requiresOpenAIAuth->display == QLatin1String("true");
}

bool usesChatWireApi(const Reading& reading) {
    return reading.wireApi && reading.wireApi->text == QLatin1String("chat");
}

QString header(const QString& provider) {
    return QLatin1Char('[') + providerTableName(provider) + QLatin1Char(']');
}

} // namespace

Assignments assignments(const Profile& profile) {
    const QString provider = trimmedProvider(profile);
    return {{
        {QLatin1String("model_provider"),
         provider.isEmpty() ? std::nullopt : std::optional<QString>(provider)},
        {QLatin1String("model"), profile.model},
        {QLatin1String("model_reasoning_effort"), profile.modelReasoningEffort},
        {QLatin1String("preferred_auth_method"), std::nullopt},
        {QLatin1String("disable_response_storage"), std::nullopt},
    }};
}

const Assignment* assignmentFor(const Assignments& all, QByteArrayView key) {
    for (const Assignment& assignment : all)
        if (key == QByteArrayView(assignment.key.data(), assignment.key.size()))
            return &assignment;
    return nullptr;
}

QString providerNeedingTable(const Profile& profile) {
    const QString provider = trimmedProvider(profile);
    for (QLatin1String builtIn : builtInProviders)
        if (provider == builtIn)
            return QString();
    return provider;
}

QString providerTableName(const QString& provider) {
    return providersKey + QLatin1Char('.') + keyText(provider);
}

qsizetype tablesStart(QByteArrayView text) {
    Statements statements(text);
    while (const auto statement = statements.next())
        if (isTableHeader(statement->firstLine))
            return statement->begin;
    return text.size();
}

QByteArray relevantPart(QByteArrayView text) {
    const qsizetype start = tablesStart(text);
    const Assignments managed = assignments(Profile());
    QByteArray part = text.first(start).toByteArray();
    bool relevant = false;
    Statements statements(text, start);
    while (const auto statement = statements.next()) {
        if (isTableHeader(statement->firstLine)) {
            const std::optional<QStringList> keys = headerKeys(statement->firstLine);
            relevant = !keys || keys->first() == providersKey ||
                       assignmentFor(managed, keys->first().toUtf8());
        }
        if (relevant)
            part += statement->text;
    }
    return part;
}

std::optional<toml::table> parsed(QByteArrayView utf8) {
    try {
        return toml::parse(std::string_view(utf8.data(), size_t(utf8.size())));
    } catch (const toml::parse_error&) {
        return std::nullopt;
    }
}

QString fromStd(QByteArrayView text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(text);
}

Reading readToml(const toml::table& root, const QString& provider) {
    Reading reading;
    for (const Assignment& assignment : assignments(Profile()))
        if (const toml::node* node = root.get(keyView(assignment.key)))
            reading.keys.insert(assignment.key, foundIn(*node));
    if (provider.isEmpty())
        return reading;
    const auto* providers = root.get_as<toml::table>(keyView(providersKey));
    const auto* table =
        providers ? providers->get_as<toml::table>(provider.toStdString()) : nullptr;
    reading.hasTable = table != nullptr;
    if (table) {
        if (const toml::node* node = table->get(keyView(wireApiKey)))
            reading.wireApi = foundIn(*node);
        if (const toml::node* node = table->get(keyView(requiresOpenAIAuthKey)))
            reading.requiresOpenAIAuth = foundIn(*node);
    }
    return reading;
}

Reading readLines(QByteArrayView text, const QString& provider) {
    Reading reading;
    const Assignments managed = assignments(Profile());
    Statements statements(text);
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
            reading.keys.insert(QString::fromLatin1(*key), foundInLine(statement->text));
        else if (inTable && *key == keyView(wireApiKey))
            reading.wireApi = foundInLine(statement->text);
        else if (inTable && *key == keyView(requiresOpenAIAuthKey))
            reading.requiresOpenAIAuth = foundInLine(statement->text);
    }
    return reading;
}

Reading readingOf(QByteArrayView text, const QString& provider) {
    if (const auto tree = parsed(relevantPart(text)))
        return readToml(*tree, provider);
    return readLines(text, provider);
}

std::optional<QString> refusal(const Reading& reading, const Profile& profile,
                               const QString& provider) {
    if (provider.isEmpty())
        return std::nullopt;
    if (!reading.hasTable) {
        if (provider == velqorProvider)
            return std::nullopt;
        return QCoreApplication::translate("ConfigReading",
                                           "config.toml has no %1 table, so Codex would stop with "
                                           "\"Model provider `%2` not found\". Add that table to "
                                           "config.toml or choose another model provider for "
                                           "this profile.")
            .arg(header(provider), provider);
    }
    if (usesChatWireApi(reading))
        return QCoreApplication::translate(
                   "ConfigReading", "config.toml: %1 has wire_api = \"chat\", which Codex no "
                                    "longer supports. Change it to wire_api = "
                                    "\"responses\".")
            .arg(header(provider));
    if (profile.isVelqorAccount() && !requiresOpenAIAuth(reading))
        return QCoreApplication::translate("ConfigReading",
                                           "config.toml: %1 does not set requires_openai_auth = "
                                           "true, so Codex would not send the API key. Set "
                                           "requires_openai_auth = true in that table.")
            .arg(header(provider));
    return std::nullopt;
}

std::optional<QString> mismatch(const Reading& reading, const Profile& profile,
                                const QString& provider) {
    for (const Assignment& assignment : assignments(profile)) {
        const auto found = reading.keys.constFind(assignment.key);
        if (assignment.value) {
            if (found == reading.keys.constEnd() || found->text != *assignment.value)
                return QCoreApplication::translate("ConfigReading", "%1 was not updated.")
                    .arg(assignment.key);
        } else if (found != reading.keys.constEnd()) {
            return QCoreApplication::translate("ConfigReading", "%1 is still active.")
                .arg(assignment.key);
        }
    }
    if (const auto why = refusal(reading, profile, provider))
        return why;
    if (!provider.isEmpty() && !reading.hasTable)
        return QCoreApplication::translate("ConfigReading", "%1 was not added.")
            .arg(header(provider));
    return std::nullopt;
}

QStringList differenceLines(const Reading& reading, const Profile& profile,
                            const QString& provider) {
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
        return lines << header(provider) + QStringLiteral(": missing");
    if (usesChatWireApi(reading))
        lines.append(table + QStringLiteral(".wire_api: \"chat\", expected \"responses\""));
    if (profile.isVelqorAccount() && !requiresOpenAIAuth(reading))
        lines.append(table + QStringLiteral(".requires_openai_auth: ") +
                     (reading.requiresOpenAIAuth ? reading.requiresOpenAIAuth->display
                                                 : QStringLiteral("missing")) +
                     QStringLiteral(", expected true"));
    return lines;
}

} // namespace ConfigReading
