#include <gtest/gtest.h>

#include <cmath>

#include "SimFixture.h"
#include "platform/layers/CALayer.h"
#include "platform/ui/UIViewController.h"
#include "screens/FadingScrollView.h"

namespace {

// The fade of a 200-point-high view: in over the top 20 points, out over the
// bottom 10.
double expectedAlpha(double y) {
    if (y < 20)
        return y / 20;
    if (y <= 190)
        return 1;
    return (200 - y) / 10;
}

}  // namespace

class FadingScrollViewTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        view = std::make_shared<FadingScrollView>();
        view->setContentSize({900, 1200});
        view->setFrame(CGRectMake(40, 60, 300, 200));
    }

    std::shared_ptr<CALayer> mask() const { return view->layer()->mask(); }

    // Checks the vertical profile along a column of the mask, in its coordinates.
    void expectVerticalFade(double x) {
        for (double y = 0; y <= 200; y += 0.5)
            ASSERT_NEAR(mask()->alphaAt({x, y}), expectedAlpha(y), 1e-5) << "x " << x << " y " << y;
    }

    std::shared_ptr<FadingScrollView> view;
};

TEST_F(FadingScrollViewTest, A200PointViewFadesInOverTheTopTenthAndOutOverTheBottomTwentieth) {
    ASSERT_TRUE(mask());
    EXPECT_EQ(mask()->frame(), view->bounds());
    for (double x : {0.0, 150.0, 300.0})
        expectVerticalFade(x);
    EXPECT_NEAR(mask()->alphaAt({150, 10}), 0.5, 1e-5);
    EXPECT_NEAR(mask()->alphaAt({150, 195}), 0.5, 1e-5);
}

TEST_F(FadingScrollViewTest, ASidewaysScrollLeavesNoUncoveredStrip) {
    for (double offset : {1.0, 120.0, 299.0, 600.0}) {
        view->setContentOffset({offset, 35});
        EXPECT_EQ(mask()->frame(), CGRectMake(offset, 35, 300, 200));
        for (double x = 0; x <= 300; x += 1)
            ASSERT_NEAR(mask()->alphaAt({x, 100}), 1.0, 1e-9) << "offset " << offset << " x " << x;
        expectVerticalFade(0);
        expectVerticalFade(300);
    }
}
