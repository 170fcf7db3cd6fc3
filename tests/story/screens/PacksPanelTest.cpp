#include <gtest/gtest.h>

#include "SimFixture.h"
#include "backends/sim/SimResourceService.h"
#include "platform/foundation/NSError.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIViewController.h"

namespace {

using PacksPanelTest = SimFixture;

}  // namespace

// A parent who opens the panel after a failed download reads why in a few plain words, the
// same whatever the technical line the terminal got; the retry button stays.
TEST_F(PacksPanelTest, AFailedDownloadSaysWhyInAParentsWords) {
    using C = FailureCause;
    const struct {
        long code;
        FailureCause cause;
        const char* shown;
    } rows[] = {
        {LKSOnDemandNetworkError, C::unreachable, "The server could not be reached"},
        {LKSOnDemandNetworkError, C::connectionCut, "The connection was interrupted"},
        {LKSOnDemandNetworkError, C::tooSlow, "The connection is too slow"},
        {LKSOnDemandNetworkError, C::insecureServer, "The connection to the server is not secure"},
        {NSBundleOnDemandResourceInvalidTagError, C::notOnServer,
         "This server does not have these files"},
        {LKSOnDemandHTTPError, C::serverRefused, "The server refused the download"},
        {LKSOnDemandChecksumMismatchError, C::damagedDownload, "A downloaded file was damaged"},
        {LKSOnDemandUntrustedError, C::untrusted, "Not signed by a publisher this machine trusts"},
        {NSBundleOnDemandResourceOutOfSpaceError, C::noSpace, "Not enough space on this disk"},
        {LKSOnDemandStorageError, C::diskFailed, "This disk could not be written to"},
        {LKSOnDemandNetworkError, C::unknown, "Something went wrong"},
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
    // Without a cause of its own, an error says what its code stands for.
    ASSERT_TRUE(tapButton("videoButton"));
    resources->completeAll("Video", LKSOnDemandSizeMismatchError);
    settle();
    EXPECT_EQ(state->text(), "Could not download: A downloaded file was damaged");
}
