#include <QPainter>
#include <cmath>

#include "QtFixture.h"
#include "platform/qt/QtLayerMaskEffect.h"
#include "platform/qt/QtScrollView.h"

namespace {

class QtLayerMaskTest : public QtFixture {};

std::shared_ptr<CAGradientLayer> gradient(CGRect frame, std::vector<double> alphas,
                                          std::vector<float> locations = {}) {
    auto layer = CAGradientLayer::layer();
    layer->setFrame(frame);
    std::vector<CGColor> colors;
    for (double alpha : alphas)
        colors.push_back({0.0, alpha});
    layer->setColors(colors);
    layer->setLocations(std::move(locations));
    return layer;
}

// The fade of a scroll view's visible area: hidden at the edges, shown from a
// tenth of the height down to nineteen twentieths.
std::shared_ptr<CALayer> fadeMask(const CGRect& bounds) {
    auto mask = CALayer::layer();
    mask->setFrame(bounds);
    mask->addSublayer(gradient(CGRectMake(0, 0, bounds.size.width, bounds.size.height),
                               {0.0, 1.0, 1.0, 0.0}, {0.0f, 0.1f, 0.95f, 1.0f}));
    return mask;
}

double alphaAt(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) / 255.0;
}

}  // namespace

TEST_F(QtLayerMaskTest, ThePaintedMaskHasTheAlphaTheLayerTreeGives) {
    // Two gradients, one inside a plain layer with an offset, overlapping a third.
    auto mask = CALayer::layer();
    mask->setFrame(CGRectMake(0, 0, 200, 200));
    mask->addSublayer(gradient(CGRectMake(0, 0, 200, 100), {0.0, 1.0}));
    auto group = CALayer::layer();
    group->setFrame(CGRectMake(40, 80, 120, 100));
    auto inner = gradient(CGRectMake(10, 10, 80, 60), {0.5, 0.5, 0.0}, {0.0f, 0.5f, 1.0f});
    group->addSublayer(inner);
    mask->addSublayer(group);

    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintLayerAlpha(painter, *mask);
    painter.end();

    int compared = 0;
    for (int y = 1; y < 200; y += 7) {
        for (int x = 1; x < 200; x += 7) {
            // Pixels across a frame's edge are half in, half out; the model answers for a point.
            bool onEdge = false;
            for (double edge : {100.0, 80.0, 90.0, 150.0, 180.0})
                onEdge |= std::abs(y + 0.5 - edge) < 1.0;
            for (double edge : {40.0, 50.0, 130.0, 160.0})
                onEdge |= std::abs(x + 0.5 - edge) < 1.0;
            if (onEdge)
                continue;
            double expected = mask->alphaAt({x + 0.5, y + 0.5});
            EXPECT_NEAR(alphaAt(image, x, y), expected, 2.0 / 255) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 500);
}

TEST_F(QtLayerMaskTest, TheMaskIsDrawnAtTheScreensScale) {
    QtLayerMaskEffect effect;
    effect.setMask(fadeMask(CGRectMake(0, 0, 400, 200)), {0, 0}, 2.0);
    QImage image = effect.maskImage(QRect(0, 0, 800, 400), 1.0);
    EXPECT_LT(alphaAt(image, 400, 0), 0.05);
    EXPECT_NEAR(alphaAt(image, 400, 20), 0.5, 0.05);
    EXPECT_GT(alphaAt(image, 400, 200), 0.95);
    EXPECT_NEAR(alphaAt(image, 400, 390), 0.5, 0.1);
    // Outside the mask's frame nothing shows.
    effect.setMask(fadeMask(CGRectMake(0, 0, 100, 200)), {0, 0}, 2.0);
    image = effect.maskImage(QRect(0, 0, 800, 400), 1.0);
    EXPECT_GT(alphaAt(image, 100, 200), 0.95);
    EXPECT_EQ(alphaAt(image, 300, 200), 0.0);
}
