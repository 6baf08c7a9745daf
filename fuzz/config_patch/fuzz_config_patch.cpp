// config.toml patch and verify. The first line of the input describes the profile
// ("provider|model|effort|auth method"), the rest is the file. Checked for every input:
// - a refusal is a ConfigPatchError with a reason, and the same input is refused again;
// - patching the result again changes nothing, and the result verifies (no mismatch, no
//   difference) for the profile;
// - every line that is not a managed top-level key survives, in order;
// - each managed key is set once at the top level (or is gone, for the two removed ones);
// - when the file is TOML, the result is TOML with the profile's values and every other
//   value as before.

#include "FuzzCheck.h"

#include "codex/ConfigPatch.h"
#include "codex/ConfigPatcher.h"
#include "codex/ConfigReading.h"
#include "codex/Toml.h"

#include <QStringList>

#include <array>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

const std::array<QLatin1String, 5> managedKeys{
    QLatin1String("model_provider"), QLatin1String("model"),
    QLatin1String("model_reasoning_effort"), QLatin1String("preferred_auth_method"),
    QLatin1String("disable_response_storage")};

Profile profileFrom(QStringView line) {
    const QList<QStringView> fields = line.split(u'|');
    const auto field = [&fields](qsizetype index) {
        return index < fields.size() ? fields[index].toString() : QString();
    };
    Profile profile;
    profile.id = QStringLiteral("fuzz");
    profile.name = QStringLiteral("Fuzz");
    if (fields.size() > 1 || !fields[0].isEmpty())
        profile.modelProvider = field(0);
    profile.model = field(1);
    profile.modelReasoningEffort = field(2);
    profile.preferredAuthMethod = field(3);
    return profile;
}

// What the patch must write for each managed key; nothing for the two it removes.
std::optional<QString> expectedValue(const Profile& profile, QLatin1String key) {
    if (key == QLatin1String("model_provider")) {
        const QString provider = profile.modelProvider.value_or(QString()).trimmed();
        return provider.isEmpty() ? std::nullopt : std::optional<QString>(provider);
    }
    if (key == QLatin1String("model"))
        return profile.model;
    if (key == QLatin1String("model_reasoning_effort"))
        return profile.modelReasoningEffort;
    return std::nullopt;
}

// The provider table Codex needs for the profile; empty for the built-in providers.
QString providerNeedingTable(const Profile& profile) {
    const QString provider = profile.modelProvider.value_or(QString()).trimmed();
    for (const char* builtIn : {"openai", "oss", "ollama", "lmstudio"})
        if (provider == QLatin1String(builtIn))
            return QString();
    return provider;
}

bool isHorizontalSpace(QChar c) {
    return c == u' ' || c == u'\t' ||
           (c.unicode() >= 0x80 && c.category() == QChar::Separator_Space);
}

QStringView trimmedHorizontally(QStringView text) {
    while (!text.isEmpty() && isHorizontalSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isHorizontalSpace(text.back()))
        text = text.chopped(1);
    return text;
}

bool isHeader(QStringView line) {
    return trimmedHorizontally(line).startsWith(u'[');
}

// The managed key a line assigns, bare or quoted; nothing for other lines.
std::optional<QLatin1String> managedKeyOf(QStringView line) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    QStringView key = trimmedHorizontally(line.first(equals));
    if (key.size() >= 2 && (key.front() == u'"' || key.front() == u'\'') &&
        key.back() == key.front())
        key = key.sliced(1, key.size() - 2);
    for (QLatin1String managed : managedKeys)
        if (key == managed)
            return managed;
    return std::nullopt;
}

// Whether a managed line's value may run on over the next lines (in a file that is not
// TOML, whatever follows the "=" counts as its value).
bool opensMultiLineValue(QStringView line) {
    const QStringView value = line.sliced(line.indexOf(u'=') + 1);
    return value.contains(QLatin1String("\"\"\"")) || value.contains(QLatin1String("'''")) ||
           value.contains(u'[') || value.contains(u'{');
}

