#pragma once

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/layers/CoreGraphics.h"

class UIView;
class UIViewController;

// A description that cannot be used: the message names the file and the name at fault.
class InterfaceDescriptionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One view of a screen description, checked against the class registry.
struct ViewDescription {
    std::string className;
    std::string identifier;
    CGRect frame;
    long long tag = 0;
    bool hidden = false;
    std::optional<CGColor> background;
    std::string text;                   // label text, button title, text-field placeholder
    double fontSize = 0;                // 0 keeps the class's default
    std::string alignment;              // labels
    std::string image;                  // buttons and image views
    std::string downloadTag;            // buttons
    bool textIsName = false;            // shown as it stands in every language
    std::optional<CGSize> contentSize;  // scroll views
    std::string outlet;
    std::string action;
    std::string navigate;  // a screen identifier, or "back"
    std::string role;      // what the platform's own controls may press it for (UIButton::Role)
    std::vector<ViewDescription> subviews;
};

struct ScreenDescription {
    std::string identifier;
    std::string className;
    std::string file;
    ViewDescription view;
};

// The application's interface descriptions: a folder with "storyboard.json"
// naming the first screen, the launch screen and the screen files.
class Storyboard : public std::enable_shared_from_this<Storyboard> {
public:
    // Reads and checks every description; throws InterfaceDescriptionError.
    static std::shared_ptr<Storyboard> load(const std::string& directory);
    // Checks one screen description given as text (used by the loader and by fuzzing).
    static ScreenDescription parseScreen(const std::string& text, const std::string& file);

    std::shared_ptr<UIViewController> instantiateInitialViewController();
    std::shared_ptr<UIViewController> instantiateLaunchScreen();
    std::shared_ptr<UIViewController> instantiateViewControllerWithIdentifier(
        const std::string& identifier);

    const std::string& directory() const { return directory_; }
    const std::map<std::string, ScreenDescription>& screens() const { return screens_; }
    const std::string& initialScreen() const { return initial_; }
    const std::string& launchScreen() const { return launch_; }

private:
    std::string directory_;
    std::string initial_;
    std::string launch_;
    std::map<std::string, ScreenDescription> screens_;
};
