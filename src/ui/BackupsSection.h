#pragma once

#include "app/SwitchFlow.h"
#include "backups/BackupCatalogue.h"

#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class BackupManager;
class ProfilesStore;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

// The "Backups" section of the settings: every copy Tavrin made (file, time, size,
// profiles), a preview of what restoring the selected one would change, Restore and
// Delete (each asked first), and how many copies are kept. Looking, previewing,
// restoring, deleting and pruning run on a thread of their own: the window never waits
// for them.
class BackupsSection : public QWidget {
    Q_OBJECT
public:
    // `services`: what a restore quits Codex with (any left empty gets its default).
    BackupsSection(ProfilesStore* store, SwitchServices services, QWidget* parent = nullptr);
    ~BackupsSection() override;

    // Looks at the folders again.
    void refresh();
    void restoreSelected();
    void deleteSelected();
    void pruneNow();

    const QList<BackupEntry>& entries() const { return m_entries; }
    QString status() const;
    QString previewText() const;
    bool isBusy() const { return m_running > 0; }

signals:
    // A task on the worker thread has ended and its outcome is shown.
    void idle();

protected:
    void showEvent(QShowEvent* event) override;

private:
    using Work = std::function<QString(BackupManager&)>;
    using Done = std::function<void(const QString& result, bool failed)>;
    // Runs `work` on the worker thread; `done` gets its outcome on this thread.
    void start(Work work, Done done);
    void buildRetention(class QGridLayout* grid);
    void showEntries(const QList<BackupEntry>& entries);
    void selectionChanged();
    void saveRetention();
    void updateButtons();
    std::optional<BackupEntry> selected() const;

    std::shared_ptr<BackupManager> m_manager;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic<int>> m_previewGeneration;
    QList<BackupEntry> m_entries;
    int m_running = 0;

    QTreeWidget* m_list;
    QPlainTextEdit* m_preview;
    QPushButton* m_restoreButton;
    QPushButton* m_deleteButton;
    QPushButton* m_pruneButton;
    QSpinBox* m_keep;
    QSpinBox* m_maxSize;
    QLabel* m_status;
};
