#include "cli/Command.h"

namespace {

using Kind = Completion::Kind;

const QStringList targets{QStringLiteral("codex"), QStringLiteral("claude")};

const char listHelp[] = R"TXT(Usage: tavrin-cli list [codex|claude] [--json]

Lists the profiles available for each assistant (or for the one named), with the active
profile marked by "*" and whether an API-key profile has its key stored.

  --json    print a JSON object with one list per assistant
  --ids     print only the profile ids, one per line
)TXT";

const char statusHelp[] = R"TXT(Usage: tavrin-cli status [--json]

Shows the active profile of Codex and of Claude Code and whether the assistants' files
still match it: the managed keys of ~/.codex/config.toml, the mode in ~/.codex/auth.json and
the managed env entries of ~/.claude/settings.json. A difference means something else has
changed them since the last switch.

  --json    print the result as JSON
)TXT";

const char switchHelp[] = R"TXT(Usage: tavrin-cli switch <codex|claude> <profile> [--no-restart]

Switches the assistant to the profile (its id or its name), exactly as the power button in
the window does: every check first, then the files, each change undone if a later step
fails. Progress goes to standard error, the final line to standard output.

  --no-restart    do not start the assistant again afterwards
)TXT";

const char envHelp[] =
    R"TXT(Usage: tavrin-cli env <codex|claude> [<profile>] [--shell sh|bash|zsh|fish]

Prints the lines that give one shell the profile's launch environment (its proxy and, for
Claude Code with an API-key profile, the Claude variables); nothing global is changed.
Without a profile the assistant's active profile is used.

  eval "$(tavrin-cli env claude work)"                 bash, zsh, sh
  tavrin-cli env claude work --shell fish | source     fish

  --shell    the syntax to print (default: the one of $SHELL, else sh)
)TXT";

const char keyHelp[] = R"TXT(Usage: tavrin-cli key set <profile>
       tavrin-cli key delete <profile> [--yes]
       tavrin-cli key store [keyring|file]

set reads the key from standard input (or asks for it without echo on a terminal), never
from the command line, where it would end up in the shell's history:

  pass show velqor/work | tavrin-cli key set velqor-1

delete removes the stored key of the profile, and the key in every backup Tavrin made that
holds it (emptied in place, or the copy deleted when it held nothing else). The key stays in
~/.codex/auth.json or ~/.claude/settings.json while the assistant uses it. It says what
goes and asks first.

store shows where API keys are kept; store keyring moves every key into the system keyring
(each read back before it leaves the key file), store file moves them back.

  --yes    delete without asking
)TXT";

const char profileHelp[] = R"TXT(Usage: tavrin-cli profile delete <profile> [--yes]

Deletes the profile, and its API key as `key delete` does. It says what goes and asks
first. A profile that an assistant uses now cannot be deleted: switch it first.

  --yes    delete without asking
)TXT";

const char backupsHelp[] =
    R"TXT(Usage: tavrin-cli backups list [codex|claude] [--json]
       tavrin-cli backups show <backup>
       tavrin-cli backups restore <backup> [--yes]
       tavrin-cli backups prune [--keep N] [--max-size SIZE] [--dry-run]

The copies Tavrin made of the files it changes: config.toml, auth.json, settings.json, the
chat database and the record of each chat move. A backup is named by the id `list` shows.

show prints what restoring it would change: a diff against the file now, or for a chat
database the chats per provider now and in the copy. restore puts the copy back, as a
switch would: Codex is quit first, what the file holds now is kept as a before-restore copy,
and a failure halfway puts everything back. It shows the change and asks first.

prune removes the old copies beyond the limits: the newest N of each file (default 10) and
at most SIZE in all (default 500M); 0 means no limit. The newest copy of each file and a copy
an unfinished switch needs are always kept. --keep and --max-size also become the limits
applied after each switch.

  --json        print the list as JSON
  --yes         restore without asking
  --dry-run     only say what prune would remove
)TXT";

const char recoverHelp[] = R"TXT(Usage: tavrin-cli recover [--yes | --discard]

When a switch was interrupted (the process was killed, the machine lost power), shows which
files it had changed and how far it had moved the chats, and offers to restore the copies
from before it and to move the chats back. What the files hold now is kept beside the
copies first. Only the files a switch writes are ever restored; anything else the journal
names is reported and left alone.

  --yes        restore without asking
  --discard    forget the interrupted switch and keep the files as they are; the journal
               (also one that cannot be read) is kept as switch-journal-<stamp>.json
)TXT";

const char completionsHelp[] = R"TXT(Usage: tavrin-cli completions <bash|zsh|fish>

Prints a completion script for the shell:

  source <(tavrin-cli completions bash)                in ~/.bashrc
  source <(tavrin-cli completions zsh)                 in ~/.zshrc, after compinit
  tavrin-cli completions fish > ~/.config/fish/completions/tavrin-cli.fish
)TXT";

CommandOption flag(const char* name) {
    return {QLatin1String(name), false, {}};
}

