#include "codex/ConfigPatcher.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringView>

#include <array>

// config.toml is handled as text lines, never parsed as TOML: only the lines before the
// first table header (the top-level region) are read or changed, and everything from
// that header on is copied through untouched without being split into lines.

namespace {

const QLatin1String preferredAuthMethodKey("preferred_auth_method");
const QLatin1String modelProviderKey("model_provider");
const QLatin1String disableResponseStorageKey("disable_response_storage");
const QLatin1String modelKey("model");
const QLatin1String modelReasoningEffortKey("model_reasoning_effort");

const QByteArray utf8Bom("\xEF\xBB\xBF");

struct Assignment {
    QLatin1String key;
    std::optional<QString> value; // the text right of " = "; absent: the key must go
};

using Assignments = std::array<Assignment, 5>;

QString trimmedProvider(const Profile& profile) {
    return profile.modelProvider ? profile.modelProvider->trimmed() : QString();
}

// The managed keys in the order in which missing ones are inserted.
Assignments assignments(const Profile& profile) {
    const QString provider = trimmedProvider(profile);
    return {{
        {preferredAuthMethodKey, ConfigPatcher::quoted(profile.preferredAuthMethod)},
        {modelProviderKey, provider.isEmpty()
                               ? std::nullopt
                               : std::optional<QString>(ConfigPatcher::quoted(provider))},
        {disableResponseStorageKey,
         profile.disableResponseStorage ? QStringLiteral("true") : QStringLiteral("false")},
        {modelKey, ConfigPatcher::quoted(profile.model)},
        {modelReasoningEffortKey, ConfigPatcher::quoted(profile.modelReasoningEffort)},
    }};
}

QString writtenLine(const Assignment& assignment) {
    return assignment.key + QStringLiteral(" = ") + *assignment.value;
}

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

bool isKeyCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
           u == u'_';
}

std::optional<QStringView> keyOf(QStringView line) {
    const QStringView text = trimmedHorizontally(line);
    if (text.isEmpty() || text.front() == u'#')
        return std::nullopt;
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0)
        return std::nullopt;
    const QStringView key = trimmedHorizontally(text.first(equals));
    if (key.isEmpty())
        return std::nullopt;
    for (QChar c : key)
        if (!isKeyCharacter(c))
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

QString newlineOf(QStringView text) {
    // "\r\n" anywhere makes it the line break of the whole file. Searching for the single
    // character keeps this a fast scan on large files.
    for (qsizetype at = text.indexOf(u'\r'); at >= 0 && at + 1 < text.size();
         at = text.indexOf(u'\r', at + 1)) {
        if (text[at + 1] == u'\n')
            return QStringLiteral("\r\n");
    }
    return QStringLiteral("\n");
}

qsizetype indexOfNewline(QStringView text, qsizetype from, QStringView newline) {
    if (newline.size() == 1)
        return text.indexOf(newline.front(), from);
    return text.indexOf(newline, from);
}

// Splits the top-level region of `text` into lines and returns the offset at which the
// tables region starts, or -1 when there is no table header. Lines after the first
// header are not looked at.
qsizetype splitTopLevel(QStringView text, QStringView newline, QList<QStringView>& lines) {
    qsizetype position = 0;
    for (;;) {
        const qsizetype end = indexOfNewline(text, position, newline);
        const QStringView line = text.sliced(position, (end < 0 ? text.size() : end) - position);
        if (isTableHeader(line))
            return position;
        lines.append(line);
        if (end < 0)
            return -1;
        position = end + newline.size();
    }
}

QString valueText(QStringView line) {
    // The line split once at the first "=", empty pieces dropped, last piece kept.
    const qsizetype equals = line.indexOf(u'=');
    const QStringView after = line.sliced(equals + 1);
    return ConfigPatcher::normalizeTomlValue(
        (after.isEmpty() ? line.first(equals) : after).toString());
}

