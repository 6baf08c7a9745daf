// The backups command: list, show, restore and prune the copies Tavrin made.

#include "cli/Command.h"

#include "app/BackupManager.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"

#include <QJsonDocument>

namespace {

using namespace ExitStatus;

// One line of the list: when, how big, of what, its id, and the switch that made it.
QString entryLine(const BackupEntry& entry) {
    QString line = QStringLiteral("%1  %2  %3  %4")
                       .arg(BackupCatalogue::formatTime(entry.made),
                            BackupCatalogue::formatSize(entry.size).rightJustified(9),
                            BackupCatalogue::title(entry.kind).leftJustified(15), entry.id);
    if (!entry.fromProfile.isEmpty() || !entry.toProfile.isEmpty())
        line += QStringLiteral("  (%1 \u2192 %2)").arg(entry.fromProfile, entry.toProfile);
    if (entry.role != BackupRole::dated)
        line += QStringLiteral("  [%1]").arg(BackupCatalogue::roleName(entry.role));
    if (entry.isProtected)
        line += QStringLiteral("  [kept for the unfinished switch]");
    if (!entry.complete)
        line += QStringLiteral("  [incomplete]");
    return line;
}

int listBackups(CommandContext& context, BackupManager& manager) {
    std::optional<TargetIDE> target;
    if (context.words.size() > 1)
        target = CommandContext::target(context.words[1]);
    const QList<BackupEntry> entries = manager.list(target);
    if (context.isSet(QStringLiteral("json"))) {
        context.out << QJsonDocument(BackupCatalogue::toJson(entries)).toJson();
        return success;
    }
    if (entries.isEmpty())
        context.out << QStringLiteral("No backups.") << Qt::endl;
    for (const BackupEntry& entry : entries)
        context.out << entryLine(entry) << Qt::endl;
    return success;
}

const QString& reference(CommandContext& context) {
    if (context.words.size() < 2)
        throw UsageError(QStringLiteral("Missing arguments: name the backup (its id from "
                                        "`tavrin-cli backups list`)."));
    return context.words[1];
}

int restore(CommandContext& context, BackupManager& manager) {
    const BackupEntry entry = manager.find(reference(context));
    if (!context.isSet(QStringLiteral("yes"))) {
        context.err << manager.preview(entry) << Qt::endl;
        const QString file = AppPaths::displayPath(entry.original);
        if (!context.confirm(QStringLiteral("Put this copy back as %1?").arg(file),
                             QStringLiteral("Nothing was restored. Run `tavrin-cli backups "
                                            "restore %1 --yes` to restore without being asked.")
                                 .arg(entry.id)))
            return failure;
    }
    context.out << manager.restore(entry, [&context](const QString& line) {
        context.err << line << Qt::endl;
    }) << Qt::endl;
    return success;
}

// "the newest 10 copies of each file and at most 500 MB in all", 0 meaning no limit.
QString describe(const RetentionPolicy& policy) {
    return QStringLiteral("Backups kept from now on: %1, %2.")
        .arg(policy.keepPerFile == 0
                 ? QStringLiteral("every copy of each file")
                 : QStringLiteral("the newest %1 of each file").arg(policy.keepPerFile),
             policy.maxBytes == 0 ? QStringLiteral("with no limit on their size")
                                  : QStringLiteral("at most %1 in all")
                                        .arg(BackupCatalogue::formatSize(policy.maxBytes)));
}

// Prunes by the saved limits; --keep and --max-size change them (saved for the pruning
// after each switch too, unless it is a dry run).
int prune(CommandContext& context, BackupManager& manager) {
    RetentionPolicy policy = RetentionPolicy::load();
    if (const auto keep = context.value(QStringLiteral("keep"))) {
        bool ok = false;
        policy.keepPerFile = keep->toInt(&ok);
        if (!ok || policy.keepPerFile < 0)
            throw UsageError(QStringLiteral("--keep needs a number of copies (0 keeps every "
                                            "copy), not '%1'.")
                                 .arg(*keep));
    }
    if (const auto size = context.value(QStringLiteral("max-size"))) {
        const std::optional<qint64> bytes = RetentionPolicy::parseSize(*size);
        if (!bytes)
            throw UsageError(QStringLiteral("--max-size needs a size such as 500M or 2GB (0 "
                                            "for no limit), not '%1'.")
                                 .arg(*size));
        policy.maxBytes = *bytes;
    }
    const bool dryRun = context.isSet(QStringLiteral("dry-run"));
    if (!dryRun && policy != RetentionPolicy::load()) {
        policy.save();
        context.err << describe(policy) << Qt::endl;
    }
    context.out << manager.prune(policy, dryRun) << Qt::endl;
    return success;
}

} // namespace

int Commands::backups(CommandContext& context) {
    const QString action = context.words[0];
    BackupManager manager(context.store());
    if (action == QLatin1String("list"))
        return listBackups(context, manager);
    if (action == QLatin1String("show")) {
        context.out << manager.preview(manager.find(reference(context))) << Qt::endl;
        return success;
    }
    if (action == QLatin1String("restore"))
        return restore(context, manager);
    if (action == QLatin1String("prune")) {
        if (context.words.size() > 1)
            throw UsageError(QStringLiteral("Too many arguments: %1.")
                                 .arg(context.words.join(QLatin1Char(' '))));
        return prune(context, manager);
    }
    throw UsageError(
        QStringLiteral("Unknown backups action '%1': use list, show, restore or prune.")
            .arg(action));
}
