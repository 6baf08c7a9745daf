#pragma once

// Small checks and the fixture shared by the widget tests.

#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "ui/CompactTheme.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"
#include "ui/screenshots/DarkPalette.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
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
    QString text(const char* label) const { return find<QLabel>(label)->text(); }
    void show() const {
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qFatal("window not exposed");
    }
};

// A policy source that answers later, as the real one does, with a fixed policy.
class FixedPolicy : public CloudControlService {
public:
    explicit FixedPolicy(CloudPolicyResult result = {}) : m_result(std::move(result)) {}
    void loadPolicy(Completion done) override {
        ++calls;
        QTimer::singleShot(0, [done, result = m_result] { done(nullptr, result); });
    }
    int calls = 0;

private:
    CloudPolicyResult m_result;
};

// The main window, shown, with `velqors` more Velqor profiles than the built-in ones;
// without a policy source of the test's own, it gets no policy.
struct WindowFixture : WidgetFixture<ContentView> {
    explicit WindowFixture(AppServices services = {}, int velqors = 0,
                           QSize size = {ContentView::windowWidth, ContentView::windowHeight}) {
        if (velqors > 0)
            store->load();
        for (int i = 3; i < 3 + velqors; ++i)
            store->saveProfile(Profile::velqorAccount(i));
        if (!services.cloudControlService)
            services.cloudControlService = std::make_shared<FixedPolicy>();
        view = std::make_unique<ContentView>(store.get(), std::move(services));
        view->resize(size);
        show();
    }
    // Both tabs' controls: the Profiles tab on Velqor 1, its proxy unfolded.
    void showProfiles() const {
        click("tabProfiles");
        view->profilesPanel()->selectProfile(*store->profile("velqor-1"));
        click("proxyDisclosure");
        QApplication::processEvents();
    }
};

// Opens the window's profile menu, picks the item of the profile with that id (if any) and
// lists the items, "[x]" before the active profile's.
inline QStringList pickProfile(ContentView* view, const QString& id = {}) {
    QTest::mouseClick(view->findChild<QWidget*>("profileCard"), Qt::LeftButton);
    QStringList names;
    for (QAction* a : view->profileMenu()->actions()) {
        names << (a->isChecked() ? "[x] " : "") + a->text();
        if (a->data().toString() == id)
            a->trigger();
    }
    view->profileMenu()->hide();
    return names;
}

inline bool sameColor(const QColor& a, const QColor& b, int tolerance = 2) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// Presses the button with this text in the next message box, once one comes up; the
// result then holds the box's question, and its details when asked for (empty while no
// box has come up).
inline std::shared_ptr<QString> answerNextMessageBox(const QString& button, bool details = false) {
    auto question = std::make_shared<QString>();
    auto* poll = new QTimer(QApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll, question, button, details] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        *question = details ? box->text() + '\n' + box->informativeText() : box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    });
    poll->start(10);
    return question;
}

// Gives the application a light or a dark theme's palette, which the windows read the
// appearance from.
inline void setAppearance(bool dark) {
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    QApplication::processEvents();
}

// The contrast of a text control as its window paints it: the most common colour of its
// area is the background, the colour that stands out most from it the text.
inline qreal paintedContrast(QWidget* widget) {
    QWidget* window = widget->window();
    const QImage image =
        window->grab(QRect(widget->mapTo(window, QPoint()), widget->size())).toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    const QRgb background =
        std::max_element(counts.keyValueBegin(), counts.keyValueEnd(), [](auto a, auto b) {
            return a.second < b.second;
        })->first;
    qreal best = 1;
    for (auto it = counts.keyBegin(); it != counts.keyEnd(); ++it)
        best = std::max(best, contrastRatio(QColor(*it), QColor(background)));
    return best;
}

// The visible, enabled controls of a window that show a text of their own.
inline QList<QWidget*> textControls(QWidget* root) {
    QList<QWidget*> result;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        // Only what is on screen whole: not a row scrolled out of its list.
        if (!w->isVisible() || !w->isEnabled() || w->visibleRegion().boundingRect() != w->rect())
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* elided = qobject_cast<ElidedLabel*>(w))
            text = elided->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* field = qobject_cast<QLineEdit*>(w))
            text = field->text().isEmpty() ? field->placeholderText() : field->text();
        // Letters and digits: bullets and dashes are too small to measure.
        if (text.contains(QRegularExpression(QStringLiteral("[\\p{L}\\p{N}]"))))
            result << w;
    }
    return result;
}
