#include "story/screens/ViewController.h"

#include <array>

#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"
#include "story/app/AppDelegate.h"
#include "story/gate/LinkGuard.h"
#include "story/gate/ParentalGatePrompt.h"

namespace {

constexpr const char* kInstalledChapter = "LKSChapter13";
constexpr std::array<const char*, 4> kChapters = {"LKSChapter13", "LKSChapter14", "LKSChapter15",
                                                  "LKSChapter16"};

}  // namespace

ViewController::ViewController(NSCoder& coder)
    : VideoContentViewController(coder), appDelegate(AppDelegate::shared()) {}

ViewController::ViewController(const std::optional<std::string>& nibName,
                               const std::shared_ptr<NSBundle>& bundle)
    : VideoContentViewController(nibName, bundle), appDelegate(AppDelegate::shared()) {}

void ViewController::playChapter(UIButton& sender) {
    long long tag = sender.tag();
    // Any other tag names no chapter: the empty name, looked for in the fetched set.
    videoName = tag >= 0 && tag < static_cast<long long>(kChapters.size())
                    ? std::string(kChapters[static_cast<std::size_t>(tag)])
                    : std::string();
    playChosenVideo(kInstalledChapter);
}

void ViewController::facebookButtonPressed(UIButton&) {
    openGuardedLink(*this, kSocialNetworkPageAddress);
}

void ViewController::showParentalGate() {
    presentParentalGate(*this);
}

void ViewController::registerClass() {
    UIControllerClass<ViewController>(kClassName)
        .outlet<UIProgressView>("progressView", &ViewController::progressView)
        .action("playChapter:", &ViewController::playChapter)
        .action("facebookButtonPressed:", &ViewController::facebookButtonPressed)
        .registerClass();
}
