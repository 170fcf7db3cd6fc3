#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string_view>

#include "packs/EditionRecord.h"

// Any text is a record exactly when the reference says it is one, in either form; a record
// reads back as itself in the new form, and never holds edition 0 or one past what 64 bits hold.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex kUnkeyed("edition ([1-9][0-9]*)\\nmanifest [0-9a-f]{64}\\n");
    static const std::regex kKeyed(
        "larkspire-editions 2\\n(([1-9][0-9]*) [0-9a-f]{64} ([0-9a-f]{64}|-)\\n)+");
    static const std::regex kLine("([1-9][0-9]*) [0-9a-f]{64} ([0-9a-f]{64}|-)\\n");
    std::string_view text(reinterpret_cast<const char*>(data), size);
    using Match = std::match_results<std::string_view::const_iterator>;
    auto fits = [](const std::string& number) {
        return number.size() < 20 || (number.size() == 20 && number <= "18446744073709551615");
    };
    Match match;
    bool reference = false, keyed = false;
    if (size <= EditionRecord::kMaxSize &&
        std::regex_match(text.begin(), text.end(), match, kUnkeyed)) {
        reference = fits(match.str(1));
    } else if (size <= EditionRecord::kMaxSize &&
               std::regex_match(text.begin(), text.end(), kKeyed)) {
        // Every number fits, keys strictly in order ("-" first), at most 64 of them.
        reference = keyed = true;
        std::string last;
        std::size_t lines = 0;
        for (std::regex_iterator<std::string_view::const_iterator>
                 line(text.begin(), text.end(), kLine),
             end;
             line != end; ++line, ++lines) {
            std::string key = (*line)[2] == "-" ? "" : (*line)[2].str();
            reference = reference && fits((*line)[1].str()) && (lines == 0 || last < key);
            last = key;
        }
        reference = reference && lines <= 64;
    }
    auto parsed = EditionRecord::parse(text);
    if (parsed.has_value() != reference)
        std::abort();
    if (parsed && keyed && EditionRecord::text(*parsed) != text)
        std::abort();
    if (parsed && EditionRecord::parse(EditionRecord::text(*parsed)) != parsed)
        std::abort();
    return 0;
}
