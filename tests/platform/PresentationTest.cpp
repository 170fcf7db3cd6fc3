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

TEST_F(PresentationTest, PresentingReturnsAtOnceAndRunsTheCompletionOnceShown) {
    auto screen = std::make_shared<Screen>();
    bool shown = false;
    root->presentViewController(screen, true, [&] { shown = true; });
    EXPECT_EQ(root->presentedViewController(), screen);
    EXPECT_EQ(screen->presentingViewController(), root);
    EXPECT_FALSE(shown);
    sim->runUntilIdle();
    EXPECT_TRUE(shown);
    EXPECT_EQ(screen->events, (std::vector<std::string>{"load", "appear"}));
    EXPECT_EQ(root->events, (std::vector<std::string>{"load", "appear", "disappear"}));
}

TEST_F(PresentationTest, AnAlertLeavesTheScreenBelowOnDisplay) {
    auto alert =
        UIAlertController::alertControllerWithTitle("T", "M", UIAlertControllerStyle::alert);
    alert->addAction(
        UIAlertAction::actionWithTitle("OK", UIAlertActionStyle::defaultStyle, nullptr));
    root->presentViewController(alert, true, nullptr);
    alert->chooseAction(0);
    EXPECT_EQ(root->events, (std::vector<std::string>{"load", "appear"}));
    EXPECT_FALSE(root->presentedViewController());
}

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

TEST_F(PresentationTest, DismissingClosesThePresentedChainAndTellsTheScreens) {
    auto middle = std::make_shared<Screen>();
    auto top = std::make_shared<Screen>();
    root->presentViewController(middle, true, nullptr);
    middle->presentViewController(top, true, nullptr);
    root->events.clear();
    root->dismissViewControllerAnimated(true, nullptr);
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(middle->presentingViewController());
    EXPECT_FALSE(top->presentingViewController());
    EXPECT_EQ(root->events, std::vector<std::string>{"appear"});
    EXPECT_EQ(top->events.back(), "disappear");
    // A screen presenting nothing closes itself.
    root->presentViewController(middle, true, nullptr);
    middle->dismissViewControllerAnimated(true, nullptr);
    EXPECT_FALSE(root->presentedViewController());
}

TEST_F(PresentationTest, ChoosingAnActionClosesTheAlertThenRunsItsHandlerOnTheMainQueue) {
    auto alert = UIAlertController::alertControllerWithTitle("Question", std::string(),
                                                             UIAlertControllerStyle::alert);
    std::vector<std::string> order;
    std::string typed = "unset";
    UITextField* field = nullptr;
    alert->addTextFieldWithConfigurationHandler([&](UITextField& f) {
        field = &f;
        f.setPlaceholder("Enter your answer");
        order.push_back("configured");
    });
    EXPECT_EQ(order, std::vector<std::string>{"configured"});
    alert->addAction(UIAlertAction::actionWithTitle(
        "OK", UIAlertActionStyle::defaultStyle, [&](UIAlertAction& action) {
            order.push_back("handler " + action.title());
            typed = field->text();
            EXPECT_FALSE(root->presentedViewController());
        }));
    alert->addAction(UIAlertAction::actionWithTitle("Cancel", UIAlertActionStyle::cancel, nullptr));
    EXPECT_EQ(alert->cancelActionIndex(), 1u);
    root->presentViewController(alert, true, nullptr);
    EXPECT_EQ(sim->visibleAlert(), alert);
    EXPECT_EQ(alert->textFields().front()->text(), "");
    sim->typeIntoAlertTextField("84");
    EXPECT_TRUE(sim->chooseAlertAction("OK"));
    EXPECT_FALSE(sim->visibleAlert());
    EXPECT_EQ(order.size(), 1u);
    sim->runUntilIdle();
    EXPECT_EQ(order.back(), "handler OK");
    EXPECT_EQ(typed, "84");
}

TEST_F(PresentationTest, AnAlertWithItsHandlersIsFreedOnceAnswered) {
    std::weak_ptr<UIAlertController> weakAlert;
    {
        auto alert = UIAlertController::alertControllerWithTitle("T", std::nullopt,
                                                                 UIAlertControllerStyle::alert);
        // A handler holding its own alert would be a cycle if nothing broke it.
        alert->addAction(UIAlertAction::actionWithTitle("OK", UIAlertActionStyle::defaultStyle,
                                                        [alert](UIAlertAction&) {}));
        weakAlert = alert;
        root->presentViewController(alert, true, nullptr);
    }
    sim->chooseAlertAction("OK");
    sim->runUntilIdle();
    EXPECT_TRUE(weakAlert.expired());
}

TEST_F(PresentationTest, TappingFollowsTargetActionAndRefusesHiddenButtons) {
    auto button = std::make_shared<UIButton>();
    button->setTag(3);
    root->view()->addSubview(button);
    int taps = 0;
    auto target = std::make_shared<Screen>();
    button->addTarget(target,
                      [&](NSObject&, UIView& sender) { taps += static_cast<int>(sender.tag()); });
    EXPECT_TRUE(sim->tap(sim->findButton(3)));
    EXPECT_EQ(taps, 3);
    button->setHidden(true);
    EXPECT_FALSE(sim->tap(button));
    button->setHidden(false);
    target.reset();
    EXPECT_TRUE(sim->tap(button));
    EXPECT_EQ(taps, 3);
}
