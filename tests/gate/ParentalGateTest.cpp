#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "gate/LinkGuard.h"
#include "gate/ParentalGate.h"
#include "gate/ParentalGatePrompt.h"
#include "gate/UIAlertControllerParentalGate.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The exact result of a question's arithmetic, worked out from its text.
std::int64_t resultOf(const std::string& question) {
    static const std::regex form(R"(PARENTAL GATE: (\d+) ([x+-]) (\d+) = \?)");
    std::smatch parts;
    if (!std::regex_match(question, parts, form))
        ADD_FAILURE() << "not a question: " << question;
    std::int64_t a = std::stoll(parts[1]), b = std::stoll(parts[3]);
    char op = parts[2].str()[0];
    return op == 'x' ? a * b : op == '+' ? a + b : a - b;
}

}  // namespace

class ParentalGateTest : public SimFixture {
protected:
    std::shared_ptr<UIViewController> show(const std::string& screen) {
        auto shown = showScreen(screen);
        takeLog();
        return shown;
    }
    // Presses a link button of the visible screen; returns the prompt, if one came up.
    std::shared_ptr<UIAlertControllerParentalGate> press(const std::string& button) {
        EXPECT_TRUE(sim->tap(sim->findButton(button))) << button;
        sim->runUntilIdle();
        return std::dynamic_pointer_cast<UIAlertControllerParentalGate>(sim->visibleAlert());
    }
    // Answers the visible prompt with OK; returns the result alert.
    std::shared_ptr<UIAlertController> answer(const std::string& text) {
        sim->typeIntoAlertTextField(text);
        EXPECT_TRUE(sim->chooseAlertAction("OK"));
        sim->runUntilIdle();
        return sim->visibleAlert();
    }
    void choose(const std::string& action) {
        ASSERT_TRUE(sim->chooseAlertAction(action)) << action;
        sim->runUntilIdle();
    }
    // Lowers the gate through the prompt of `button` on the visible screen.
    void answerRightly(const std::string& button) {
        auto prompt = press(button);
        ASSERT_TRUE(prompt);
        auto result = answer(std::to_string(resultOf(*prompt->title())));
        ASSERT_TRUE(result);
        ASSERT_EQ(result->title(), "Parental Gate Disabled");
        choose("OK");
        takeLog();
    }
    const std::vector<UIApplication::OpenURLRequest>& opened() const {
        return UIApplication::sharedApplication().openURLRequests();
    }
};

TEST_F(ParentalGateTest, EachLinkButtonShowsThePromptInAFreshRunAndOpensNothing) {
    const std::pair<const char*, const char*> buttons[] = {
        {"chapters", "facebook"}, {"theend", "facebook"}, {"theend", "homepage"}};
    for (const auto& [screen, button] : buttons) {
        restart();
        show(screen);
        auto prompt = press(button);
        ASSERT_TRUE(prompt) << screen << " " << button;
        EXPECT_EQ(prompt->preferredStyle(), UIAlertControllerStyle::alert);
        EXPECT_EQ(prompt->message(), std::optional<std::string>(""));
        ASSERT_EQ(prompt->actions().size(), 2u);
        EXPECT_EQ(prompt->actions()[0]->title(), "OK");
        EXPECT_EQ(prompt->actions()[0]->style(), UIAlertActionStyle::defaultStyle);
        EXPECT_EQ(prompt->actions()[1]->title(), "Cancel");
        EXPECT_EQ(prompt->actions()[1]->style(), UIAlertActionStyle::cancel);
        ASSERT_EQ(prompt->textFields().size(), 1u);
        EXPECT_EQ(prompt->textFields()[0]->placeholder(), "Enter your answer");
        EXPECT_EQ(prompt->textFields()[0]->text(), "");
        EXPECT_THAT(opened(), IsEmpty());
        EXPECT_THAT(sim->openedURLs(), IsEmpty());
        EXPECT_THAT(takeLog(), IsEmpty());
    }
}

TEST_F(ParentalGateTest, EachQuestionAcceptsTheResultOfItsArithmetic) {
    const std::regex forms[] = {std::regex(R"(PARENTAL GATE: \d\d x \d = \?)"),
                                std::regex(R"(PARENTAL GATE: \d\d - \d\d = \?)"),
                                std::regex(R"(PARENTAL GATE: \d\d \+ \d\d = \?)")};
    const std::size_t answerDigits[] = {2, 2, 3};
    show("chapters");
    for (std::uint32_t draw = 0; draw < 3; ++draw) {
        appDelegate->parentalGateEnabled = true;
        sim->queueRandomDraws({draw});
        auto prompt = press("facebook");
        ASSERT_TRUE(prompt);
        const std::string question = *prompt->title();
        EXPECT_TRUE(std::regex_match(question, forms[draw])) << question;
        EXPECT_EQ(prompt->tag, 7771 + std::int64_t(draw));
        std::int64_t result = resultOf(question);
        EXPECT_GT(result, 0) << question;
        EXPECT_EQ(std::to_string(result).size(), answerDigits[draw]) << question;
        auto outcome = answer(std::to_string(result));
        ASSERT_TRUE(outcome);
        EXPECT_EQ(outcome->title(), "Parental Gate Disabled") << question;
        choose("OK");
    }
}

