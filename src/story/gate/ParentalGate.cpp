#include "story/gate/ParentalGate.h"

#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/Random.h"
#include "story/app/AppDelegate.h"
#include "story/gate/UIAlertControllerParentalGate.h"

ParentalGate::ParentalGate() : pgQuestion(), pgTag(0), appDelegate(AppDelegate::shared()) {}

void ParentalGate::pickQuestion() {
    pgQuestion.clear();
    pgTag = 0;
    const GateQuestion& question =
        kGateQuestions[sys::arc4random_uniform(std::uint32_t(kGateQuestions.size()))];
    pgQuestion = question.text;
    pgTag = question.tag;
}

void ParentalGate::checkAnswer(UIAlertControllerParentalGate& alert, std::int64_t answer,
                               UIViewController& presenter) {
    bool right = false;
    for (const GateQuestion& question : kGateQuestions) {
        if (alert.tag == question.tag && answer == question.answer)
            right = true;
    }
    appDelegate->parentalGateEnabled = !right;
    auto result = right ? UIAlertController::alertControllerWithTitle(
                              NSLocalizedString("Parental Gate Disabled"),
                              NSLocalizedString("You now have full access to the App"),
                              UIAlertControllerStyle::alert)
                        : UIAlertController::alertControllerWithTitle(
                              NSLocalizedString("Parental Gate Remains Active"),
                              NSLocalizedString("Sorry you entered the wrong answer"),
                              UIAlertControllerStyle::alert);
    result->addAction(UIAlertAction::actionWithTitle(
        NSLocalizedString("Cancel"), UIAlertActionStyle::cancel,
        [](UIAlertAction&) { print("you have pressed the Cancel button"); }));
    result->addAction(UIAlertAction::actionWithTitle(
        NSLocalizedString("OK"), UIAlertActionStyle::defaultStyle,
        [](UIAlertAction&) { print("you have pressed OK button"); }));
    presenter.presentViewController(result, true, nullptr);
}
