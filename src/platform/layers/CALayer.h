#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/NSObject.h"
#include "platform/layers/CoreGraphics.h"

class CALayer : public NSObject {
public:
    static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }

    const CGRect& frame() const { return frame_; }
    void setFrame(const CGRect& frame) { frame_ = frame; }
    void addSublayer(const std::shared_ptr<CALayer>& sublayer) { sublayers_.push_back(sublayer); }
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
    // The mask's alpha decides what of this layer shows; null shows everything.
    void setMask(const std::shared_ptr<CALayer>& mask);
    const std::shared_ptr<CALayer>& mask() const { return mask_; }
    // Called whenever the mask changes, so a backend can repaint.
    void setMaskDidChange(std::function<void()> callback) { maskDidChange_ = std::move(callback); }

    // The alpha this layer's own content and sublayers give at a point in its
    // coordinates: a plain layer has no content (alpha 0); sublayers composite over it.
    virtual double alphaAt(CGPoint point) const;

private:
    CGRect frame_;
    std::vector<std::shared_ptr<CALayer>> sublayers_;
    std::shared_ptr<CALayer> mask_;
    std::function<void()> maskDidChange_;
};

// A gradient from the top edge to the bottom edge of its frame.
class CAGradientLayer : public CALayer {
public:
    static std::shared_ptr<CAGradientLayer> layer() { return std::make_shared<CAGradientLayer>(); }

    void setColors(std::vector<CGColor> colors) { colors_ = std::move(colors); }
    const std::vector<CGColor>& colors() const { return colors_; }
    void setLocations(std::vector<float> locations) { locations_ = std::move(locations); }
    const std::vector<float>& locations() const { return locations_; }

    double alphaAt(CGPoint point) const override;
    // The gradient's alpha at a fraction of its height (0 top, 1 bottom).
    double alphaAtFraction(double fraction) const;

private:
    std::vector<CGColor> colors_;
    std::vector<float> locations_;
};
