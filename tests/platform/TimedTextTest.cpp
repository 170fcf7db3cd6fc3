#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDirectory.h"
#include "platform/media/TimedText.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

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

// The cues as "start-end text|" each, or their word times as "offset@seconds " each.
std::string summary(const std::vector<TimedTextCue>& cues, bool words = false) {
    std::ostringstream out;
    out.precision(12);
    for (const auto& cue : cues) {
        if (!words)
            out << cue.start << '-' << cue.end << ' ' << cue.text << '|';
        for (const auto& word : words ? cue.words : std::vector<TimedTextWord>())
            out << word.offset << '@' << word.seconds << ' ';
    }
    return out.str();
}

// How a file falls into cues: the header ends at a blank line or a timing line; a block ends at
// a blank line or at a timing line past its first two; a timing line takes the whitespace the
// format allows around its times, and anything after the end time is settings.
TEST(TimedTextTest, BlocksEndAtABlankLineOrTheNextTimingLine) {
    const struct {
        std::string file;
        const char* cues;
        std::size_t skips;
    } cases[] = {
        {"\xEF\xBB\xBFWEBVTT - Chapter 14\r\nKind: captions\r\n\r\nNOTE from the narration\r\n\r\n"
         "STYLE\r\n::cue { color: yellow }\r\n\r\nREGION\r\nid:bottom\r\n\r\nintro\r\n"
         "00:01.000 --> 00:03.500 align:center\r\n<v Narrator>the <i>sky</i></v>\r\nand sea\r\n"
         "\r\n01:00:02.250 --> 01:00:04.000\n<b>Mend</b>\n",
         "1-3.5 the sky\nand sea|3602.25-3604 Mend|", 0},
        {"WEBVTT\n00:01.000 --> 00:02.000\nright under\n", "1-2 right under|", 0},
        {"WEBVTT\nKind: captions\n00:01.000 --> 00:02.000\nx", "1-2 x|", 0},
        {"WEBVTT\n\n00:01.000 --> 00:02.000\none\n00:03.000 --> 00:04.000\ntwo", "1-2 one|3-4 two|",
         0},
        {"WEBVTT\n\n00:01.000 --> 00:02.000\none\nid\n00:03.000 --> 00:04.000\ntwo",
         "1-2 one\nid|3-4 two|", 0},
        {"WEBVTT\n\n00:01.000 --> 00:02.000\n00:03.000 --> 00:04.000\ntwo", "3-4 two|", 0},
        {"WEBVTT\n\n00:01 --> 00:02.000\n00:03.000 --> 00:04.000\ntwo", "3-4 two|", 1},
        {"WEBVTT\n\nid\nnot\n00:03.000 --> 00:04.000\ntwo", "3-4 two|", 1},
        {"WEBVTT\n\n00:01.000 --> 00:02.000\none\n \ntwo", "1-2 one\n \ntwo|", 0},
        {"WEBVTT\r00:01.000 --> 00:02.000\rone\r\ntwo\r\r00:03.000 --> 00:04.000\rx",
         "1-2 one\ntwo|3-4 x|", 0},
        {"WEBVTT\n\nNOTE a --> b\n\n00:01.000 --> 00:02.000\n\n00:03.000 --> 00:04.000\nx",
         "3-4 x|", 0},
        {"WEBVTT\n\n \t00:01.000\t-->\f00:02.500\nx", "1-2.5 x|", 0},
        {"WEBVTT\n\n\f00:01.000-->00:02.000 position:10% size:50%\nx", "1-2 x|", 0},
        {"WEBVTT\n\n00:01.000 --> 00:02.000\0line:0\nx"s, "1-2 x|", 0},
        {"WEBVTT\n\n00:01.000 --> 00:02.000align:start\nx", "1-2 x|", 0},
        {"WEBVTT\n\n1:00:01.000 --> 001:00:02.000\nx", "3601-3602 x|", 0},
        {"WEBVTT\n\n00:00:01.000 --> 00:02.001\nx", "1-2.001 x|", 0},
        {"WEBVTT\n\n23:59:59.500 --> 24:00:00.000\nx", "86399.5-86400 x|", 0},
    };
    for (const auto& c : cases) {
        auto result = read(c.file);
        EXPECT_EQ(summary(result.cues), c.cues) << c.file;
        EXPECT_EQ(result.skipped.size(), c.skips) << c.file;
    }
}