TEST_F(ParentalGateTest, ARightAnswerLowersTheGateWithoutOpeningAndASecondPressOpens) {
    show("chapters");
    auto prompt = press("facebook");
    ASSERT_TRUE(prompt);
    auto result = answer(std::to_string(resultOf(*prompt->title())));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->title(), "Parental Gate Disabled");
    EXPECT_EQ(result->message(), "You now have full access to the App");
    ASSERT_EQ(result->actions().size(), 2u);
    EXPECT_EQ(result->actions()[0]->title(), "Cancel");
    EXPECT_EQ(result->actions()[0]->style(), UIAlertActionStyle::cancel);
    EXPECT_EQ(result->actions()[1]->title(), "OK");
    EXPECT_EQ(result->actions()[1]->style(), UIAlertActionStyle::defaultStyle);
    EXPECT_FALSE(appDelegate->parentalGateEnabled);
    EXPECT_THAT(takeLog(), ElementsAre("Ok Button Pressed"));
    EXPECT_THAT(opened(), IsEmpty());

    choose("OK");
    EXPECT_THAT(takeLog(), ElementsAre("you have pressed OK button"));
    EXPECT_FALSE(press("facebook"));
    ASSERT_EQ(opened().size(), 1u);
    EXPECT_EQ(opened()[0].url, kSocialNetworkPageAddress);
    EXPECT_THAT(opened()[0].options, IsEmpty());
    EXPECT_FALSE(opened()[0].hasCompletionHandler);
    EXPECT_THAT(sim->openedURLs(), ElementsAre(kSocialNetworkPageAddress));
}

TEST_F(ParentalGateTest, ARightAnswerOnOneScreenLowersTheGateForTheOther) {
    show("chapters");
    answerRightly("facebook");
    show("theend");
    EXPECT_FALSE(press("homepage"));
    EXPECT_FALSE(press("facebook"));
    EXPECT_THAT(sim->openedURLs(), ElementsAre(kHomepageAddress, kSocialNetworkPageAddress));

    restart();
    show("theend");
    answerRightly("homepage");
    show("chapters");
    EXPECT_FALSE(press("facebook"));
    EXPECT_THAT(sim->openedURLs(), ElementsAre(kSocialNetworkPageAddress));
}

TEST_F(ParentalGateTest, TheOtherQuestionsAnswersAreWrong) {
    show("theend");
    for (std::uint32_t draw = 0; draw < 3; ++draw) {
        for (std::uint32_t other = 0; other < 3; ++other) {
            if (other == draw)
                continue;
            sim->queueRandomDraws({draw});
            ASSERT_TRUE(press("homepage"));
            auto result = answer(std::to_string(resultOf(kGateQuestions[other].text)));
            ASSERT_TRUE(result);
            EXPECT_EQ(result->title(), "Parental Gate Remains Active");
            EXPECT_EQ(result->message(), "Sorry you entered the wrong answer");
            EXPECT_TRUE(appDelegate->parentalGateEnabled);
            choose("OK");
        }
    }
    EXPECT_THAT(opened(), IsEmpty());
}

TEST_F(ParentalGateTest, OnlyTheWholeNumberCountsInTheTypedAnswer) {
    show("chapters");
    const std::string a = std::to_string(resultOf(kGateQuestions[0].text));
    const std::pair<std::string, bool> typed[] = {
        {a, true},
        {"+" + a, true},
        {"00" + a, true},
        {"+000" + a, true},
        {" " + a, false},
        {a + " ", false},
        {"-" + a, false},
        {"", false},
        {"abc", false},
        {"+", false},
        {a + "a", false},
        {a + ".0", false},
        {std::string(20, '9'), false},
        // Pasted texts as long as a text field takes and longer.
        {std::string(200000, '0') + a, true},
        {std::string(200000, 'z'), false},
    };
    for (const auto& [text, right] : typed) {
        appDelegate->parentalGateEnabled = true;
        sim->queueRandomDraws({0});
        ASSERT_TRUE(press("facebook"));
        auto result = answer(text);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->title(),
                  right ? "Parental Gate Disabled" : "Parental Gate Remains Active")
            << "'" << text << "'";
        EXPECT_EQ(appDelegate->parentalGateEnabled, !right) << "'" << text << "'";
        choose("OK");
    }
}

