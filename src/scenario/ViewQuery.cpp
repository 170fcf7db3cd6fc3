#include "scenario/ViewQuery.h"

#include "platform/Storyboard.h"
#include "platform/UIApplication.h"
#include "platform/UIView.h"

namespace {

void collect(const std::shared_ptr<UIView>& view, const ViewDescription* description,
             std::vector<FoundView>& found) {
    found.push_back({view, description});
    const auto& subviews = view->subviews();
    bool aligned = description && description->subviews.size() == subviews.size();
    for (std::size_t i = 0; i < subviews.size(); ++i)
        collect(subviews[i], aligned ? &description->subviews[i] : nullptr, found);
}

}  // namespace

std::vector<FoundView> viewsOf(UIViewController& screen) {
    const ViewDescription* description = nullptr;
    if (const auto& storyboard = UIApplication::sharedApplication().storyboard()) {
        auto found = storyboard->screens().find(screen.identifier());
        if (found != storyboard->screens().end())
            description = &found->second.view;
    }
    std::vector<FoundView> views;
    collect(screen.view(), description, views);
    return views;
}

std::string textOf(const UIView& view) {
    if (auto button = dynamic_cast<const UIButton*>(&view))
        return button->title();
    if (auto label = dynamic_cast<const UILabel*>(&view))
        return label->text();
    if (auto field = dynamic_cast<const UITextField*>(&view))
        return field->text();
    return {};
}

bool isEffectivelyVisible(const std::shared_ptr<UIView>& view) {
    for (auto v = view; v; v = v->superview()) {
        if (v->isHidden())
            return false;
    }
    return true;
}
