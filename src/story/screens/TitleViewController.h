#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/UIViewController.h"

class AppDelegate;
class UIButton;

// The title screen. Its grown-ups' button opens the downloads panel, behind the parental
// gate as the links are: while the gate is up it asks its question and opens nothing.
class TitleViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "TitleViewController";
    static constexpr const char* kPanelScreen = "packs";

    explicit TitleViewController(NSCoder& coder);
    TitleViewController(const std::optional<std::string>& nibName,
                        const std::shared_ptr<NSBundle>& bundle);

    std::string className() const override { return kClassName; }

    void grownUpsButtonPressed(UIButton& sender);
    void showParentalGate();

    static void registerClass();

    std::shared_ptr<AppDelegate> appDelegate;
};
