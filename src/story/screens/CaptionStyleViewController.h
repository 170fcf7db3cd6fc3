#pragma once

#include <memory>
#include <string>

#include "platform/ui/UIViewController.h"

struct CaptionStyle;
class UIButton;
class UICaptionPreview;

// The look of captions, reached from the grown-ups' panel: a button per choice (size,
// background, position), each press taking the next value, with a caption beside them drawn as
// the players will draw it. Every choice is kept by the platform at once and followed by the
// next caption any player shows.
class CaptionStyleViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "CaptionStyleViewController";

    using UIViewController::UIViewController;
    std::string className() const override { return kClassName; }

    void viewDidLoad() override;
    void sizePressed(UIButton& sender);
    void backgroundPressed(UIButton& sender);
    void positionPressed(UIButton& sender);

    static void registerClass();

    std::weak_ptr<UIButton> sizeButton;
    std::weak_ptr<UIButton> backgroundButton;
    std::weak_ptr<UIButton> positionButton;
    std::weak_ptr<UICaptionPreview> preview;

private:
    // Keeps the style as `change` leaves it, and shows it.
    void choose(void (*change)(CaptionStyle& style));
    void show();
};
