#pragma once

#include <QWidget>

#include <memory>

class Desktop;
class QCheckBox;
class QLabel;
class QVBoxLayout;

// The settings that are not a profile's, one titled section each ("Start-up" for now).
class GeneralSettings : public QWidget {
    Q_OBJECT
public:
    // A null `desktop` takes the one of this system.
    explicit GeneralSettings(std::shared_ptr<Desktop> desktop = nullptr, QWidget* parent = nullptr);

    // Appends a titled section and returns the layout its controls go in.
    QVBoxLayout* addSection(const QString& title);

    // Below a section's control: a note that explains it, and the line that says how its
    // last change went (the status); both wrap.
    static QLabel* addNote(QVBoxLayout* section, const QString& text, QWidget* parent);
    static QLabel* addStatusLine(QVBoxLayout* section, const QString& name, QWidget* parent);

    // What the login item points at: this program (its bundle on macOS).
    static QString applicationPath();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setStartAtLogin(bool enabled);

    std::shared_ptr<Desktop> m_desktop;
    QVBoxLayout* m_sections;
    QCheckBox* m_startAtLogin;
    QLabel* m_status;
};
