#include "platform/media/NowPlayingInfo.h"

#include <filesystem>

#include "platform/ui/UIView.h"

NowPlayingInfo NowPlayingInfo::startedBy(const std::string& path) {
    if (const auto* button = dynamic_cast<const UIButton*>(UIControl::sending());
        button && !button->shownTitle().empty())
        return {button->shownTitle(), button->imageName()};
    return {LocalizedText::name(std::filesystem::path(path).stem().string()), {}};
}
