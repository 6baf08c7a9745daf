#pragma once

#include <QObject>
#include <QPointer>

class ContentView;
class ProfilesStore;
class QAction;
class QMainWindow;
class SettingsView;

// The application: one profiles store for the process, the main window with its own
// view model, and the settings window opened from the application menu.
class TavrinApp : public QObject {
    Q_OBJECT
public:
    // Needs a QApplication.
    explicit TavrinApp(QObject* parent = nullptr);
    ~TavrinApp() override;

    // Organisation and application name, which the user defaults are read through.
    static void configureApplication();

    void show();

    ProfilesStore* profilesStore() const { return m_store; }
    QMainWindow* mainWindow() const { return m_window; }
    ContentView* contentView() const { return m_contentView; }
    QAction* settingsAction() const { return m_settingsAction; }
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
    bool m_closeWhenSwitched = false;
    bool m_quitWhenSwitched = false;

    bool isSwitching() const;
};
