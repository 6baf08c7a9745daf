#include "codex/ConfigPatch.h"

#include "codex/ConfigPatcher.h"
#include "codex/ConfigReading.h"
#include "codex/TomlText.h"

#include <QCoreApplication>

namespace ConfigPatch {

namespace {

using namespace ConfigReading;

ConfigPatchError cannotUpdate(const QString& why) {
    return ConfigPatchError(
        QCoreApplication::translate("ConfigPatch",
                                    "Could not update config.toml: %1 Nothing was written.")
            .arg(why));
}

QByteArray writtenLine(const Assignment& assignment) {
    return (assignment.key + QStringLiteral(" = ") + TomlText::quoted(*assignment.value)).toUtf8();
}

// The top-level region, statement by statement: managed keys are rewritten in place
// (keeping the line ending) or dropped, everything else is kept. Missing keys go to the
// very top, set off from what follows by one blank line.
QByteArray patchedRegion(QByteArrayView region, bool tablesFollow, const Profile& profile,
                         const QByteArray& newline) {
    const Assignments all = assignments(profile);
    std::array<bool, 5> written{};
    QByteArray kept;
    bool startsWithEmptyLine = false;
    TomlText::Statements statements(region);
    while (const auto statement = statements.next()) {
        const auto key = TomlText::keyOf(statement->firstLine);
        const Assignment* match = key ? assignmentFor(all, *key) : nullptr;
        if (!match) {
            if (kept.isEmpty())
                startsWithEmptyLine = statement->firstLine.isEmpty();
            kept += statement->text;
            continue;
        }
        bool& done = written[size_t(match - all.data())];
        // Drop a key that must go, and any later duplicate of a written one.
        if (match->value && !done)
            kept += writtenLine(*match) + statement->ending;
        done = done || match->value.has_value();
    }
    QByteArray missing;
    for (size_t index = 0; index < all.size(); ++index)
        if (all[index].value && !written[index])
            missing += writtenLine(all[index]) + newline;
    if (!missing.isEmpty() && (!kept.isEmpty() || tablesFollow) && !startsWithEmptyLine)
        missing += newline;
    return missing + kept;
}

// Whether the line that `text` ends (with its line ending) is empty.
bool endsWithEmptyLine(QByteArrayView text) {
    qsizetype end = text.size() - 1;
    if (end > 0 && text[end - 1] == '\r')
        --end;
    return end == 0 || text[end - 1] == '\n';
}

void appendVelqorTable(QByteArray& text, const QByteArray& newline) {
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += newline;
    if (!text.isEmpty() && !endsWithEmptyLine(text))
        text += newline;
    const QString lines[] = {
        QLatin1Char('[') + providerTableName(QStringLiteral("velqor")) + QLatin1Char(']'),
        QStringLiteral("name = \"Velqor\""),
        QStringLiteral("base_url = ") + TomlText::quoted(Profile::velqorOpenAIBaseURL),
        QStringLiteral("wire_api = \"responses\""),
        QStringLiteral("requires_openai_auth = true"),
    };
    for (const QString& line : lines)
        text += line.toUtf8() + newline;
}

QString keyPath(const QStringList& path) {
    QStringList keys;
    for (const QString& key : path)
        keys.append(TomlText::keyText(key));
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
    for (auto&& [key, value] : b)
        if (!a.contains(key.str()))
            return keyPath(path << fromStd(key.str()));
    return std::nullopt;
}

// The new text parsed; throws, naming the line the parser stopped at (its number would
// mean nothing to the user, who never sees the new text), when it is not TOML.
toml::table parsedOrThrow(QByteArrayView patched) {
    try {
        return toml::parse(std::string_view(patched.data(), size_t(patched.size())));
    } catch (const toml::parse_error& error) {
        QByteArrayView rest = patched;
        for (auto line = error.source().begin.line; line > 1 && !rest.isEmpty(); --line) {
            const qsizetype next = rest.indexOf('\n');
            rest = next < 0 ? QByteArrayView() : rest.sliced(next + 1);
        }
        const qsizetype end = rest.indexOf('\n');
        const QString line = QString::fromUtf8(end < 0 ? rest : rest.first(end)).trimmed();
        throw cannotUpdate(
            QCoreApplication::translate(
                "ConfigPatch", "with the change, the line \"%1\" would not be valid TOML (%2).")
                .arg(line, fromStd(error.description())));
    }
}

} // namespace

void checkAgainst(toml::table& before, QByteArrayView patched, const Profile& profile) {
    toml::table after = parsedOrThrow(patched);
    const QString provider = providerNeedingTable(profile);
    if (const auto why = mismatch(readToml(after, provider), profile, provider))
        throw cannotUpdate(*why);

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
        throw cannotUpdate(
            QCoreApplication::translate(
                "ConfigPatch", "the change would also alter %1, which Tavrin does not manage.")
                .arg(*key));
}

QByteArray patched(QByteArrayView text, const Profile& profile, QByteArrayView prefix) {
    const QString provider = providerNeedingTable(profile);
    const qsizetype tables = tablesStart(text);
    const QByteArray relevant = relevantPart(text);
    std::optional<toml::table> tree = parsed(relevant);
    const Reading reading = tree ? readToml(*tree, provider) : readLines(text, provider);
    if (const auto why = refusal(reading, profile, provider))
        throw ConfigPatchError(*why);
    const bool addTable = !provider.isEmpty() && !reading.hasTable;
    const QByteArray newline = TomlText::dominantEnding(text);
    const QByteArray region =
        patchedRegion(text.first(tables), tables < text.size(), profile, newline);

    QByteArray result;
    result.reserve(prefix.size() + region.size() + text.size() - tables + 256);
    result += prefix;
    result += region;
    result += text.sliced(tables);
    if (addTable)
        appendVelqorTable(result, newline);
    if (tree) {
        // The tables that cannot hold a managed key are the same bytes before and after:
        // the check reads the rest only.
        QByteArray relevantAfter = region + QByteArrayView(relevant).sliced(tables);
        if (addTable)
            appendVelqorTable(relevantAfter, newline);
        checkAgainst(*tree, relevantAfter, profile);
    } else if (const auto why =
                   mismatch(readingOf(QByteArrayView(result).sliced(prefix.size()), provider),
                            profile, provider)) {
        // Verification after writing would fail the same way: refuse before anything changes.
        throw cannotUpdate(QCoreApplication::translate(
                               "ConfigPatch", "config.toml is not valid TOML, and read line by "
                                              "line the new text would not be right: %1")
                               .arg(*why));
    }
    return result;
}

} // namespace ConfigPatch
