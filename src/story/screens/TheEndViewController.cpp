#include "story/screens/TheEndViewController.h"

#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"
#include "story/app/AppDelegate.h"
#include "story/gate/LinkGuard.h"
#include "story/gate/ParentalGatePrompt.h"

TheEndViewController::TheEndViewController(NSCoder& coder)
    : UIViewController(coder), Scroller(), facebookButton(), appDelegate(AppDelegate::shared()) {}

TheEndViewController::TheEndViewController(const std::optional<std::string>& nibName,
                                           const std::shared_ptr<NSBundle>& bundle)
    : UIViewController(nibName, bundle),
      Scroller(),
      facebookButton(),
      appDelegate(AppDelegate::shared()) {}

void TheEndViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    auto scroller = Scroller.lock();
    CGSize size = scroller->contentSize();
    scroller->setContentSize({kContentWidth, size.height});
    size = scroller->contentSize();
    scroller->setContentSize({size.width, 0.0});
}

void TheEndViewController::facebookButtonPressed(UIButton&) {
    openLink(kSocialNetworkPageAddress);
}

void TheEndViewController::homepageButtonPressed(UIButton&) {
    openLink(kHomepageAddress);
}

void TheEndViewController::openLink(const std::string& urlText) {
    openGuardedLink(*this, urlText);
}

void TheEndViewController::showParentalGate() {
    presentParentalGate(*this);
}

void TheEndViewController::registerClass() {
    UIControllerClass<TheEndViewController>(kClassName)
        .outlet("Scroller", &TheEndViewController::Scroller)
        .outlet("facebookButton", &TheEndViewController::facebookButton, OutletUse::optional)
        .action("facebookButtonPressed:", &TheEndViewController::facebookButtonPressed)
        .action("homepageButtonPressed:", &TheEndViewController::homepageButtonPressed)
        .registerClass();
}
