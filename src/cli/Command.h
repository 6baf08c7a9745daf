#pragma once

#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <optional>
#include <utility>

class ProfilesStore;

// A command line that cannot be understood: exit status 2.
class UsageError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// What a word of a command completes to in a shell.
struct Completion {
    enum class Kind {
        words,            // the words below
        profiles,         // every profile id
        profilesOfTarget, // the ids of the profiles of the target named by the first word
        commands,         // the command names
    };
    Kind kind = Kind::words;
    QStringList words;
};

// An option of a command, "--name" (a flag) or "--name value" / "--name=value".
struct CommandOption {
    QString name; // without the dashes
    bool takesValue = false;
    QStringList values; // what the value completes to
};

class CommandContext;

// One command of tavrin-cli. The table of commands (commands()) is the one place a command
// is described: the help, the option parsing, the dispatch and the shell completions are
// all made from it. A new command is one entry and its handler.
struct Command {
    QString name;
    // The lines of the general help: the usage, and what it does.
    QList<std::pair<QString, QString>> summary;
    QString help; // the command's own help
    QList<CommandOption> options;
    qsizetype minimumWords = 0;
    qsizetype maximumWords = 0;
    QList<Completion> words; // what each word after the command completes to
    // Runs the command; returns the exit status. Throws UsageError or TavrinError.
    int (*run)(CommandContext&) = nullptr;
};

// Every command, in the order the help lists them.
const QList<Command>& commands();
// The command of that name; nullptr when there is none.
const Command* findCommand(const QString& name);
QStringList commandNames();

// The exit statuses.
namespace ExitStatus {
inline constexpr int success = 0;
inline constexpr int failure = 1;
inline constexpr int usage = 2;
} // namespace ExitStatus

// What a command's handler is given: its words and options, the output streams and the
// profiles, loaded when first asked for.
class CommandContext {
public:
    CommandContext(QTextStream& out, QTextStream& err, QStringList words,
                   QList<std::pair<QString, QString>> options);
    ~CommandContext();

    QTextStream& out;
    QTextStream& err;
    const QStringList words;

    bool isSet(const QString& option) const;
    std::optional<QString> value(const QString& option) const;

    // The profiles. A profiles file that cannot be read leaves the store read-only with the
    // defaults (the commands that change something then say why); the error, and a switch
    // that did not finish, are noted on standard error.
    ProfilesStore& store();
    // The same, but a profiles file that cannot be read throws and nothing is noted.
    ProfilesStore& loadedStore();
    // A profile by id, else by name (exactly, then ignoring case); one that `target` can
    // use when it is given. Throws, naming the profiles there are, when none is found.
    Profile profile(const QString& text, std::optional<TargetIDE> target = std::nullopt);
    // The target a word names ("codex", "claude"); throws UsageError for another word.
    static TargetIDE target(const QString& word);
    // Whether the user answers yes to `question` on a terminal; without a terminal, prints
    // `withoutTerminal` (how to say yes on the command line) and answers no.
    bool confirm(const QString& question, const QString& withoutTerminal);

private:
    QList<std::pair<QString, QString>> m_options; // name, value ("" for a flag)
    std::unique_ptr<ProfilesStore> m_store;
};

// The handlers of the table.
namespace Commands {
int list(CommandContext& context);
int status(CommandContext& context);
int switchProfile(CommandContext& context);
int env(CommandContext& context);
int key(CommandContext& context);
int profile(CommandContext& context);
int backups(CommandContext& context);
int recover(CommandContext& context);
int completions(CommandContext& context);
int help(CommandContext& context);
} // namespace Commands
