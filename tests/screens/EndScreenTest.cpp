#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "SimFixture.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIView.h"
#include "screens/TheEndViewController.h"

class EndScreenTest : public SimFixture {};

TEST_F(EndScreenTest, TheContentSizeIs1533By0AfterLoadWhateverTheLayoutGave) {
    std::ifstream shipped(std::string(LARKSPIRE_UI_DIR) + "/theend.json");
    std::string description((std::istreambuf_iterator<char>(shipped)), {});
    const std::regex contentSize(R"("contentSize": \[1533, 768\])");
    ASSERT_TRUE(std::regex_search(description, contentSize));

    for (const char* given : {R"("contentSize": [1533, 768])", R"("contentSize": [400, 2000])",
                              R"("contentSize": [0, 0])", R"("tag": 0)"}) {
        auto folder = scratch / "ui";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "storyboard.json")
            << R"({"initialScreen": "theend", "launchScreen": "theend", "screens": ["theend.json"]})";
        std::ofstream(folder / "theend.json")
            << std::regex_replace(description, contentSize, given);
        auto storyboard = Storyboard::load(folder.string());
        auto screen = std::dynamic_pointer_cast<TheEndViewController>(
            storyboard->instantiateViewControllerWithIdentifier("theend"));
        ASSERT_TRUE(screen);
        screen->loadViewIfNeeded();
        EXPECT_EQ(screen->Scroller.lock()->contentSize(), (CGSize{1533.0, 0.0})) << given;
    }
}
