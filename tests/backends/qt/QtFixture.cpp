#include "QtFixture.h"

#include <gst/gst.h>

#include <QApplication>
#include <QElapsedTimer>

#include "backends/qt/QtScreenWidget.h"
#include "backends/qt/QtViewWidgets.h"
#include "backends/qt/QtWindow.h"
#include "backends/qt/media/QtMediaKit.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "story/app/AppDelegate.h"

namespace fs = std::filesystem;

void QtFixture::SetUp() {
    AppFixture::SetUp();
    QtBackendOptions options;
    // The offscreen screen is smaller than the stage; the tests see it at scale 1.
    options.windowWidth = 1024;
    options.windowHeight = 768;
    options.stateFile = (scratch / "config" / "platform-state.json").string();
    options.interfaceDirectory = LARKSPIRE_UI_DIR;
    options.bundleDirectory = (scratch / "bundle").string();
    options.openURL = [this](const std::string& url) { openedURLs.push_back(url); };
    options.media = [] { return &linkedQtMedia(); };
    configure(options);
    backend = std::make_shared<QtBackend>(options);
    installPlatform(backend, std::make_shared<SimResourceService>((scratch / "ondemand").string()));
}

void QtFixture::TearDown() {
    closeBackend();
    AppFixture::TearDown();
}

void QtFixture::closeBackend() {
    uninstallPlatform();
    backend.reset();
    // Widgets closed during the test are deleted by the event loop.
    spin(10);
}

std::map<std::string, bool> QtFixture::pluginsLoaded(std::initializer_list<const char*> names) {
    gst_init(nullptr, nullptr);
    std::map<std::string, bool> installed;
    for (const char* name : names) {
        if (GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name)) {
            installed[name] = gst_plugin_is_loaded(plugin);
            gst_object_unref(plugin);
        }
    }
    return installed;
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

void QtFixture::addSamplePack(const std::string& tag) {
    resources->setPackSource(tag, (fs::path(LARKSPIRE_MEDIA_DIR) / "packs" / tag).string());
}

QtWindow& QtFixture::window() const {
    return *backend->window();
}

QtButton* QtFixture::button(const std::string& identifierOrTitle) const {
    QWidget* top = window().topStageWidget();
    if (!top)
        return nullptr;
    for (auto* candidate : widgetsIn<QtButton>(top)) {
        auto view = std::static_pointer_cast<UIButton>(candidate->view());
        if (view->identifier() == identifierOrTitle || view->title() == identifierOrTitle)
            return candidate;
    }
    return nullptr;
}
