#pragma once

#include <memory>
#include <optional>
#include <string>

#include "story/screens/VideoContentViewController.h"

class AppDelegate;
class UIButton;

// The story chapter screen: chapters 13 to 16 as full-screen videos, and the
// guarded link to the product's social-network page.
class ViewController : public VideoContentViewController {
public:
    static constexpr const char* kClassName = "ViewController";

    explicit ViewController(NSCoder& coder);
    ViewController(const std::optional<std::string>& nibName,
                   const std::shared_ptr<NSBundle>& bundle);

    std::string className() const override { return kClassName; }
    bool prefersHomeIndicatorAutoHidden() const override { return true; }

    // Plays the chapter named by the button's tag (0 to 3: chapters 13 to 16).
    void playChapter(UIButton& sender);
    void facebookButtonPressed(UIButton& sender);
    void showParentalGate();

    static void registerClass();

    std::shared_ptr<AppDelegate> appDelegate;
};
