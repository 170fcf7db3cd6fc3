#pragma once

#include <memory>

class ParentalGate;
class UIViewController;

// Draws a question and presents the gate prompt on `screen`. Returns the gate
// object the prompt's OK handler holds; the screen does not keep it.
std::shared_ptr<ParentalGate> presentParentalGate(UIViewController& screen);
