#pragma once

#include "platform/foundation/FailureCause.h"
#include "platform/foundation/LocalizedText.h"

// A failure's cause as the downloads panel tells a grown-up, in a few words of the catalogues;
// the technical line stays on the terminal.
LocalizedText failureCauseText(FailureCause cause);
