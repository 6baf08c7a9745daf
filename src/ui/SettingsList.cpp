#include "ui/SettingsList.h"

#include "profiles/ProfilesStore.h"
#include "ui/CompactTheme.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// A list row: the name, elided to the row's width, and at the right the mark of the
// targets the profile is active for.
class ProfileRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const SettingsList::RowColors colors = SettingsList::rowColors(option.palette, selected);
        painter->save();
        if (selected) {
            painter->fillRect(option.rect, colors.background);
        } else if (option.widget) {
            option.widget->style()->drawPrimitive(QStyle::PE_PanelItemViewItem, &option, painter,
                                                  option.widget);
        }
        const QRect area = option.rect.adjusted(8, 0, -8, 0);
        int nameRight = area.right();
        const QString mark = index.data(SettingsList::activeMarkRole).toString();
        if (!mark.isEmpty()) {
            const QFont font = markFont(option.font);
            const int width = QFontMetrics(font).horizontalAdvance(mark);
            painter->setFont(font);
            painter->setPen(colors.mark);
            painter->drawText(QRect(area.right() - width, area.top(), width + 1, area.height()),
                              Qt::AlignRight | Qt::AlignVCenter, mark);
            nameRight -= width + 10;
        }
        const QString name = QFontMetrics(option.font)
                                 .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                             std::max(0, nameRight - area.left()));
        painter->setFont(option.font);
        painter->setPen(colors.name);
        painter->drawText(QRect(area.left(), area.top(), nameRight - area.left(), area.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, name);
        painter->restore();
    }

    // As wide as the view gives, never wider: the list does not scroll sideways.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {0, QFontMetrics(option.font).height() + 10};
    }

private:
    static QFont markFont(QFont font) {
        font.setPointSizeF(font.pointSizeF() * 0.85);
        return font;
    }
};

} // namespace

SettingsList::SettingsList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("settingsProfileList"));
    setAccessibleName(tr("Profiles"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new ProfileRowDelegate(this));
}

void SettingsList::rebuild(const ProfilesStore& store, const std::optional<QString>& selectedID) {
    const QSignalBlocker blocker(this);
    clear();
    const QString codexID = store.activeProfileID();
    const QString claudeID = store.activeClaudeProfileID();
    for (const Profile& profile : store.profiles()) {
        auto* item = new QListWidgetItem(profile.name, this);
        item->setData(profileIDRole, profile.id);
        const QString mark = activeMark(profile.id, codexID, claudeID);
        item->setData(activeMarkRole, mark);
        item->setToolTip(mark.isEmpty() ? profile.name : tr("%1 (%2)").arg(profile.name, mark));
    }
    showSelection(selectedID);
}

void SettingsList::showSelection(const std::optional<QString>& id) {
    const QSignalBlocker blocker(this);
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        if (id && entry->data(profileIDRole).toString() == *id) {
            setCurrentItem(entry);
            return;
        }
    }
    setCurrentRow(-1);
    clearSelection();
}

QString SettingsList::activeMark(const QString& profileID, const QString& activeCodexID,
                                 const QString& activeClaudeID) {
    QStringList targets;
    if (profileID == activeCodexID)
        targets << TargetIDEs::rawValue(TargetIDE::codex);
    if (profileID == activeClaudeID)
        targets << TargetIDEs::rawValue(TargetIDE::claude);
    return targets.isEmpty() ? QString()
                             : tr("Active \u00B7 %1").arg(targets.join(QStringLiteral(", ")));
}

SettingsList::RowColors SettingsList::rowColors(const QPalette& palette, bool selected) {
    RowColors colors;
    if (selected) {
        // Some styles' highlight is too light for its text: darken it until it reads.
        colors.name = palette.color(QPalette::HighlightedText);
        colors.background = withContrast(palette.color(QPalette::Highlight), colors.name, 4.5);
        colors.mark = colors.name;
    } else {
        colors.background = palette.color(QPalette::Base);
        colors.name = withContrast(palette.color(QPalette::Text), colors.background, 4.5);
        colors.mark =
            withContrast(palette.color(QPalette::PlaceholderText), colors.background, 4.5);
    }
    return colors;
}
