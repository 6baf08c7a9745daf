#pragma once

#include "ui/CompactTheme.h"

#include <QFrame>

class AppViewModel;
class FilledButton;
class QLabel;
class QPlainTextEdit;

// The recent activity lines in a popup, oldest first, one entry per paragraph with the
// time it was added; selectable and copyable. Escape closes it.
class ActivityPopover : public QFrame {
    Q_OBJECT
public:
    explicit ActivityPopover(QWidget* parent);
    void fill(const AppViewModel& vm, const CompactTheme& theme);

    // "14:05  Codex switched to Velqor 1. Synced 3 chats." in the user's time format.
    static QString entryText(const QDateTime& time, const QString& line);

signals:
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* m_title;
    FilledButton* m_copy;
    QPlainTextEdit* m_lines;
};
