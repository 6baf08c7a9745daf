#pragma once

#include <QDialog>

// "About Tavrin": the version, the licence, where to find the project and Velqor keys,
// and where Tavrin keeps its files.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    static QString projectURL();
    static QString velqorKeysURL();
};

// Tavrin's short help: what the window does and how to use it from the keyboard.
class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(QWidget* parent = nullptr);
};
