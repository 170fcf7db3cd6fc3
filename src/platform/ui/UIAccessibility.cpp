#include "platform/ui/UIAccessibility.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

namespace UIAccessibility {

bool isClosedCaptioningEnabled() {
    return Platform::backend().captionsOnByDefault();
}

void setClosedCaptioningEnabled(bool enabled) {
    Platform::backend().setCaptionsOnByDefault(enabled);
}

}  // namespace UIAccessibility
