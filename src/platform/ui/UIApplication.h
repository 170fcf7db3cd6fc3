#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/UIViewController.h"

class NSURL;
class Storyboard;
class UIApplication;

class UIWindow : public UIResponder {
public:
    const std::shared_ptr<UIViewController>& rootViewController() const { return root_; }
    void setRootViewController(const std::shared_ptr<UIViewController>& root);
    void makeKeyAndVisible();

private:
    std::shared_ptr<UIViewController> root_;
};

using UIApplicationLaunchOptions = std::map<std::string, std::string>;
using UIApplicationOpenURLOptions = std::map<std::string, std::string>;

class UIApplicationDelegate : public UIResponder {
public:
    virtual bool applicationDidFinishLaunchingWithOptions(
        UIApplication& application, const UIApplicationLaunchOptions& launchOptions) = 0;
    virtual void applicationWillResignActive(UIApplication&) {}
    virtual void applicationDidEnterBackground(UIApplication&) {}
    virtual void applicationWillEnterForeground(UIApplication&) {}
    virtual void applicationDidBecomeActive(UIApplication&) {}
    virtual void applicationWillTerminate(UIApplication&) {}

    virtual std::shared_ptr<UIWindow> window() const = 0;
    virtual void setWindow(const std::shared_ptr<UIWindow>& window) = 0;
};

class UIApplication : public UIResponder {
public:
    static UIApplication& sharedApplication();
    static void resetSharedApplication();

    const std::shared_ptr<UIApplicationDelegate>& delegate() const { return delegate_; }
    void setDelegate(const std::shared_ptr<UIApplicationDelegate>& delegate) {
        delegate_ = delegate;
    }

    // Opens the URL outside the application; nothing is reported back when
    // `completionHandler` is null.
    void openURL(const std::shared_ptr<NSURL>& url, const UIApplicationOpenURLOptions& options,
                 std::function<void(bool success)> completionHandler);
    // Every openURL call as made, so that what the application passes can be checked.
    struct OpenURLRequest {
        std::string url;  // empty for an absent URL
        UIApplicationOpenURLOptions options;
        bool hasCompletionHandler;
    };
    const std::vector<OpenURLRequest>& openURLRequests() const { return openURLRequests_; }

    // Loads the interface descriptions and puts the first screen in a new
    // window; the backend calls it after launching.
    void loadMainInterface();
    const std::shared_ptr<Storyboard>& storyboard() const { return storyboard_; }
    // A screen of the launch-screen description, shown while launching.
    std::shared_ptr<UIViewController> makeLaunchScreen();

    // Reads and checks every interface description (once).
    void loadInterfaceDescriptions();

private:
    std::shared_ptr<UIApplicationDelegate> delegate_;
    std::shared_ptr<Storyboard> storyboard_;
    std::vector<OpenURLRequest> openURLRequests_;
};

// Runs the application loop: creates the delegate of the named class,
// launches it and loads the first screen. Returns the loop's exit status when it ends.
int UIApplicationMain(int argc, char** argv, const std::optional<std::string>& principalClassName,
                      const std::string& delegateClassName);
