#pragma once

#include <memory>
#include <string>
#include <vector>

class UIView;
class UIViewController;
struct ViewDescription;

// What both scenario players need to find a view the way a script names it.
struct FoundView {
    std::shared_ptr<UIView> view;
    const ViewDescription* description;
};

// Every view of the screen with the description it was built from: outlets
// and navigation live only in the description.
std::vector<FoundView> viewsOf(UIViewController& screen);

// A button's title, a label's or a text field's text; empty for other views.
std::string textOf(const UIView& view);

// The topmost screen that is not an alert (a player screen included), or none
// before the application shows its first screen.
std::shared_ptr<UIViewController> topScreen();

// A view of `screen` as a script names it: "tag:N" (a button), "outlet:NAME",
// "id:NAME", "title:TEXT" (button title or label text), or a bare word tried as
// id, then title, then outlet. Throws ScenarioError when none or several
// visible views match.
std::shared_ptr<UIView> findViewOn(UIViewController& screen, const std::string& selector);
// The button whose description navigates to `target` ("back" included).
std::shared_ptr<UIView> findNavigationOn(UIViewController& screen, const std::string& target);
