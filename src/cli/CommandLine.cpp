#include "cli/CommandLine.h"

#include "cli/CommandLineText.h"
#include "cli/PolicyCheck.h"

#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "app/SwitchLock.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/AuthPatcher.h"
#include "codex/ChatSyncService.h"
#include "codex/ConfigPatcher.h"
#include "desktop/LaunchEnvironment.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

// A command line that cannot be understood: exit status 2.
class UsageError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

constexpr int success = 0;
constexpr int failure = 1;
constexpr int usage = 2;

bool takeFlag(QStringList& arguments, const QString& flag) {
    return arguments.removeAll(flag) > 0;
}

// "--name value" or "--name=value".
std::optional<QString> takeOption(QStringList& arguments, const QString& name) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == name) {
            if (i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("%1 needs a value.").arg(name));
            const QString value = arguments[i + 1];
            arguments.remove(i, 2);
            return value;
        }
        if (arguments[i].startsWith(name + QLatin1Char('='))) {
            const QString value = arguments[i].mid(name.size() + 1);
            arguments.remove(i);
            return value;
        }
    }
    return std::nullopt;
}

// What is left once the options are taken: the positional words, at most `maximum`.
QStringList words(const QStringList& arguments, qsizetype minimum, qsizetype maximum) {
    for (const QString& argument : arguments)
        if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1)
            throw UsageError(QStringLiteral("Unknown option %1.").arg(argument));
    if (arguments.size() < minimum)
        throw UsageError(QStringLiteral("Missing arguments."));
    if (arguments.size() > maximum)
        throw UsageError(
            QStringLiteral("Too many arguments: %1.").arg(arguments.join(QLatin1Char(' '))));
    return arguments;
}

TargetIDE targetNamed(const QString& name) {
    if (name == QLatin1String("codex"))
        return TargetIDE::codex;
    if (name == QLatin1String("claude"))
        return TargetIDE::claude;
    throw UsageError(QStringLiteral("Unknown target '%1': use codex or claude.").arg(name));
}

QString targetKey(TargetIDE target) {
    return target == TargetIDE::codex ? QStringLiteral("codex") : QStringLiteral("claude");
}

QString describeProfiles(const QList<Profile>& profiles) {
    QStringList entries;
    for (const Profile& profile : profiles)
        entries << QStringLiteral("%1 (%2)").arg(profile.id, profile.name);
    return entries.isEmpty() ? QStringLiteral("none") : entries.join(QStringLiteral(", "));
}

// A profile by id, else by name (exactly, then ignoring case).
Profile findProfile(const ProfilesStore& store, const QString& text,
                    std::optional<TargetIDE> target = std::nullopt) {
    const QList<Profile> profiles = store.profiles();
    const auto match = [&](auto&& matches) -> std::optional<Profile> {
        for (const Profile& profile : profiles)
            if (matches(profile))
                return profile;
        return std::nullopt;
    };
    std::optional<Profile> found = match([&](const Profile& p) { return p.id == text; });
    if (!found)
        found = match([&](const Profile& p) { return p.name == text; });
    if (!found)
        found =
            match([&](const Profile& p) { return p.name.compare(text, Qt::CaseInsensitive) == 0; });
    QList<Profile> offered;
    for (const Profile& profile : profiles)
        if (!target || profile.isAvailable(*target))
            offered << profile;
    if (!found)
        throw TavrinError(
            QStringLiteral("There is no profile '%1'. Profiles%2: %3.")
                .arg(text,
                     target ? QStringLiteral(" for ") + TargetIDEs::rawValue(*target) : QString(),
                     describeProfiles(offered)));
    if (target && !found->isAvailable(*target))
        throw TavrinError(
            QStringLiteral("%1 cannot be used for %2. Profiles for %2: %3.")
                .arg(found->name, TargetIDEs::rawValue(*target), describeProfiles(offered)));
    return *found;
}

// How chats that do not follow the active profile are mended: by restoring what an
// interrupted switch left, or else by switching to the profile again.
QString chatsRemedy(const Profile& profile) {
    if (QFileInfo::exists(SwitchJournal::path()))
        return QStringLiteral("run `tavrin-cli recover` first");
    return QStringLiteral("switch Codex to %1 again to move them (`tavrin-cli switch codex %2`)")
        .arg(profile.name, profile.id);
}

std::optional<Profile> activeProfile(const ProfilesStore& store, TargetIDE target) {
    return target == TargetIDE::codex ? store.activeProfile() : store.activeClaudeProfile();
}

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

// The text followed by a line end; nothing for no text.
QString sentenceLine(const QString& text) {
    return text.isEmpty() ? text : text + QLatin1Char('\n');
}

} // namespace

