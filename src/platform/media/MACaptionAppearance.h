#pragma once

#include "platform/media/CaptionStyle.h"

// The style the platform keeps (the defaults until a family chooses), and a new choice.
namespace MACaptionAppearance {

CaptionStyle style();
void setStyle(const CaptionStyle& style);

}  // namespace MACaptionAppearance
