#include "BenchPlatform.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <fstream>

#include "backends/qt/QtBackend.h"
#include "backends/qt/QtViewPeer.h"
#include "backends/qt/media/QtMediaKit.h"
#include "backends/sim/SimResourceService.h"
#include "platform/foundation/DebugLog.h"
#include "platform/media/TimedText.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "run/Environment.h"
#include "run/QuietMedia.h"
#include "story/app/AppDelegate.h"

namespace fs = std::filesystem;

namespace {

std::shared_ptr<UIButton> findButton(const std::shared_ptr<UIView>& view,
                                     const std::string& title) {
    if (auto button = std::dynamic_pointer_cast<UIButton>(view); button && button->title() == title)
        return button;
    for (const auto& subview : view->subviews()) {
        if (auto found = findButton(subview, title))
            return found;
    }
    return nullptr;
}

long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::atol(line.c_str() + field.size() + 1);
    }
    return -1;
}

}  // namespace

void useOffscreenWithoutDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // For the whole run: the media libraries' complaints would bury the figures.
    static QuietMedia quiet(true);
}

BenchPlatform::BenchPlatform(const fs::path& chapter13, const fs::path& packs)
    : scratch_(fs::temp_directory_path() / ("larkspire-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(scratch_);
    fs::path bundle = LARKSPIRE_BUNDLE_DIR;
    if (!chapter13.empty()) {
        fs::copy(bundle, scratch_ / "bundle", fs::copy_options::recursive);
        bundle = scratch_ / "bundle";
        // A hard link, or else a copy: the bundle hands out no file that is a symbolic link,
        // and the player passes over timed text that is one.
        fs::remove(bundle / "LKSChapter13.mp4");
        std::error_code linked;
        fs::create_hard_link(chapter13, bundle / "LKSChapter13.mp4", linked);
        if (linked)
            fs::copy_file(chapter13, bundle / "LKSChapter13.mp4");
        for (const auto& [language, path] : TimedText::filesBeside(bundle / "LKSChapter13.mp4"))
            fs::remove(path);
        for (const auto& [language, path] : TimedText::filesBeside(chapter13))
            fs::copy_file(path, bundle / ("LKSChapter13." + language + ".vtt"));
    }
    QtBackendOptions options;
    options.windowWidth = 1024;
    options.windowHeight = 768;
    options.openURL = [](const std::string&) {};
    options.interfaceDirectory = LARKSPIRE_UI_DIR;
    options.bundleDirectory = bundle.string();
    options.media = [] { return &linkedQtMedia(); };
    backend_ = std::make_shared<QtBackend>(options);
    auto resources = simulatedContent(
        scratch_ / "ondemand", packs.empty() ? fs::path(LARKSPIRE_MEDIA_DIR) / "packs" : packs);
    for (const char* tag : {"Video", "Audio"})
        resources->install(tag);
    installEnvironment({backend_, resources, bundle.string(), "bench", scratch_ / "settings.json",
                        LARKSPIRE_UI_DIR});
    setDebugLogSink([this](const std::string& line) { log_.push_back(line); });
    UIApplication::sharedApplication().setDelegate(std::make_shared<AppDelegate>());
    UIApplication::sharedApplication().loadInterfaceDescriptions();
}

BenchPlatform::~BenchPlatform() {
    window_.reset();
    uninstallEnvironment();
    backend_.reset();
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
}

std::shared_ptr<UIViewController> BenchPlatform::showRoot(const std::string& identifier) {
    auto& application = UIApplication::sharedApplication();
    auto screen = application.storyboard()->instantiateViewControllerWithIdentifier(identifier);
    auto window = std::make_shared<UIWindow>();
    application.delegate()->setWindow(window);
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    window_ = window;
    run(0.1);
    return screen;
}

std::shared_ptr<UIViewController> BenchPlatform::present(
    const std::shared_ptr<UIViewController>& on, const std::string& identifier) {
    auto screen =
        UIApplication::sharedApplication().storyboard()->instantiateViewControllerWithIdentifier(
            identifier);
    on->presentViewController(screen, true, nullptr);
    run(0.1);
    return screen;
}

void BenchPlatform::showCaptions(const std::string& language) {
    backend_->setCaptionLanguage(language);
}

bool BenchPlatform::tap(const std::shared_ptr<UIViewController>& screen, const std::string& title) {
    return tapButton(screen->view(), title);
}

bool tapButton(const std::shared_ptr<UIView>& view, const std::string& title) {
    auto button = findButton(view, title);
    auto* peer = button ? dynamic_cast<QtViewPeer*>(button->peer()) : nullptr;
    auto* widget = peer ? dynamic_cast<QPushButton*>(&peer->widget()) : nullptr;
    if (!widget)
        return false;
    widget->click();
    return true;
}

bool BenchPlatform::runUntil(const std::function<bool()>& done, double seconds) {
    if (done())
        return true;
    // A real event loop, idle between events, so that waiting costs no CPU of its own.
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start();
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void BenchPlatform::run(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

long BenchPlatform::residentKiB() {
    return statusKiB("VmRSS");
}
long BenchPlatform::peakResidentKiB() {
    return statusKiB("VmHWM");
}
