#include "platform/ui/UIViewController.h"

#include <atomic>
#include <iostream>

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"
#include "platform/ui/UIView.h"

namespace {
std::atomic<std::size_t> gLiveControllers{0};
}

UIViewController::UIViewController(const std::optional<std::string>& nibName,
                                   const std::shared_ptr<NSBundle>&)
    : identifier_(nibName.value_or("")) {
    ++gLiveControllers;
}

UIViewController::UIViewController(NSCoder& coder) : identifier_(coder.identifier()) {
    ++gLiveControllers;
}

UIViewController::~UIViewController() {
    --gLiveControllers;
}

std::size_t UIViewController::liveCount() {
    return gLiveControllers;
}

void UIViewController::setViewBuilder(std::function<std::shared_ptr<UIView>()> builder) {
    viewBuilder_ = std::move(builder);
}

std::shared_ptr<UIView> UIViewController::view() {
    loadViewIfNeeded();
    return view_;
}

void UIViewController::loadViewIfNeeded() {
    if (viewLoaded_)
        return;
    viewLoaded_ = true;
    view_ = viewBuilder_ ? viewBuilder_() : std::make_shared<UIView>();
    viewBuilder_ = nullptr;
    viewDidLoad();
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, std::function<void()> completion) {
    if (!controller)
        return;
    if (presented_) {
        // The platform refuses a second presentation from the same screen.
        std::cerr << "Attempt to present " << controller->className() << " on " << className()
                  << " which is already presenting " << presented_->className() << "\n";
        return;
    }
    if (controller->presenting_.lock()) {
        std::cerr << "Attempt to present " << controller->className()
                  << " which is already presented\n";
        return;
    }
    controller->loadViewIfNeeded();
    presented_ = controller;
    controller->presenting_ = sharedFrom(this);
    Platform::backend().didPresent(*this, controller, animated, std::move(completion));
    if (controller->coversPresenter())
        viewDidDisappear(animated);
    controller->viewDidAppear(animated);
}

void UIViewController::dismissViewControllerAnimated(bool animated,
                                                     std::function<void()> completion) {
    if (presented_) {
        dismissPresented(animated);
    } else if (auto presenter = presenting_.lock()) {
        presenter->dismissPresented(animated);
    }
    if (completion)
        completion();
}

void UIViewController::dismissPresented(bool animated) {
    auto controller = presented_;
    if (!controller)
        return;
    if (controller->presented_)
        controller->dismissPresented(animated);
    presented_ = nullptr;
    controller->presenting_.reset();
    Platform::backend().didDismiss(*this, controller, animated);
    controller->viewDidDisappear(animated);
    if (controller->coversPresenter())
        viewDidAppear(animated);
}

std::shared_ptr<UIViewController> UIViewController::topmostViewController() {
    auto top = sharedFrom(this);
    while (top->presented_)
        top = top->presented_;
    return top;
}
