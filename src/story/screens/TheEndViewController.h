#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/UIViewController.h"

class AppDelegate;
class UIButton;
class UIScrollView;

// The end screen: content panned sideways, and the guarded links to the
// product's social-network page and homepage.
class TheEndViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "TheEndViewController";
    static constexpr double kContentWidth = 1533.0;

    explicit TheEndViewController(NSCoder& coder);
    TheEndViewController(const std::optional<std::string>& nibName,
                         const std::shared_ptr<NSBundle>& bundle);

    std::string className() const override { return kClassName; }

    // Fixes the scrollable extent: sideways only, 1533 points wide.
    void viewDidLoad() override;
    void facebookButtonPressed(UIButton& sender);
    void homepageButtonPressed(UIButton& sender);
    void openLink(const std::string& urlText);
    void showParentalGate();

    static void registerClass();

    std::weak_ptr<UIScrollView> Scroller;
    std::weak_ptr<UIButton> facebookButton;
    std::shared_ptr<AppDelegate> appDelegate;
};
