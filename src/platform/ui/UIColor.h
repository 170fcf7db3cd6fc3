#pragma once

#include <memory>

#include "platform/layers/CoreGraphics.h"

class UIColor {
public:
    static std::shared_ptr<UIColor> colorWithWhite(double white, double alpha) {
        return std::shared_ptr<UIColor>(new UIColor({white, alpha}));
    }
    CGColor CGColorValue() const { return color_; }

private:
    explicit UIColor(CGColor color) : color_(color) {}
    CGColor color_;
};
