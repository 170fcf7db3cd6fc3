// The baseline: a bare Qt window showing one label. Writes "shown" once the
// label has been painted, then quits.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                std::puts("shown");
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel label("Larkspire");
    label.resize(1024, 768);
    FirstPaint watcher;
    label.installEventFilter(&watcher);
    label.show();
    return application.exec();
}
