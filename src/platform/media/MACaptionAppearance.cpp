#include "platform/media/MACaptionAppearance.h"

#include "platform/Platform.h"
#include "platform/PlatformBackend.h"

namespace MACaptionAppearance {

CaptionStyle style() {
    return Platform::backend().captionStyle();
}

void setStyle(const CaptionStyle& style) {
    Platform::backend().setCaptionStyle(style);
}

}  // namespace MACaptionAppearance
