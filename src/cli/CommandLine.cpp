#include "cli/CommandLine.h"

#include "cli/Command.h"
#include "cli/CommandLineText.h"

#include "app/SwitchJournal.h"
#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"

#include <QCommandLineParser>
#include <QFile>
#include <QLoggingCategory>

#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

bool takeFlag(QStringList& arguments, const QString& flag) {
    return arguments.removeAll(flag) > 0;
}

const CommandOption* findOption(const Command& command, const QString& name) {
    for (const CommandOption& option : command.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

// Refuses an option the command does not have, a flag given a value and an option given
// none, in words of this program's own.
void checkOptions(const Command& command, const QStringList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            return;
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() == 1)
            continue;
        const bool hasValue = argument.contains(QLatin1Char('='));
        const CommandOption* option =
            argument.startsWith(QLatin1String("--"))
                ? findOption(command, argument.mid(2).section(QLatin1Char('='), 0, 0))
                : nullptr;
        if (!option || (hasValue && !option->takesValue))
            throw UsageError(QStringLiteral("Unknown option %1.").arg(argument));
        if (option->takesValue && !hasValue && ++i >= arguments.size())
            throw UsageError(QStringLiteral("%1 needs a value.").arg(argument));
    }
}

struct Parsed {
    QStringList words;
    QList<std::pair<QString, QString>> options;
};

Parsed parse(const Command& command, const QStringList& arguments) {
    checkOptions(command, arguments);
    QCommandLineParser parser;
    for (const CommandOption& option : command.options)
        parser.addOption(QCommandLineOption(
            option.name, QString(), option.takesValue ? QStringLiteral("value") : QString()));
    if (!parser.parse(QStringList{QStringLiteral("tavrin-cli")} + arguments))
        throw UsageError(parser.errorText());
    Parsed parsed{parser.positionalArguments(), {}};
    for (const CommandOption& option : command.options)
        if (parser.isSet(option.name))
            parsed.options.append(
                {option.name, option.takesValue ? parser.value(option.name) : QString()});
    if (parsed.words.size() < command.minimumWords)
        throw UsageError(QStringLiteral("Missing arguments."));
    if (parsed.words.size() > command.maximumWords)
        throw UsageError(
            QStringLiteral("Too many arguments: %1.").arg(parsed.words.join(QLatin1Char(' '))));
    return parsed;
}

QString describeProfiles(const QList<Profile>& profiles) {
    QStringList entries;
    for (const Profile& profile : profiles)
        entries << QStringLiteral("%1 (%2)").arg(profile.id, profile.name);
    return entries.isEmpty() ? QStringLiteral("none") : entries.join(QStringLiteral(", "));
}

std::optional<Profile> firstProfile(const QList<Profile>& profiles,
                                    const std::function<bool(const Profile&)>& matches) {
    for (const Profile& profile : profiles)
        if (matches(profile))
            return profile;
    return std::nullopt;
}

} // namespace

Profile CommandContext::profile(const QString& text, std::optional<TargetIDE> target) {
    const QList<Profile> profiles = store().profiles();
    std::optional<Profile> found =
        firstProfile(profiles, [&](const Profile& p) { return p.id == text; });
    if (!found)
        found = firstProfile(profiles, [&](const Profile& p) { return p.name == text; });
    if (!found)
        found = firstProfile(profiles, [&](const Profile& p) {
            return p.name.compare(text, Qt::CaseInsensitive) == 0;
        });
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

CommandContext::CommandContext(QTextStream& out_, QTextStream& err_, QStringList words_,
                               QList<std::pair<QString, QString>> options)
    : out(out_), err(err_), words(std::move(words_)), m_options(std::move(options)) {}

CommandContext::~CommandContext() = default;

bool CommandContext::isSet(const QString& option) const {
    return value(option).has_value();
}

std::optional<QString> CommandContext::value(const QString& option) const {
    for (const auto& [name, value] : m_options)
        if (name == option)
            return value;
    return std::nullopt;
}

ProfilesStore& CommandContext::loadedStore() {
    m_store = std::make_unique<ProfilesStore>();
    m_store->load();
    return *m_store;
}

ProfilesStore& CommandContext::store() {
    if (m_store)
        return *m_store;
    m_store = std::make_unique<ProfilesStore>();
    try {
        m_store->load();
    } catch (const TavrinError& error) {
        err << error.localizedDescription() << Qt::endl;
    }
    try {
        if (const auto state = SwitchJournal::interrupted())
            err << QStringLiteral("Note: the last switch of %1 to %2 did not finish. Run "
                                  "`tavrin-cli recover` to see what it left and restore the "
                                  "files from before it.\n")
                       .arg(TargetIDEs::rawValue(state->target), state->profileName);
    } catch (const TavrinError& error) {
        err << error.localizedDescription() << Qt::endl;
    }
    return *m_store;
}

TargetIDE CommandContext::target(const QString& word) {
    if (const auto named = TargetIDEs::fromProgram(word))
        return *named;
    throw UsageError(QStringLiteral("Unknown target '%1': use codex or claude.").arg(word));
}

bool CommandContext::confirm(const QString& question, const QString& withoutTerminal) {
    if (!::isatty(STDIN_FILENO)) {
        err << withoutTerminal << Qt::endl;
        return false;
    }
    err << question << QStringLiteral(" [y/N] ") << Qt::flush;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(input.readLine()).trimmed().toLower().startsWith(QLatin1Char('y'));
}

CommandLine::CommandLine(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

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
        m_err << CommandLineText::helpText(QString());
        return ExitStatus::usage;
    }
    const QString command = arguments.takeFirst();
    try {
        if (command == QLatin1String("--version")) {
            m_out << version() << Qt::endl;
            return ExitStatus::success;
        }
        if (command == QLatin1String("--help") || command == QLatin1String("-h"))
            return help(QString());
        if (command != QLatin1String("help") && (takeFlag(arguments, QStringLiteral("--help")) ||
                                                 takeFlag(arguments, QStringLiteral("-h"))))
            return help(command);
        const Command* found = findCommand(command);
        if (!found)
            throw UsageError(QStringLiteral("Unknown command. Commands: %1.")
                                 .arg(commandNames().join(QStringLiteral(", "))));
        Parsed parsed = parse(*found, arguments);
        CommandContext context(m_out, m_err, std::move(parsed.words), std::move(parsed.options));
        return found->run(context);
    } catch (const UsageError& error) {
        const bool known = findCommand(command) != nullptr;
        m_err << QStringLiteral("tavrin-cli %1: %2\n").arg(command, error.localizedDescription())
              << QStringLiteral("Run `tavrin-cli %1--help` for how to use it.\n")
                     .arg(known ? command + QLatin1Char(' ') : QString());
        return ExitStatus::usage;
    } catch (const std::exception&) {
        m_err << describeError(std::current_exception()) << Qt::endl;
        return ExitStatus::failure;
    }
}

int CommandLine::help(const QString& command) {
    CommandContext context(m_out, m_err, {command}, {});
    return Commands::help(context);
}
