#include "platform/layers/CALayer.h"

#include <algorithm>

namespace {

bool contains(const CGRect& rect, CGPoint point) {
    return point.x >= rect.origin.x && point.x <= rect.origin.x + rect.size.width &&
           point.y >= rect.origin.y && point.y <= rect.origin.y + rect.size.height;
}

}  // namespace

void CALayer::setMask(const std::shared_ptr<CALayer>& mask) {
    mask_ = mask;
    if (maskDidChange_)
        maskDidChange_();
}

double CALayer::alphaAt(CGPoint point) const {
    // Source-over compositing of the sublayers, each in this layer's coordinates.
    double alpha = 0.0;
    for (const auto& sublayer : sublayers_) {
        const CGRect& f = sublayer->frame();
        if (!contains(f, point))
            continue;
        double a = sublayer->alphaAt({point.x - f.origin.x, point.y - f.origin.y});
        alpha = a + alpha * (1.0 - a);
    }
    return alpha;
}

double CAGradientLayer::alphaAt(CGPoint point) const {
    double height = frame().size.height;
    double own = alphaAtFraction(height > 0 ? point.y / height : 0.0);
    double below = CALayer::alphaAt(point);
    return below + own * (1.0 - below);
}

double CAGradientLayer::alphaAtFraction(double fraction) const {
    if (colors_.empty())
        return 0.0;
    std::vector<double> stops;
    for (std::size_t i = 0; i < colors_.size(); ++i) {
        if (locations_.size() == colors_.size())
            stops.push_back(locations_[i]);
        else
            stops.push_back(colors_.size() == 1 ? 0.0 : double(i) / double(colors_.size() - 1));
    }
    if (fraction <= stops.front())
        return colors_.front().alpha;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (fraction <= stops[i]) {
            double span = stops[i] - stops[i - 1];
            double t = span > 0 ? (fraction - stops[i - 1]) / span : 1.0;
            return colors_[i - 1].alpha + t * (colors_[i].alpha - colors_[i - 1].alpha);
        }
    }
    return colors_.back().alpha;
}
