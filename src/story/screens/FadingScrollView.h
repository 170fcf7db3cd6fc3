#pragma once

#include <string>

#include "platform/ui/UIView.h"

// A scroll view whose content fades out towards its top and bottom edges: at
// every layout pass its layer is masked with a vertical gradient over the
// visible area.
class FadingScrollView : public UIScrollView {
public:
    static constexpr const char* kClassName = "FadingScrollView";

    std::string className() const override { return kClassName; }
    void layoutSubviews() override;

    static void registerClass();
};
