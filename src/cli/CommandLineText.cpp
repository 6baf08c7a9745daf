#include "cli/CommandLineText.h"

#include <QHash>

namespace CommandLineText {

QString helpText(const QString& command) {
    static const QHash<QString, QString> texts{
        {QString(), QString::fromUtf8(R"TXT(Usage: tavrin-cli [--verbose] <command> [arguments]

Switches the Codex app or CLI and Claude Code to one of Tavrin's account profiles, from a
terminal. The window (tavrin) and the command line share the same profiles and never switch
at the same time.

Commands:
  list [codex|claude] [--json]         the profiles each assistant can use, the active one marked
  status [--json]                      the active profiles, and whether the files still match them
  switch <codex|claude> <profile>      switch an assistant to a profile (id or name)
  env <codex|claude> [<profile>]       export lines for one shell: eval "$(tavrin-cli env claude work)"
  key set <profile>                    store a profile's API key (read from standard input)
  key delete <profile>                 delete a profile's stored API key
  recover [--yes|--discard]            look at, and undo, a switch that did not finish
  completions <bash|zsh|fish>          print a shell completion script
  help [<command>]                     help for one command

Options:
  --verbose, -v                        also print what each step does
  --help, -h                           help (after a command: help for that command)
  --version                            print the version

Exit status: 0 on success, 1 when the operation failed, 2 on a usage error.
)TXT")},
        {QStringLiteral("list"),
         QString::fromUtf8(R"TXT(Usage: tavrin-cli list [codex|claude] [--json]

Lists the profiles available for each assistant (or for the one named), with the active
profile marked by "*" and whether an API-key profile has its key stored.

  --json    print a JSON object with one list per assistant
  --ids     print only the profile ids, one per line
)TXT")},
        {QStringLiteral("status"), QString::fromUtf8(R"TXT(Usage: tavrin-cli status [--json]

Shows the active profile of Codex and of Claude Code and whether the assistants' files
still match it: the managed keys of ~/.codex/config.toml, the mode in ~/.codex/auth.json and
the managed env entries of ~/.claude/settings.json. A difference means something else has
changed them since the last switch.

  --json    print the result as JSON
)TXT")},
        {QStringLiteral("switch"),
         QString::fromUtf8(R"TXT(Usage: tavrin-cli switch <codex|claude> <profile> [--no-restart]

Switches the assistant to the profile (its id or its name), exactly as the power button in
the window does: every check first, then the files, each change undone if a later step
fails. Progress goes to standard error, the final line to standard output.

  --no-restart    do not start the assistant again afterwards
)TXT")},
        {QStringLiteral("env"),
         QString::fromUtf8(
             R"TXT(Usage: tavrin-cli env <codex|claude> [<profile>] [--shell sh|bash|zsh|fish]

Prints the lines that give one shell the profile's launch environment (its proxy and, for
Claude Code with an API-key profile, the Claude variables); nothing global is changed.
Without a profile the assistant's active profile is used.

  eval "$(tavrin-cli env claude work)"                 bash, zsh, sh
  tavrin-cli env claude work --shell fish | source     fish

  --shell    the syntax to print (default: the one of $SHELL, else sh)
)TXT")},
        {QStringLiteral("key"), QString::fromUtf8(R"TXT(Usage: tavrin-cli key set <profile>
       tavrin-cli key delete <profile>

set reads the key from standard input (or asks for it without echo on a terminal), never
from the command line, where it would end up in the shell's history:

  pass show velqor/work | tavrin-cli key set velqor-1

delete removes the stored key of the profile.
)TXT")},
        {QStringLiteral("recover"),
         QString::fromUtf8(R"TXT(Usage: tavrin-cli recover [--yes | --discard]

When a switch was interrupted (the process was killed, the machine lost power), shows which
files it had changed and how far it had moved the chats, and offers to restore the copies
from before it and to move the chats back. What the files hold now is kept beside the
copies first. Only the files a switch writes are ever restored; anything else the journal
names is reported and left alone.

  --yes        restore without asking
  --discard    forget the interrupted switch and keep the files as they are; the journal
               (also one that cannot be read) is kept as switch-journal-<stamp>.json
)TXT")},
        {QStringLiteral("completions"),
         QString::fromUtf8(R"TXT(Usage: tavrin-cli completions <bash|zsh|fish>

Prints a completion script for the shell:

  source <(tavrin-cli completions bash)                in ~/.bashrc
  source <(tavrin-cli completions zsh)                 in ~/.zshrc, after compinit
  tavrin-cli completions fish > ~/.config/fish/completions/tavrin-cli.fish
)TXT")},
        {QStringLiteral("help"), QString::fromUtf8(R"TXT(Usage: tavrin-cli help [<command>]
)TXT")},
    };
    return texts.value(command);
}

QString completionScript(const QString& shell) {
    if (shell == QLatin1String("bash"))
        return QString::fromUtf8(R"TXT(# bash completion for tavrin-cli
_tavrin_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="list status switch env key recover completions help"
    if [ "$COMP_CWORD" -eq 1 ]; then
        COMPREPLY=($(compgen -W "$commands --help --version --verbose" -- "$cur"))
        return
    fi
    case ${COMP_WORDS[1]} in
        list) COMPREPLY=($(compgen -W "codex claude --json --ids" -- "$cur")) ;;
        status) COMPREPLY=($(compgen -W "--json" -- "$cur")) ;;
        switch|env)
            if [ "$COMP_CWORD" -eq 2 ]; then
                COMPREPLY=($(compgen -W "codex claude" -- "$cur"))
            elif [ "$COMP_CWORD" -eq 3 ]; then
                COMPREPLY=($(compgen -W "$(tavrin-cli list "${COMP_WORDS[2]}" --ids 2>/dev/null)" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "--no-restart --shell" -- "$cur"))
            fi ;;
        key)
            if [ "$COMP_CWORD" -eq 2 ]; then
                COMPREPLY=($(compgen -W "set delete" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "$(tavrin-cli list --ids 2>/dev/null)" -- "$cur"))
            fi ;;
        recover) COMPREPLY=($(compgen -W "--yes --discard" -- "$cur")) ;;
        completions) COMPREPLY=($(compgen -W "bash zsh fish" -- "$cur")) ;;
        help) COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
    esac
}
complete -F _tavrin_cli tavrin-cli
)TXT");
    if (shell == QLatin1String("zsh"))
        return QString::fromUtf8(R"TXT(#compdef tavrin-cli
# zsh completion for tavrin-cli
_tavrin_cli() {
    if (( CURRENT == 2 )); then
        compadd list status switch env key recover completions help --help --version --verbose
        return
    fi
    case $words[2] in
        list) compadd -- codex claude --json --ids ;;
        status) compadd -- --json ;;
        switch|env)
            if (( CURRENT == 3 )); then
                compadd codex claude
            elif (( CURRENT == 4 )); then
                compadd -- ${(f)"$(tavrin-cli list $words[3] --ids 2>/dev/null)"}
            else
                compadd -- --no-restart --shell
            fi ;;
        key)
            if (( CURRENT == 3 )); then
                compadd set delete
            else
                compadd -- ${(f)"$(tavrin-cli list --ids 2>/dev/null)"}
            fi ;;
        recover) compadd -- --yes --discard ;;
        completions) compadd bash zsh fish ;;
        help) compadd list status switch env key recover completions ;;
    esac
}
compdef _tavrin_cli tavrin-cli
)TXT");
    if (shell == QLatin1String("fish"))
        return QString::fromUtf8(R"TXT(# fish completion for tavrin-cli
complete -c tavrin-cli -f
complete -c tavrin-cli -n __fish_use_subcommand -a 'list status switch env key recover completions help'
complete -c tavrin-cli -n __fish_use_subcommand -l help -l version -l verbose
complete -c tavrin-cli -n '__fish_seen_subcommand_from list' -a 'codex claude' -l json -l ids
complete -c tavrin-cli -n '__fish_seen_subcommand_from status' -l json
complete -c tavrin-cli -n '__fish_seen_subcommand_from switch env; and not __fish_seen_subcommand_from codex claude' -a 'codex claude'
complete -c tavrin-cli -n '__fish_seen_subcommand_from switch env; and __fish_seen_subcommand_from codex' -a '(tavrin-cli list codex --ids 2>/dev/null)'
complete -c tavrin-cli -n '__fish_seen_subcommand_from switch env; and __fish_seen_subcommand_from claude' -a '(tavrin-cli list claude --ids 2>/dev/null)'
complete -c tavrin-cli -n '__fish_seen_subcommand_from switch' -l no-restart
complete -c tavrin-cli -n '__fish_seen_subcommand_from env' -l shell -a 'sh bash zsh fish'
complete -c tavrin-cli -n '__fish_seen_subcommand_from key; and not __fish_seen_subcommand_from set delete' -a 'set delete'
complete -c tavrin-cli -n '__fish_seen_subcommand_from set delete' -a '(tavrin-cli list --ids 2>/dev/null)'
complete -c tavrin-cli -n '__fish_seen_subcommand_from recover' -l yes -l discard
complete -c tavrin-cli -n '__fish_seen_subcommand_from completions' -a 'bash zsh fish'
)TXT");
    return {};
}

} // namespace CommandLineText
