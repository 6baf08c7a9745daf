#include "ui/RecoveryPrompt.h"

#include "app/AppViewModel.h"
#include "app/SwitchJournal.h"
#include "codex/ChatSyncService.h"
#include "profiles/ProfilesStore.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace RecoveryPrompt {

namespace {

// The window never waits for a switch that another program runs: it says so instead.
constexpr std::chrono::milliseconds noWait{0};

// Asks a question with two answers; true for the first.
bool ask(QWidget* parent, const QString& text, const QString& details, const QString& yes,
         const QString& no) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("recoveryPrompt"));
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Tavrin"));
    box.setText(text);
    box.setInformativeText(details);
    QPushButton* first = box.addButton(yes, QMessageBox::AcceptRole);
    first->setObjectName(QStringLiteral("restoreButton"));
    box.addButton(no, QMessageBox::RejectRole)->setObjectName(QStringLiteral("keepButton"));
    box.setDefaultButton(first);
    box.exec();
    return box.clickedButton() == first;
}

// A journal that cannot be read blocks every switch until it is set aside.
void offerToSetAside(QWidget* parent, const QString& problem, AppViewModel& viewModel) {
    if (!ask(parent,
             QCoreApplication::translate("RecoveryPrompt",
                                         "The record of the last switch cannot be read."),
             problem + QStringLiteral("\n\n") +
                 QCoreApplication::translate("RecoveryPrompt",
                                             "Set it aside? The files stay as they are, and the "
                                             "record is kept as a dated copy beside it."),
             QCoreApplication::translate("RecoveryPrompt", "Set Aside"),
             QCoreApplication::translate("RecoveryPrompt", "Not Now")))
        return;
    const QString kept = SwitchJournal::discard(noWait);
    viewModel.appendLog(
        QCoreApplication::translate("RecoveryPrompt", "Set the switch journal aside as %1.")
            .arg(kept));
}

} // namespace

void offer(QWidget* parent, ProfilesStore& store, AppViewModel& viewModel) {
    try {
        std::optional<SwitchJournal::State> state;
        try {
            state = SwitchJournal::interrupted();
        } catch (const TavrinError& error) {
            offerToSetAside(parent, error.localizedDescription(), viewModel);
            return;
        }
        if (!state)
            return;
        ChatSyncService chats;
        const bool restore =
            ask(parent,
                QCoreApplication::translate("RecoveryPrompt", "The last switch did not finish."),
                SwitchJournal::describe(*state, chats) + QStringLiteral("\n\n") +
                    QCoreApplication::translate(
                        "RecoveryPrompt", "Restore the files from before it? What they hold now is "
                                          "kept beside the copies."),
                QCoreApplication::translate("RecoveryPrompt", "Restore"),
                QCoreApplication::translate("RecoveryPrompt", "Keep As Is"));
        if (!restore) {
            SwitchJournal::discard(noWait);
            viewModel.appendLog(QCoreApplication::translate(
                "RecoveryPrompt", "Kept the files of the interrupted switch as they are."));
            return;
        }
        const QString summary = SwitchJournal::restore(*state, chats, store, noWait);
        if (SwitchJournal::interrupted())
            viewModel.appendFailure(summary);
        else
            viewModel.appendLog(summary);
    } catch (const TavrinError& error) {
        viewModel.appendFailure(error.localizedDescription());
    }
}

} // namespace RecoveryPrompt
