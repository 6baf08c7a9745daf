#include "backups/KeyScrub.h"

#include "claude/ClaudeSettingsPatcher.h"
#include "profiles/ExactJson.h"

#include <QByteArrayList>

#include <algorithm>

namespace KeyScrub {

namespace {

using ExactJson::Value;

// Notes the object paths of the strings that are the key; `loose` when one stands where
// it cannot be blanked on its own.
void collect(const Value& value, Path& path, bool inArray, const QByteArrayList& keys,
             std::vector<Path>& found, bool& loose) {
    switch (value.type()) {
    case Value::Type::String:
        if (keys.contains(value.text())) {
            if (inArray)
                loose = true;
            else
                found.push_back(path);
        }
        return;
    case Value::Type::Object:
        for (const Value::Member& member : value.members()) {
            if (keys.contains(member.first))
                loose = true;
            path.push_back(member.first);
            collect(member.second, path, inArray, keys, found, loose);
            path.pop_back();
        }
        return;
    case Value::Type::Array:
        for (const Value& element : value.elements())
            collect(element, path, true, keys, found, loose);
        return;
    default:
        return;
    }
}

// Whether nothing is left once the members Tavrin writes (and objects they leave empty)
// are taken away.
bool holdsOnlyManaged(Value document, const std::vector<Path>& managed) {
    for (const Path& path : managed) {
        const QString first = QString::fromUtf8(path.front());
        if (path.size() == 1) {
            document.remove(first);
            continue;
        }
        const Value* found = document.find(first);
        if (!found || !found->isObject())
            continue;
        Value container = *found;
        container.remove(QString::fromUtf8(path[1]));
        if (container.members().empty())
            document.remove(first);
        else
            document.insert(first, std::move(container));
    }
    return document.isObject() && document.members().empty();
}

} // namespace

Result withoutKey(const QByteArray& document, const QString& key,
                  const std::vector<Path>& managed) {
    QByteArrayList keys{key.toUtf8()};
    if (key.trimmed() != key && !key.trimmed().isEmpty())
        keys << key.trimmed().toUtf8();
    Value parsed;
    try {
        parsed = ExactJson::parse(document);
    } catch (const ExactJson::SyntaxError&) {
        const bool holds = std::any_of(keys.begin(), keys.end(), [&](const QByteArray& k) {
            return !k.isEmpty() && document.contains(k);
        });
        return {holds ? Outcome::unreadable : Outcome::untouched, {}};
    }
    std::vector<Path> found;
    bool loose = false;
    Path path;
    collect(parsed, path, false, keys, found, loose);
    if (found.empty() && !loose)
        return {};
    if (loose)
        return {Outcome::removed, {}};
    std::vector<ExactJson::StringAt> places;
    for (const std::optional<ExactJson::StringAt>& at : ExactJson::findStrings(document, found)) {
        if (!at)
            return {Outcome::removed, {}};
        places.push_back(*at);
    }
    // From the end, so every earlier place stays where it was found.
    std::sort(places.begin(), places.end(),
              [](const ExactJson::StringAt& a, const ExactJson::StringAt& b) {
                  return a.begin > b.begin;
              });
    QByteArray text = document;
    for (const ExactJson::StringAt& at : places)
        text.replace(at.begin, at.end - at.begin, "\"\"");
    if (holdsOnlyManaged(ExactJson::parse(text), managed))
        return {Outcome::removed, {}};
    return {Outcome::blanked, text};
}

std::vector<Path> authMembers() {
    return {{"auth_mode"}, {"OPENAI_API_KEY"}};
}

std::vector<Path> claudeSettingsMembers() {
    std::vector<Path> members{{"apiKeyHelper"}};
    for (const QString& name : ClaudeSettingsPatcher::managedVariables())
        members.push_back({"env", name.toUtf8()});
    return members;
}

} // namespace KeyScrub
