#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "platform/foundation/NSUserDefaults.h"

namespace {

std::filesystem::path scratch;

[[noreturn]] void disagree(std::string_view text, const std::string& why) {
    std::fprintf(stderr, "settings parser: %s\ninput: %.*s\n", why.c_str(),
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

// How a launch should read each member, worked out from the JSON value itself: a count is
// never read as anything but itself, and a positive number never as a negative count.
void checkReads(std::string_view text, const NSUserDefaults& store, const std::string& key,
                const nlohmann::json& value) {
    long long integer = store.integerForKey(key);
    auto string = store.stringForKey(key);
    auto fail = [&](const std::string& what) { disagree(text, "\"" + key + "\": " + what); };
    bool fitsLongLong =
        value.is_number_integer() &&
        (!value.is_number_unsigned() ||
         value.get<std::uint64_t>() <= std::uint64_t(std::numeric_limits<long long>::max()));
    if (fitsLongLong) {
        auto exact = value.get<long long>();
        if (integer != exact || string != std::to_string(exact))
            fail("an integer reads as another value");
    } else if (value.is_number()) {
        double real = value.get<double>();
        if ((real >= 0 && integer < 0) || (real <= 0 && integer > 0))
            fail("a number reads as a count of the other sign");
        if (real >= -9e18 && real <= 9e18 && integer != static_cast<long long>(real))
            fail("a number in range does not read as its integer part");
        if (!string)
            fail("a number reads as no string");
    } else if (value.is_boolean()) {
        if (integer != (value.get<bool>() ? 1 : 0) || string)
            fail("a boolean reads wrongly");
    } else if (value.is_string()) {
        if (string != value.get<std::string>())
            fail("a string reads as another");
    } else if (integer != 0 || string) {
        fail("a value of no kept kind reads as present");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/larkspire-settings-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    scratch = folder;
    std::atexit([] { std::filesystem::remove_all(scratch); });
    return 0;
}

// Every text is either accepted or refused without an exception escaping; an accepted one
// reads back the same after a save, and the store reads its values as the reference does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    // What setObject would save: any bytes as a string, UTF-8 or not.
    NSUserDefaults::formatSettings({{"key", std::string(text)}});

    auto values = NSUserDefaults::parseSettings(text);
    auto document = nlohmann::json::parse(text, nullptr, false);
    bool expected = !document.is_discarded() && document.is_object();
    if (values.has_value() != expected)
        disagree(text, values ? "accepted what is no JSON object" : "refused a JSON object");
    if (!values)
        return 0;
    auto again = NSUserDefaults::parseSettings(NSUserDefaults::formatSettings(*values));
    if (!again || *again != *values)
        disagree(text, "an accepted document does not read back the same after a save");

    // The store itself, loading the document from its file as at launch.
    auto path = scratch / "settings.json";
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    NSUserDefaults store(path.string());
    for (const auto& [key, value] : document.items())
        checkReads(text, store, key, value);
    if (!document.contains("missing") &&
        (store.integerForKey("missing") != 0 || store.stringForKey("missing")))
        disagree(text, "a missing key reads as present");
    return 0;
}