using CommandLineText::completionScript;
using CommandLineText::helpText;

CommandLine::CommandLine(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

CommandLine::~CommandLine() = default;

QString CommandLine::version() {
    return QStringLiteral("tavrin-cli ") + CloudControlService::currentAppVersion();
}

int CommandLine::run(QStringList arguments) {
    // Both spellings are taken out of the arguments.
    const bool verboseLong = takeFlag(arguments, QStringLiteral("--verbose"));
    const bool verbose = takeFlag(arguments, QStringLiteral("-v")) || verboseLong;
    // Progress is printed by the commands themselves; the logging categories speak only
    // when asked to (QT_LOGGING_RULES still wins over this).
    QLoggingCategory::setFilterRules(verbose ? QStringLiteral("tavrin.*=true")
                                             : QStringLiteral("tavrin.*=false"));
    if (verbose)
        qSetMessagePattern(QStringLiteral("%{category}: %{message}"));

    if (arguments.isEmpty()) {
        m_err << helpText(QString());
        return usage;
    }
    const QString command = arguments.takeFirst();
    try {
        if (command == QLatin1String("--version")) {
            m_out << version() << Qt::endl;
            return success;
        }
        if (command == QLatin1String("--help") || command == QLatin1String("-h"))
            return help(QString());
        if (command == QLatin1String("help"))
            return help(arguments.value(0));
        if (takeFlag(arguments, QStringLiteral("--help")) ||
            takeFlag(arguments, QStringLiteral("-h")))
            return help(command);
        return dispatch(command, arguments);
    } catch (const UsageError& error) {
        const bool known = !helpText(command).isEmpty();
        m_err << QStringLiteral("tavrin-cli %1: %2\n").arg(command, error.localizedDescription())
              << QStringLiteral("Run `tavrin-cli %1--help` for how to use it.\n")
                     .arg(known ? command + QLatin1Char(' ') : QString());
        return usage;
    } catch (const std::exception&) {
        m_err << describeError(std::current_exception()) << Qt::endl;
        return failure;
    }
}

int CommandLine::dispatch(const QString& command, QStringList& arguments) {
    if (command == QLatin1String("list"))
        return list(arguments);
    if (command == QLatin1String("status"))
        return status(arguments);
    if (command == QLatin1String("switch"))
        return switchProfile(arguments);
    if (command == QLatin1String("env"))
        return env(arguments);
    if (command == QLatin1String("key"))
        return key(arguments);
    if (command == QLatin1String("recover"))
        return recover(arguments);
    if (command == QLatin1String("completions"))
        return completions(arguments);
    throw UsageError(QStringLiteral("Unknown command. Commands: list, status, switch, env, key, "
                                    "recover, completions, help."));
}

int CommandLine::help(const QString& command) {
    const QString text = helpText(command);
    if (text.isEmpty()) {
        m_err << QStringLiteral("tavrin-cli: no help for '%1'.\n").arg(command);
        return usage;
    }
    m_out << text;
    return success;
}

void CommandLine::loadStore() {
    m_store = std::make_unique<ProfilesStore>();
    // A profiles file that cannot be read leaves the store read-only with the defaults;
    // the commands that change something then say why.
    try {
        m_store->load();
    } catch (const TavrinError& error) {
        m_err << error.localizedDescription() << Qt::endl;
    }
    noteInterruptedSwitch();
}

void CommandLine::noteInterruptedSwitch() {
    try {
        if (const auto state = SwitchJournal::interrupted())
            m_err << QStringLiteral("Note: the last switch of %1 to %2 did not finish. Run "
                                    "`tavrin-cli recover` to see what it left and restore the "
                                    "files from before it.\n")
                         .arg(TargetIDEs::rawValue(state->target), state->profileName);
    } catch (const TavrinError& error) {
        m_err << error.localizedDescription() << Qt::endl;
    }
}

int CommandLine::list(QStringList& arguments) {
    const bool json = takeFlag(arguments, QStringLiteral("--json"));
    const bool ids = takeFlag(arguments, QStringLiteral("--ids"));
    const QStringList positional = words(arguments, 0, 1);
    QList<TargetIDE> targets(std::begin(TargetIDEs::allCases), std::end(TargetIDEs::allCases));
    if (!positional.isEmpty())
        targets = {targetNamed(positional.first())};
    loadStore();

    QJsonObject document;
    for (TargetIDE target : targets) {
        const QString active = m_store->activeProfileID(target);
        QJsonArray entries;
        if (!json && !ids && targets.size() > 1)
            m_out << TargetIDEs::rawValue(target) << QStringLiteral(":\n");
        for (const Profile& profile : m_store->profiles()) {
            if (!profile.isAvailable(target))
                continue;
            const bool isActive = profile.id == active;
            const bool hasKey = m_store->hasAPIKey(profile.id);
            const QString kind =
                profile.isVelqorAccount() ? QStringLiteral("api-key") : QStringLiteral("account");
            if (ids)
                m_out << profile.id << Qt::endl;
            else if (!json)
                m_out << (isActive ? QStringLiteral("* ") : QStringLiteral("  "))
                      << profile.id.leftJustified(14) << QLatin1Char(' ') << profile.name
                      << (profile.isVelqorAccount() ? (hasKey ? QStringLiteral("  (API key)")
                                                              : QStringLiteral("  (no API key)"))
                                                    : QString())
                      << Qt::endl;
            entries.append(QJsonObject{{QStringLiteral("id"), profile.id},
                                       {QStringLiteral("name"), profile.name},
                                       {QStringLiteral("kind"), kind},
                                       {QStringLiteral("active"), isActive},
                                       {QStringLiteral("has_key"), hasKey}});
        }
        document.insert(targetKey(target), entries);
    }
    if (json)
        m_out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return success;
}

int CommandLine::status(QStringList& arguments) {
    const bool json = takeFlag(arguments, QStringLiteral("--json"));
    words(arguments, 0, 0);
    loadStore();

    QJsonObject document;
    for (TargetIDE target : TargetIDEs::allCases) {
        const std::optional<Profile> profile = activeProfile(*m_store, target);
        QStringList differences;
        if (profile) {
            try {
                const std::optional<QString> key = m_store->apiKey(profile->id);
                if (target == TargetIDE::codex)
                    differences = ConfigPatcher().differences(*profile, AppPaths::configURL()) +
                                  AuthPatcher().differences(*profile, key) +
                                  ChatSyncService().differences(*profile, chatsRemedy(*profile));
                else
                    differences = ClaudeSettingsPatcher().differences(*profile, key);
            } catch (const TavrinError& error) {
                differences << error.localizedDescription();
            }
        }
        const QString id = m_store->activeProfileID(target);
        if (json) {
            document.insert(
                targetKey(target),
                QJsonObject{
                    {QStringLiteral("active"), id},
                    {QStringLiteral("name"), profile ? profile->name : QString()},
                    {QStringLiteral("matches"), differences.isEmpty()},
                    {QStringLiteral("differences"), QJsonArray::fromStringList(differences)}});
            continue;
        }
        m_out << TargetIDEs::rawValue(target) << QStringLiteral(": ")
              << (profile ? QStringLiteral("%1 (%2)").arg(profile->name, id) : id);
        if (differences.isEmpty()) {
            m_out << QStringLiteral(", the files match.\n");
            continue;
        }
        m_out << QStringLiteral(", but the files differ:\n");
        for (const QString& difference : differences)
            m_out << QStringLiteral("  ") << difference << Qt::endl;
    }
    if (json)
        m_out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return success;
}

int CommandLine::switchProfile(QStringList& arguments) {
    const bool noRestart = takeFlag(arguments, QStringLiteral("--no-restart"));
    const QStringList positional = words(arguments, 2, 2);
    const TargetIDE target = targetNamed(positional[0]);
    loadStore();
    const Profile profile = findProfile(*m_store, positional[1], target);
    // The policy lock of the window holds here too. A policy that cannot be loaded locks
    // nothing, as in the window at start.
    QString problem;
    switch (PolicyCheck::updateRequired(problem)) {
    case PolicyCheck::Verdict::updateRequired:
        m_err << QStringLiteral("Update required") << Qt::endl;
        return failure;
    case PolicyCheck::Verdict::unknown:
        m_err << QStringLiteral("Cloud check failed: ") << problem << Qt::endl;
        break;
    case PolicyCheck::Verdict::allowed:
        break;
    }
    SwitchFlow flow(*m_store, {}, [this](const QString& line) { m_err << line << Qt::endl; });
    SwitchOptions options;
    options.restart = !noRestart;
    m_out << flow.apply(target, profile, options) << Qt::endl;
    return success;
}

int CommandLine::env(QStringList& arguments) {
    const std::optional<QString> shellName = takeOption(arguments, QStringLiteral("--shell"));
    const QStringList positional = words(arguments, 1, 2);
    const TargetIDE target = targetNamed(positional[0]);
    using LaunchEnvironments::Shell;
    Shell shell = Shell::sh;
    if (shellName) {
        const auto named = LaunchEnvironments::shellNamed(*shellName);
        if (!named)
            throw UsageError(
                QStringLiteral("Unknown shell '%1': use sh, bash, zsh or fish.").arg(*shellName));
        shell = *named;
    } else {
        // The user's shell, when it is one we speak.
        const QString login = QFileInfo(qEnvironmentVariable("SHELL")).fileName();
        shell = LaunchEnvironments::shellNamed(login).value_or(Shell::sh);
    }
    loadStore();
    std::optional<Profile> profile;
    if (positional.size() > 1)
        profile = findProfile(*m_store, positional[1], target);
    else
        profile = activeProfile(*m_store, target);
    if (!profile)
        throw TavrinError(
            QStringLiteral("%1 has no active profile.").arg(TargetIDEs::rawValue(target)));
    const std::optional<QString> key = m_store->apiKey(profile->id);
    SwitchFlow::checkProfile(target, *profile, key);
    const LaunchEnvironment variables = target == TargetIDE::codex
                                            ? LaunchEnvironments::codex(profile)
                                            : LaunchEnvironments::claude(profile, key);
    m_out << LaunchEnvironments::shellScript(variables, shell);
    return success;
}

int CommandLine::key(QStringList& arguments) {
    const QStringList positional = words(arguments, 2, 2);
    const QString action = positional[0];
    if (action != QLatin1String("set") && action != QLatin1String("delete"))
        throw UsageError(QStringLiteral("Unknown key action '%1': use set or delete.").arg(action));
    loadStore();
    const Profile profile = findProfile(*m_store, positional[1]);
    if (action == QLatin1String("delete")) {
        m_store->deleteAPIKey(profile.id);
        m_out << QStringLiteral("Key deleted for %1.").arg(profile.name) << Qt::endl;
        return success;
    }
    const QString key = readKey(profile.name, m_err);
    if (key.isEmpty()) {
        m_err << QStringLiteral("No key was given; nothing was saved.") << Qt::endl;
        return failure;
    }
    m_store->saveAPIKey(key, profile.id);
    m_out << QStringLiteral("Key saved for %1.").arg(profile.name) << Qt::endl;
    return success;
}

int CommandLine::recover(QStringList& arguments) {
    const bool yes = takeFlag(arguments, QStringLiteral("--yes"));
    const bool discard = takeFlag(arguments, QStringLiteral("--discard"));
    words(arguments, 0, 0);
    m_store = std::make_unique<ProfilesStore>();
    m_store->load();
    m_out << sentenceLine(SwitchJournal::removeLeftovers());
    std::optional<SwitchJournal::State> state;
    try {
        state = SwitchJournal::interrupted();
    } catch (const TavrinError& error) {
        // A journal that cannot be read can still be set aside.
        m_out << error.localizedDescription() << Qt::endl;
        if (!discard)
            return failure;
        m_out << QStringLiteral("Set the switch journal aside as %1; the files stay as they are.")
                     .arg(SwitchJournal::discard())
              << Qt::endl;
        return success;
    }
    if (!state) {
        if (QFileInfo::exists(SwitchJournal::path()) && SwitchLock::heldElsewhere()) {
            m_err << QStringLiteral("A switch is running. Try again when it has finished.")
                  << Qt::endl;
            return failure;
        }
        m_out << QStringLiteral("No switch was interrupted.") << Qt::endl;
        return success;
    }
    ChatSyncService chats;
    m_out << SwitchJournal::describe(*state, chats) << Qt::endl;
    if (discard) {
        const QString kept = SwitchJournal::discard();
        m_out << QStringLiteral("Forgot the interrupted switch; the files stay as they are. Its "
                                "journal is kept as %1.")
                     .arg(kept)
              << Qt::endl;
        return success;
    }
    bool restore = yes;
    if (!yes && ::isatty(STDIN_FILENO)) {
        m_err << QStringLiteral("Restore the files from before it? [y/N] ") << Qt::flush;
        QFile input;
        input.open(stdin, QIODevice::ReadOnly);
        restore =
            QString::fromUtf8(input.readLine()).trimmed().toLower().startsWith(QLatin1Char('y'));
    } else if (!yes) {
        m_err << QStringLiteral("Run `tavrin-cli recover --yes` to restore the files from before "
                                "it, or `tavrin-cli recover --discard` to keep them as they are.")
              << Qt::endl;
        return failure;
    }
    if (!restore)
        return failure;
    m_out << SwitchJournal::restore(*state, chats, *m_store) << Qt::endl;
    return SwitchJournal::interrupted() ? failure : success;
}

int CommandLine::completions(QStringList& arguments) {
    const QStringList positional = words(arguments, 1, 1);
    const QString script = completionScript(positional.first());
    if (script.isEmpty())
        throw UsageError(
            QStringLiteral("Unknown shell '%1': use bash, zsh or fish.").arg(positional.first()));
    m_out << script;
    return success;
}
