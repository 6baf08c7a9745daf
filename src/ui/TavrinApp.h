#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <optional>

class ContentView;
class ProfilesStore;
class QAction;
class QDialog;
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

    // Organisation name and domain and application name, which the user defaults are
    // read through, and the desktop entry's name.
    static void configureApplication();
    static bool trayAvailable();

    // Shows the main window at its designed size, or as tall as the screen allows.
    void show();
    // Starts without the window (at login): the profiles load and the tray icon shows.
    // False, and nothing done, when there is no tray to start in.
    bool startInTray();
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

    // The main window's size on a screen whose free area is `available`, when its frame
    // (title bar and borders) adds `frame`: the designed size where it fits, otherwise as
    // tall as the screen allows (the content then scrolls), never below `minimum`.
    static QSize windowSizeFor(const QSize& designed, const QSize& minimum, const QRect& available,
                               const QSize& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProfilesStore* m_store;
    QMainWindow* m_window;
    ContentView* m_contentView;
    QAction* m_settingsAction;
    QPointer<SettingsView> m_settings;
    std::optional<bool> m_withTray;
    Tray* m_tray = nullptr;
    bool m_closeWhenSwitched = false;
    bool m_quitWhenSwitched = false;
    bool m_toldAboutTray = false;
    bool m_fitted = false;

    bool isSwitching() const;
    void addTray();
    void tellAboutTrayOnce();
    void buildMenu(QAction* quitAction);
    void fitWindowToScreen();
    void showDialog(QDialog* dialog);
};
