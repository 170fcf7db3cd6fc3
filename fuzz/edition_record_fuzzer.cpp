#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string_view>

#include "packs/EditionRecord.h"

// Any text is a record exactly when the reference says it is one, and then reads back as
// itself; a record never holds edition 0 or one past what 64 bits hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex kReference("edition ([1-9][0-9]*)\\nmanifest [0-9a-f]{64}\\n");
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::match_results<std::string_view::const_iterator> match;
    bool reference =
        size <= EditionRecord::kMaxSize &&
        std::regex_match(text.begin(), text.end(), match, kReference) &&
        (match.length(1) < 20 || (match.length(1) == 20 && match.str(1) <= "18446744073709551615"));
    auto parsed = EditionRecord::parse(text);
    if (parsed.has_value() != reference || (parsed && EditionRecord::text(*parsed) != text))
        std::abort();
    return 0;
}