TEST_F(ParentalGateTest, AWrongAnswerRaisesTheGateAgain) {
    auto screen = show("chapters");
    appDelegate->parentalGateEnabled = false;
    presentParentalGate(*screen);
    sim->runUntilIdle();
    auto result = answer("1");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->title(), "Parental Gate Remains Active");
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
}

TEST_F(ParentalGateTest, CancelWritesOnlyItsLineAndTheNextPressDrawsAfresh) {
    show("chapters");
    sim->queueRandomDraws({0, 2});
    auto first = press("facebook");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->title(), kGateQuestions[0].text);
    sim->typeIntoAlertTextField(std::to_string(resultOf(*first->title())));
    choose("Cancel");
    EXPECT_THAT(takeLog(), ElementsAre("Cancel Button Pressed"));
    EXPECT_FALSE(sim->visibleAlert());
    EXPECT_TRUE(appDelegate->parentalGateEnabled);
    EXPECT_THAT(opened(), IsEmpty());

    auto second = press("facebook");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->title(), kGateQuestions[2].text);
    EXPECT_EQ(second->tag, 7773);
}

TEST_F(ParentalGateTest, TheResultAlertsButtonsOnlyWriteTheirLines) {
    show("chapters");
    const std::pair<const char*, const char*> choices[] = {
        {"Cancel", "you have pressed the Cancel button"}, {"OK", "you have pressed OK button"}};
    for (bool right : {false, true}) {
        for (const auto& [action, line] : choices) {
            appDelegate->parentalGateEnabled = true;
            auto prompt = press("facebook");
            ASSERT_TRUE(prompt);
            answer(right ? std::to_string(resultOf(*prompt->title())) : "7");
            takeLog();
            choose(action);
            EXPECT_THAT(takeLog(), ElementsAre(line));
            EXPECT_FALSE(sim->visibleAlert());
            EXPECT_EQ(appDelegate->parentalGateEnabled, !right);
        }
    }
    EXPECT_THAT(opened(), IsEmpty());
}

TEST_F(ParentalGateTest, ThePromptItsHandlersAndTheGateAreFreedOnceClosed) {
    auto screen = show("chapters");
    for (const char* action : {"OK", "Cancel"}) {
        std::weak_ptr<ParentalGate> gate = presentParentalGate(*screen);
        sim->runUntilIdle();
        std::weak_ptr<UIAlertController> prompt = sim->visibleAlert();
        ASSERT_FALSE(prompt.expired());
        std::weak_ptr<UITextField> field = prompt.lock()->textFields()[0];
        ASSERT_FALSE(gate.expired()) << "the prompt's OK handler holds the gate";
        sim->typeIntoAlertTextField("12");
        choose(action);
        if (sim->visibleAlert())
            choose("OK");
        EXPECT_TRUE(gate.expired()) << action;
        EXPECT_TRUE(prompt.expired()) << action;
        EXPECT_TRUE(field.expired()) << action;
    }
}

TEST_F(ParentalGateTest, AScreenThatGoesAwayWithThePromptUpFreesItAll) {
    auto screen = show("chapters");
    // A running download holds its screen until it completes.
    resources->completeAll("Video", LKSOnDemandNetworkError);
    sim->runUntilIdle();
    std::weak_ptr<ParentalGate> gate = presentParentalGate(*screen);
    std::weak_ptr<UIAlertController> prompt = sim->visibleAlert();
    std::weak_ptr<UIViewController> gone = screen;
    screen.reset();
    show("title");
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(prompt.expired());
    EXPECT_TRUE(gate.expired());
}

TEST_F(ParentalGateTest, ARestartRaisesTheGateAgain) {
    show("chapters");
    answerRightly("facebook");
    restart();
    show("chapters");
    EXPECT_TRUE(press("facebook"));
    EXPECT_THAT(opened(), IsEmpty());
}

TEST_F(ParentalGateTest, AnAnswerWhoseScreenHasGoneChangesNothing) {
    auto screen = show("chapters");
    resources->completeAll("Video", LKSOnDemandNetworkError);
    sim->runUntilIdle();
    auto prompt = press("facebook");
    ASSERT_TRUE(prompt);
    sim->typeIntoAlertTextField(std::to_string(resultOf(*prompt->title())));
    prompt.reset();
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
