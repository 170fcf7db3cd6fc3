#include "story/screens/Xmas2024ViewController.h"

#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"
#include "story/app/AppDelegate.h"

namespace {
constexpr const char* kDocumentary = "XmasDocumentary";
}

Xmas2024ViewController::Xmas2024ViewController(NSCoder& coder)
    : VideoContentViewController(coder),
      Scroller(),
      playButton(),
      appDelegate(AppDelegate::shared()) {}

Xmas2024ViewController::Xmas2024ViewController(const std::optional<std::string>& nibName,
                                               const std::shared_ptr<NSBundle>& bundle)
    : VideoContentViewController(nibName, bundle),
      Scroller(),
      playButton(),
      appDelegate(AppDelegate::shared()) {}

void Xmas2024ViewController::playChapter(UIButton& sender) {
    videoName = sender.tag() == 0 ? std::string(kDocumentary) : std::string();
    playChosenVideo(kDocumentary);
}

void Xmas2024ViewController::registerClass() {
    UIControllerClass<Xmas2024ViewController>(kClassName)
        .outlet("Scroller", &Xmas2024ViewController::Scroller, OutletUse::optional)
        .outlet("playButton", &Xmas2024ViewController::playButton, OutletUse::optional)
        .outlet<UIProgressView>("progressView", &Xmas2024ViewController::progressView)
        .action("playChapter:", &Xmas2024ViewController::playChapter)
        .registerClass();
}
