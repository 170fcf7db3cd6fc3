#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "SimFixture.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

using ::testing::AllOf;
using ::testing::HasSubstr;

class InterfaceDescriptionTest : public SimFixture {
protected:
    // The error a description is refused with, or "" when it is accepted.
    static std::string refusal(const std::string& text) {
        try {
            Storyboard::parseScreen(text, "broken.json");
        } catch (const InterfaceDescriptionError& error) {
            return error.what();
        }
        return "";
    }
};

TEST_F(InterfaceDescriptionTest, ABrokenScreenDescriptionIsRefusedNamingTheFileAndTheName) {
    const std::string progress = R"({"class": "UIProgressView", "outlet": "progressView"})";
    struct Case {
        std::string text;
        std::string name;
    };
    const Case cases[] = {
        {R"({"id": "x", "class": "StoryScreen", "view": {"class": "UIView"}})", "StoryScreen"},
        {R"({"id": "x", "class": "ViewController", "view": {"class": "UIView", "subviews": [)" +
             progress + R"(, {"class": "UILabel", "outlet": "chapterLabel"}]}})",
         "chapterLabel"},
        {R"({"id": "x", "class": "ViewController", "view": {"class": "UIView", "subviews": [)" +
             progress + R"(, {"class": "UIButton", "action": "playSong:"}]}})",
         "playSong:"},
        {R"({"id": "x", "class": "ViewController", "view": {"class": "UIView"}})", "progressView"},
        {R"({"id": "x", "class": "TheEndViewController", "view": {"class": "UIView"}})",
         "Scroller"},
        {R"({"id": "x", "class": "LotsMoreViewController", "view": {"class": "FadingView"}})",
         "FadingView"},
        {R"({"id": "x", "class": "ViewController", "view": {"class": "UIView", "subviews": [)" +
             progress + R"(, {"class": "UILabel", "action": "playChapter:"}]}})",
         "playChapter:"},
        {R"({"id": "x", "class": "ViewController", "view": )", "JSON"},
        {R"([1, 2, 3])", "object"},
    };
    for (const auto& c : cases) {
        std::string message;
        ASSERT_NO_FATAL_FAILURE(message = refusal(c.text));
        EXPECT_THAT(message, AllOf(HasSubstr("broken.json"), HasSubstr(c.name))) << c.text;
    }
}

TEST_F(InterfaceDescriptionTest, NavigationToAScreenThatIsNotDescribedIsRefused) {
    auto folder = scratch / "ui";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "storyboard.json")
        << R"({"initialScreen": "a", "launchScreen": "a", "screens": ["a.json"]})";
    std::ofstream(folder / "a.json") << R"({"id": "a", "class": "LotsMoreViewController",
        "view": {"class": "UIView", "subviews": [
          {"class": "UIButton", "title": "Onward", "navigate": "credits"}]}})";
    try {
        Storyboard::load(folder.string());
        FAIL() << "the description was accepted";
    } catch (const InterfaceDescriptionError& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr("a.json"), HasSubstr("credits")));
    }
}
