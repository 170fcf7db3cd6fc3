#include "story/screens/TitleViewController.h"

#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIClassRegistry.h"
#include "story/app/AppDelegate.h"
#include "story/gate/ParentalGatePrompt.h"

TitleViewController::TitleViewController(NSCoder& coder)
    : UIViewController(coder), appDelegate(AppDelegate::shared()) {}

TitleViewController::TitleViewController(const std::optional<std::string>& nibName,
                                         const std::shared_ptr<NSBundle>& bundle)
    : UIViewController(nibName, bundle), appDelegate(AppDelegate::shared()) {}

void TitleViewController::grownUpsButtonPressed(UIButton&) {
    if (appDelegate->parentalGateEnabled) {
        showParentalGate();
        return;
    }
    auto storyboard = UIApplication::sharedApplication().storyboard();
    presentViewController(storyboard->instantiateViewControllerWithIdentifier(kPanelScreen), true,
                          nullptr);
}

void TitleViewController::showParentalGate() {
    presentParentalGate(*this);
}

void TitleViewController::registerClass() {
    UIControllerClass<TitleViewController>(kClassName)
        .action("grownUpsButtonPressed:", &TitleViewController::grownUpsButtonPressed)
        .registerClass();
}
