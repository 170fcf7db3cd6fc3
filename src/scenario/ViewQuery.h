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

// Neither the view nor any view above it is hidden.
bool isEffectivelyVisible(const std::shared_ptr<UIView>& view);
