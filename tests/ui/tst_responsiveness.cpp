#include "app/AppViewModel.h"
#include "profiles/ProfilesStore.h"
#include "support/FakeRestarters.h"
#include "support/TestHome.h"
#include "ui/ContentView.h"

#include <QThreadPool>

// The window keeps painting while a switch blocks: the switch runs on a thread of its own,
// never on Qt's global pool, which painting also uses (on a one-CPU machine that pool has
// a single thread).
class TestResponsiveness : public QObject {
    Q_OBJECT
private slots:
    void repaintsWhileAStepBlocks() {
        TestHome home;
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        ProfilesStore store;
        auto codex = std::make_shared<FakeCodexRestarter>();
        codex->holdQuit = true;
        AppServices services;
        services.codexRestarter = codex;
        ContentView view(&store, services);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setSelectedIDE(TargetIDE::codex);

        view.viewModel()->switchAndRestart(TargetIDE::codex);
        QVERIFY(view.viewModel()->isSwitching());
        QTRY_VERIFY(codex->calls().contains(QStringLiteral("quit")));
        // While the quit is held, the pool painting uses is free and a repaint completes.
        QCOMPARE(QThreadPool::globalInstance()->activeThreadCount(), 0);
        view.repaint();
        QVERIFY(view.viewModel()->isSwitching());
        codex->releaseQuit();
        QTRY_VERIFY_WITH_TIMEOUT(!view.viewModel()->isSwitching(), 10000);
    }
};

QTEST_MAIN(TestResponsiveness)
#include "tst_responsiveness.moc"
