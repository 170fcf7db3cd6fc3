#pragma once

#include <memory>

#include "platform/ui/UIApplication.h"

// The application's delegate: counts launches, runs the review policy, holds
// the launch screen, and keeps the parental-gate flag for the whole run.
class AppDelegate : public UIApplicationDelegate {
public:
    static constexpr const char* kClassName = "AppDelegate";

    AppDelegate();

    bool applicationDidFinishLaunchingWithOptions(
        UIApplication& application, const UIApplicationLaunchOptions& launchOptions) override;
    void applicationWillResignActive(UIApplication&) override {}
    void applicationDidEnterBackground(UIApplication&) override {}
    void applicationWillEnterForeground(UIApplication&) override {}
    void applicationDidBecomeActive(UIApplication&) override {}
    void applicationWillTerminate(UIApplication&) override {}

    std::shared_ptr<UIWindow> window() const override { return window_; }
    void setWindow(const std::shared_ptr<UIWindow>& window) override { window_ = window; }

    // The running application's delegate, as every screen takes it.
    static std::shared_ptr<AppDelegate> shared();

    std::shared_ptr<UIWindow> window_;
    bool parentalGateEnabled;
};
