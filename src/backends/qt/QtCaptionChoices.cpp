#include "backends/qt/QtCaptionChoices.h"

CaptionStyle QtCaptionChoices::style() const {
    CaptionStyle style;
    auto read = [&](const char* key, auto named, auto& value) {
        if (auto text = kept_.text(key)) {
            if (auto known = named(*text))
                value = *known;
        }
    };
    read("size", &CaptionStyle::sizeNamed, style.size);
    read("background", &CaptionStyle::backgroundNamed, style.background);
    read("position", &CaptionStyle::positionNamed, style.position);
    return style;
}

void QtCaptionChoices::setStyle(const CaptionStyle& style) {
    kept_.setTexts({{"size", CaptionStyle::nameOf(style.size)},
                    {"background", CaptionStyle::nameOf(style.background)},
                    {"position", CaptionStyle::nameOf(style.position)}});
}
