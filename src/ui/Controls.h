#pragma once

#include "ui/CompactTheme.h"

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QString>
#include <QWidget>

struct KeyDeletionPlan;
class QAbstractScrollArea;
class QPainter;

// Small custom-painted building blocks of the compact main window (the buttons are in
// Buttons.h).

// A font of the given pixel size and weight (sizes are layout units, as in the design).
QFont uiFont(qreal pixelSize, QFont::Weight weight = QFont::Normal);
// Sets the colour a widget draws its text in, whichever role it draws with (a label
// inside a button draws with the button's role).
void setTextColor(QWidget* widget, const QColor& color);
// Asks before something is removed or replaced: true when the user pressed `action`.
bool confirmDestructive(QWidget* parent, const QString& title, const QString& question,
                        const QString& details, const QString& action);
// Asks whether to delete a profile's stored API key, telling exactly what goes (the
// stored key, the copies that hold it) and what stays.
bool confirmKeyDeletion(QWidget* parent, const KeyDeletionPlan& plan);
// Asks whether to delete a profile, naming it, and says the same of its key.
bool confirmProfileDeletion(QWidget* parent, const KeyDeletionPlan& plan);
// A menu or the menu bar drawn in the theme's colours.
void applyMenuTheme(QWidget* menuOrBar, const CompactTheme& theme);
// Fills a rounded rectangle (a negative radius draws a capsule), with a 1-unit outline
// when `border` is not transparent.
void fillRounded(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border = Qt::transparent);
// Draws the keyboard focus ring along the outline of `rect` when `widget` has the focus
// and the user moves it with the keyboard, in a colour that reads on every surface.
void paintFocusRing(QPainter& p, const QWidget* widget, const QRectF& rect, qreal radius);
// Thin scroll bars in the theme's colours.
void applyScrollBarTheme(QAbstractScrollArea* scrollArea, const CompactTheme& theme);
// Chains the widgets' Tab order in the order given.
void chainTabOrder(const QList<QWidget*>& widgets);

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
// text as its tooltip. It never asks for more width than it is given. It draws in the
// colour given, else in its palette's text colour. A clickable one takes the keyboard
// focus and is pressed with Space or Enter, like a link.
class ElidedLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    explicit ElidedLabel(QWidget* parent = nullptr, Qt::Alignment alignment = Qt::AlignCenter);
    QString text() const { return m_text; }
    void setText(const QString& text);
    QColor color() const;
    void setColor(const QColor& color);
    void setClickable(bool clickable);
    bool isClickable() const { return m_clickable; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The text as it fits the current width.
    QString displayedText() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_text;
    QColor m_color;
    Qt::Alignment m_alignment;
    bool m_clickable = false;
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

class FilledButton;
class QLabel;

// The first start's explanation: a heading, one or two plain sentences and the next step
// as a button.
class WelcomeCard : public CardWidget {
    Q_OBJECT
public:
    explicit WelcomeCard(QWidget* parent = nullptr);
    void setTheme(const CompactTheme& theme);
    FilledButton* button() const { return m_button; }

signals:
    void nextStepRequested();

private:
    QLabel* m_heading;
    QLabel* m_body;
    FilledButton* m_button;
};
