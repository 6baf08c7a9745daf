#include "ui/BackupsSection.h"

#include "app/BackupManager.h"
#include "backups/BackupRetention.h"
#include "profiles/AppPaths.h"
#include "ui/Controls.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int idRole = Qt::UserRole;
constexpr qint64 megabyte = 1000 * 1000;

QString fileText(const BackupEntry& entry) {
    const QString file = BackupCatalogue::title(entry.kind);
    switch (entry.role) {
    case BackupRole::latest:
        return BackupsSection::tr("%1 (latest)").arg(file);
    case BackupRole::beforeRestore:
        return BackupsSection::tr("%1 (before restore)").arg(file);
    case BackupRole::dated:
        break;
    }
    return file;
}

QString profilesText(const BackupEntry& entry) {
    if (entry.fromProfile.isEmpty() && entry.toProfile.isEmpty())
        return {};
    return BackupsSection::tr("%1 \u2192 %2").arg(entry.fromProfile, entry.toProfile);
}

} // namespace

BackupsSection::BackupsSection(ProfilesStore* store, SwitchServices services, QWidget* parent)
    : QWidget(parent), m_manager(std::make_shared<BackupManager>(*store, std::move(services))),
      m_previewGeneration(std::make_shared<std::atomic<int>>(0)) {
    setObjectName(QStringLiteral("backupsSection"));
    m_pool.setMaxThreadCount(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* panes = new QHBoxLayout;
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("backupsList"));
    m_list->setHeaderLabels({tr("File"), tr("Made"), tr("Size"), tr("Profiles")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setMinimumHeight(160);
    m_preview = new QPlainTextEdit(this);
    m_preview->setObjectName(QStringLiteral("backupPreview"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_preview->setPlaceholderText(tr("Select a copy to see what restoring it would change."));
    panes->addWidget(m_list, 3);
    panes->addWidget(m_preview, 2);
    layout->addLayout(panes);

    auto* buttons = new QHBoxLayout;
    m_restoreButton = new QPushButton(tr("Restore\u2026"), this);
    m_restoreButton->setObjectName(QStringLiteral("restoreBackupButton"));
    m_deleteButton = new QPushButton(tr("Delete\u2026"), this);
    m_deleteButton->setObjectName(QStringLiteral("deleteBackupButton"));
    buttons->addWidget(m_restoreButton);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* grid = new QGridLayout;
    buildRetention(grid);
    layout->addLayout(grid);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("backupsStatus"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_status);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &BackupsSection::selectionChanged);
    connect(m_restoreButton, &QPushButton::clicked, this, &BackupsSection::restoreSelected);
    connect(m_deleteButton, &QPushButton::clicked, this, &BackupsSection::deleteSelected);
    connect(m_pruneButton, &QPushButton::clicked, this, &BackupsSection::pruneNow);
    updateButtons();
}

BackupsSection::~BackupsSection() {
    m_pool.waitForDone();
}

void BackupsSection::buildRetention(QGridLayout* grid) {
    const RetentionPolicy policy = RetentionPolicy::load();
    m_keep = new QSpinBox(this);
    m_keep->setObjectName(QStringLiteral("backupsKeepPerFile"));
    m_keep->setRange(0, 9999);
    m_keep->setSpecialValueText(tr("all"));
    m_keep->setValue(policy.keepPerFile);
    m_maxSize = new QSpinBox(this);
    m_maxSize->setObjectName(QStringLiteral("backupsMaxSize"));
    m_maxSize->setRange(0, 10000000);
    m_maxSize->setSuffix(tr(" MB"));
    m_maxSize->setSpecialValueText(tr("no limit"));
    m_maxSize->setValue(int(qMin<qint64>(policy.maxBytes / megabyte, 10000000)));
    m_pruneButton = new QPushButton(tr("Remove Old Copies Now"), this);
    m_pruneButton->setObjectName(QStringLiteral("pruneBackupsButton"));
    grid->addWidget(new QLabel(tr("Copies kept of each file:"), this), 0, 0);
    grid->addWidget(m_keep, 0, 1);
    grid->addWidget(new QLabel(tr("All copies together at most:"), this), 1, 0);
    grid->addWidget(m_maxSize, 1, 1);
    grid->addWidget(m_pruneButton, 1, 2);
    auto* note = new QLabel(tr("Checked after every switch. The newest copy of each file, the "
                               "latest copies and those an unfinished switch needs are always "
                               "kept; 0 keeps everything."),
                            this);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    grid->addWidget(note, 2, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    connect(m_keep, &QSpinBox::valueChanged, this, &BackupsSection::saveRetention);
    connect(m_maxSize, &QSpinBox::valueChanged, this, &BackupsSection::saveRetention);
}

void BackupsSection::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

QString BackupsSection::status() const {
    return m_status->text();
}

QString BackupsSection::previewText() const {
    return m_preview->toPlainText();
}

void BackupsSection::start(Work work, Done done) {
    ++m_running;
    updateButtons();
    const QPointer<BackupsSection> self(this);
    m_pool.start([self, manager = m_manager, work = std::move(work), done = std::move(done)] {
        QString result;
        bool failed = false;
        try {
            result = work(*manager);
        } catch (const std::exception&) {
            result = describeError(std::current_exception());
            failed = true;
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, done, result, failed] {
                if (!self)
                    return;
                --self->m_running;
                done(result, failed);
                self->updateButtons();
                emit self->idle();
            },
            Qt::QueuedConnection);
    });
}

void BackupsSection::refresh() {
    auto found = std::make_shared<QList<BackupEntry>>();
    start(
        [found](BackupManager& manager) {
            *found = manager.list();
            return QString();
        },
        [this, found](const QString& error, bool failed) {
            if (failed)
                m_status->setText(error);
            else
                showEntries(*found);
        });
}

void BackupsSection::showEntries(const QList<BackupEntry>& entries) {
    const std::optional<BackupEntry> before = selected();
    m_entries = entries;
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries.size());
    QTreeWidgetItem* again = nullptr;
    for (const BackupEntry& entry : entries) {
        auto* item =
            new QTreeWidgetItem({fileText(entry), BackupCatalogue::formatTime(entry.made),
                                 BackupCatalogue::formatSize(entry.size), profilesText(entry)});
        item->setData(0, idRole, entry.id);
        item->setToolTip(0, AppPaths::displayPath(entry.path));
        items << item;
        if (before && before->id == entry.id)
            again = item;
    }
    m_list->addTopLevelItems(items);
    if (again)
        again->setSelected(true);
    else
        m_preview->clear();
    updateButtons();
}

std::optional<BackupEntry> BackupsSection::selected() const {
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    const QString id = items.first()->data(0, idRole).toString();
    for (const BackupEntry& entry : m_entries)
        if (entry.id == id)
            return entry;
    return std::nullopt;
}

void BackupsSection::selectionChanged() {
    updateButtons();
    const std::optional<BackupEntry> entry = selected();
    const int generation = ++*m_previewGeneration;
    if (!entry) {
        m_preview->clear();
        return;
    }
    m_preview->setPlainText(tr("Comparing\u2026"));
    // Only the newest request is worked out and shown.
    start(
        [entry = *entry, generation, current = m_previewGeneration](BackupManager& manager) {
            return *current == generation ? manager.preview(entry) : QString();
        },
        [this, generation](const QString& text, bool) {
            if (*m_previewGeneration == generation)
                m_preview->setPlainText(text);
        });
}

void BackupsSection::restoreSelected() {
    const std::optional<BackupEntry> entry = selected();
    if (!entry ||
        !confirmDestructive(this, tr("Restore Backup"),
                            tr("Restore %1 from its copy of %2?")
                                .arg(AppPaths::displayPath(entry->original),
                                     BackupCatalogue::formatTime(entry->made)),
                            entry->target() == TargetIDE::codex
                                ? tr("Codex is quit first. What the file holds now is kept as a "
                                     "before-restore copy, which you can restore in turn.")
                                : tr("What the file holds now is kept as a before-restore copy, "
                                     "which you can restore in turn."),
                            tr("Restore")))
        return;
    m_status->setText(tr("Restoring\u2026"));
    start([entry = *entry](BackupManager& manager) { return manager.restore(entry); },
          [this](const QString& line, bool) {
              m_status->setText(line);
              refresh();
          });
}

void BackupsSection::deleteSelected() {
    const std::optional<BackupEntry> entry = selected();
    if (!entry ||
        !confirmDestructive(
            this, tr("Delete Backup"),
            tr("Delete the copy of %1 made %2?")
                .arg(BackupCatalogue::title(entry->kind), BackupCatalogue::formatTime(entry->made)),
            tr("%1 is removed for good (%2).")
                .arg(AppPaths::displayPath(entry->path), BackupCatalogue::formatSize(entry->size)),
            tr("Delete")))
        return;
    start([entry = *entry](BackupManager& manager) { return manager.remove(entry); },
          [this](const QString& line, bool) {
              m_status->setText(line);
              refresh();
          });
}

void BackupsSection::pruneNow() {
    const RetentionPolicy policy{m_keep->value(), qint64(m_maxSize->value()) * megabyte};
    start([policy](BackupManager& manager) { return manager.prune(policy); },
          [this](const QString& line, bool) {
              m_status->setText(line);
              refresh();
          });
}

void BackupsSection::saveRetention() {
    try {
        RetentionPolicy{m_keep->value(), qint64(m_maxSize->value()) * megabyte}.save();
    } catch (const std::exception&) {
        m_status->setText(describeError(std::current_exception()));
    }
}

void BackupsSection::updateButtons() {
    const std::optional<BackupEntry> entry = selected();
    const bool idle = m_running == 0;
    m_restoreButton->setEnabled(idle && entry && entry->kind != BackupKind::chatMoves &&
                                entry->complete);
    m_deleteButton->setEnabled(idle && entry && !entry->isProtected);
    m_pruneButton->setEnabled(idle);
}
