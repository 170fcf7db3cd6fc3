#include "scenario/ViewQuery.h"

#include <functional>

#include "platform/ui/Storyboard.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "scenario/ScenarioScript.h"

namespace {

void collect(const std::shared_ptr<UIView>& view, const ViewDescription* description,
             std::vector<FoundView>& found) {
    found.push_back({view, description});
    const auto& subviews = view->subviews();
    bool aligned = description && description->subviews.size() == subviews.size();
    for (std::size_t i = 0; i < subviews.size(); ++i)
        collect(subviews[i], aligned ? &description->subviews[i] : nullptr, found);
}

std::shared_ptr<UIView> pickOne(std::vector<std::shared_ptr<UIView>> matches,
                                const std::string& selector) {
    if (matches.size() > 1)
        std::erase_if(matches, [](const auto& view) { return !view->isShownInTree(); });
    if (matches.size() > 1)
        failStep("'" + selector + "' matches " + std::to_string(matches.size()) + " visible views");
    return matches.empty() ? nullptr : matches.front();
}

std::shared_ptr<UIView> pickMatching(const std::vector<FoundView>& views,
                                     const std::string& selector,
                                     const std::function<bool(const FoundView&)>& test) {
    std::vector<std::shared_ptr<UIView>> matches;
    for (const auto& found : views) {
        if (test(found))
            matches.push_back(found.view);
    }
    return pickOne(std::move(matches), selector);
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

std::shared_ptr<UIViewController> topScreen() {
    auto delegate = UIApplication::sharedApplication().delegate();
    auto window = delegate ? delegate->window() : nullptr;
    std::shared_ptr<UIViewController> visible = window ? window->rootViewController() : nullptr;
    for (auto next = visible ? visible->presentedViewController() : nullptr; next;
         next = next->presentedViewController()) {
        if (!dynamic_cast<UIAlertController*>(next.get()))
            visible = next;
    }
    return visible;
}

std::shared_ptr<UIView> findViewOn(UIViewController& screen, const std::string& selector) {
    auto views = viewsOf(screen);
    auto colon = selector.find(':');
    std::string kind = colon == std::string::npos ? "" : selector.substr(0, colon);
    std::string value = colon == std::string::npos ? selector : selector.substr(colon + 1);
    auto by = [&](const std::function<bool(const FoundView&)>& test) {
        return pickMatching(views, selector, test);
    };
    auto byId = [&] {
        return by([&](const FoundView& f) { return f.view->identifier() == value; });
    };
    auto byTitle = [&] {
        return by([&](const FoundView& f) { return !value.empty() && textOf(*f.view) == value; });
    };
    auto byOutlet = [&] {
        return by(
            [&](const FoundView& f) { return f.description && f.description->outlet == value; });
    };
    std::shared_ptr<UIView> view;
    if (kind == "tag") {
        long long tag = wordAsInteger(value, "a tag");
        view = by([&](const FoundView& f) {
            return dynamic_cast<UIButton*>(f.view.get()) && f.view->tag() == tag;
        });
    } else if (kind == "outlet") {
        view = byOutlet();
    } else if (kind == "id") {
        view = byId();
    } else if (kind == "title") {
        view = byTitle();
    } else {
        value = selector;
        view = byId();
        if (!view)
            view = byTitle();
        if (!view)
            view = byOutlet();
    }
    if (!view)
        failStep("no view '" + selector + "' on screen " + screen.identifier() + " (" +
                 screen.className() + ")");
    return view;
}

std::shared_ptr<UIView> findNavigationOn(UIViewController& screen, const std::string& target) {
    auto view = pickMatching(viewsOf(screen), target, [&](const FoundView& f) {
        return f.description && f.description->navigate == target;
    });
    if (!view)
        failStep("screen " + screen.identifier() + " has no button leading to '" + target + "'");
    return view;
}
