#pragma once

// Small checks and the fixture shared by the widget tests.

#include "profiles/ProfilesStore.h"
#include "remote/CloudControlService.h"
#include "support/TestHome.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/ProfilesPanel.h"
#include "ui/screenshots/DarkPalette.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <memory>

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
    // Clicks a control that asks first, answers with `button`; the question it asked.
    QString clickAnswering(const char* name, const QString& button) const {
        const auto question = answerNextMessageBox(button);
        click(name);
        return *question;
    }
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

// Gives the application a light or a dark theme's palette, which the windows read the
// appearance from.
inline void setAppearance(bool dark) {
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    QApplication::processEvents();
}

// The viewport of the scroll area a widget is in, else its window.
inline QWidget* visibleAreaOf(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(p->parentWidget()))
            return scroll->viewport();
    return w->window();
}

// Whether a widget is whole in `area`, by default in what it is seen through.
inline bool inView(QWidget* w, QWidget* area = nullptr) {
    area = area ? area : visibleAreaOf(w);
    return area->rect().contains(QRect(w->mapTo(area, QPoint()), w->size()));
}
