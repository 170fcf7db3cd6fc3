#include "platform/media/PlayerCaptions.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/resources/PackLibrary.h"

namespace {

// A pack's captions are the files its manifest lists, never whatever its folder holds.
std::optional<std::vector<std::string>> listedBeside(const std::filesystem::path& media) {
    if (!Platform::installed() || !Platform::environment().packs)
        return std::nullopt;
    return Platform::environment().packs->listedBeside(media.string());
}

}  // namespace

PlayerCaptions::PlayerCaptions(const std::filesystem::path& media, std::string spoken)
    : files_(TimedText::filesBeside(media, listedBeside(media))), spoken_(std::move(spoken)) {
    for (const auto& [language, file] : files_)
        languages_.push_back(language);
}

void PlayerCaptions::show(const std::optional<std::string>& language) {
    shown_.reset();
    text_.reset();
    auto found = language ? files_.find(*language) : files_.end();
    if (found == files_.end())
        return;
    text_ = TimedText::load(found->second);
    if (text_)
        shown_ = language;
}

std::optional<std::string> PlayerCaptions::pick(const std::optional<std::string>& wanted) const {
    for (const auto& language :
         {wanted, std::optional<std::string>(spoken_), std::optional<std::string>("en")}) {
        if (language && files_.contains(*language))
            return language;
    }
    if (languages_.empty())
        return std::nullopt;
    return languages_.front();
}

std::optional<std::string> PlayerCaptions::after(const std::optional<std::string>& shown) const {
    auto first = pick(std::nullopt);
    if (!first || !shown)
        return first;
    std::vector<std::string> order{*first};
    for (const auto& language : languages_) {
        if (language != *first)
            order.push_back(language);
    }
    auto at = std::find(order.begin(), order.end(), *shown);
    return at != order.end() && ++at != order.end() ? std::optional(*at) : std::nullopt;
}

std::string PlayerCaptions::textAt(double seconds) const {
    return text_ ? text_->textAt(seconds) : std::string();
}
