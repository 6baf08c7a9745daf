#pragma once

#include <QColor>
#include <QListWidget>

#include <optional>

class ProfilesStore;

// The settings window's list of every profile, each row naming the profile and, at the
// right, the targets it is active for.
class SettingsList : public QListWidget {
    Q_OBJECT
public:
    // The rows' data: the profile id, and the mark of the targets it is active for.
    static constexpr int profileIDRole = Qt::UserRole;
    static constexpr int activeMarkRole = Qt::UserRole + 1;

    // How a row is drawn: its background, the name and the "Active" mark, readable on the
    // palette's highlight too.
    struct RowColors {
        QColor background;
        QColor name;
        QColor mark;
    };
    static RowColors rowColors(const QPalette& palette, bool selected);
    // "Active · Codex", "Active · Claude Code", both, or empty.
    static QString activeMark(const QString& profileID, const QString& activeCodexID,
                              const QString& activeClaudeID);

    explicit SettingsList(QWidget* parent = nullptr);
    // Lists the store's profiles, keeping the selection on `selectedID`.
    void rebuild(const ProfilesStore& store, const std::optional<QString>& selectedID);
    // Selects the row of the profile, or none, without emitting a selection change.
    void showSelection(const std::optional<QString>& id);
};
