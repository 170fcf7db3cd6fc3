#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NSObject.h"

class NSBundle;
class UIView;

class UIResponder : public NSObject {};

// What an interface description hands a screen it decodes: the screen's
// identifier and the file it came from.
class NSCoder {
public:
    NSCoder(std::string identifier, std::string file)
        : identifier_(std::move(identifier)), file_(std::move(file)) {}
    const std::string& identifier() const { return identifier_; }
    const std::string& file() const { return file_; }

private:
    std::string identifier_;
    std::string file_;
};

class UIViewController : public UIResponder {
public:
    UIViewController(const std::optional<std::string>& nibName,
                     const std::shared_ptr<NSBundle>& bundle);
    explicit UIViewController(NSCoder& coder);
    ~UIViewController() override;

    virtual std::string className() const { return "UIViewController"; }
    const std::string& identifier() const { return identifier_; }

    // The root view; loading it (once) runs viewDidLoad.
    std::shared_ptr<UIView> view();
    void loadViewIfNeeded();
    // Set by whoever builds the view tree (the interface description) before loading.
    void setViewBuilder(std::function<std::shared_ptr<UIView>()> builder);

    virtual void viewDidLoad() {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    virtual void didReceiveMemoryWarning() {}
    virtual bool prefersHomeIndicatorAutoHidden() const { return false; }

    // Alerts cover part of the screen below; every other screen covers it whole.
    virtual bool coversPresenter() const { return true; }

    // Shown over this screen; returns at once; `completion` runs once it is shown.
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                               std::function<void()> completion);
    std::shared_ptr<UIViewController> presentedViewController() const { return presented_; }
    std::shared_ptr<UIViewController> presentingViewController() const {
        return presenting_.lock();
    }
    // Closes the screen this one presents, or, presenting nothing, this screen itself.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion);
    // The screen at the top of this one's presentation chain.
    std::shared_ptr<UIViewController> topmostViewController();

    static std::size_t liveCount();

private:
    void dismissPresented(bool animated);

    std::string identifier_;
    std::shared_ptr<UIView> view_;
    bool viewLoaded_ = false;
    std::function<std::shared_ptr<UIView>()> viewBuilder_;
    std::shared_ptr<UIViewController> presented_;
    std::weak_ptr<UIViewController> presenting_;
};
