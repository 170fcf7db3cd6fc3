#include <gtest/gtest.h>

#include <optional>

#include "SimFixture.h"
#include "backends/sim/SimResourceService.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

namespace {

using PacksPanelTest = SimFixture;

}  // namespace

// A parent who opens the panel after a failed download reads why in a few plain words (each
// cause's words are the language test's), whatever technical line the terminal got; the retry
// button stays. An error without a cause of its own says what its code stands for.
TEST_F(PacksPanelTest, AFailedDownloadSaysWhyInAParentsWords) {
    const struct {
        long code;
        std::optional<FailureCause> cause;
        const char* shown;
    } rows[] = {
        {LKSOnDemandNetworkError, FailureCause::tooSlow, "The connection is too slow"},
        {LKSOnDemandNetworkError, FailureCause::unknown, "Something went wrong"},
        {LKSOnDemandNetworkError, std::nullopt, "The server could not be reached"},
        {LKSOnDemandSizeMismatchError, std::nullopt, "A downloaded file was damaged"},
        {NSBundleOnDemandResourceOutOfSpaceError, std::nullopt, "Not enough space on this disk"},
    };
    auto panel = showScreen("packs");
    auto state = std::dynamic_pointer_cast<UILabel>(panel->view()->viewWithTag(11));
    auto retry = std::dynamic_pointer_cast<UIButton>(panel->view()->viewWithTag(1));
    ASSERT_TRUE(state && retry);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shown);
        ASSERT_TRUE(tapButton("videoButton"));
        resources->completeAll("Video", row.code, row.cause);
        settle();
        EXPECT_EQ(state->text(), std::string("Could not download: ") + row.shown);
        EXPECT_EQ(retry->shownTitle().english(), "Retry chapters");
    }
}
