#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempDirectory.h"
#include "platform/media/TimedText.h"

namespace fs = std::filesystem;

namespace {

struct Read {
    std::vector<TimedTextCue> cues;
    std::vector<std::string> skipped;
};

Read read(const std::string& text) {
    Read result;
    auto parsed = TimedText::parseWebVTT(
        text, [&](const std::string& why) { result.skipped.push_back(why); });
    EXPECT_TRUE(parsed.has_value()) << text;
    if (parsed)
        result.cues = parsed->cues();
    return result;
}

// Every form a real captions file uses reads as plain timed lines.
TEST(TimedTextTest, ReadsBothTimeFormsIdentifiersSpansAndSkipsNotesStylesAndRegions) {
    auto result = read(
        "\xEF\xBB\xBFWEBVTT - Chapter 14\r\nKind: captions\r\n\r\n"
        "NOTE written from the narration\r\n\r\n"
        "STYLE\r\n::cue { color: yellow }\r\n\r\n"
        "REGION\r\nid:bottom\r\n\r\n"
        "intro\r\n00:01.000 --> 00:03.500 align:center\r\n<v Narrator>Once, the <i>sky</i> "
        "&amp; the sea</v>\r\nwere one.\r\n\r\n"
        "01:00:02.250 --> 01:00:04.000\n<b>Mend</b> <u>it</u> &lt;now&gt;\n");
    EXPECT_TRUE(result.skipped.empty());
    ASSERT_EQ(result.cues.size(), 2u);
    EXPECT_DOUBLE_EQ(result.cues[0].start, 1.0);
    EXPECT_DOUBLE_EQ(result.cues[0].end, 3.5);
    EXPECT_EQ(result.cues[0].text, "Once, the sky & the sea\nwere one.");
    EXPECT_DOUBLE_EQ(result.cues[1].start, 3602.25);
    EXPECT_EQ(result.cues[1].text, "Mend it <now>");
}

TEST(TimedTextTest, EachBadCueIsSkippedOnceAndItsNeighboursStay) {
    const std::string tooLong(TimedText::kMaxCueBytes + 1, 'a');
    const struct {
        const char* name;
        std::string block;
    } cases[] = {
        {"reversed", "00:05.000 --> 00:04.000\nbackwards"},
        {"empty span", "00:05.000 --> 00:05.000\nnothing"},
        {"negative", "-00:01.000 --> 00:04.000\nbefore the start"},
        {"minutes out of range", "00:61.000 --> 01:02.000\nbad"},
        {"beyond a day", "24:00:00.000 --> 25:00:00.000\nlate"},
        {"no timing", "just words\nwith no time"},
        {"timing garbage", "00:01 --> soon\nwords"},
        {"too long", "00:06.000 --> 00:07.000\n" + tooLong},
    };
    for (const auto& c : cases) {
        auto result = read("WEBVTT\n\n00:01.000 --> 00:02.000\nbefore\n\n" + c.block +
                           "\n\n00:08.000 --> 00:09.000\nafter\n");
        EXPECT_EQ(result.skipped.size(), 1u) << c.name;
        ASSERT_EQ(result.cues.size(), 2u) << c.name;
        EXPECT_EQ(result.cues[0].text, "before") << c.name;
        EXPECT_EQ(result.cues[1].text, "after") << c.name;
    }
}

TEST(TimedTextTest, WhatIsNotWebVTTIsNoTimedTextAtAll) {
    const std::string notWebVTT[] = {"", std::string("\0\x01\x02\xff WEBVTT", 11),
                                     "WEBVTTX\n\n00:01.000 --> 00:02.000\nx",
                                     "1\n00:00:01,000 --> 00:00:02,000\nan SRT file\n"};
    for (const auto& text : notWebVTT)
        EXPECT_FALSE(TimedText::parseWebVTT(text).has_value()) << text;
}

// The shown text on the media's clock: a cue shows from its start up to its end, overlapping
// cues show together, and the line being sung is the one that started last.
TEST(TimedTextTest, CuesShowFromTheirStartUpToTheirEnd) {
    auto text = TimedText::parseWebVTT(
        "WEBVTT\n\n00:01.000 --> 00:03.000\nfirst\n\n00:02.000 --> 00:04.000\nsecond\n\n"
        "00:06.000 --> 00:07.000\nthird\n");
    ASSERT_TRUE(text);
    const struct {
        double at;
        const char* shown;
        const char* current;
        const char* next;
    } rows[] = {
        {0.0, "", nullptr, "first"},        {0.999, "", nullptr, "first"},
        {1.0, "first", "first", "second"},  {2.0, "first\nsecond", "second", "third"},
        {3.0, "second", "second", "third"}, {4.0, "", nullptr, "third"},
        {6.5, "third", "third", nullptr},   {7.0, "", nullptr, nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(text->textAt(row.at), row.shown) << row.at;
        auto current = text->currentAt(row.at);
        auto next = text->nextAfter(row.at);
        EXPECT_EQ(current ? current->text : "(none)", row.current ? row.current : "(none)")
            << row.at;
        EXPECT_EQ(next ? next->text : "(none)", row.next ? row.next : "(none)") << row.at;
    }
}

TEST(TimedTextTest, FilesBesideTheMediaByLanguageTagAndNothingOddOrOversized) {
    TempDirectory folder;
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(folder.path() / name, std::ios::binary) << text;
    };
    const std::string cue = "WEBVTT\n\n00:01.000 --> 00:02.000\nhello\n";
    for (const char* name :
         {"Mend the Sky.en.vtt", "Mend the Sky.pt-BR.vtt", "Mend the Sky..vtt",
          "Mend the Sky.e.vtt", "Mend the Sky.en_GB.vtt", "Mend the Sky.vtt", "Other.en.vtt"})
        write(name, cue);
    fs::create_symlink(folder.path() / "Other.en.vtt", folder.path() / "Mend the Sky.de.vtt");
    auto files = TimedText::filesBeside(folder.path() / "Mend the Sky.mp3");
    EXPECT_THAT(files, ::testing::ElementsAre(::testing::Key("en"), ::testing::Key("pt-BR")));
    EXPECT_EQ(TimedText::load(files["en"]).value_or(TimedText()).textAt(1.5), "hello");

    write("Big.en.vtt", cue + std::string(TimedText::kMaxFileBytes, '\n'));
    EXPECT_FALSE(TimedText::load(folder.path() / "Big.en.vtt"));
    EXPECT_FALSE(TimedText::load(folder.path() / "Mend the Sky.de.vtt"));
    EXPECT_FALSE(TimedText::load(folder.path() / "Missing.en.vtt"));
}

}  // namespace
