#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "gate/ParentalGate.h"
#include "gate/ParentalGatePrompt.h"
#include "gate/UIAlertControllerParentalGate.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The texts, buttons and lines of the gate are stated in tests/scenarios/gate*.scenario;
// these are the cases a scenario cannot reach.
class ParentalGateTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        screen = showScreen("chapters");
        // A running download holds its screen until it completes.
        resources->completeAll("Video", LKSOnDemandNetworkError);
        sim->runUntilIdle();
        takeLog();
    }
    // Presses the link button with the question `draw` fixed; returns the prompt.
    std::shared_ptr<UIAlertControllerParentalGate> press(std::uint32_t draw) {
        sim->queueRandomDraws({draw});
        EXPECT_TRUE(sim->tap(sim->findButton("facebook")));
        sim->runUntilIdle();
        return std::dynamic_pointer_cast<UIAlertControllerParentalGate>(sim->visibleAlert());
    }
    // Answers the visible prompt with OK; returns the result alert's title.
    std::string answer(const std::string& text) {
        sim->typeIntoAlertTextField(text);
        EXPECT_TRUE(sim->chooseAlertAction("OK"));
        sim->runUntilIdle();
        auto result = sim->visibleAlert();
        std::string title = result ? result->title().value_or("") : "(no alert)";
        sim->chooseAlertAction("OK");
        sim->runUntilIdle();
        return title;
    }
    std::shared_ptr<UIViewController> screen;
};

TEST_F(ParentalGateTest, EachQuestionTakesItsOwnAnswerOnly) {
    const std::pair<const char*, std::int64_t> questions[] = {{"PARENTAL GATE: 12 x 7 = ?", 84},
                                                              {"PARENTAL GATE: 85 - 37 = ?", 48},
                                                              {"PARENTAL GATE: 68 + 57 = ?", 125}};
    for (std::uint32_t draw = 0; draw < 3; ++draw) {
        for (std::uint32_t other = 0; other < 3; ++other) {
            appDelegate->parentalGateEnabled = true;
            auto prompt = press(draw);
            ASSERT_TRUE(prompt);
            EXPECT_EQ(prompt->title(), questions[draw].first);
            EXPECT_EQ(prompt->tag, 7771 + std::int64_t(draw));
            bool right = draw == other;
            EXPECT_EQ(answer(std::to_string(questions[other].second)),
                      right ? "Parental Gate Disabled" : "Parental Gate Remains Active")
                << draw << " answered as " << other;
            EXPECT_EQ(appDelegate->parentalGateEnabled, !right);
        }
    }
    // A wrong answer raises a lowered gate again.
    presentParentalGate(*screen);
    sim->runUntilIdle();
    EXPECT_EQ(answer("1"), "Parental Gate Remains Active");
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
    EXPECT_THAT(sim->openedURLs(), IsEmpty());
}

TEST_F(ParentalGateTest, OnlyTheWholeNumberCountsInTheTypedAnswer) {
    const std::pair<std::string, bool> typed[] = {
        {"84", true},
        {"+84", true},
        {"0084", true},
        {"+00084", true},
        {" 84", false},
        {"84 ", false},
        {"-84", false},
        {"", false},
        {"abc", false},
        {"+", false},
        {"84a", false},
        {"84.0", false},
        {std::string(20, '9'), false},
        // Pasted texts as long as a text field takes and longer.
        {std::string(200000, '0') + "84", true},
        {std::string(200000, 'z'), false},
    };
    for (const auto& [text, right] : typed) {
        appDelegate->parentalGateEnabled = true;
        ASSERT_TRUE(press(0));
        EXPECT_EQ(answer(text), right ? "Parental Gate Disabled" : "Parental Gate Remains Active")
            << "'" << text.substr(0, 30) << "'";
    }
}

TEST_F(ParentalGateTest, ThePromptItsHandlersAndTheGateAreFreedOnceClosedOrWithTheirScreen) {
    for (const char* action : {"OK", "Cancel", "screen gone"}) {
        std::weak_ptr<ParentalGate> gate = presentParentalGate(*screen);
        sim->runUntilIdle();
        std::weak_ptr<UIAlertController> prompt = sim->visibleAlert();
        ASSERT_FALSE(prompt.expired());
        std::weak_ptr<UITextField> field = prompt.lock()->textFields()[0];
        ASSERT_FALSE(gate.expired()) << "the prompt's OK handler holds the gate";
        sim->typeIntoAlertTextField("12");
        if (std::string(action) == "screen gone") {
            std::weak_ptr<UIViewController> gone = screen;
            screen.reset();
            showScreen("title");
            EXPECT_TRUE(gone.expired());
        } else {
            ASSERT_TRUE(sim->chooseAlertAction(action));
            sim->runUntilIdle();
            sim->chooseAlertAction("OK");
            sim->runUntilIdle();
        }
        EXPECT_TRUE(gate.expired()) << action;
        EXPECT_TRUE(prompt.expired()) << action;
        EXPECT_TRUE(field.expired()) << action;
    }
}

TEST_F(ParentalGateTest, AnAnswerWhoseScreenHasGoneChangesNothing) {
    ASSERT_TRUE(press(0));
    sim->typeIntoAlertTextField("84");
    // The OK handler is queued; the screen goes before the main queue runs it.
    ASSERT_TRUE(sim->chooseAlertAction("OK"));
    std::weak_ptr<UIViewController> gone = screen;
    screen.reset();
    showScreen("title");
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
    EXPECT_FALSE(sim->visibleAlert());
    EXPECT_THAT(takeLog(), ElementsAre("Ok Button Pressed"));
}
