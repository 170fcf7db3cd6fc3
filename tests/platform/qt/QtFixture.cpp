#include "QtFixture.h"

#include <QApplication>
#include <QElapsedTimer>

#include "platform/qt/QtWindow.h"

void QtFixture::SetUp() {
    AppFixture::SetUp();
    QtBackendOptions options;
    // The offscreen screen is smaller than the stage; the tests see it at scale 1.
    options.windowWidth = 1024;
    options.windowHeight = 768;
    options.stateFile = (scratch / "config" / "platform-state.json").string();
    options.openURL = [](const std::string&) {};  // never a real browser
    backend = std::make_shared<QtBackend>(options);
    installPlatform(backend, std::make_shared<SimResourceService>((scratch / "ondemand").string()));
}

void QtFixture::TearDown() {
    uninstallPlatform();
    backend.reset();
    // Widgets closed during the test are deleted by the event loop.
    spin(10);
    AppFixture::TearDown();
}

bool QtFixture::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void QtFixture::spin(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

QtWindow& QtFixture::window() const {
    return *backend->window();
}
