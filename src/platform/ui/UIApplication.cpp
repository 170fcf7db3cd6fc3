#include "platform/ui/UIApplication.h"

#include <stdexcept>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/foundation/NSURL.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIClassRegistry.h"

namespace {
std::unique_ptr<UIApplication> gApplication;
}

void UIWindow::setRootViewController(const std::shared_ptr<UIViewController>& root) {
    root_ = root;
    if (root_)
        root_->loadViewIfNeeded();
    if (Platform::installed())
        Platform::backend().windowDidChangeRootViewController(*this);
}

void UIWindow::makeKeyAndVisible() {
    if (root_)
        root_->viewDidAppear(false);
}

UIApplication& UIApplication::sharedApplication() {
    if (!gApplication)
        gApplication = std::make_unique<UIApplication>();
    return *gApplication;
}

void UIApplication::resetSharedApplication() {
    gApplication.reset();
}

void UIApplication::openURL(const std::shared_ptr<NSURL>& url,
                            const UIApplicationOpenURLOptions& options,
                            std::function<void(bool)> completionHandler) {
    openURLRequests_.push_back(
        {url ? url->absoluteString() : std::string(), options, bool(completionHandler)});
    if (!url) {
        if (completionHandler)
            completionHandler(false);
        return;
    }
    Platform::backend().openURL(*url);
    if (completionHandler)
        completionHandler(true);
}

void UIApplication::loadInterfaceDescriptions() {
    if (!storyboard_)
        storyboard_ = Storyboard::load(Platform::environment().interfaceDirectory);
}

void UIApplication::loadMainInterface() {
    loadInterfaceDescriptions();
    auto window = std::make_shared<UIWindow>();
    if (delegate_)
        delegate_->setWindow(window);
    window->setRootViewController(storyboard_->instantiateInitialViewController());
    window->makeKeyAndVisible();
}

std::shared_ptr<UIViewController> UIApplication::makeLaunchScreen() {
    loadInterfaceDescriptions();
    return storyboard_->instantiateLaunchScreen();
}

int UIApplicationMain(int, char**, const std::optional<std::string>& principalClassName,
                      const std::string& delegateClassName) {
    if (principalClassName)
        throw std::invalid_argument("only the platform's own application class is supported");
    auto& application = UIApplication::sharedApplication();
    auto delegate = UIClassRegistry::shared().makeApplicationDelegate(delegateClassName);
    application.setDelegate(delegate);
    // Descriptions are read before launching so that a broken one stops the
    // start with a clear error rather than halfway through.
    application.loadInterfaceDescriptions();
    return Platform::backend().runApplication(application, [&] {
        return delegate->applicationDidFinishLaunchingWithOptions(application, {});
    });
}