QHash<QString, QString> valuesOf(const QList<QStringView>& lines) {
    QHash<QString, QString> values;
    for (QStringView line : lines) {
        if (const auto key = keyOf(line))
            values.insert(key->toString(), valueText(line));
    }
    return values;
}

QStringList patchLines(const QList<QStringView>& lines, const Profile& profile) {
    const Assignments all = assignments(profile);
    std::array<bool, 5> written{};
    QStringList processed;
    processed.reserve(lines.size() + 1);

    for (QStringView line : lines) {
        const auto key = keyOf(line);
        const Assignment* match = nullptr;
        size_t index = 0;
        if (key) {
            for (; index < all.size(); ++index) {
                if (*key == all[index].key) {
                    match = &all[index];
                    break;
                }
            }
        }
        if (!match) {
            processed.append(line.toString());
            continue;
        }
        // Drop the key when it has no value, and any later duplicate of a written key.
        if (!match->value || written[index])
            continue;
        processed.append(writtenLine(*match));
        written[index] = true;
    }

    QStringList missing;
    for (size_t index = 0; index < all.size(); ++index) {
        if (all[index].value && !written[index])
            missing.append(writtenLine(all[index]));
    }
    if (missing.isEmpty())
        return processed;
    // New keys go to the very top, set off from what follows by one blank line.
    if (processed.isEmpty() || !processed.front().isEmpty())
        missing.append(QString());
    return missing + processed;
}

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

} // namespace

ConfigPatchError::ConfigPatchError(Kind kind, const QString& message)
    : TavrinError(kind == Kind::patchFailedAndRestored
                      ? QStringLiteral("Patch failed, restored backup. ") + message
                      : message),
      m_kind(kind), m_message(message) {}

ConfigPatchError ConfigPatchError::validationFailed(const QString& message) {
    return ConfigPatchError(Kind::validationFailed, message);
}

ConfigPatchError ConfigPatchError::patchFailedAndRestored(const QString& message) {
    return ConfigPatchError(Kind::patchFailedAndRestored, message);
}

ConfigPatcher::ConfigPatcher(std::shared_ptr<FileBackupService> backupService)
    : m_backupService(backupService ? std::move(backupService)
                                    : std::make_shared<FileBackupService>()) {}

