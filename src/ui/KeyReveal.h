#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QLineEdit;

// Shows and hides the key typed in a field with an icon button at the field's right end,
// next in the Tab order. The button's accessible name and tool tip say what a press does
// ("Show key", "Hide key"); the key is hidden again whenever the field is emptied (saved,
// or another profile chosen).
class KeyReveal : public QObject {
    Q_OBJECT
public:
    // `button` becomes a child of `field`; `restyle` draws it with the symbol "eye" or
    // "eye.slash", now and whenever that changes.
    KeyReveal(QLineEdit* field, QAbstractButton* button,
              std::function<void(const QString& symbol)> restyle);

    bool isShown() const;
    void setShown(bool shown);
    // Draws the button again (a new theme).
    void restyle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QLineEdit* m_field;
    QAbstractButton* m_button;
    std::function<void(const QString&)> m_restyle;
};
