#include "ui/Buttons.h"

#include "ui/Accessible.h"
#include "ui/Controls.h"
#include "ui/Icons.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include <algorithm>

namespace {
constexpr qreal disabledOpacity = 0.5;
} // namespace

// PlainButton

PlainButton::PlainButton(QWidget* parent) : QAbstractButton(parent) {
    installAccessibility();
    setFocusPolicy(Qt::StrongFocus);
}

void PlainButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        if (isEnabled())
            click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

// FilledButton

FilledButton::FilledButton(const QString& text, QWidget* parent) : PlainButton(parent) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void FilledButton::setColors(const QColor& fill, const QColor& textColor) {
    if (fill == m_fill && textColor == m_textColor)
        return;
    m_fill = fill;
    m_textColor = textColor;
    update();
}

void FilledButton::setDisabledColors(const QColor& fill, const QColor& textColor) {
    if (fill == m_disabledFill && textColor == m_disabledText)
        return;
    m_disabledFill = fill;
    m_disabledText = textColor;
    update();
}

bool FilledButton::usesDisabledColors() const {
    return !isEnabled() && m_disabledFill.isValid();
}

QColor FilledButton::fillColor() const {
    return usesDisabledColors() ? m_disabledFill : m_fill;
}

QColor FilledButton::textColor() const {
    return usesDisabledColors() ? m_disabledText : m_textColor;
}

void FilledButton::setRadius(qreal radius) {
    m_radius = radius;
    update();
}

void FilledButton::setVerticalPadding(int padding) {
    m_verticalPadding = padding;
    updateGeometry();
}

void FilledButton::setHorizontalPadding(int padding) {
    m_horizontalPadding = padding;
    updateGeometry();
}

QSize FilledButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 2 * m_horizontalPadding + 4,
            fm.height() + 2 * m_verticalPadding};
}

QSize FilledButton::minimumSizeHint() const {
    return {2 * m_horizontalPadding, sizeHint().height()};
}

void FilledButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!isEnabled() && !usesDisabledColors())
        p.setOpacity(disabledOpacity);
    else if (isDown())
        p.setOpacity(0.8);
    const QColor fill = fillColor();
    if (fill.alpha() > 0)
        fillRounded(p, rect(), m_radius, fill);
    p.setFont(font());
    const QFontMetrics fm(font());
    const int available = width() - 2 * m_horizontalPadding;
    const QString label = fm.horizontalAdvance(text()) <= available + 2
                              ? text()
                              : fm.elidedText(text(), Qt::ElideRight, available);
    const int textWidth = fm.horizontalAdvance(label);
    const qreal x = (width() - textWidth) / 2.0;
    p.setPen(textColor());
    p.drawText(QRectF(x, 0, textWidth + 1, height()), Qt::AlignVCenter | Qt::AlignLeft, label);
    paintFocusRing(p, this, rect(), m_radius);
}

// ChoiceButton

ChoiceButton::ChoiceButton(const QString& symbol, const QString& title, qreal pixelSize,
                           QWidget* parent)
    : PlainButton(parent), m_symbol(symbol) {
    setText(title);
    setFont(uiFont(pixelSize, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ChoiceButton::setAppearance(bool selected, const CompactTheme& theme) {
    if (selected == m_selected && theme == m_theme)
        return;
    const bool announce = selected != m_selected;
    m_selected = selected;
    m_theme = theme;
    update();
    if (announce) {
        QAccessible::State changed;
        changed.selected = true;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

// SegmentButton

SegmentButton::SegmentButton(const QString& symbol, const QString& title, QWidget* parent)
    : ChoiceButton(symbol, title, 13, parent) {}

QColor SegmentButton::contentColor() const {
    return m_selected ? QColor(Qt::white) : m_theme.secondaryText();
}

QSize SegmentButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 12 + 6 + 16, std::max(fm.height(), 12) + 18};
}

void SegmentButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_selected)
        fillRounded(p, rect(), 9, m_theme.accentFill());
    const QColor color = contentColor();
    const QFontMetrics fm(font());
    const int iconSize = 12;
    const int contentWidth = iconSize + 5 + fm.horizontalAdvance(text());
    const qreal x = (width() - contentWidth) / 2.0;
    Icons::paint(p, QRectF(x, (height() - iconSize) / 2.0, iconSize, iconSize), m_symbol, color);
    p.setPen(color);
    p.setFont(font());
    p.drawText(QRectF(x + iconSize + 5, 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft,
               text());
    paintFocusRing(p, this, rect(), 9);
}

// TabButton

TabButton::TabButton(const QString& symbol, const QString& title, QWidget* parent)
    : ChoiceButton(symbol, title, 11, parent) {}

QColor TabButton::contentColor() const {
    return m_selected ? m_theme.accentText() : m_theme.secondaryText();
}

QSize TabButton::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 8, 17 + 3 + fm.height()};
}

void TabButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor color = contentColor();
    const QFontMetrics fm(font());
    const int total = 17 + 3 + fm.height();
    const qreal top = (height() - total) / 2.0;
    Icons::paint(p, QRectF((width() - 17) / 2.0, top, 17, 17), m_symbol, color);
    p.setPen(color);
    p.setFont(font());
    p.drawText(QRectF(0, top + 20, width(), fm.height()), Qt::AlignCenter, text());
    paintFocusRing(p, this, rect(), 8);
}

// PowerButton

PowerButton::PowerButton(QWidget* parent) : PlainButton(parent) {
    setFixedSize(104, 104);
    setCursor(Qt::PointingHandCursor);
}

void PowerButton::setAppearance(const QColor& stateColor, qreal haloOpacity, const QString& symbol,
                                const QColor& symbolColor) {
    if (stateColor == m_color && haloOpacity == m_haloOpacity && symbol == m_symbol &&
        symbolColor == m_symbolColor)
        return;
    m_color = stateColor;
    m_haloOpacity = haloOpacity;
    m_symbol = symbol;
    m_symbolColor = symbolColor;
    update();
}

bool PowerButton::hitButton(const QPoint& pos) const {
    const QPointF d = QPointF(pos) - QRectF(rect()).center();
    return d.x() * d.x() + d.y() * d.y() <= 52.0 * 52.0;
}

void PowerButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        p.setOpacity(0.85);
    const QPointF c = QRectF(rect()).center();
    p.setPen(Qt::NoPen);
    p.setBrush(withOpacity(m_color, m_haloOpacity));
    p.drawEllipse(c, 52, 52);
    p.setBrush(m_color);
    p.drawEllipse(c, 38, 38);
    Icons::paint(p, QRectF(c.x() - 14, c.y() - 14, 28, 28), m_symbol, m_symbolColor);
    paintFocusRing(p, this, rect(), 52);
}

// IconButton

IconButton::IconButton(QSize size, int iconSize, QWidget* parent)
    : PlainButton(parent), m_size(size), m_iconSize(iconSize) {
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
}

void IconButton::setAppearance(const QString& symbol, const QColor& iconColor,
                               const QColor& surface) {
    if (symbol == m_symbol && iconColor == m_iconColor && surface == m_surface)
        return;
    m_symbol = symbol;
    m_iconColor = iconColor;
    m_surface = surface;
    update();
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!isEnabled())
        p.setOpacity(disabledOpacity);
    else if (isDown())
        p.setOpacity(0.8);
    fillRounded(p, rect(), 7, m_surface);
    QRectF box(0, 0, m_iconSize, m_iconSize);
    box.moveCenter(QRectF(rect()).center());
    Icons::paint(p, box, m_symbol, m_iconColor);
    paintFocusRing(p, this, rect(), 7);
}

// DisclosureHeader

DisclosureHeader::DisclosureHeader(const QString& symbol, const QString& title, QWidget* parent)
    : PlainButton(parent), m_symbol(symbol) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setText(title);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 4);
    layout->setSpacing(7);
    m_chevron = new IconView(10, this);
    m_icon = new IconView(14, this);
    m_title = new QLabel(title, this);
    m_title->setFont(uiFont(13, QFont::Bold));
    m_badge = new QLabel(this);
    m_badge->setFont(uiFont(10, QFont::Bold));
    m_badge->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_chevron);
    layout->addWidget(m_icon);
    layout->addWidget(m_title);
    layout->addStretch(1);
    layout->addWidget(m_badge);
    for (QWidget* child : {static_cast<QWidget*>(m_chevron), static_cast<QWidget*>(m_icon),
                           static_cast<QWidget*>(m_title), static_cast<QWidget*>(m_badge)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QAbstractButton::clicked, this, [this] { setExpanded(!m_expanded); });
    describe();
}

void DisclosureHeader::setExpanded(bool expanded) {
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    m_chevron->setRotation(expanded ? 90 : 0);
    describe();
    QAccessible::State changed;
    changed.expanded = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    emit toggled(expanded);
}

void DisclosureHeader::setBadge(const QString& text) {
    m_badge->setText(text);
    describe();
}

void DisclosureHeader::describe() {
    setAccessibleName(text());
    setAccessibleDescription(m_badge->text());
}

void DisclosureHeader::setAppearance(const CompactTheme& theme, bool enabled) {
    m_chevron->setIcon(QStringLiteral("chevron.right"), theme.mutedText());
    m_icon->setIcon(m_symbol, enabled ? theme.accent() : theme.mutedText());
    setTextColor(m_title, enabled ? theme.primaryText() : theme.mutedText());
    const QString badgeStyle =
        QStringLiteral(
            "QLabel { background: %1; color: %2; border-radius: 6px; padding: 1px 7px; }")
            .arg(theme.buttonSurface().name(QColor::HexArgb),
                 (enabled ? theme.secondaryText() : theme.mutedText()).name(QColor::HexArgb));
    if (m_badge->styleSheet() != badgeStyle)
        m_badge->setStyleSheet(badgeStyle);
}

QSize DisclosureHeader::sizeHint() const {
    return layout()->sizeHint();
}

void DisclosureHeader::paintEvent(QPaintEvent*) {
    // The child widgets draw the row; only the focus ring is the header's own.
    QPainter p(this);
    paintFocusRing(p, this, rect(), 6);
}
