#include <gtest/gtest.h>

#include <limits>

#include "gate/AnswerConversion.h"

TEST(AnswerConversionTest, AcceptsOneOptionalSignAndDigitsWithLeadingZeros) {
    const std::pair<const char*, std::int64_t> accepted[] = {
        {"84", 84},
        {"+84", 84},
        {"-84", -84},
        {"0084", 84},
        {"+0", 0},
        {"-0", 0},
        {"0000000000000000000000000000000125", 125},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"-0009223372036854775807", -std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& [text, value] : accepted)
        EXPECT_EQ(convertGateAnswer(text), value) << text;
}

TEST(AnswerConversionTest, RefusesEverythingElse) {
    const char* refused[] = {
        "",
        "+",
        "-",
        " 84",
        "84 ",
        "8 4",
        "\t84",
        "84\n",
        "+-84",
        "--84",
        "++84",
        "84-",
        "84a",
        "x84",
        "0x54",
        "8e1",
        "84.0",
        "8,4",
        "１２",
        "9223372036854775808",
        "-9223372036854775809",
        "99999999999999999999",
        "18446744073709551700",
    };
    for (const char* text : refused)
        EXPECT_EQ(convertGateAnswer(text), std::nullopt) << text;
    EXPECT_EQ(convertGateAnswer(std::string_view("84\0", 3)), std::nullopt);
}
