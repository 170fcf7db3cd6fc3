#include "run/Launch.h"

#include <cstdlib>
#include <iostream>

#include "platform/foundation/NSStringFromClass.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "story/app/AppDelegate.h"

int launchApplication(int argc, char** argv) {
    try {
        return UIApplicationMain(argc, argv, std::nullopt, NSStringFromClass<AppDelegate>());
    } catch (const InterfaceDescriptionError& error) {
        std::cerr << "larkspire: " << error.what() << "\n";
        return 1;
    }
}

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}
