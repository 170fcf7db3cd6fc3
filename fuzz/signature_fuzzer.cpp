#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string_view>

#include "packs/PackSignature.h"

// Any text is a signature file exactly when the reference says it is one, and then reads back
// as itself: one spelling per signature, so no two texts carry the same one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex kReference(
        "larkspire-pack-signature [^\\n]*\\nkey [0-9a-f]{64}\\ned25519 [0-9a-f]{128}\\n");
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = packsignature::parse(text);
    bool reference = size <= packsignature::kMaxFileSize &&
                     std::regex_match(text.begin(), text.end(), kReference);
    if (parsed.has_value() != reference || (parsed && packsignature::text(*parsed) != text))
        std::abort();
    return 0;
}
