#include "story/gate/ParentalGatePrompt.h"

#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/ui/UIView.h"
#include "story/gate/AnswerConversion.h"
#include "story/gate/ParentalGate.h"
#include "story/gate/UIAlertControllerParentalGate.h"

std::shared_ptr<ParentalGate> presentParentalGate(UIViewController& screen) {
    auto gate = std::make_shared<ParentalGate>();
    gate->pickQuestion();
    // The question is one of the gate's marked texts; the message is empty, not absent.
    auto prompt = UIAlertControllerParentalGate::alertControllerWithTitle(
        LocalizedText::marked(gate->pgQuestion), LocalizedText(), UIAlertControllerStyle::alert);
    prompt->tag = gate->pgTag;

    // The prompt owns its actions and its field, and the screen owns the
    // prompt while it is up, so the handler holds both weakly: a screen that
    // goes away with the prompt up frees the prompt, its handlers and the
    // gate. Choosing an action drops the prompt's actions, which frees them
    // once the handler has run.
    auto answerField = std::make_shared<std::weak_ptr<UITextField>>();
    std::weak_ptr<UIViewController> weakScreen = sharedFrom(&screen);
    std::weak_ptr<UIAlertControllerParentalGate> weakPrompt = prompt;
    auto ok = UIAlertAction::actionWithTitle(
        NSLocalizedString("OK"), UIAlertActionStyle::defaultStyle,
        [weakScreen, answerField, gate, weakPrompt](UIAlertAction&) {
            print("Ok Button Pressed");
            auto presenter = weakScreen.lock();
            auto asked = weakPrompt.lock();
            // Without its screen the result could not be shown; the gate
            // stays as it is rather than change out of sight.
            if (!presenter || !asked)
                return;
            auto field = answerField->lock();
            gate->checkAnswer(*asked, answerOfTypedText(field ? field->text() : std::string()),
                              *presenter);
        });
    auto cancel =
        UIAlertAction::actionWithTitle(NSLocalizedString("Cancel"), UIAlertActionStyle::cancel,
                                       [](UIAlertAction&) { print("Cancel Button Pressed"); });
    prompt->addAction(ok);
    prompt->addAction(cancel);
    prompt->addTextFieldWithConfigurationHandler([answerField](UITextField& field) {
        *answerField = sharedFrom(&field);
        field.setPlaceholder(NSLocalizedString("Enter your answer"));
    });
    screen.presentViewController(prompt, true, nullptr);
    return gate;
}
