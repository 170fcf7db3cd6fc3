#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "scenario/ViewQuery.h"

class UIAlertController;

class UIView;
class UIViewController;

// The visible interface as text, one "| "-prefixed line per item, so that a
// scripted run reads like a transcript and its lines stand apart from the
// debug log.
void reportScreen(std::ostream& out, UIViewController& screen);
void reportAlert(std::ostream& out, const UIAlertController& alert);

// "%g"-style text for sizes and offsets.
std::string formatNumber(double value);
