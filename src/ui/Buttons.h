#pragma once

#include "ui/CompactTheme.h"

#include <QAbstractButton>
#include <QColor>
#include <QString>

class IconView;
class QLabel;

// The custom-painted buttons of the compact main window. Each takes the keyboard focus,
// shows a focus ring while it has it, and is pressed with Space or Enter.
class PlainButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PlainButton(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A button drawn as text on a filled rounded rectangle; a negative radius draws a
// capsule, a transparent fill a plain text button.
class FilledButton : public PlainButton {
    Q_OBJECT
public:
    explicit FilledButton(const QString& text, QWidget* parent = nullptr);
    void setColors(const QColor& fill, const QColor& textColor);
    // Colours while disabled; without them a disabled button is drawn half transparent.
    void setDisabledColors(const QColor& fill, const QColor& textColor);
    void setRadius(qreal radius);
    void setVerticalPadding(int padding);
    void setHorizontalPadding(int padding);
    // The colours as drawn in the current state.
    QColor fillColor() const;
    QColor textColor() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool usesDisabledColors() const;

    QColor m_fill = Qt::transparent;
    QColor m_textColor = Qt::black;
    QColor m_disabledFill;
    QColor m_disabledText;
    qreal m_radius = 8;
    int m_verticalPadding = 8;
    int m_horizontalPadding = 12;
};

// A button showing a symbol and its title that is drawn chosen or plain; screen readers
// are told which one is chosen.
class ChoiceButton : public PlainButton {
    Q_OBJECT
public:
    ChoiceButton(const QString& symbol, const QString& title, qreal pixelSize,
                 QWidget* parent = nullptr);
    void setAppearance(bool selected, const CompactTheme& theme);
    bool isSelected() const { return m_selected; }
    virtual QColor contentColor() const = 0;

protected:
    QString m_symbol;
    bool m_selected = false;
    CompactTheme m_theme;
};

// One segment of the target switcher: icon and title side by side.
class SegmentButton : public ChoiceButton {
    Q_OBJECT
public:
    SegmentButton(const QString& symbol, const QString& title, QWidget* parent = nullptr);
    QColor contentColor() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// One button of the bottom tab bar: icon above its label.
class TabButton : public ChoiceButton {
    Q_OBJECT
public:
    TabButton(const QString& symbol, const QString& title, QWidget* parent = nullptr);
    QColor contentColor() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The large round switch control: a halo and a filled circle with a symbol.
class PowerButton : public PlainButton {
    Q_OBJECT
public:
    explicit PowerButton(QWidget* parent = nullptr);
    void setAppearance(const QColor& stateColor, qreal haloOpacity, const QString& symbol,
                       const QColor& symbolColor = Qt::white);
    QColor stateColor() const { return m_color; }
    QColor symbolColor() const { return m_symbolColor; }
    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override { return {104, 104}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QColor m_color;
    QColor m_symbolColor = Qt::white;
    qreal m_haloOpacity = 0.11;
    QString m_symbol = QStringLiteral("power");
};

// A small square icon button on a rounded surface; its accessible name says what it does.
class IconButton : public PlainButton {
    Q_OBJECT
public:
    IconButton(QSize size, int iconSize, QWidget* parent = nullptr);
    void setAppearance(const QString& symbol, const QColor& iconColor, const QColor& surface);
    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize m_size;
    int m_iconSize;
    QString m_symbol;
    QColor m_iconColor;
    QColor m_surface;
};

// The clickable title row of a collapsible section: chevron, icon, title and a badge.
// Screen readers hear its title, the badge and whether it is expanded.
class DisclosureHeader : public PlainButton {
    Q_OBJECT
public:
    DisclosureHeader(const QString& symbol, const QString& title, QWidget* parent = nullptr);
    void setExpanded(bool expanded);
    bool isExpanded() const { return m_expanded; }
    void setAppearance(const CompactTheme& theme, bool enabled);
    void setBadge(const QString& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void describe();

    bool m_expanded = false;
    QString m_symbol;
    IconView* m_chevron;
    IconView* m_icon;
    QLabel* m_title;
    QLabel* m_badge;
};
