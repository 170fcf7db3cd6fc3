#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/UIViewController.h"

// A screen whose whole content comes from its interface description.
class LotsMoreViewController : public UIViewController {
public:
    static constexpr const char* kClassName = "LotsMoreViewController";

    using UIViewController::UIViewController;

    std::string className() const override { return kClassName; }

    static void registerClass();
};
