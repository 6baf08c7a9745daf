// The commands about API keys and deleting profiles: key set, key delete, key store and
// profile delete.

#include "cli/Command.h"

#include "app/KeyDeletion.h"
#include "profiles/ProfilesStore.h"

#include <QFile>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace ExitStatus;

// The key as typed: from standard input, or asked for without echo on a terminal.
QString readKey(const QString& profileName, QTextStream& err) {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw TavrinError(QStringLiteral("Could not read standard input."));
    if (!::isatty(STDIN_FILENO)) {
        QString key = QString::fromUtf8(input.readAll());
        if (key.endsWith(QLatin1Char('\n')))
            key.chop(1);
        if (key.endsWith(QLatin1Char('\r')))
            key.chop(1);
        return key;
    }
    err << QStringLiteral("API key for %1: ").arg(profileName) << Qt::flush;
    termios saved{};
    const bool canHide = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    QString key = QString::fromUtf8(input.readLine());
    if (canHide)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    err << Qt::endl;
    while (key.endsWith(QLatin1Char('\n')) || key.endsWith(QLatin1Char('\r')))
        key.chop(1);
    return key;
}

// Asks before anything is deleted, unless --yes was given.
bool confirmed(CommandContext& context, const QString& question, const QString& details,
               const QString& command) {
    if (context.isSet(QStringLiteral("yes")))
        return true;
    context.err << details << Qt::endl;
    return context.confirm(question,
                           QStringLiteral("Nothing was deleted. Run `tavrin-cli %1 --yes` to "
                                          "delete without being asked.")
                               .arg(command));
}

// The sentence and what was done besides, on one line.
QString withMore(const QString& sentence, const QString& more) {
    return more.isEmpty() ? sentence : sentence + QLatin1Char(' ') + more;
}

int keyStore(CommandContext& context) {
    using Location = KeyStorage::Location;
    KeyStorage& keys = context.store().keyStorage();
    if (context.words.size() == 1) {
        context.out << KeyStorage::describe(keys.location()) << Qt::endl;
        return success;
    }
    const QString where = context.words[1];
    if (where != QLatin1String("keyring") && where != QLatin1String("file"))
        throw UsageError(QStringLiteral("Unknown key store '%1': use keyring or file.").arg(where));
    const Location to = where == QLatin1String("keyring") ? Location::keyring : Location::file;
    context.err << (to == Location::keyring
                        ? QStringLiteral("Moving the API keys to the system keyring\u2026")
                        : QStringLiteral("Moving the API keys back to the key file\u2026"))
                << Qt::endl;
    context.out << keys.moveKeys(to) << Qt::endl;
    return success;
}

int deleteKey(CommandContext& context, const Profile& profile) {
    ProfilesStore& store = context.store();
    const KeyDeletionPlan plan = KeyDeletion::plan(store, profile.id);
    if (!plan.hasStoredKey) {
        context.err << QStringLiteral("%1 has no stored key to delete.").arg(profile.name)
                    << Qt::endl;
        return failure;
    }
    if (!confirmed(context, plan.question(), plan.details(),
                   QStringLiteral("key delete ") + profile.id))
        return failure;
    const QString more = KeyDeletion::deleteKey(store, profile.id);
    context.out << withMore(QStringLiteral("Key deleted for %1.").arg(profile.name), more)
                << Qt::endl;
    return success;
}

} // namespace

int Commands::key(CommandContext& context) {
    const QString action = context.words[0];
    if (action == QLatin1String("store"))
        return keyStore(context);
    if (action != QLatin1String("set") && action != QLatin1String("delete"))
        throw UsageError(
            QStringLiteral("Unknown key action '%1': use set, delete or store.").arg(action));
    if (context.words.size() < 2)
        throw UsageError(QStringLiteral("Missing arguments."));
    ProfilesStore& store = context.store();
    const Profile profile = context.profile(context.words[1]);
    if (action == QLatin1String("delete"))
        return deleteKey(context, profile);
    const QString key = readKey(profile.name, context.err);
    if (key.isEmpty()) {
        context.err << QStringLiteral("No key was given; nothing was saved.") << Qt::endl;
        return failure;
    }
    store.saveAPIKey(key, profile.id);
    context.out << QStringLiteral("Key saved for %1.").arg(profile.name) << Qt::endl;
    return success;
}

int Commands::profile(CommandContext& context) {
    if (context.words[0] != QLatin1String("delete"))
        throw UsageError(
            QStringLiteral("Unknown profile action '%1': use delete.").arg(context.words[0]));
    ProfilesStore& store = context.store();
    const Profile profile = context.profile(context.words[1]);
    KeyDeletion::checkDeletable(store, profile.id);
    const KeyDeletionPlan plan = KeyDeletion::plan(store, profile.id);
    if (!confirmed(context, plan.profileQuestion(), plan.profileDetails(),
                   QStringLiteral("profile delete ") + profile.id))
        return failure;
    const QString more = KeyDeletion::deleteProfile(store, profile.id);
    context.out << withMore(QStringLiteral("Profile deleted: %1.").arg(profile.name), more)
                << Qt::endl;
    return success;
}
