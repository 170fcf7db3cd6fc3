#pragma once

#include "platform/foundation/LocalizedText.h"
#include "platform/media/CaptionStyle.h"
#include "platform/ui/UIView.h"

// A caption as a player would show it in `style` over a picture the size of this view: what a
// grown-up sees beside the caption choices before any video plays.
class UICaptionPreview : public UIView {
public:
    std::string className() const override { return "UICaptionPreview"; }

    const CaptionStyle& style() const { return style_; }
    void setStyle(const CaptionStyle& style);
    const LocalizedText& text() const { return text_; }
    void setText(LocalizedText text);

private:
    CaptionStyle style_;
    LocalizedText text_;
};
