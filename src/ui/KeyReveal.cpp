#include "ui/KeyReveal.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLineEdit>

namespace {

// Between the button and the field's right edge.
constexpr int margin = 4;

} // namespace

KeyReveal::KeyReveal(QLineEdit* field, QAbstractButton* button,
                     std::function<void(const QString& symbol)> restyle)
    : QObject(field), m_field(field), m_button(button), m_restyle(std::move(restyle)) {
    m_button->setParent(field);
    m_button->setObjectName(field->objectName() + QStringLiteral("Reveal"));
    m_button->setCursor(Qt::PointingHandCursor);
    QWidget::setTabOrder(field, button);
    connect(m_button, &QAbstractButton::clicked, this, [this] { setShown(!isShown()); });
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            setShown(false);
    });
    m_field->installEventFilter(this);
    // The text stays clear of the button.
    m_field->setTextMargins(0, 0, m_button->sizeHint().width() + margin, 0);
    setShown(false);
    place();
}

bool KeyReveal::isShown() const {
    return m_field->echoMode() == QLineEdit::Normal;
}

void KeyReveal::setShown(bool shown) {
    m_field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    const QString action = shown ? tr("Hide key") : tr("Show key");
    m_button->setAccessibleName(action);
    m_button->setToolTip(action);
    restyle();
}

void KeyReveal::restyle() {
    m_restyle(isShown() ? QStringLiteral("eye.slash") : QStringLiteral("eye"));
}

bool KeyReveal::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QObject::eventFilter(watched, event);
}

void KeyReveal::place() {
    const QSize size = m_button->sizeHint();
    m_button->setGeometry(m_field->width() - size.width() - margin,
                          (m_field->height() - size.height()) / 2, size.width(), size.height());
}
