#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/LocalizedText.h"
#include "platform/ui/UIViewController.h"

class UITextField;

enum class UIAlertControllerStyle { actionSheet, alert };
enum class UIAlertActionStyle { defaultStyle, cancel, destructive };

// "default", "cancel" or "destructive": how logs, reports and scripts name a style.
const char* actionStyleName(UIAlertActionStyle style);

class UIAlertAction : public NSObject {
public:
    using Handler = std::function<void(UIAlertAction& action)>;

    static std::shared_ptr<UIAlertAction> actionWithTitle(LocalizedText title,
                                                          UIAlertActionStyle style,
                                                          Handler handler);

    // The title in English, and as a backend shows it.
    const std::string& title() const { return english_; }
    const LocalizedText& shownTitle() const { return title_; }
    UIAlertActionStyle style() const { return style_; }

private:
    friend class UIAlertController;
    UIAlertAction(LocalizedText title, UIAlertActionStyle style, Handler handler)
        : title_(std::move(title)),
          english_(title_.english()),
          style_(style),
          handler_(std::move(handler)) {}

    LocalizedText title_;
    std::string english_;
    UIAlertActionStyle style_;
    Handler handler_;
};

class UIAlertController : public UIViewController {
public:
    static std::shared_ptr<UIAlertController> alertControllerWithTitle(
        const std::optional<LocalizedText>& title, const std::optional<LocalizedText>& message,
        UIAlertControllerStyle preferredStyle) {
        return make<UIAlertController>(title, message, preferredStyle);
    }

    UIAlertController(const std::optional<std::string>& nibName,
                      const std::shared_ptr<NSBundle>& bundle)
        : UIViewController(nibName, bundle) {}
    explicit UIAlertController(NSCoder& coder) : UIViewController(coder) {}

    std::string className() const override { return "UIAlertController"; }
    bool coversPresenter() const override { return false; }

    // Title and message in English, and as a backend shows them.
    const std::optional<std::string>& title() const { return englishTitle_; }
    const std::optional<std::string>& message() const { return englishMessage_; }
    const std::optional<LocalizedText>& shownTitle() const { return title_; }
    const std::optional<LocalizedText>& shownMessage() const { return message_; }
    UIAlertControllerStyle preferredStyle() const { return style_; }

    void addAction(const std::shared_ptr<UIAlertAction>& action);
    const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return actions_; }

    // Adds a text field; `configuration` runs at once, before the alert can show.
    void addTextFieldWithConfigurationHandler(
        std::function<void(UITextField& field)> configuration);
    const std::vector<std::shared_ptr<UITextField>>& textFields() const { return textFields_; }

    // The reader chose an action: the alert closes, then its handler runs on the main queue.
    void chooseAction(std::size_t index);
    // The cancel-style action, as Escape chooses it; absent when there is none.
    std::optional<std::size_t> cancelActionIndex() const;

protected:
    // Sent to a subclass, the factory makes an object of that subclass.
    template <typename Alert>
    static std::shared_ptr<Alert> make(const std::optional<LocalizedText>& title,
                                       const std::optional<LocalizedText>& message,
                                       UIAlertControllerStyle style) {
        auto alert = std::make_shared<Alert>(std::nullopt, nullptr);
        alert->setTexts(title, message);
        alert->style_ = style;
        return alert;
    }

private:
    void setTexts(const std::optional<LocalizedText>& title,
                  const std::optional<LocalizedText>& message);

    std::optional<LocalizedText> title_;
    std::optional<LocalizedText> message_;
    std::optional<std::string> englishTitle_;
    std::optional<std::string> englishMessage_;
    UIAlertControllerStyle style_ = UIAlertControllerStyle::alert;
    std::vector<std::shared_ptr<UIAlertAction>> actions_;
    std::vector<std::shared_ptr<UITextField>> textFields_;
};
