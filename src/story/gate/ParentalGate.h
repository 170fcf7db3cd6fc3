#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/foundation/NSLocalizedString.h"
#include "platform/foundation/NSObject.h"

class AppDelegate;
class UIAlertControllerParentalGate;
class UIViewController;

// One arithmetic question an adult answers before a link may leave the
// application. None of the accepted answers is 0: a typed text that holds no
// number is tested as 0.
struct GateQuestion {
    std::int64_t tag;
    const char* text;
    std::int64_t answer;
};

inline constexpr std::array<GateQuestion, 3> kGateQuestions = {{
    {7771, NSLocalizedString("PARENTAL GATE: 12 x 7 = ?"), 84},
    {7772, NSLocalizedString("PARENTAL GATE: 85 - 37 = ?"), 48},
    {7773, NSLocalizedString("PARENTAL GATE: 68 + 57 = ?"), 125},
}};

// The question of one gate prompt; a new one is made for every prompt. Its
// answer test is the only writer of the gate flag after start-up.
class ParentalGate : public NSObject {
public:
    ParentalGate();

    // Draws one of the three questions afresh.
    void pickQuestion();
    // Lowers the gate for a right answer to the question `alert` asked, raises
    // it otherwise, and shows the result on `presenter`.
    void checkAnswer(UIAlertControllerParentalGate& alert, std::int64_t answer,
                     UIViewController& presenter);

    std::string pgQuestion;
    std::int64_t pgTag;
    std::shared_ptr<AppDelegate> appDelegate;
};