// The commands that read or change the profiles.
QList<Command> profileCommands() {
    return {
        {QStringLiteral("list"),
         {{QStringLiteral("list [codex|claude] [--json]"),
           QStringLiteral("the profiles each assistant can use, the active one marked")}},
         QString::fromUtf8(listHelp),
         {flag("json"), flag("ids")},
         0,
         1,
         {{Kind::words, targets}},
         Commands::list},
        {QStringLiteral("status"),
         {{QStringLiteral("status [--json]"),
           QStringLiteral("the active profiles, and whether the files still match them")}},
         QString::fromUtf8(statusHelp),
         {flag("json")},
         0,
         0,
         {},
         Commands::status},
        {QStringLiteral("switch"),
         {{QStringLiteral("switch <codex|claude> <profile>"),
           QStringLiteral("switch an assistant to a profile (id or name)")}},
         QString::fromUtf8(switchHelp),
         {flag("no-restart")},
         2,
         2,
         {{Kind::words, targets}, {Kind::profilesOfTarget, {}}},
         Commands::switchProfile},
        {QStringLiteral("env"),
         {{QStringLiteral("env <codex|claude> [<profile>]"),
           QStringLiteral("export lines for one shell: eval \"$(tavrin-cli env claude work)\"")}},
         QString::fromUtf8(envHelp),
         {{QStringLiteral("shell"),
           true,
           {QStringLiteral("sh"), QStringLiteral("bash"), QStringLiteral("zsh"),
            QStringLiteral("fish")}}},
         1,
         2,
         {{Kind::words, targets}, {Kind::profilesOfTarget, {}}},
         Commands::env},
        {QStringLiteral("key"),
         {{QStringLiteral("key set <profile>"),
           QStringLiteral("store a profile's API key (read from standard input)")},
          {QStringLiteral("key delete <profile> [--yes]"),
           QStringLiteral("delete a profile's API key, also from the backups")},
          {QStringLiteral("key store [keyring|file]"),
           QStringLiteral("show or choose where API keys are kept")}},
         QString::fromUtf8(keyHelp),
         {flag("yes")},
         1,
         2,
         {{Kind::words, {QStringLiteral("set"), QStringLiteral("delete"), QStringLiteral("store")}},
          {Kind::profiles, {}}},
         Commands::key},
        {QStringLiteral("profile"),
         {{QStringLiteral("profile delete <profile> [--yes]"),
           QStringLiteral("delete a profile and its API key")}},
         QString::fromUtf8(profileHelp),
         {flag("yes")},
         2,
         2,
         {{Kind::words, {QStringLiteral("delete")}}, {Kind::profiles, {}}},
         Commands::profile},
        {QStringLiteral("backups"),
         {{QStringLiteral("backups list [codex|claude] [--json]"),
           QStringLiteral("the copies Tavrin made, newest first")},
          {QStringLiteral("backups show|restore <backup>"),
           QStringLiteral("what restoring a copy changes; put it back")},
          {QStringLiteral("backups prune [--keep N] [--max-size SIZE]"),
           QStringLiteral("remove old copies beyond the limits")}},
         QString::fromUtf8(backupsHelp),
         {flag("json"),
          flag("yes"),
          flag("dry-run"),
          {QStringLiteral("keep"), true, {}},
          {QStringLiteral("max-size"), true, {}}},
         1,
         2,
         {{Kind::words,
           {QStringLiteral("list"), QStringLiteral("show"), QStringLiteral("restore"),
            QStringLiteral("prune")}},
          {Kind::words, targets}},
         Commands::backups},
    };
}

// The commands about tavrin-cli's own state and use.
QList<Command> toolCommands() {
    return {
        {QStringLiteral("recover"),
         {{QStringLiteral("recover [--yes|--discard]"),
           QStringLiteral("look at, and undo, a switch that did not finish")}},
         QString::fromUtf8(recoverHelp),
         {flag("yes"), flag("discard")},
         0,
         0,
         {},
         Commands::recover},
        {QStringLiteral("completions"),
         {{QStringLiteral("completions <bash|zsh|fish>"),
           QStringLiteral("print a shell completion script")}},
         QString::fromUtf8(completionsHelp),
         {},
         1,
         1,
         {{Kind::words, {QStringLiteral("bash"), QStringLiteral("zsh"), QStringLiteral("fish")}}},
         Commands::completions},
        {QStringLiteral("help"),
         {{QStringLiteral("help [<command>]"), QStringLiteral("help for one command")}},
         QStringLiteral("Usage: tavrin-cli help [<command>]\n"),
         {},
         0,
         1,
         {{Kind::commands, {}}},
         Commands::help},
    };
}

} // namespace

const QList<Command>& commands() {
    static const QList<Command> all = profileCommands() + toolCommands();
    return all;
}

QStringList commandNames() {
    QStringList names;
    for (const Command& command : commands())
        names << command.name;
    return names;
}

const Command* findCommand(const QString& name) {
    for (const Command& command : commands())
        if (command.name == name)
            return &command;
    return nullptr;
}
