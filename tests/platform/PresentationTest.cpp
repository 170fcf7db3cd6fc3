#include <gtest/gtest.h>

#include "SimFixture.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

namespace {

struct Screen : UIViewController {
    Screen() : UIViewController(std::nullopt, nullptr) {}
    std::vector<std::string> events;
    void viewDidLoad() override { events.push_back("load"); }
    void viewDidAppear(bool) override { events.push_back("appear"); }
    void viewDidDisappear(bool) override { events.push_back("disappear"); }
};

}  // namespace

class PresentationTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        window = std::make_shared<UIWindow>();
        root = std::make_shared<Screen>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Screen> root;
};

TEST_F(PresentationTest, ASecondPresentationFromTheSameScreenIsRefused) {
    auto first = std::make_shared<Screen>();
    auto second = std::make_shared<Screen>();
    bool secondShown = false;
    root->presentViewController(first, true, nullptr);
    root->presentViewController(second, true, [&] { secondShown = true; });
    sim->runUntilIdle();
    EXPECT_EQ(root->presentedViewController(), first);
    EXPECT_FALSE(secondShown);
    EXPECT_FALSE(second->isViewLoaded());
}
