#pragma once

#include <memory>
#include <optional>
#include <string>

#include "story/screens/VideoContentViewController.h"

class AppDelegate;
class UIButton;
class UIScrollView;

// The Christmas documentary screen: one video, installed with the application,
// behind a single play button.
class Xmas2024ViewController : public VideoContentViewController {
public:
    static constexpr const char* kClassName = "Xmas2024ViewController";

    explicit Xmas2024ViewController(NSCoder& coder);
    Xmas2024ViewController(const std::optional<std::string>& nibName,
                           const std::shared_ptr<NSBundle>& bundle);

    std::string className() const override { return kClassName; }

    // Tag 0 plays the documentary; any other tag looks for the empty name in the fetched set.
    void playChapter(UIButton& sender);

    static void registerClass();

    std::weak_ptr<UIScrollView> Scroller;
    std::weak_ptr<UIButton> playButton;
    std::shared_ptr<AppDelegate> appDelegate;
};
