#include "ui/ProfileRow.h"

#include "ui/Controls.h"
#include "ui/Icons.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr qreal cornerRadius = 12;
} // namespace

ProfileRow::ProfileRow(const Profile& profile, bool isSelected, bool hasKey,
                       const CompactTheme& theme, QWidget* parent)
    : PlainButton(parent) {
    setObjectName(QStringLiteral("profileRow"));
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(rowHeight);
    setState(profile, isSelected, hasKey, theme);
}

void ProfileRow::setState(const Profile& profile, bool isSelected, bool hasKey,
                          const CompactTheme& theme) {
    m_profile = profile;
    m_isSelected = isSelected;
    m_hasKey = hasKey;
    m_theme = theme;
    setChecked(isSelected);
    setText(profile.name);
    setAccessibleName(profile.name);
    setAccessibleDescription(subtitle());
    update();
}

QString ProfileRow::symbol() const {
    if (m_profile.isVelqorAccount())
        return QStringLiteral("key.fill");
    if (m_profile.isClaudeCodeAccount())
        return QStringLiteral("terminal.fill");
    return QStringLiteral("person.crop.circle.fill");
}

QString ProfileRow::subtitle() const {
    if (m_profile.isVelqorAccount())
        return m_hasKey ? tr("Velqor key saved") : tr("No Velqor key");
    if (m_profile.isClaudeCodeAccount())
        return tr("Claude account");
    return tr("ChatGPT account");
}

QColor ProfileRow::borderColor() const {
    return m_isSelected ? withOpacity(m_theme.accent(), 0.55) : m_theme.border();
}

QSize ProfileRow::sizeHint() const {
    return {200, rowHeight};
}

void ProfileRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        p.setOpacity(0.85);
    p.setPen(QPen(borderColor(), 1));
    p.setBrush(m_theme.panel());
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);

    const int margin = 9;
    const QRectF iconFrame(margin, (height() - 30) / 2.0, 30, 30);
    QRectF iconBox(0, 0, 14, 14);
    iconBox.moveCenter(iconFrame.center());
    Icons::paint(p, iconBox, symbol(), m_theme.accent());

    qreal right = width() - margin;
    if (m_isSelected) {
        const QRectF check(right - 12, (height() - 12) / 2.0, 12, 12);
        Icons::paint(p, check, QStringLiteral("checkmark"), m_theme.accent());
        right -= 12 + 8;
    }

    const qreal textLeft = iconFrame.right() + 8;
    const qreal textWidth = std::max<qreal>(0, right - textLeft);
    const QFont titleFont = uiFont(13, QFont::Bold);
    const QFont subtitleFont = uiFont(10, QFont::DemiBold);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics subtitleMetrics(subtitleFont);
    const qreal total = titleMetrics.height() + 1 + subtitleMetrics.height();
    const qreal top = (height() - total) / 2.0;

    p.setFont(titleFont);
    p.setPen(m_theme.primaryText());
    p.drawText(QRectF(textLeft, top, textWidth, titleMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               titleMetrics.elidedText(m_profile.name, Qt::ElideRight, int(textWidth)));
    p.setFont(subtitleFont);
    p.setPen(m_theme.secondaryText());
    p.drawText(
        QRectF(textLeft, top + titleMetrics.height() + 1, textWidth, subtitleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        subtitleMetrics.elidedText(subtitle(), Qt::ElideRight, int(textWidth)));
    paintFocusRing(p, this, rect(), cornerRadius);
}
