#include "ui/Controls.h"

#include "ui/Icons.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <iterator>

namespace {

constexpr qreal disabledOpacity = 0.5;

void fillRounded(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border = Qt::transparent) {
    if (radius < 0)
        radius = rect.height() / 2;
    p.setRenderHint(QPainter::Antialiasing);
    if (border.alpha() > 0) {
        const QRectF inner = rect.adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawRoundedRect(inner, radius, radius);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(rect, radius, radius);
    }
}

// The background of a chosen menu or list item, under white text.
QColor selectionHighlight(const CompactTheme& theme) {
    return withContrast(theme.accent(), Qt::white, 4.5);
}

} // namespace

QFont uiFont(qreal pixelSize, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(int(pixelSize));
    font.setWeight(weight);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    constexpr QPalette::ColorRole roles[] = {QPalette::WindowText, QPalette::Text,
                                             QPalette::ButtonText};
    if (std::all_of(std::begin(roles), std::end(roles),
                    [&](QPalette::ColorRole role) { return palette.color(role) == color; }))
        return;
    for (QPalette::ColorRole role : roles)
        palette.setColor(role, color);
    widget->setPalette(palette);
}

bool confirmKeyDeletion(QWidget* parent, const QString& profileName) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Delete API Key"),
                    QStringLiteral("Delete the stored API key of \u201C%1\u201D?").arg(profileName),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(
        QStringLiteral("The key is removed from this computer. Switching to this profile "
                       "needs a key again."));
    QPushButton* remove = box.addButton(QStringLiteral("Delete Key"), QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return box.clickedButton() == remove;
}

void applyMenuTheme(QWidget* menuOrBar, const CompactTheme& theme) {
    const QString style =
        QStringLiteral("QMenuBar { background: %1; color: %2; }"
                       "QMenuBar::item { background: transparent; padding: 3px 8px; }"
                       "QMenuBar::item:selected, QMenu::item:selected { background: %3;"
                       " color: white; }"
                       "QMenu { background: %4; color: %2; border: 1px solid %5; }"
                       "QMenu::item { padding: 4px 16px; }"
                       "QMenu::item:disabled { color: %6; }")
            .arg(theme.background().name(), theme.primaryText().name(),
                 selectionHighlight(theme).name(), theme.panel().name(),
                 theme.buttonSurface().name(), theme.mutedText().name());
    if (menuOrBar->styleSheet() != style)
        menuOrBar->setStyleSheet(style);
}

// CardWidget

CardWidget::CardWidget(QWidget* parent) : QWidget(parent) {}

void CardWidget::setStyle(const QColor& fill, const QColor& border, qreal radius) {
    if (fill == m_fill && border == m_border && radius == m_radius)
        return;
    m_fill = fill;
    m_border = border;
    m_radius = radius;
    update();
}

void CardWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    fillRounded(p, rect(), m_radius, m_fill, m_border);
}

// IconView

IconView::IconView(int iconSize, QWidget* parent) : QWidget(parent), m_iconSize(iconSize) {
    setFixedSize(iconSize, iconSize);
}

void IconView::setIcon(const QString& symbol, const QColor& color) {
    if (symbol == m_symbol && color == m_color)
        return;
    m_symbol = symbol;
    m_color = color;
    update();
}

void IconView::setTile(const QColor& fill, qreal radius) {
    m_tile = fill;
    m_tileRadius = radius;
    update();
}

void IconView::setRotation(qreal degrees) {
    m_rotation = degrees;
    update();
}

void IconView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_tile.alpha() > 0)
        fillRounded(p, rect(), m_tileRadius, m_tile);
    if (m_rotation != 0) {
        const QPointF c = QRectF(rect()).center();
        p.translate(c);
        p.rotate(m_rotation);
        p.translate(-c);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    if (!m_symbol.isEmpty()) {
        const QRectF box(0, 0, m_iconSize, m_iconSize);
        QRectF target = box;
        target.moveCenter(QRectF(rect()).center());
        Icons::paint(p, target, m_symbol, m_color);
    }
}

// ElidedLabel

ElidedLabel::ElidedLabel(QWidget* parent, Qt::Alignment alignment)
    : QWidget(parent), m_alignment(alignment) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text);
    update();
}

void ElidedLabel::setColor(const QColor& color) {
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize ElidedLabel::sizeHint() const {
    return {QFontMetrics(font()).horizontalAdvance(m_text), QFontMetrics(font()).height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, QFontMetrics(font()).height()};
}

QString ElidedLabel::displayedText() const {
    QString oneLine = m_text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QFontMetrics(font()).elidedText(oneLine, Qt::ElideRight, width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(m_color);
    p.setFont(font());
    p.drawText(rect(), m_alignment | Qt::AlignVCenter | Qt::TextSingleLine, displayedText());
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

// FilledButton

FilledButton::FilledButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
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
}

// ChoiceButton

ChoiceButton::ChoiceButton(const QString& symbol, const QString& title, qreal pixelSize,
                           QWidget* parent)
    : QAbstractButton(parent), m_symbol(symbol) {
    setText(title);
    setFont(uiFont(pixelSize, QFont::Bold));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ChoiceButton::setAppearance(bool selected, const CompactTheme& theme) {
    if (selected == m_selected && theme == m_theme)
        return;
    m_selected = selected;
    m_theme = theme;
    update();
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
        fillRounded(p, rect(), 9, m_theme.accent());
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
}

// TabButton

TabButton::TabButton(const QString& symbol, const QString& title, QWidget* parent)
    : ChoiceButton(symbol, title, 11, parent) {}

QColor TabButton::contentColor() const {
    return m_selected ? m_theme.accent() : m_theme.secondaryText();
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
}

// PowerButton

PowerButton::PowerButton(QWidget* parent) : QAbstractButton(parent) {
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
}

// IconButton

IconButton::IconButton(QSize size, int iconSize, QWidget* parent)
    : QAbstractButton(parent), m_size(size), m_iconSize(iconSize) {
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
}

// MenuPicker

MenuPicker::MenuPicker(QWidget* parent) : QComboBox(parent) {
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void MenuPicker::setTheme(const CompactTheme& theme) {
    if (theme == m_theme)
        return;
    m_theme = theme;
    QPalette palette = view()->palette();
    palette.setColor(QPalette::Base, theme.panel());
    palette.setColor(QPalette::Text, theme.primaryText());
    palette.setColor(QPalette::Highlight, selectionHighlight(theme));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    view()->setPalette(palette);
    update();
}

QSize MenuPicker::sizeHint() const {
    const QFontMetrics fm(font());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(itemText(i)));
    return {10 + widest + 8 + 10 + 8, fm.height() + 8};
}

QSize MenuPicker::minimumSizeHint() const {
    return sizeHint();
}

void MenuPicker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!isEnabled())
        p.setOpacity(disabledOpacity);
    fillRounded(p, rect(), 7, m_theme.buttonSurface(), m_theme.border());
    p.setFont(font());
    p.setPen(m_theme.primaryText());
    p.drawText(QRectF(10, 0, width() - 36, height()), Qt::AlignVCenter | Qt::AlignLeft,
               currentText());
    Icons::paint(p, QRectF(width() - 8 - 10, (height() - 10) / 2.0, 10, 10),
                 QStringLiteral("chevron.up.chevron.down"), m_theme.secondaryText());
}