QString ConfigPatcher::quoted(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

std::optional<QString> ConfigPatcher::topLevelKey(const QString& line) {
    if (const auto key = keyOf(line))
        return key->toString();
    return std::nullopt;
}

QString ConfigPatcher::normalizeTomlValue(const QString& value) {
    const qsizetype hash = value.indexOf(QLatin1Char('#'));
    QString text = (hash < 0 ? value : value.first(hash)).trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.sliced(1, text.size() - 2);
    return text;
}

QHash<QString, QString> ConfigPatcher::activeTopLevelValues(const QStringList& lines) {
    QList<QStringView> views;
    views.reserve(lines.size());
    for (const QString& line : lines)
        views.append(line);
    return valuesOf(views);
}

QString ConfigPatcher::patchedContent(const QString& content, const Profile& profile) {
    const QString newline = newlineOf(content);
    const bool endsWithNewline = content.endsWith(newline);
    const QStringView body =
        QStringView(content).first(content.size() - (endsWithNewline ? newline.size() : 0));

    QList<QStringView> header;
    const qsizetype tablesStart = splitTopLevel(body, newline, header);
    const QStringList patched = patchLines(header, profile);

    QString result;
    qsizetype size = content.size() + newline.size();
    for (const QString& line : patched)
        size += line.size() + newline.size();
    result.reserve(size);
    for (qsizetype i = 0; i < patched.size(); ++i) {
        if (i > 0)
            result += newline;
        result += patched[i];
    }
    if (tablesStart >= 0) {
        // The tables region, with its own line breaks and final newline, stays as it was.
        result += newline;
        result += QStringView(content).sliced(tablesStart);
    } else if (endsWithNewline) {
        result += newline;
    }
    return result;
}

void ConfigPatcher::validate(const QString& content, const Profile& profile) {
    QList<QStringView> lines;
    splitTopLevel(content, newlineOf(content), lines);
    const QHash<QString, QString> values = valuesOf(lines);

    const auto check = [&](QLatin1String key, const QString& expected) {
        const auto it = values.constFind(key);
        if (it == values.constEnd() || *it != expected)
            throw ConfigPatchError::validationFailed(key + QStringLiteral(" was not updated."));
    };
    check(preferredAuthMethodKey, profile.preferredAuthMethod);
    check(modelKey, profile.model);
    check(modelReasoningEffortKey, profile.modelReasoningEffort);
    check(disableResponseStorageKey,
          profile.disableResponseStorage ? QStringLiteral("true") : QStringLiteral("false"));
    const QString provider = trimmedProvider(profile);
    if (!provider.isEmpty())
        check(modelProviderKey, provider);
    else if (values.contains(modelProviderKey))
        throw ConfigPatchError::validationFailed(QStringLiteral("model_provider is still active."));
}

void ConfigPatcher::checkCanApply(const Profile&, const QString& configURL) {
    if (FileUtil::exists(configURL))
        decodeUtf8(FileUtil::readAll(configURL), configURL);
}

QStringList ConfigPatcher::differences(const Profile& profile, const QString& configURL) {
    try {
        const QString text = FileUtil::exists(configURL)
                                 ? decodeUtf8(FileUtil::readAll(configURL), configURL).text
                                 : QString();
        validate(text, profile);
    } catch (const TavrinError& error) {
        return {error.localizedDescription()};
    }
    return {};
}

ConfigPatchResult ConfigPatcher::apply(const Profile& profile, const QString& configURL,
                                       const ChangeRecorder& recorder) {
    const bool existed = FileUtil::exists(configURL);
    QByteArray originalBytes;
    DecodedText original;
    std::optional<BackupResult> backup;

    if (existed) {
        // Read and check the text before any backup is made, so that a file we cannot
        // handle leaves no trace.
        originalBytes = FileUtil::readAll(configURL);
        original = decodeUtf8(originalBytes, configURL);
        try {
            backup = m_backupService->createConfigBackups(configURL);
        } catch (...) {
            // The patch goes on without a backup; the bytes read above are kept in memory
            // so that a failure can still put them back.
            backup.reset();
        }
    } else {
        FileUtil::makePath(AppPaths::codexDirectory());
        FileUtil::makePath(QFileInfo(configURL).absolutePath());
    }

    if (recorder)
        recorder(FileChange{configURL, existed, backup ? backup->timestampedBackupURL : QString()});

    try {
        QByteArray bytes = patchedContent(original.text, profile).toUtf8();
        if (original.hasBom)
            bytes.prepend(utf8Bom);
        FileUtil::writeAtomically(configURL, bytes);
        validate(decodeUtf8(FileUtil::readAll(configURL), configURL).text, profile);
    } catch (...) {
        const QString cause = describeError(std::current_exception());
        rollBack(configURL, existed, originalBytes, backup);
        throw ConfigPatchError::patchFailedAndRestored(cause);
    }
    return ConfigPatchResult{backup};
}

void ConfigPatcher::rollBack(const QString& configURL, bool existed,
                             const QByteArray& originalBytes,
                             const std::optional<BackupResult>& backup) {
    if (!existed) {
        // There was no file before: back to no file.
        try {
            FileUtil::remove(configURL);
        } catch (const TavrinError&) {
        }
        return;
    }
    // Put back the latest backup, or the exact bytes read before the patch when there is
    // none (or it cannot be read). The file is replaced atomically rather than removed
    // first, so the user's configuration is never missing, and it keeps its mode and
    // stays a symbolic link if it was one.
    QByteArray restored = originalBytes;
    if (backup) {
        try {
            restored = FileUtil::readAll(backup->latestBackupURL);
        } catch (const TavrinError&) {
        }
    }
    try {
        FileUtil::writeAtomically(configURL, restored);
    } catch (const TavrinError&) {
    }
}
