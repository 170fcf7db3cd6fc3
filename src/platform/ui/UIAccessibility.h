#pragma once

// The family's accessibility settings, which the platform keeps for every screen and run.
namespace UIAccessibility {

// Whether every video starts with its captions on (the grown-ups' choice; off at first).
bool isClosedCaptioningEnabled();
void setClosedCaptioningEnabled(bool enabled);

}  // namespace UIAccessibility
