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

TEST_F(QtLayerMaskTest, AMaskedScrollViewFadesAtTheEdgesAndTheFadeFollowsTheScroll) {
    auto scroll = std::make_shared<UIScrollView>();
    scroll->setFrame(CGRectMake(0, 0, 400, 200));
    scroll->setContentSize({400, 1000});
    scroll->setBackgroundColor({1.0, 1.0});
    QtScrollView widget(scroll, nullptr);
    widget.sync();
    scroll->layer()->setMask(fadeMask(scroll->bounds()));

    auto check = [&](const char* when) {
        QImage image = widget.grab().toImage();
        ASSERT_EQ(image.size(), QSize(400, 200)) << when;
        EXPECT_LT(alphaAt(image, 200, 0), 0.05) << when;          // hidden at the top edge
        EXPECT_NEAR(alphaAt(image, 200, 10), 0.5, 0.05) << when;  // half way into the fade
        EXPECT_GT(alphaAt(image, 200, 20), 0.95) << when;         // shown from a tenth down
        EXPECT_GT(alphaAt(image, 200, 100), 0.95) << when;        // the middle
        EXPECT_GT(alphaAt(image, 200, 189), 0.95) << when;        // down to 190 points
        EXPECT_NEAR(alphaAt(image, 200, 195), 0.5, 0.1) << when;  // fading out
        EXPECT_LT(alphaAt(image, 200, 199), 0.15) << when;        // hidden at the bottom edge
    };
    check("at the top");
    // Scrolled, with the mask rebuilt over the new bounds as the scroll view's layout does.
    scroll->setContentOffset({0, 300});
    scroll->layer()->setMask(fadeMask(scroll->bounds()));
    check("scrolled");
}

TEST_F(QtLayerMaskTest, AMaskLeftBehindByTheScrollHidesWhatItNoLongerCovers) {
    auto scroll = std::make_shared<UIScrollView>();
    scroll->setFrame(CGRectMake(0, 0, 400, 200));
    scroll->setContentSize({400, 1000});
    scroll->setBackgroundColor({1.0, 1.0});
    QtScrollView widget(scroll, nullptr);
    widget.sync();
    scroll->layer()->setMask(fadeMask(scroll->bounds()));
    // The mask stays where the content was; a plain scroll view does not rebuild it.
    scroll->setContentOffset({0, 100});
    QImage image = widget.grab().toImage();
    EXPECT_GT(alphaAt(image, 200, 50), 0.95);
    EXPECT_LT(alphaAt(image, 200, 150), 0.05);
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
