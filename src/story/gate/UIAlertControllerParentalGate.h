#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/UIAlertController.h"

// The gate prompt: an alert that remembers which question it asks, so the
// answer test reads the question from the prompt that was answered.
class UIAlertControllerParentalGate : public UIAlertController {
public:
    static constexpr const char* kClassName = "UIAlertControllerParentalGate";

    static std::shared_ptr<UIAlertControllerParentalGate> alertControllerWithTitle(
        const std::optional<LocalizedText>& title, const std::optional<LocalizedText>& message,
        UIAlertControllerStyle preferredStyle) {
        return make<UIAlertControllerParentalGate>(title, message, preferredStyle);
    }

    UIAlertControllerParentalGate(const std::optional<std::string>& nibName,
                                  const std::shared_ptr<NSBundle>& bundle)
        : UIAlertController(nibName, bundle) {}
    explicit UIAlertControllerParentalGate(NSCoder& coder) : UIAlertController(coder) {}

    std::string className() const override { return kClassName; }

    static void registerClass();

    std::int64_t tag = 0;
};
