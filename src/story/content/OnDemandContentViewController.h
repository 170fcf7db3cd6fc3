#pragma once

#include <memory>
#include <string>

#include "platform/foundation/LocalizedText.h"
#include "platform/ui/UIViewController.h"
#include "story/content/AppError.h"

class NSBundleResourceRequest;
class NSError;
class UIProgressView;

// The download side shared by the screens whose content arrives on demand:
// one request per loaded screen, a progress bar that follows it on the main
// queue, and the out-of-space alert.
class OnDemandContentViewController : public UIViewController {
public:
    using UIViewController::UIViewController;

    // Shows the bar and starts the request for `tag`, kept in `request`.
    void downloadResources(const std::string& tag);
    void observeValueForKeyPath(const std::optional<std::string>& keyPath,
                                const std::shared_ptr<NSObject>& object,
                                const NSKeyValueChange& change, void* context) override;
    // Tells the reader when the device is out of storage; other failures show nothing.
    void handleDownloadError(const std::shared_ptr<NSError>& error);

    std::shared_ptr<NSBundleResourceRequest> request;
    std::weak_ptr<UIProgressView> progressView;

protected:
    // The busy alert, "We won't be long!" with the screen's message and one "OK".
    void showBusyAlert(const LocalizedText& message);
    // The request's file `name`.`extension`, or the busy alert and AppError.
    std::string pathOfDownloadedResource(const std::string& name, const std::string& extension,
                                         const LocalizedText& busyMessage);
};
