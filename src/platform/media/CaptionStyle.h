#pragma once

#include <optional>
#include <string>
#include <string_view>

// How captions look over a video: the family's choice, kept by the platform between runs and
// followed by every player and by the preview beside the choices.
struct CaptionStyle {
    // Steps of the text's height against the picture's; medium is the size captions always had.
    enum class Size { small, medium, large, largest };
    // translucent: a dark box the picture shows through; outline: no box, the letters edged.
    enum class Background { translucent, solid, outline };
    // Where over the picture: bottom, or top, clear of a picture's own words at its foot.
    enum class Position { bottom, top };

    Size size = Size::medium;
    Background background = Background::translucent;
    Position position = Position::bottom;
    bool operator==(const CaptionStyle&) const = default;

    // The names of the kept file and of scenarios ("small"... "largest", "translucent", "solid",
    // "outline", "bottom", "top"), and back; nothing for a name the application does not know.
    static const char* nameOf(Size size);
    static const char* nameOf(Background background);
    static const char* nameOf(Position position);
    static std::optional<Size> sizeNamed(std::string_view name);
    static std::optional<Background> backgroundNamed(std::string_view name);
    static std::optional<Position> positionNamed(std::string_view name);
    // "large solid top": the three names in that order, as scenarios write a style.
    std::string name() const;

    // The next value of each, wrapping round: what one press of a choice's button gives.
    static Size after(Size size);
    static Background after(Background background);
    static Position after(Position position);
};
