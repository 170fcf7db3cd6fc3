#include <cstdint>
#include <string>

#include "platform/ui/Storyboard.h"
#include "run/ApplicationClasses.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Descriptions are only parsed, no screen is made: no pack library is needed.
    registerApplicationClasses(nullptr);
    return 0;
}

// Any text is either accepted or refused with InterfaceDescriptionError; any
// other exception escapes and is reported as a crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Storyboard::parseScreen(text, "fuzz.json");
    } catch (const InterfaceDescriptionError&) {
    }
    return 0;
}
