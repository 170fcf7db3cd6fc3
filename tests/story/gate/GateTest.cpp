// The parental gate: each question's answer, an answer whose screen has gone, and a sweep of
// every button past the gate. Its texts, buttons and log lines are stated in
// tests/scenarios/gate*.scenario and docs/examples/gate-and-links.scenario; the conversion of
// the typed text is checked against a reference by fuzz/answer_conversion_fuzzer.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "SimFixture.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"
#include "scenario/ViewQuery.h"
#include "story/app/AppDelegate.h"
#include "story/gate/LinkGuard.h"
#include "story/gate/ParentalGatePrompt.h"
#include "story/gate/UIAlertControllerParentalGate.h"

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
        EXPECT_TRUE(tapButton("facebook"));
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

// Each question with its own answer and with another's is in tests/scenarios/gate*.scenario.
TEST_F(ParentalGateTest, OnlyTheWholeNumberCountsAndAWrongAnswerRaisesTheGateAgain) {
    // Only the whole number counts, however long the pasted text; the right answer goes last,
    // so that the gate is down for the wrong one below.
    for (const auto& [text, right] : {std::pair{std::string(20, '9'), false},
                                      std::pair{std::string(200000, '0') + "84", true}}) {
        appDelegate->parentalGateEnabled = true;
        ASSERT_TRUE(press(0));
        EXPECT_EQ(answer(text), right ? "Parental Gate Disabled" : "Parental Gate Remains Active");
    }
    // A wrong answer raises a lowered gate again.
    presentParentalGate(*screen);
    sim->runUntilIdle();
    EXPECT_EQ(answer("1"), "Parental Gate Remains Active");
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
    EXPECT_THAT(sim->openedURLs(), ::testing::IsEmpty());
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
    EXPECT_THAT(takeLog(), ::testing::ElementsAre("Ok Button Pressed"));
}

// Taps every button of every screen of the interface descriptions and
// answers whatever it brings up, every way it can be answered.
class LinkSweepTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        addBundledFile("LKSChapter13.mp4");
        addBundledFile("XmasDocumentary.mp4");
        addPackFile("Video", "LKSChapter14.mp4");
        resources->install("Video");
        UIApplication::sharedApplication().loadInterfaceDescriptions();
    }

    // Closes whatever the last tap presented, choosing the action at `choice`
    // of each alert (wrong answers typed into any field).
    void answerEverything(std::size_t choice) {
        for (int guard = 0; guard < 10; ++guard) {
            sim->runUntilIdle();
            if (auto alert = sim->visibleAlert()) {
                for (std::size_t f = 0; f < alert->textFields().size(); ++f)
                    sim->typeIntoAlertTextField("0", f);
                alert->chooseAction(std::min(choice, alert->actions().size() - 1));
            } else if (sim->visiblePlayer()) {
                sim->finishVideo();
            } else {
                return;
            }
        }
    }

    // Every button of every screen, tapped on a freshly shown screen; only taps that land count.
    void sweep(std::size_t choice) {
        for (const auto& [identifier, description] :
             UIApplication::sharedApplication().storyboard()->screens()) {
            auto screen = showScreen(identifier);
            for (const auto& found : viewsOf(*screen)) {
                taps += sim->tap(std::dynamic_pointer_cast<UIButton>(found.view));
                answerEverything(choice);
            }
        }
    }

    int taps = 0;
};

TEST_F(LinkSweepTest, NothingOpensWhileTheGateIsUpWhateverIsTappedOrAnswered) {
    for (std::size_t choice : {0u, 1u}) {
        appDelegate->parentalGateEnabled = true;
        sweep(choice);
        EXPECT_TRUE(appDelegate->parentalGateEnabled);
    }
    EXPECT_GT(taps, 20);
    EXPECT_TRUE(UIApplication::sharedApplication().openURLRequests().empty());
    EXPECT_TRUE(sim->openedURLs().empty());
}

TEST_F(LinkSweepTest, OnceTheGateIsDownOnlyTheTwoFixedAddressesEverOpen) {
    appDelegate->parentalGateEnabled = false;
    sweep(0);
    std::set<std::string> urls(sim->openedURLs().begin(), sim->openedURLs().end());
    EXPECT_EQ(urls, (std::set<std::string>{kSocialNetworkPageAddress, kHomepageAddress}));
    for (const auto& request : UIApplication::sharedApplication().openURLRequests()) {
        EXPECT_TRUE(request.options.empty());
        EXPECT_FALSE(request.hasCompletionHandler);
    }
}
