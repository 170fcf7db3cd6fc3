#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "scenario/ViewQuery.h"

#include "platform/ui/UIAlertController.h"

class UIView;
class UIViewController;

// The visible interface as text, one "| "-prefixed line per item, so that a
// scripted run reads like a transcript and its lines stand apart from the
// debug log.
void reportScreen(std::ostream& out, UIViewController& screen);
void reportAlert(std::ostream& out, const UIAlertController& alert);

// "default", "cancel" or "destructive", as scripts and reports name them.
const char* actionStyleName(UIAlertActionStyle style);

// "%g"-style text for sizes and offsets.
std::string formatNumber(double value);
