#pragma once

class AppViewModel;
class ProfilesStore;
class QWidget;

// Tells the user when the last switch did not finish (its journal is still on disk),
// which files it left in which state, and offers to restore the copies from before it.
namespace RecoveryPrompt {

// Asks, when there is something to ask about; the outcome goes to the view model's log.
void offer(QWidget* parent, ProfilesStore& store, AppViewModel& viewModel);

} // namespace RecoveryPrompt
