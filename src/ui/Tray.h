#pragma once

#include <QObject>
#include <QString>

#include <memory>

class AppViewModel;
class QMenu;
class QSystemTrayIcon;
class TrayMenuModel;

// The tray (menu bar) icon and its menu: the profiles of each target with the active
// one checked, "Open Tavrin", "Settings…" and "Quit". Choosing a profile switches to
// it; while a switch runs the profiles are disabled and the icon shows it, and a switch
// started here reports its outcome as a notification where the platform has them.
class Tray : public QObject {
    Q_OBJECT
public:
    // Needs a QApplication. The menu is kept up to date from the start; the icon is
    // drawn and put in the tray by show().
    explicit Tray(AppViewModel* viewModel, QObject* parent = nullptr);
    ~Tray() override;

    static bool isAvailable();
    // Puts the icon in the tray when the platform has one.
    void show();

    TrayMenuModel* model() const { return m_model; }
    QMenu* menu() const { return m_menu.get(); }
    QSystemTrayIcon* icon() const { return m_icon; }

    // Shows a notification; false where the platform cannot show one.
    bool notify(const QString& text, bool failure = false);

signals:
    void openWindowRequested();
    void settingsRequested();
    void quitRequested();

private:
    void scheduleRebuild();
    void rebuild();

    TrayMenuModel* m_model;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_icon;
    QObject* m_groups = nullptr;
    bool m_rebuildPending = false;
    bool m_shown = false;
    bool m_shownSwitching = false;
};
