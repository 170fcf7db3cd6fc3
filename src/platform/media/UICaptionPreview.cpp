#include "platform/media/UICaptionPreview.h"

void UICaptionPreview::setStyle(const CaptionStyle& style) {
    if (style == style_)
        return;
    style_ = style;
    changed();
}

void UICaptionPreview::setText(LocalizedText text) {
    text_ = std::move(text);
    changed();
}
