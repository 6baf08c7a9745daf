#pragma once

#include <QObject>
#include <QPointer>

#include <optional>

class ContentView;
class ProfilesStore;
class QAction;
class QMainWindow;
class SettingsView;
class Tray;

// The application: one profiles store for the process, the main window with its own
// view model, the settings window opened from the application menu, and the tray icon
// where the platform has a tray.
class TavrinApp : public QObject {
    Q_OBJECT
public:
    // Needs a QApplication. With a tray, closing the window leaves Tavrin running there;
    // without one, closing the window quits. Unless `withTray` says, whether the platform
    // has a tray is asked once the window's first frame is on screen.
    explicit TavrinApp(QObject* parent = nullptr, std::optional<bool> withTray = std::nullopt);
    ~TavrinApp() override;

    // Organisation and application name, which the user defaults are read through, the
    // desktop entry's name and the window icon.
    static void configureApplication();
    static bool trayAvailable();

    void show();
    // Shows the main window and brings it to the front.
    void openWindow();

    ProfilesStore* profilesStore() const { return m_store; }
    QMainWindow* mainWindow() const { return m_window; }
    ContentView* contentView() const { return m_contentView; }
    QAction* settingsAction() const { return m_settingsAction; }
    // Null without a tray, and until the window's first frame is on screen.
    Tray* tray() const { return m_tray; }
    // The settings window, created the first time it is asked for.
    SettingsView* settingsView();
    void openSettings();
    // Quits the application, after the running switch if there is one.
    void quit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProfilesStore* m_store;
    QMainWindow* m_window;
    ContentView* m_contentView;
    QAction* m_settingsAction;
    QPointer<SettingsView> m_settings;
    Tray* m_tray = nullptr;
    bool m_closeWhenSwitched = false;
    bool m_quitWhenSwitched = false;
    bool m_toldAboutTray = false;

    bool isSwitching() const;
    void addTray();
    void tellAboutTrayOnce();
};
