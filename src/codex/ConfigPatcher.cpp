#include "codex/ConfigPatcher.h"

#include "codex/ConfigPatch.h"
#include "codex/ConfigReading.h"
#include "profiles/AppPaths.h"
#include "system/FileBackupService.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

QByteArray readConfig(const QString& path, bool exists) {
    const QByteArray bytes = exists ? FileUtil::readAll(path) : QByteArray();
    if (!bytes.isValidUtf8())
        throw FileError(QCoreApplication::translate(
                            "ConfigPatcher", "Could not read %1: the file is not valid UTF-8 text.")
                            .arg(path));
    return bytes;
}

// The text of the file, without the byte order mark it may start with.
QByteArrayView withoutBom(const QByteArray& bytes) {
    return QByteArrayView(bytes).sliced(bytes.startsWith(utf8Bom) ? utf8Bom.size() : 0);
}

QString providerOf(const Profile& profile) {
    return ConfigReading::providerNeedingTable(profile);
}

} // namespace

ConfigPatcher::ConfigPatcher(std::shared_ptr<FileBackupService> backupService)
    : m_backupService(backupService ? std::move(backupService)
                                    : std::make_shared<FileBackupService>()) {}

ConfigPatcher::~ConfigPatcher() = default;

ConfigChange ConfigPatcher::prepare(const Profile& profile, const QString& configURL) {
    ConfigChange change;
    change.profile = profile;
    change.path = configURL;
    // A folder, a dangling link or a link loop there is refused in plain words, never
    // taken for a missing file. The stamp comes first: a file replaced while it is read
    // is prepared again when the change is applied.
    change.existed = FileUtil::fileExists(configURL);
    change.source = FileUtil::stampOf(configURL);
    const QByteArray bytes = readConfig(configURL, change.existed);
    const QByteArrayView text = withoutBom(bytes);
    change.content = ConfigPatch::patched(text, profile,
                                          QByteArrayView(bytes).first(bytes.size() - text.size()));
    return change;
}

void ConfigPatcher::apply(const ConfigChange& prepared, const ChangeRecorder& recorder) {
    const ConfigChange change =
        replanned(prepared, [&] { return prepare(prepared.profile, prepared.path); });

    BackupResult copies;
    if (change.existed) {
        // A switch can only be undone from a copy: without one, the file stays as it is.
        try {
            copies = m_backupService->createConfigBackups(change.path);
        } catch (...) {
            throw ConfigPatchError(prefixedMessage(
                QCoreApplication::translate("ConfigPatcher",
                                            "Could not back up config.toml, so it was not "
                                            "changed"),
                describeError(std::current_exception())));
        }
    } else {
        FileUtil::makePath(AppPaths::codexDirectory());
        FileUtil::makePath(QFileInfo(change.path).absolutePath());
    }
    recordChange(recorder, FileChange{change.path, change.existed, copies.timestampedBackupURL},
                 {copies.timestampedBackupURL, copies.latestBackupURL});
    FileUtil::writeAtomically(change.path, change.content);
}

QStringList ConfigPatcher::differences(const Profile& profile, const QString& configURL) {
    try {
        const QByteArray bytes = readConfig(configURL, FileUtil::fileExists(configURL));
        const QString provider = providerOf(profile);
        return ConfigReading::differenceLines(ConfigReading::readingOf(withoutBom(bytes), provider),
                                              profile, provider);
    } catch (const TavrinError& error) {
        return {error.localizedDescription()};
    }
}
