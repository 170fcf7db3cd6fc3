#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The gate's reading of a typed answer as a whole number in base 10: one
// optional "+" or "-", then one or more ASCII digits and nothing else
// (leading zeros allowed), within the signed 64-bit range. Anything else
// has no value.
std::optional<std::int64_t> convertGateAnswer(std::string_view text);

// What the prompt's OK handler tests: a typed text with no digit, or one that
// is not a whole number, counts as 0, which no question accepts.
std::int64_t answerOfTypedText(const std::string& text);
