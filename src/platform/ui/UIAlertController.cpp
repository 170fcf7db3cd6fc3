#include "platform/ui/UIAlertController.h"

#include <stdexcept>

#include "platform/foundation/NSOperationQueue.h"
#include "platform/ui/UIView.h"

void UIAlertController::setTexts(const std::optional<LocalizedText>& title,
                                 const std::optional<LocalizedText>& message) {
    title_ = title;
    message_ = message;
    englishTitle_ = title ? std::optional(title->english()) : std::nullopt;
    englishMessage_ = message ? std::optional(message->english()) : std::nullopt;
}

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(LocalizedText title,
                                                              UIAlertActionStyle style,
                                                              Handler handler) {
    return std::shared_ptr<UIAlertAction>(
        new UIAlertAction(std::move(title), style, std::move(handler)));
}

void UIAlertController::addAction(const std::shared_ptr<UIAlertAction>& action) {
    actions_.push_back(action);
}

void UIAlertController::addTextFieldWithConfigurationHandler(
    std::function<void(UITextField&)> configuration) {
    auto field = std::make_shared<UITextField>();
    textFields_.push_back(field);
    if (configuration)
        configuration(*field);
}

void UIAlertController::chooseAction(std::size_t index) {
    if (index >= actions_.size())
        throw std::out_of_range("the alert has no action " + std::to_string(index));
    auto self = sharedFrom(this);
    auto action = actions_[index];
    dismissViewControllerAnimated(true, nullptr);
    // The handlers were only needed while the alert could be answered; letting
    // them go breaks any cycle a handler makes through the alert.
    std::vector<std::shared_ptr<UIAlertAction>> released;
    released.swap(actions_);
    if (action->handler_) {
        auto handler = std::move(action->handler_);
        NSOperationQueue::mainQueue().addOperationWithBlock(
            [self, action, handler = std::move(handler), released = std::move(released)] {
                handler(*action);
            });
    }
}

std::optional<std::size_t> UIAlertController::cancelActionIndex() const {
    for (std::size_t i = 0; i < actions_.size(); ++i) {
        if (actions_[i]->style() == UIAlertActionStyle::cancel)
            return i;
    }
    return std::nullopt;
}

const char* actionStyleName(UIAlertActionStyle style) {
    switch (style) {
        case UIAlertActionStyle::cancel:
            return "cancel";
        case UIAlertActionStyle::destructive:
            return "destructive";
        case UIAlertActionStyle::defaultStyle:
            break;
    }
    return "default";
}
