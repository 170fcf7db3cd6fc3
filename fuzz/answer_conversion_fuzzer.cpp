#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/NSPredicate.h"
#include "story/gate/AnswerConversion.h"

namespace {

// The same rule worked out another way: check the form, then compare the
// digits as text against the range limits before converting them.
std::optional<std::int64_t> reference(std::string_view text) {
    bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::size_t firstNonZero = text.find_first_not_of('0');
    std::string_view digits =
        firstNonZero == std::string_view::npos ? std::string_view("0") : text.substr(firstNonZero);
    std::string_view limit = negative ? "9223372036854775808" : "9223372036854775807";
    if (digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit))
        return std::nullopt;
    std::uint64_t magnitude = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    return negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
}

// The digit test, worked out by a plain scan: "." stops at a line feed.
bool holdsADigit(std::string_view text) {
    return text.find('\n') == std::string_view::npos &&
           text.find_first_of("0123456789") != std::string_view::npos;
}

[[noreturn]] void disagree(const char* what, std::string_view text, std::string got,
                           std::string expected) {
    std::fprintf(stderr, "%s disagrees with the reference for \"%.*s\": %s vs %s\n", what,
                 int(text.size()), text.data(), got.c_str(), expected.c_str());
    std::abort();
}

std::string shown(std::optional<std::int64_t> value) {
    return value ? std::to_string(*value) : "none";
}

}  // namespace

// Drives the whole path of the gate prompt's OK handler, from the typed text to
// the number checked, with texts up to the text field's limit (fuzz/run.sh sets
// -max_len).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto converted = convertGateAnswer(text);
    auto expected = reference(text);
    if (converted != expected)
        disagree("conversion", text, shown(converted), shown(expected));

    static const auto hasDigit = NSPredicate::predicateWithFormat("SELF MATCHES %@", ".*[0-9]+.*");
    if (hasDigit->evaluateWithObject(text) != holdsADigit(text))
        disagree("digit test", text, hasDigit->evaluateWithObject(text) ? "true" : "false",
                 holdsADigit(text) ? "true" : "false");

    std::int64_t answer = answerOfTypedText(text);
    if (answer != expected.value_or(0))
        disagree("typed answer", text, std::to_string(answer), shown(expected.value_or(0)));
    return 0;
}
