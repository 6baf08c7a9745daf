#pragma once

#include "profiles/Profile.h"

#include <QList>
#include <QObject>
#include <QString>

class AppViewModel;

// One line of the tray menu.
struct TrayMenuEntry {
    enum class Kind {
        section,     // a target's title; never enabled
        profile,     // a profile of the section's target; checked when it is the active one
        placeholder, // "No profile", in a section without profiles; the lock's reason
        separator,
        update, // opens the update link while an update is required
        openWindow,
        settings,
        quit,
    };

    Kind kind = Kind::separator;
    QString text;
    TargetIDE target = TargetIDE::codex; // section, profile, placeholder
    QString profileID;                   // profile
    bool enabled = false;
    bool checked = false;

    bool operator==(const TrayMenuEntry&) const = default;
};

// What the tray (menu bar) menu shows, drawn from a view model and its store: one
// section per target with its available profiles, then the window commands. Choosing
// a profile selects it for its target and starts the same switch as the power button.
// Plain QObject, so it tests without a platform tray.
class TrayMenuModel : public QObject {
    Q_OBJECT
public:
    explicit TrayMenuModel(AppViewModel* viewModel, QObject* parent = nullptr);

    QList<TrayMenuEntry> entries() const;
    bool isSwitching() const;
    // The tray icon's tool tip: "Tavrin", or what runs.
    QString toolTip() const;

    // Switches the target to the profile. Ignored while a switch runs and for a profile
    // the target cannot use (the menu may be older than the store).
    void choose(TargetIDE target, const QString& profileID);
    void openUpdate();

signals:
    // The entries, the switching state or the tool tip changed.
    void changed();
    // How a switch started from this menu ended: the newest log line, and whether it
    // reports a failure. A switch refused at once ("Update required") ends here too.
    void outcome(const QString& line, bool failure);

private:
    void finishChoice();
    // While an update is required: what is wrong, why the profiles are off, the link.
    QList<TrayMenuEntry> lockEntries() const;

    AppViewModel* m_viewModel;
    bool m_awaitingOutcome = false;
    bool m_logChanged = false;
};
