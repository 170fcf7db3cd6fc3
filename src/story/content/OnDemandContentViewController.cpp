#include "story/content/OnDemandContentViewController.h"

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSOperationQueue.h"
#include "platform/foundation/NSProgress.h"
#include "platform/resources/NSBundleResourceRequest.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIView.h"
#include "story/content/ResourceManager.h"

void OnDemandContentViewController::downloadResources(const std::string& tag) {
    progressView.lock()->setHidden(false);
    auto& manager = ResourceManager::shared();
    std::weak_ptr<OnDemandContentViewController> weakSelfForSuccess = weakFrom(this);
    std::weak_ptr<OnDemandContentViewController> weakSelfForFailure = weakFrom(this);
    request = manager.requestResources(
        tag, sharedFrom(this),
        [weakSelfForSuccess] {
            if (auto self = weakSelfForSuccess.lock())
                self->progressView.lock()->setHidden(true);
        },
        [weakSelfForFailure](const std::shared_ptr<NSError>& error) {
            if (auto self = weakSelfForFailure.lock())
                self->progressView.lock()->setHidden(true);
            if (auto self = weakSelfForFailure.lock())
                self->handleDownloadError(error);
        });
}

void OnDemandContentViewController::observeValueForKeyPath(
    const std::optional<std::string>& keyPath, const std::shared_ptr<NSObject>& object,
    const NSKeyValueChange&, void* context) {
    if (context != nullptr || !keyPath || *keyPath != "fractionCompleted")
        return;
    auto self = sharedFrom(this);
    NSOperationQueue::mainQueue().addOperationWithBlock([self, object] {
        auto progress = std::static_pointer_cast<NSProgress>(object);
        self->progressView.lock()->setProgress(static_cast<float>(progress->fractionCompleted()));
    });
}

void OnDemandContentViewController::handleDownloadError(const std::shared_ptr<NSError>& error) {
    if (error->code() != NSBundleOnDemandResourceOutOfSpaceError)
        return;
    auto alert = UIAlertController::alertControllerWithTitle(
        NSLocalizedString("Not Enough Space"),
        NSLocalizedString("You don't have enough storage left to download this resource."),
        UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle(NSLocalizedString("OK"),
                                                    UIAlertActionStyle::cancel, nullptr));
    presentViewController(alert, true, nullptr);
}

void OnDemandContentViewController::showBusyAlert(const LocalizedText& message) {
    auto alert = UIAlertController::alertControllerWithTitle(
        NSLocalizedString("We won't be long!"), message, UIAlertControllerStyle::alert);
    alert->addAction(UIAlertAction::actionWithTitle(NSLocalizedString("OK"),
                                                    UIAlertActionStyle::defaultStyle, nullptr));
    presentViewController(alert, true, nullptr);
}

std::string OnDemandContentViewController::pathOfDownloadedResource(
    const std::string& name, const std::string& extension, const LocalizedText& busyMessage) {
    if (auto path = request->bundle()->pathForResource(name, extension))
        return *path;
    showBusyAlert(busyMessage);
    throw AppError::invalidResource(name, extension);
}
