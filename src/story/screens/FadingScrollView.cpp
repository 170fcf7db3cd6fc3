#include "story/screens/FadingScrollView.h"

#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIColor.h"

void FadingScrollView::layoutSubviews() {
    UIScrollView::layoutSubviews();
    CGColor outerColor = UIColor::colorWithWhite(0.0, 0.0)->CGColorValue();
    CGColor innerColor = UIColor::colorWithWhite(0.0, 1.0)->CGColorValue();

    // The mask lies over the visible part of the content: the bounds, whose
    // origin is the scroll offset.
    CGRect visible = bounds();
    auto fadeMask = CALayer::layer();
    fadeMask->setFrame(visible);

    // The gradient is placed in the mask's own coordinates, so it starts at
    // the mask's corner (0, 0) in both directions. Placing it at the scroll
    // offset would shift it right by a sideways offset and leave the left
    // strip of the visible area without mask, that is, hidden.
    auto gradient = CAGradientLayer::layer();
    gradient->setFrame(CGRectMake(0.0, 0.0, visible.size.width, visible.size.height));
    gradient->setColors({outerColor, innerColor, innerColor, outerColor});
    gradient->setLocations({0.0f, 0.1f, 0.95f, 1.0f});
    fadeMask->addSublayer(gradient);

    layer()->setMask(fadeMask);
}

void FadingScrollView::registerClass() {
    UIClassRegistry::shared().registerView(kClassName,
                                           [] { return std::make_shared<FadingScrollView>(); });
}
