#include "cli/CommandLineText.h"

#include "cli/Command.h"

namespace CommandLineText {

namespace {

// "  <usage>  <what it does>", the usage in a column of its own.
QString helpLine(const QString& usage, const QString& text) {
    return QStringLiteral("  ") + usage.leftJustified(37) + text + QLatin1Char('\n');
}

QString generalHelp() {
    QString text = QStringLiteral(
        "Usage: tavrin-cli [--verbose] <command> [arguments]\n\n"
        "Switches the Codex app or CLI and Claude Code to one of Tavrin's account profiles, "
        "from a\nterminal. The window (tavrin) and the command line share the same profiles "
        "and never switch\nat the same time.\n\nCommands:\n");
    for (const Command& command : commands())
        for (const auto& [usage, summary] : command.summary)
            text += helpLine(usage, summary);
    text += QStringLiteral("\nOptions:\n") +
            helpLine(QStringLiteral("--verbose, -v"),
                     QStringLiteral("also print what each step does")) +
            helpLine(QStringLiteral("--help, -h"),
                     QStringLiteral("help (after a command: help for that command)")) +
            helpLine(QStringLiteral("--version"), QStringLiteral("print the version")) +
            QStringLiteral("\nExit status: 0 on success, 1 when the operation failed, 2 on a "
                           "usage error.\n");
    return text;
}

// The command names, as a list of words of the shells.
QString commandWords() {
    return commandNames().join(QLatin1Char(' '));
}

QString optionNames(const Command& command) {
    QStringList names;
    for (const CommandOption& option : command.options)
        names << QStringLiteral("--") + option.name;
    return names.join(QLatin1Char(' '));
}

// How the scripts of bash and zsh differ; the rest of their logic is the same.
struct ShellSyntax {
    QString header;
    QString top;        // completes the command names and the general options
    QString given;      // collects the words given so far, options left out
    QString firstGiven; // the first of them
    QString listOf;     // sets the candidates to a list of words: %1
    QString outputOf;   // sets them to the lines a command prints: %1
    QString footer;
};

QString dynamicWords(const Completion& completion, const ShellSyntax& syntax) {
    switch (completion.kind) {
    case Completion::Kind::words:
        return syntax.listOf.arg(completion.words.join(QLatin1Char(' ')));
    case Completion::Kind::commands:
        return syntax.listOf.arg(commandWords());
    case Completion::Kind::profiles:
        return syntax.outputOf.arg(QStringLiteral("tavrin-cli list --ids 2>/dev/null"));
    case Completion::Kind::profilesOfTarget:
        return syntax.outputOf.arg(QStringLiteral("tavrin-cli list ") + syntax.firstGiven +
                                   QStringLiteral(" --ids 2>/dev/null"));
    }
    return {};
}

// One case of a command: the value of an option just named, else an option when one is
// begun or no word is left to give, else what the next word may be.
QString commandCase(const Command& command, const ShellSyntax& syntax) {
    QString text = QStringLiteral("        ") + command.name + QStringLiteral(")\n");
    QString keyword = QStringLiteral("if");
    const auto branch = [&](const QString& condition, const QString& action) {
        text += QStringLiteral("            %1 %2; then %3\n").arg(keyword, condition, action);
        keyword = QStringLiteral("elif");
    };
    for (const CommandOption& option : command.options)
        if (option.takesValue)
            branch(QStringLiteral("[[ $prev == --%1 ]]").arg(option.name),
                   syntax.listOf.arg(option.values.join(QLatin1Char(' '))));
    branch(QStringLiteral("[[ $cur == -* ]] || (( count >= %1 ))").arg(command.words.size()),
           syntax.listOf.arg(optionNames(command)));
    for (qsizetype i = 0; i < command.words.size(); ++i)
        branch(QStringLiteral("(( count == %1 ))").arg(i), dynamicWords(command.words[i], syntax));
    return text + QStringLiteral("            fi ;;\n");
}

QString valueOptionPattern() {
    QStringList names;
    for (const Command& command : commands())
        for (const CommandOption& option : command.options)
            if (option.takesValue && !names.contains(QStringLiteral("--") + option.name))
                names << QStringLiteral("--") + option.name;
    return names.join(QLatin1Char('|'));
}

QString script(const ShellSyntax& syntax) {
    QString text =
        syntax.header + syntax.top.arg(commandWords()) + syntax.given.arg(valueOptionPattern());
    text += QStringLiteral("    case $command in\n");
    for (const Command& command : commands())
        text += commandCase(command, syntax);
    return text + QStringLiteral("    esac\n") + syntax.footer;
}

QString bash() {
    return script({QStringLiteral("# bash completion for tavrin-cli\n"
                                  "_tavrin_cli() {\n"
                                  "    local cur=${COMP_WORDS[COMP_CWORD]} "
                                  "prev=${COMP_WORDS[COMP_CWORD-1]} "
                                  "command=${COMP_WORDS[1]} candidates= i\n"),
                   QStringLiteral("    if (( COMP_CWORD == 1 )); then\n"
                                  "        COMPREPLY=($(compgen -W \"%1 --help --version "
                                  "--verbose\" -- \"$cur\"))\n"
                                  "        return\n"
                                  "    fi\n"),
                   QStringLiteral("    local given=()\n"
                                  "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
                                  "        case ${COMP_WORDS[i]} in\n"
                                  "            %1) ((i++)) ;;\n"
                                  "            -*) ;;\n"
                                  "            *) given+=(\"${COMP_WORDS[i]}\") ;;\n"
                                  "        esac\n"
                                  "    done\n"
                                  "    local count=${#given[@]}\n"),
                   QStringLiteral("\"${given[0]}\""), QStringLiteral("candidates=\"%1\""),
                   QStringLiteral("candidates=$(%1)"),
                   QStringLiteral("    COMPREPLY=($(compgen -W \"$candidates\" -- \"$cur\"))\n"
                                  "}\n"
                                  "complete -F _tavrin_cli tavrin-cli\n")});
}

QString zsh() {
    return script({QStringLiteral("#compdef tavrin-cli\n"
                                  "# zsh completion for tavrin-cli\n"
                                  "_tavrin_cli() {\n"
                                  "    local cur=$words[CURRENT] prev=$words[CURRENT-1] "
                                  "command=$words[2] i\n"
                                  "    local -a candidates given\n"),
                   QStringLiteral("    if (( CURRENT == 2 )); then\n"
                                  "        compadd -- %1 --help --version --verbose\n"
                                  "        return\n"
                                  "    fi\n"),
                   QStringLiteral("    for (( i = 3; i < CURRENT; i++ )); do\n"
                                  "        case $words[i] in\n"
                                  "            %1) (( i++ )) ;;\n"
                                  "            -*) ;;\n"
                                  "            *) given+=($words[i]) ;;\n"
                                  "        esac\n"
                                  "    done\n"
                                  "    local count=${#given}\n"),
                   QStringLiteral("$given[1]"), QStringLiteral("candidates=(%1)"),
                   QStringLiteral("candidates=(${(f)\"$(%1)\"})"),
                   QStringLiteral("    compadd -- $candidates\n"
                                  "}\n"
                                  "compdef _tavrin_cli tavrin-cli\n")});
}

// fish asks conditions: two helpers tell which command is given and how many of its words.
QString fish() {
    QString text =
        QStringLiteral(
            "# fish completion for tavrin-cli\n"
            "# The words given to the command so far, without the options and their values.\n"
            "function __tavrin_cli_given\n"
            "    set -l skip 0\n"
            "    for word in (commandline -opc)[3..-1]\n"
            "        if test $skip = 1\n"
            "            set skip 0\n"
            "        else if string match -q -r -- '^(%1)$' $word\n"
            "            set skip 1\n"
            "        else if not string match -q -- '-*' $word\n"
            "            echo $word\n"
            "        end\n"
            "    end\n"
            "end\n"
            "# Whether the command is $argv[1] (and, given $argv[2], that many of its words are).\n"
            "function __tavrin_cli_at\n"
            "    set -l words (commandline -opc)\n"
            "    test (count $words) -ge 2; and test $words[2] = $argv[1]; or return 1\n"
            "    test (count $argv) -lt 2; or test (count (__tavrin_cli_given)) -eq $argv[2]\n"
            "end\n"
            "complete -c tavrin-cli -f\n"
            "complete -c tavrin-cli -n __fish_use_subcommand -a '%2'\n"
            "complete -c tavrin-cli -n __fish_use_subcommand -l help -l version -l verbose\n")
            .arg(valueOptionPattern(), commandWords());
    ShellSyntax syntax;
    syntax.firstGiven = QStringLiteral("(__tavrin_cli_given)[1]");
    syntax.listOf = QStringLiteral("%1");
    syntax.outputOf = QStringLiteral("(%1)");
    for (const Command& command : commands()) {
        const QString at =
            QStringLiteral("complete -c tavrin-cli -n '__tavrin_cli_at %1").arg(command.name);
        for (qsizetype i = 0; i < command.words.size(); ++i)
            text += at + QStringLiteral(" %1' -a '%2'\n")
                             .arg(QString::number(i), dynamicWords(command.words[i], syntax));
        for (const CommandOption& option : command.options)
            text += at + QStringLiteral("' -l ") + option.name +
                    (option.takesValue
                         ? QStringLiteral(" -x -a '%1'").arg(option.values.join(QLatin1Char(' ')))
                         : QString()) +
                    QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString helpText(const QString& command) {
    if (command.isEmpty())
        return generalHelp();
    const Command* found = findCommand(command);
    return found ? found->help : QString();
}

QString completionScript(const QString& shell) {
    if (shell == QLatin1String("bash"))
        return bash();
    if (shell == QLatin1String("zsh"))
        return zsh();
    if (shell == QLatin1String("fish"))
        return fish();
    return {};
}

} // namespace CommandLineText
