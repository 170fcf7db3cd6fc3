#include <gtest/gtest.h>

#include <set>

#include "SimFixture.h"
#include "app/AppDelegate.h"
#include "gate/LinkGuard.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIAlertController.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIView.h"

namespace {

void collectButtons(const std::shared_ptr<UIView>& view,
                    std::vector<std::shared_ptr<UIButton>>& out) {
    if (auto button = std::dynamic_pointer_cast<UIButton>(view))
        out.push_back(button);
    for (const auto& subview : view->subviews())
        collectButtons(subview, out);
}

}  // namespace

// Taps every button of every screen of the interface descriptions and
// answers whatever it brings up, every way it can be answered.
class LinkSweepTest : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        addBundledFile("LKSChapter13.mp4");
        addBundledFile("XmasDocumentary.mp4");
        addPackFile("Video", "LKSChapter14.mp4");
        resources->install("Video");
        UIApplication::sharedApplication().loadInterfaceDescriptions();
    }

    // Closes whatever the last tap presented, choosing the action at `choice`
    // of each alert (wrong answers typed into any field).
    void answerEverything(std::size_t choice) {
        for (int guard = 0; guard < 10; ++guard) {
            sim->runUntilIdle();
            if (auto alert = sim->visibleAlert()) {
                for (std::size_t f = 0; f < alert->textFields().size(); ++f)
                    sim->typeIntoAlertTextField("0", f);
                alert->chooseAction(std::min(choice, alert->actions().size() - 1));
            } else if (sim->visiblePlayer()) {
                sim->finishVideo();
            } else {
                return;
            }
        }
    }

    // Every button of every screen, tapped on a freshly shown screen.
    void sweep(std::size_t choice) {
        for (const auto& [identifier, description] :
             UIApplication::sharedApplication().storyboard()->screens()) {
            auto screen = showScreen(identifier);
            std::vector<std::shared_ptr<UIButton>> buttons;
            collectButtons(screen->view(), buttons);
            for (const auto& button : buttons) {
                sim->tap(button);
                answerEverything(choice);
                ++taps;
            }
        }
    }

    std::vector<std::string> opened() {
        std::vector<std::string> urls;
        for (const auto& request : UIApplication::sharedApplication().openURLRequests())
            urls.push_back(request.url);
        return urls;
    }

    int taps = 0;
};

TEST_F(LinkSweepTest, NothingOpensWhileTheGateIsUpWhateverIsTappedOrAnswered) {
    for (std::size_t choice : {0u, 1u}) {
        appDelegate->parentalGateEnabled = true;
        sweep(choice);
        EXPECT_TRUE(appDelegate->parentalGateEnabled);
    }
    EXPECT_GT(taps, 20);
    EXPECT_TRUE(opened().empty());
    EXPECT_TRUE(sim->openedURLs().empty());
}

TEST_F(LinkSweepTest, OnceTheGateIsDownOnlyTheTwoFixedAddressesEverOpen) {
    appDelegate->parentalGateEnabled = false;
    sweep(0);
    std::set<std::string> urls(sim->openedURLs().begin(), sim->openedURLs().end());
    EXPECT_EQ(urls, (std::set<std::string>{kSocialNetworkPageAddress, kHomepageAddress}));
    for (const auto& request : UIApplication::sharedApplication().openURLRequests()) {
        EXPECT_TRUE(request.options.empty());
        EXPECT_FALSE(request.hasCompletionHandler);
    }
}