TEST(TimedTextTest, EachBadCueIsSkippedOnceAndItsNeighboursStay) {
    const std::string tooLong(TimedText::kMaxCueBytes + 1, 'a');
    std::string longOnceRead;
    while (longOnceRead.size() + 5 <= TimedText::kMaxCueBytes)
        longOnceRead += "&nGt;";
    const std::string blocks[] = {
        "00:05.000 --> 00:04.000\nbackwards",
        "00:05.000 --> 00:05.000\nnothing",
        "-00:01.000 --> 00:04.000\nbefore the start",
        "00:61.000 --> 01:02.000\nminutes out of range",
        "00:01.000 --> 00:01:60.000\nseconds out of range",
        "24:00:00.000 --> 24:00:00.001\nbeyond a day",
        "just words\nwith no time",
        "00:01 --> soon\nwords",
        "00:0:00.000 --> 00:02.000\nminutes of one digit",
        "00:000:00.000 --> 00:02.000\nminutes of three digits",
        "0:00.000 --> 00:02.000\nhours without minutes",
        "60:00.000 --> 60:00:01.000\nminutes past 59 are hours",
        "00:00.00 --> 00:02.000\ntwo digits of fraction",
        "00:01.000 --> 00:02.0001\nfour digits of fraction",
        "00:01.000 -> 00:02.000\na short arrow",
        "00:01,000 --> 00:02,000\ncommas",
        "00:06.000 --> 00:07.000\n" + tooLong,
        "00:06.000 --> 00:07.000\n" + longOnceRead,
    };
    for (const auto& block : blocks) {
        auto result = read("WEBVTT\n\n00:01.000 --> 00:02.000\nbefore\n\n" + block +
                           "\n\n00:08.000 --> 00:09.000\nafter\n");
        EXPECT_EQ(result.skipped.size(), 1u) << block;
        EXPECT_EQ(summary(result.cues), "1-2 before|8-9 after|") << block;
    }
}

// Cue text as shown: tags go and their text stays; references read as HTML reads them; bytes
// that are no UTF-8, and NUL, show as U+FFFD; each timestamp tag is a word time where it
// stood, and a cue whose word times do not run forward inside it keeps its text, sung whole.
TEST(TimedTextTest, CueTextShowsWhatTagsAndReferencesMeanAndWhenEachWordIsSung) {
    const struct {
        std::string payload;
        const char* shown;
        const char* words;
        std::size_t skips;
    } cases[] = {
        {"<c.loud>a</c> <v Ann>b</v> <lang en>c</lang> <ruby>d<rt>e</rt></ruby> <i>f</i><u>g</u>",
         "a b c de fg", "", 0},
        {"<v A&amp;B>hi</v> <v\nAnn>there</v> open <b", "hi there open ", "", 0},
        {"&copy; &eacute; &hellip; &CounterClockwiseContourIntegral;", "© é … ∳", "", 0},
        {"&amp &ampx &amp;lt; &notit; &hellip x &Amp;", "& &x &lt; ¬it; &hellip x &Amp;", "", 0},
        {"&#39;&#x27;&#X27;&#65&#x41g", "'''AAg", "", 0},
        {"&#0;|&#x110000;|&#xD800;|&#128;|&#x9F;|&#x81;", "\uFFFD|\uFFFD|\uFFFD|€|Ÿ|\u0081", "", 0},
        {"&lrm;&rlm;&nbsp;|&Tab;|&#32;", "\u200E\u200F\u00A0|\t| ", "", 0},
        {"& &# &#x; &; &<b>amp;</b> &am<i>p;", "& &# &#x; &; &amp; &amp;", "", 0},
        {"a\0b"s, "a\uFFFDb", "", 0},
        {" \tÅsa &amp; 日本\n  two\f\x01&lt;\x7f", " \tÅsa & 日本\n  two\f\x01<\x7f", "", 0},
        {"\xff&amp;\xc3 \xe2\x82 \xed\xa0\x80 \xf4\x90\x80\x80 \xe0\x80 \xc3\xa5",
         "\uFFFD&\uFFFD \uFFFD \uFFFD\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\uFFFD å", "", 0},
        {"Mend <00:02.000>the <00:00:03.500>sky", "Mend the sky", "5@2 9@3.5 ", 0},
        {"&copy;<00:02.000>x<b><00:02.001></b><00:08.999>", "©x", "2@2 3@2.001 3@8.999 ", 0},
        {"a<00:02.00>b<00:02.000 x>c<0:02.000>d< 00:03.000>e<00:04.000", "abcde", "5@4 ", 0},
        {"a<00:03.000>b<00:02.000>c", "abc", "", 1},
        {"a<00:03.000>b<00:03.000>c", "abc", "", 1},
        {"<00:01.000>a", "a", "", 1},
        {"<00:00.500>a", "a", "", 1},
        {"a<00:02.000>b<00:09.000>", "ab", "", 1},
        {"a<00:02.000>b<00:10.000>", "ab", "", 1},
        {"<00:00.500>a<00:00.400>b<00:10.000>", "ab", "", 1},
    };
    for (const auto& c : cases) {
        auto result = read("WEBVTT\n\n00:01.000 --> 00:09.000\n" + c.payload);
        ASSERT_EQ(result.cues.size(), 1u) << c.payload;
        EXPECT_EQ(result.cues[0].text, c.shown) << c.payload;
        EXPECT_EQ(summary(result.cues, true), c.words) << c.payload;
        EXPECT_EQ(result.skipped.size(), c.skips) << c.payload;
    }
}

TEST(TimedTextTest, WhatIsNotWebVTTIsNoTimedTextAtAll) {
    const std::string notWebVTT[] = {"",
                                     "\0\x01\x02\xff WEBVTT"s,
                                     "WEBVTTX\n\n00:01.000 --> 00:02.000\nx",
                                     "WEBVTT\f\n\n00:01.000 --> 00:02.000\nx",
                                     "webvtt\n",
                                     "\xEF\xBB\xBF\xEF\xBB\xBFWEBVTT\n",
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
