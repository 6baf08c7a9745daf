#include "ui/Controls.h"

#include "app/KeyDeletion.h"
#include "ui/Accessible.h"
#include "ui/Buttons.h"
#include "ui/Icons.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

constexpr qreal disabledOpacity = 0.5;

// The background of a chosen menu or list item, under white text.
QColor selectionHighlight(const CompactTheme& theme) {
    return withContrast(theme.accent(), Qt::white, 4.5);
}

} // namespace

void fillRounded(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border) {
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

void paintFocusRing(QPainter& p, const QWidget* widget, const QRectF& rect, qreal radius) {
    if (!widget->hasFocus() || !widget->window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    if (radius < 0)
        radius = rect.height() / 2;
    // The text colour of the appearance: it stands out from the background, the cards
    // and the accent fills alike.
    const CompactTheme theme{CompactTheme::systemIsDark(), TargetIDE::codex};
    p.save();
    p.setOpacity(1);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(theme.primaryText(), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(rect.adjusted(1, 1, -1, -1), std::max<qreal>(0, radius - 1),
                      std::max<qreal>(0, radius - 1));
    p.restore();
}

void applyScrollBarTheme(QAbstractScrollArea* scrollArea, const CompactTheme& theme) {
    // On the bar itself: a style sheet on the area would reach every widget inside.
    const QString style =
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 8px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
                       " min-height: 24px; margin: 0 1px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
                       " { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
                       " { background: transparent; }")
            .arg(theme.mutedText().name());
    QScrollBar* bar = scrollArea->verticalScrollBar();
    if (bar->styleSheet() != style)
        bar->setStyleSheet(style);
}

void chainTabOrder(const QList<QWidget*>& widgets) {
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.at(i - 1), widgets.at(i));
}

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

bool confirmDestructive(QWidget* parent, const QString& title, const QString& question,
                        const QString& details, const QString& action) {
    QMessageBox box(QMessageBox::Warning, title, question, QMessageBox::NoButton, parent);
    box.setInformativeText(details);
    QPushButton* remove = box.addButton(action, QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return box.clickedButton() == remove;
}

bool confirmKeyDeletion(QWidget* parent, const KeyDeletionPlan& plan) {
    return confirmDestructive(
        parent, QCoreApplication::translate("Controls", "Delete API Key"),
        QCoreApplication::translate("Controls", "Delete the stored API key of \u201C%1\u201D?")
            .arg(plan.profileName),
        plan.details() + QLatin1Char(' ') +
            QCoreApplication::translate("Controls", "Switching to this profile needs a key again."),
        QCoreApplication::translate("Controls", "Delete Key"));
}

bool confirmProfileDeletion(QWidget* parent, const KeyDeletionPlan& plan) {
    return confirmDestructive(parent, QCoreApplication::translate("Controls", "Delete Profile"),
                              plan.profileQuestion(), plan.profileDetails(),
                              QCoreApplication::translate("Controls", "Delete Profile"));
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
    installAccessibility();
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text);
    update();
}

QColor ElidedLabel::color() const {
    return m_color.isValid() ? m_color : palette().color(foregroundRole());
}

void ElidedLabel::setClickable(bool clickable) {
    m_clickable = clickable;
    setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
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
    p.setPen(color());
    p.setFont(font());
    p.drawText(rect(), m_alignment | Qt::AlignVCenter | Qt::TextSingleLine, displayedText());
    if (m_clickable && hasFocus()) {
        // Under the text, as wide as the text: a link's focus.
        const int textWidth = std::min(width(), fontMetrics().horizontalAdvance(displayedText()));
        const int left = m_alignment & Qt::AlignLeft ? 0 : (width() - textWidth) / 2;
        p.fillRect(QRect(left, height() - 2, textWidth, 2), color());
    }
}

void ElidedLabel::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (m_clickable && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

void ElidedLabel::keyPressEvent(QKeyEvent* event) {
    if (m_clickable && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                        event->key() == Qt::Key_Enter)) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
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
    paintFocusRing(p, this, rect(), 7);
    p.setFont(font());
    p.setPen(m_theme.primaryText());
    p.drawText(QRectF(10, 0, width() - 36, height()), Qt::AlignVCenter | Qt::AlignLeft,
               currentText());
    Icons::paint(p, QRectF(width() - 8 - 10, (height() - 10) / 2.0, 10, 10),
                 QStringLiteral("chevron.up.chevron.down"), m_theme.secondaryText());
}

// WelcomeCard

namespace {
// Narrower than the window's content at its least width (320 less the margins).
constexpr int minimumTextWidth = 240;
} // namespace

WelcomeCard::WelcomeCard(QWidget* parent) : CardWidget(parent) {
    setObjectName(QStringLiteral("welcomeCard"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(6);
    m_heading = new QLabel(tr("Start with a Velqor key"), this);
    m_heading->setObjectName(QStringLiteral("welcomeHeading"));
    m_heading->setFont(uiFont(13, QFont::Bold));
    m_heading->setWordWrap(true);
    m_body = new QLabel(tr("A Velqor API key lets Codex and Claude Code work through Velqor. "
                           "Your ChatGPT and Claude accounts need no key."),
                        this);
    m_body->setObjectName(QStringLiteral("welcomeText"));
    m_body->setFont(uiFont(11));
    m_body->setWordWrap(true);
    // Wraps to the card's width rather than widen the window, as tall as its lines need. A
    // new size policy keeps the height-for-width that word wrapping set, and the narrowest
    // width is one the window always has: the page's least height is what the text needs at
    // that width, and at one word a line it would push the switch below the window's edge.
    for (QLabel* label : {m_heading, m_body}) {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
        policy.setHeightForWidth(true);
        label->setSizePolicy(policy);
        label->setMinimumWidth(minimumTextWidth);
    }
    m_button = new FilledButton(tr("Add your Velqor key"), this);
    m_button->setObjectName(QStringLiteral("addKeyButton"));
    m_button->setFont(uiFont(12, QFont::Bold));
    m_button->setVerticalPadding(6);
    m_button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(m_heading);
    layout->addWidget(m_body);
    layout->addSpacing(2);
    layout->addWidget(m_button);
    connect(m_button, &QAbstractButton::clicked, this, &WelcomeCard::nextStepRequested);
}

void WelcomeCard::setTheme(const CompactTheme& theme) {
    setStyle(theme.panel(), theme.border(), 14);
    setTextColor(m_heading, theme.primaryText());
    setTextColor(m_body, theme.secondaryText());
    m_button->setColors(theme.accent(), Qt::white);
}
