#include "story/gate/AnswerConversion.h"

#include <limits>

#include "platform/foundation/NSPredicate.h"

// Written by hand rather than with std::stoll or strtoll: those skip leading
// blanks and stop at the first non-digit, so " 84" or "84x" would pass.
std::optional<std::int64_t> convertGateAnswer(std::string_view text) {
    std::size_t position = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        position = 1;
    }
    if (position == text.size())
        return std::nullopt;
    // The magnitude is gathered unsigned so that the most negative value,
    // one larger than the most positive, still fits.
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 63 : std::uint64_t(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; position < text.size(); ++position) {
        char c = text[position];
        if (c < '0' || c > '9')
            return std::nullopt;
        std::uint64_t digit = std::uint64_t(c - '0');
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative)
        return std::int64_t(magnitude);
    if (magnitude == limit)
        return std::numeric_limits<std::int64_t>::min();
    return -std::int64_t(magnitude);
}

std::int64_t answerOfTypedText(const std::string& text) {
    auto hasDigit = NSPredicate::predicateWithFormat("SELF MATCHES %@", ".*[0-9]+.*");
    if (!hasDigit->evaluateWithObject(text))
        return 0;
    return convertGateAnswer(text).value_or(0);
}
