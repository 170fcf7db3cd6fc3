#include "platform/ui/UIClassRegistry.h"

#include <stdexcept>

#include "platform/media/UICaptionPreview.h"
#include "platform/media/UILyricsView.h"

UIClassRegistry& UIClassRegistry::shared() {
    static UIClassRegistry registry;
    return registry;
}

UIClassRegistry::UIClassRegistry() {
    views_["UIView"] = [] { return std::make_shared<UIView>(); };
    views_["UILabel"] = [] { return std::make_shared<UILabel>(); };
    views_["UIButton"] = [] { return std::make_shared<UIButton>(); };
    views_["UIProgressView"] = [] { return std::make_shared<UIProgressView>(); };
    views_["UIImageView"] = [] { return std::make_shared<UIImageView>(); };
    views_["UIScrollView"] = [] { return std::make_shared<UIScrollView>(); };
    views_["UITextField"] = [] { return std::make_shared<UITextField>(); };
    views_["UILyricsView"] = [] { return UILyricsView::make(); };
    views_["UICaptionPreview"] = [] { return std::make_shared<UICaptionPreview>(); };
    ControllerClass plain;
    plain.name = "UIViewController";
    plain.make = [](NSCoder& coder) { return std::make_shared<UIViewController>(coder); };
    controllers_[plain.name] = std::move(plain);
}

void UIClassRegistry::registerController(ControllerClass controllerClass) {
    std::string name = controllerClass.name;
    controllers_[name] = std::move(controllerClass);
}

const UIClassRegistry::ControllerClass* UIClassRegistry::controllerClass(
    const std::string& name) const {
    auto found = controllers_.find(name);
    return found == controllers_.end() ? nullptr : &found->second;
}

void UIClassRegistry::registerView(const std::string& name,
                                   std::function<std::shared_ptr<UIView>()> make) {
    views_[name] = std::move(make);
}

std::shared_ptr<UIView> UIClassRegistry::makeView(const std::string& name) const {
    auto found = views_.find(name);
    return found == views_.end() ? nullptr : found->second();
}

void UIClassRegistry::registerApplicationDelegate(
    const std::string& name, std::function<std::shared_ptr<UIApplicationDelegate>()> make) {
    delegates_[name] = std::move(make);
}

std::shared_ptr<UIApplicationDelegate> UIClassRegistry::makeApplicationDelegate(
    const std::string& name) const {
    auto found = delegates_.find(name);
    if (found == delegates_.end())
        throw std::invalid_argument("no application delegate class named " + name);
    return found->second();
}
