#pragma once

#include "ui/CompactTheme.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QString>
#include <QWidget>

class QLabel;

// Small custom-painted building blocks of the compact main window.

// A font of the given pixel size and weight (sizes are layout units, as in the design).
QFont uiFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
// Sets the colour a widget draws its text in, whichever role it draws with (a label
// inside a button draws with the button's role).
void setTextColor(QWidget* widget, const QColor& color);
// Asks whether to delete the stored API key of the named profile.
bool confirmKeyDeletion(QWidget* parent, const QString& profileName);
// A menu or the menu bar drawn in the theme's colours.
void applyMenuTheme(QWidget* menuOrBar, const CompactTheme& theme);

// A rounded rectangle filled with `fill` and outlined by a 1-unit `border`.
class CardWidget : public QWidget {
    Q_OBJECT
public:
    explicit CardWidget(QWidget* parent = nullptr);
    void setStyle(const QColor& fill, const QColor& border, qreal radius);
    QColor fillColor() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill;
    QColor m_border;
    qreal m_radius = 12;
};

// One tinted icon, optionally on a rounded tile.
class IconView : public QWidget {
    Q_OBJECT
public:
    IconView(int iconSize, QWidget* parent = nullptr);
    void setIcon(const QString& symbol, const QColor& color);
    void setTile(const QColor& fill, qreal radius);
    // Turns the icon clockwise by `degrees` about its centre.
    void setRotation(qreal degrees);
    QString symbol() const { return m_symbol; }
    QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_iconSize;
    QString m_symbol;
    QColor m_color;
    QColor m_tile = Qt::transparent;
    qreal m_tileRadius = 0;
    qreal m_rotation = 0;
};

// A label that shows its text on one line, elided with "…" at the end, with the full
// text as its tooltip. It never asks for more width than it is given.
class ElidedLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit ElidedLabel(QWidget* parent = nullptr, Qt::Alignment alignment = Qt::AlignCenter);
    QString text() const { return m_text; }
    void setText(const QString& text);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as it fits the current width.
    QString displayedText() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QColor m_color;
    Qt::Alignment m_alignment;
};

// A button drawn as text (and an optional leading icon) on a filled rounded rectangle;
// a negative radius draws a capsule, a transparent fill a plain text button.
class FilledButton : public QAbstractButton {
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

// A button showing a symbol and its title that is drawn chosen or plain.
class ChoiceButton : public QAbstractButton {
    Q_OBJECT
public:
    ChoiceButton(const QString& symbol, const QString& title, qreal pixelSize,
                 QWidget* parent = nullptr);
    void setAppearance(bool selected, const CompactTheme& theme);
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
class PowerButton : public QAbstractButton {
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

// A small square icon button on a rounded surface.
class IconButton : public QAbstractButton {
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

// A menu-style picker: the chosen item's text and a drop-down mark on a rounded surface.
class MenuPicker : public QComboBox {
    Q_OBJECT
public:
    explicit MenuPicker(QWidget* parent = nullptr);
    void setTheme(const CompactTheme& theme);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CompactTheme m_theme;
};
