#include "story/screens/CaptionStyleViewController.h"

#include "platform/foundation/LocalizedText.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/media/MACaptionAppearance.h"
#include "platform/media/UICaptionPreview.h"
#include "platform/ui/UIClassRegistry.h"
#include "platform/ui/UIView.h"

namespace {

const char* sizeName(CaptionStyle::Size size) {
    switch (size) {
        case CaptionStyle::Size::small:
            return NSLocalizedString("Small");
        case CaptionStyle::Size::large:
            return NSLocalizedString("Large");
        case CaptionStyle::Size::largest:
            return NSLocalizedString("Largest");
        case CaptionStyle::Size::medium:
            break;
    }
    return NSLocalizedString("Medium");
}

const char* backgroundName(CaptionStyle::Background background) {
    switch (background) {
        case CaptionStyle::Background::solid:
            return NSLocalizedString("Solid box");
        case CaptionStyle::Background::outline:
            return NSLocalizedString("No box, outlined letters");
        case CaptionStyle::Background::translucent:
            break;
    }
    return NSLocalizedString("Translucent box");
}

const char* positionName(CaptionStyle::Position position) {
    return position == CaptionStyle::Position::top ? NSLocalizedString("Top of the picture")
                                                   : NSLocalizedString("Bottom of the picture");
}

}  // namespace

void CaptionStyleViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    if (auto shown = preview.lock())
        shown->setText(NSLocalizedString("Captions will look like this."));
    show();
}

void CaptionStyleViewController::sizePressed(UIButton&) {
    choose([](CaptionStyle& style) { style.size = CaptionStyle::after(style.size); });
}

void CaptionStyleViewController::backgroundPressed(UIButton&) {
    choose([](CaptionStyle& style) { style.background = CaptionStyle::after(style.background); });
}

void CaptionStyleViewController::positionPressed(UIButton&) {
    choose([](CaptionStyle& style) { style.position = CaptionStyle::after(style.position); });
}

void CaptionStyleViewController::choose(void (*change)(CaptionStyle& style)) {
    auto style = MACaptionAppearance::style();
    change(style);
    MACaptionAppearance::setStyle(style);
    show();
}

void CaptionStyleViewController::show() {
    auto style = MACaptionAppearance::style();
    if (auto button = sizeButton.lock())
        button->setTitle(localizedFormat(NSLocalizedString("Size: %1"), {sizeName(style.size)}));
    if (auto button = backgroundButton.lock())
        button->setTitle(localizedFormat(NSLocalizedString("Background: %1"),
                                         {backgroundName(style.background)}));
    if (auto button = positionButton.lock())
        button->setTitle(
            localizedFormat(NSLocalizedString("Position: %1"), {positionName(style.position)}));
    if (auto shown = preview.lock())
        shown->setStyle(style);
}

void CaptionStyleViewController::registerClass() {
    UIControllerClass<CaptionStyleViewController>(kClassName)
        .outlet("sizeButton", &CaptionStyleViewController::sizeButton)
        .outlet("backgroundButton", &CaptionStyleViewController::backgroundButton)
        .outlet("positionButton", &CaptionStyleViewController::positionButton)
        .outlet("preview", &CaptionStyleViewController::preview)
        .action("sizePressed:", &CaptionStyleViewController::sizePressed)
        .action("backgroundPressed:", &CaptionStyleViewController::backgroundPressed)
        .action("positionPressed:", &CaptionStyleViewController::positionPressed)
        .registerClass();
}