// Lines without their line ending ("\n" or "\r\n"): a last line without one gets one
// when the provider table is appended.
QStringList linesOf(const QString& text) {
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

// The lines other than managed keys must appear in the result in the same order. Lines
// after a managed line whose value may run on are not required: they may belong to it
// (and go with it), and where that value ends is the patcher's own reading.
void checkLinesSurvive(const QString& original, const QString& patched) {
    const QStringList before = linesOf(original);
    const QStringList after = linesOf(patched);
    qsizetype next = 0;
    bool runOn = false;
    for (const QString& line : before) {
        if (managedKeyOf(line)) {
            runOn = runOn || opensMultiLineValue(line);
            continue;
        }
        if (runOn)
            continue;
        const qsizetype found = after.indexOf(line, next);
        Fuzz::require(found >= 0, "every line that is not a managed key survives, in order",
                      line + QStringLiteral("\n--- in the result:\n") + patched);
        next = found + 1;
    }
}

// In a file whose top-level lines hold no multi-line value and no comment, each line is a
// statement, and the top level ends at the first table header: there every managed key
// the profile sets must be assigned exactly once, and the removed ones not at all.
void checkManagedOnce(const QString& original, const QString& patched, const Profile& profile) {
    for (const QString& line : original.split(u'\n')) {
        if (isHeader(line))
            break;
        for (const char* sign : {"\"\"\"", "'''", "#", "[", "]", "{", "}"})
            if (line.contains(QLatin1String(sign)))
                return;
    }
    std::array<int, 5> counts{};
    for (const QString& line : patched.split(u'\n')) {
        if (isHeader(line))
            break;
        if (const auto key = managedKeyOf(line))
            for (size_t i = 0; i < managedKeys.size(); ++i)
                counts[i] += managedKeys[i] == *key ? 1 : 0;
    }
    for (size_t i = 0; i < managedKeys.size(); ++i)
        Fuzz::require(counts[i] == (expectedValue(profile, managedKeys[i]) ? 1 : 0),
                      "each managed key is set once at the top level", managedKeys[i]);
}

std::optional<toml::table> parsed(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    try {
        return toml::parse(std::string_view(utf8.constData(), size_t(utf8.size())));
    } catch (const toml::parse_error&) {
        return std::nullopt;
    }
}

// Values equal, NaN equal to NaN.
bool same(const toml::node& a, const toml::node& b) {
    if (a.is_table() && b.is_table()) {
        const toml::table& x = *a.as_table();
        const toml::table& y = *b.as_table();
        if (x.size() != y.size())
            return false;
        for (auto&& [key, value] : x) {
            const toml::node* other = y.get(key.str());
            if (!other || !same(value, *other))
                return false;
        }
        return true;
    }
    if (a.is_array() && b.is_array()) {
        const toml::array& x = *a.as_array();
        const toml::array& y = *b.as_array();
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (!same(x[i], y[i]))
                return false;
        return true;
    }
    if (a.is_floating_point() && b.is_floating_point() && std::isnan(a.as_floating_point()->get()))
        return std::isnan(b.as_floating_point()->get());
    return toml::node_view<const toml::node>(&a) == toml::node_view<const toml::node>(&b);
}

void checkToml(toml::table before, const QString& patched, const Profile& profile) {
    std::optional<toml::table> after = parsed(patched);
    Fuzz::require(after.has_value(), "a TOML file stays TOML", patched);
    for (QLatin1String key : managedKeys) {
        const std::string_view name(key.data(), size_t(key.size()));
        const std::optional<QString> value = expectedValue(profile, key);
        const toml::node* node = after->get(name);
        if (value) {
            const auto* string = node ? node->as_string() : nullptr;
            Fuzz::require(string && string->get() == value->toStdString(),
                          "the TOML result holds the profile's value", key);
        } else {
            Fuzz::require(!node, "the TOML result has no removed key", key);
        }
        before.erase(name);
        after->erase(name);
    }
    const QString provider = providerNeedingTable(profile);
    const auto* providers = before.get_as<toml::table>("model_providers");
    if (!provider.isEmpty() &&
        !(providers && providers->get_as<toml::table>(provider.toStdString()))) {
        // The patch added the provider's table: the only other change allowed.
        auto* added = after->get_as<toml::table>("model_providers");
        Fuzz::require(added && added->get_as<toml::table>(provider.toStdString()),
                      "a missing provider table is added");
        added->erase(provider.toStdString());
        if (added->empty() && !providers)
            after->erase("model_providers");
    }
    Fuzz::require(same(before, *after), "every other value of a TOML file is kept", patched);
}

QString patchedContent(const QString& content, const Profile& profile) {
    return QString::fromUtf8(ConfigPatch::patched(content.toUtf8(), profile));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = Fuzz::text(data, size);
    const qsizetype firstBreak = input.indexOf(u'\n');
    const Profile profile =
        profileFrom(QStringView(input).first(firstBreak < 0 ? input.size() : firstBreak));
    const QString content = firstBreak < 0 ? QString() : input.sliced(firstBreak + 1);

    QString patched;
    try {
        patched = patchedContent(content, profile);
    } catch (const ConfigPatchError& error) {
        Fuzz::require(!error.localizedDescription().isEmpty(), "a refusal says why");
        try {
            patchedContent(content, profile);
        } catch (const ConfigPatchError& again) {
            Fuzz::require(again.localizedDescription() == error.localizedDescription(),
                          "a refusal is the same every time");
            return 0;
        }
        Fuzz::fail("a refused file is refused again");
    }

    try {
        Fuzz::require(patchedContent(patched, profile) == patched,
                      "patching twice equals patching once", patched);
    } catch (const ConfigPatchError& error) {
        Fuzz::fail("a patched file is patched again",
                   error.localizedDescription() + QStringLiteral("\n--- patched:\n") + patched);
    }
    const QString provider = ConfigReading::providerNeedingTable(profile);
    const ConfigReading::Reading reading = ConfigReading::readingOf(patched.toUtf8(), provider);
    if (const auto why = ConfigReading::mismatch(reading, profile, provider))
        Fuzz::fail("the result verifies", *why);
    const QStringList differences = ConfigReading::differenceLines(reading, profile, provider);
    Fuzz::require(differences.isEmpty(), "the result has no differences", differences.join(u'\n'));

    checkLinesSurvive(content, patched);
    checkManagedOnce(content, patched, profile);
    if (std::optional<toml::table> before = parsed(content))
        checkToml(std::move(*before), patched, profile);
    return 0;
}
