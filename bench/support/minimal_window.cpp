// The anchor of the start-up benchmark: a bare Qt Widgets window of Tavrin's size with
// one label, started and measured the way the benchmark starts Tavrin.
//
//   bench_minimal_window <started>   `started`: the parent's monotonic clock in ns

#include "FirstFrame.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>

namespace {

class Window : public QWidget {
public:
    explicit Window(long long started) : m_started(started) {
        setFixedSize(320, 568);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Tavrin"), this), 0, Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_painted)
            return;
        m_painted = true;
        Bench::reportFirstFrame(m_started);
    }

private:
    long long m_started;
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    const long long started = std::atoll(argv[1]);
    QApplication application(argc, argv);
    Window window(started);
    window.show();
    return application.exec();
}
