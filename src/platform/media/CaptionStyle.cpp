#include "platform/media/CaptionStyle.h"

#include <array>
#include <utility>

namespace {

template <typename Value, std::size_t count>
using Names = std::array<std::pair<Value, const char*>, count>;

constexpr Names<CaptionStyle::Size, 4> kSizes{{{CaptionStyle::Size::small, "small"},
                                               {CaptionStyle::Size::medium, "medium"},
                                               {CaptionStyle::Size::large, "large"},
                                               {CaptionStyle::Size::largest, "largest"}}};
constexpr Names<CaptionStyle::Background, 3> kBackgrounds{
    {{CaptionStyle::Background::translucent, "translucent"},
     {CaptionStyle::Background::solid, "solid"},
     {CaptionStyle::Background::outline, "outline"}}};
constexpr Names<CaptionStyle::Position, 2> kPositions{
    {{CaptionStyle::Position::bottom, "bottom"}, {CaptionStyle::Position::top, "top"}}};

template <typename Value, std::size_t count>
const char* nameIn(const Names<Value, count>& names, Value value) {
    for (const auto& [each, name] : names)
        if (each == value)
            return name;
    return names.front().second;
}

template <typename Value, std::size_t count>
std::optional<Value> valueIn(const Names<Value, count>& names, std::string_view name) {
    for (const auto& [each, eachName] : names)
        if (name == eachName)
            return each;
    return std::nullopt;
}

template <typename Value, std::size_t count>
Value nextIn(const Names<Value, count>& names, Value value) {
    for (std::size_t i = 0; i < count; ++i)
        if (names[i].first == value)
            return names[(i + 1) % count].first;
    return names.front().first;
}

}  // namespace

const char* CaptionStyle::nameOf(Size size) {
    return nameIn(kSizes, size);
}
const char* CaptionStyle::nameOf(Background background) {
    return nameIn(kBackgrounds, background);
}
const char* CaptionStyle::nameOf(Position position) {
    return nameIn(kPositions, position);
}
std::optional<CaptionStyle::Size> CaptionStyle::sizeNamed(std::string_view name) {
    return valueIn(kSizes, name);
}
std::optional<CaptionStyle::Background> CaptionStyle::backgroundNamed(std::string_view name) {
    return valueIn(kBackgrounds, name);
}
std::optional<CaptionStyle::Position> CaptionStyle::positionNamed(std::string_view name) {
    return valueIn(kPositions, name);
}
std::string CaptionStyle::name() const {
    return std::string(nameOf(size)) + " " + nameOf(background) + " " + nameOf(position);
}
CaptionStyle::Size CaptionStyle::after(Size size) {
    return nextIn(kSizes, size);
}
CaptionStyle::Background CaptionStyle::after(Background background) {
    return nextIn(kBackgrounds, background);
}
CaptionStyle::Position CaptionStyle::after(Position position) {
    return nextIn(kPositions, position);
}
