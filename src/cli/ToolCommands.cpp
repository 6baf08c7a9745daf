// The commands about tavrin-cli's own state and use: recover, completions and help.

#include "cli/Command.h"
#include "cli/CommandLineText.h"

#include "app/SwitchJournal.h"
#include "app/SwitchLock.h"
#include "codex/ChatSyncService.h"
#include "profiles/ProfilesStore.h"

#include <QFileInfo>

namespace {

using namespace ExitStatus;

// The text followed by a line end; nothing for no text.
QString sentenceLine(const QString& text) {
    return text.isEmpty() ? text : text + QLatin1Char('\n');
}

} // namespace

int Commands::recover(CommandContext& context) {
    const bool discard = context.isSet(QStringLiteral("discard"));
    ProfilesStore& store = context.loadedStore();
    context.out << sentenceLine(SwitchJournal::removeLeftovers());
    std::optional<SwitchJournal::State> state;
    try {
        state = SwitchJournal::interrupted();
    } catch (const TavrinError& error) {
        // A journal that cannot be read can still be set aside.
        context.out << error.localizedDescription() << Qt::endl;
        if (!discard)
            return failure;
        context.out << QStringLiteral("Set the switch journal aside as %1; the files stay as "
                                      "they are.")
                           .arg(SwitchJournal::discard())
                    << Qt::endl;
        return success;
    }
    if (!state) {
        if (QFileInfo::exists(SwitchJournal::path()) && SwitchLock::heldElsewhere()) {
            context.err << QStringLiteral("A switch is running. Try again when it has finished.")
                        << Qt::endl;
            return failure;
        }
        context.out << QStringLiteral("No switch was interrupted.") << Qt::endl;
        return success;
    }
    ChatSyncService chats;
    context.out << SwitchJournal::describe(*state, chats) << Qt::endl;
    if (discard) {
        context.out << QStringLiteral("Forgot the interrupted switch; the files stay as they "
                                      "are. Its journal is kept as %1.")
                           .arg(SwitchJournal::discard())
                    << Qt::endl;
        return success;
    }
    if (!context.isSet(QStringLiteral("yes")) &&
        !context.confirm(QStringLiteral("Restore the files from before it?"),
                         QStringLiteral("Run `tavrin-cli recover --yes` to restore the files "
                                        "from before it, or `tavrin-cli recover --discard` to "
                                        "keep them as they are.")))
        return failure;
    context.out << SwitchJournal::restore(*state, chats, store) << Qt::endl;
    return SwitchJournal::interrupted() ? failure : success;
}

int Commands::completions(CommandContext& context) {
    const QString script = CommandLineText::completionScript(context.words.first());
    if (script.isEmpty())
        throw UsageError(QStringLiteral("Unknown shell '%1': use bash, zsh or fish.")
                             .arg(context.words.first()));
    context.out << script;
    return success;
}

int Commands::help(CommandContext& context) {
    const QString command = context.words.value(0);
    const QString text = CommandLineText::helpText(command);
    if (text.isEmpty()) {
        context.err << QStringLiteral("tavrin-cli: no help for '%1'.\n").arg(command);
        return usage;
    }
    context.out << text;
    return success;
}
