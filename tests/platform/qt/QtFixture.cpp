#include "QtFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <random>

#include "app/AppDelegate.h"
#include "app/ApplicationClasses.h"
#include "platform/DebugLog.h"
#include "platform/NSBundle.h"
#include "platform/NSUserDefaults.h"
#include "platform/Platform.h"
#include "platform/Storyboard.h"
#include "platform/UIApplication.h"
#include "platform/qt/QtScreenWidget.h"
#include "platform/qt/QtViewWidgets.h"
#include "platform/qt/QtWindow.h"

namespace fs = std::filesystem;

void QtFixture::SetUp() {
    std::random_device random;
    scratch = fs::temp_directory_path() /
              ("larkspire-qt-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    fs::create_directories(scratch / "bundle");
    registerApplicationClasses();

    QtBackendOptions options;
    // The offscreen screen is smaller than the stage; the tests see it at scale 1.
    options.windowWidth = 1024;
    options.windowHeight = 768;
    options.stateFile = (scratch / "config" / "platform-state.json").string();
    options.openURL = [this](const std::string& url) { openedURLs.push_back(url); };
    backend = std::make_shared<QtBackend>(options);
    resources = std::make_shared<SimResourceService>((scratch / "ondemand").string());
    PlatformEnvironment environment;
    environment.backend = backend;
    environment.resources = resources;
    environment.mainBundle = std::make_shared<NSBundle>(
        (scratch / "bundle").string(),
        std::map<std::string, NSPropertyListValue>{{kCFBundleVersionKey, "1.0"}});
    environment.userDefaults =
        std::make_shared<NSUserDefaults>((scratch / "config" / "settings.json").string());
    environment.interfaceDirectory = LARKSPIRE_UI_DIR;
    Platform::install(environment);
    setDebugLogSink([this](const std::string& line) { log.push_back(line); });
    appDelegate = std::make_shared<AppDelegate>();
    UIApplication::sharedApplication().setDelegate(appDelegate);
}

void QtFixture::TearDown() {
    keepWindow_.reset();
    appDelegate.reset();
    Platform::uninstall();
    backend.reset();
    setDebugLogSink(nullptr);
    // Widgets closed during the test are deleted by the event loop.
    spin(10);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
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

void QtFixture::addSampleBundledFile(const std::string& samplePath) {
    fs::path source = fs::path(LARKSPIRE_MEDIA_DIR) / samplePath;
    fs::copy_file(source, scratch / "bundle" / source.filename(),
                  fs::copy_options::overwrite_existing);
}

void QtFixture::addSamplePack(const std::string& tag) {
    resources->setPackSource(tag, (fs::path(LARKSPIRE_MEDIA_DIR) / "packs" / tag).string());
}

std::shared_ptr<UIViewController> QtFixture::showScreen(const std::string& identifier) {
    auto& application = UIApplication::sharedApplication();
    application.loadInterfaceDescriptions();
    auto screen = application.storyboard()->instantiateViewControllerWithIdentifier(identifier);
    auto uiWindow = std::make_shared<UIWindow>();
    appDelegate->setWindow(uiWindow);
    uiWindow->setRootViewController(screen);
    uiWindow->makeKeyAndVisible();
    keepWindow_ = uiWindow;
    spin(20);
    return screen;
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

QWidget* QtFixture::widgetOf(const std::shared_ptr<UIView>& view) {
    auto* peer = dynamic_cast<QtViewPeer*>(view ? view->peer() : nullptr);
    return peer ? &peer->widget() : nullptr;
}

bool QtFixture::logHas(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
}
