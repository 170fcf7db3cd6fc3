#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "gate/AnswerConversion.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto converted = convertGateAnswer(text);
    auto expected = reference(text);
    if (converted != expected) {
        std::fprintf(stderr, "conversion disagrees with the reference for \"%.*s\": %s vs %s\n",
                     int(size), text.data(),
                     converted ? std::to_string(*converted).c_str() : "none",
                     expected ? std::to_string(*expected).c_str() : "none");
        std::abort();
    }
    return 0;
}
