#pragma once

// Small checks and the fixture shared by the widget tests.

#include "profiles/ProfilesStore.h"
#include "support/TestHome.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <memory>

// A window or panel over a real store in a temporary home; its widgets are found by name.
template <typename View> struct WidgetFixture {
    TestHome home;
    std::unique_ptr<ProfilesStore> store = std::make_unique<ProfilesStore>();
    std::unique_ptr<View> view;

    // Stops the test program when there is no such widget.
    template <typename T = QWidget> T* find(const char* name) const {
        T* widget = view->template findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    void click(const char* name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
};

// The colour of the most solid pixel a widget paints over nothing: a label's text colour.
inline QColor paintedColor(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, {}, {}, QWidget::DrawChildren);
    QRgb best = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > qAlpha(best))
                best = image.pixel(x, y);
    return QColor(qRed(best), qGreen(best), qBlue(best));
}

inline bool sameColor(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 2 && qAbs(a.green() - b.green()) <= 2 &&
           qAbs(a.blue() - b.blue()) <= 2;
}

// Presses the button with this text in the next message box; the result then holds the
// box's question (empty while no box has come up).
inline std::shared_ptr<QString> answerNextMessageBox(const QString& button) {
    auto question = std::make_shared<QString>();
    QTimer::singleShot(0, [question, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        *question = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
    return question;
}

// Sets the application's window colour, which the windows read the appearance from.
inline void setAppearance(bool dark) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xf0, 0xf0, 0xf0));
    QApplication::setPalette(palette);
    QApplication::processEvents();
}
