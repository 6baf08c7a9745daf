#include "ui/RecoveryPrompt.h"

#include "app/AppViewModel.h"
#include "app/SwitchJournal.h"
#include "codex/ChatSyncService.h"
#include "profiles/ProfilesStore.h"

#include <QMessageBox>
#include <QPushButton>

namespace RecoveryPrompt {

void offer(QWidget* parent, ProfilesStore& store, AppViewModel& viewModel) {
    std::optional<SwitchJournal::State> state;
    try {
        state = SwitchJournal::interrupted();
    } catch (const TavrinError& error) {
        viewModel.appendFailure(error.localizedDescription());
        return;
    }
    if (!state)
        return;
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("recoveryPrompt"));
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Tavrin"));
    box.setText(QStringLiteral("The last switch did not finish."));
    box.setInformativeText(SwitchJournal::describe(*state) +
                           QStringLiteral("\n\nRestore the files from before it? What they hold "
                                          "now is kept beside the copies."));
    QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
    restore->setObjectName(QStringLiteral("restoreButton"));
    box.addButton(QStringLiteral("Keep As Is"), QMessageBox::RejectRole)
        ->setObjectName(QStringLiteral("keepButton"));
    box.setDefaultButton(restore);
    box.exec();
    try {
        if (box.clickedButton() == restore) {
            ChatSyncService chats;
            const QString summary = SwitchJournal::restore(*state, chats, store);
            if (SwitchJournal::interrupted())
                viewModel.appendFailure(summary);
            else
                viewModel.appendLog(summary);
        } else {
            SwitchJournal::discard();
            viewModel.appendLog(
                QStringLiteral("Kept the files of the interrupted switch as they are."));
        }
    } catch (const TavrinError& error) {
        viewModel.appendFailure(error.localizedDescription());
    }
}

} // namespace RecoveryPrompt
