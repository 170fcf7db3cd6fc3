#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "MusicScreenFixture.h"
#include "platform/foundation/DebugLog.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/sim/SimScenarioDriver.h"

namespace {

class MusicScenarioTest : public MusicScreenFixture {};

// The documented example must keep working as the screen changes.
TEST_F(MusicScenarioTest, TheMusicPlayerExamplePasses) {
    addAllSongs();
    std::ifstream script(LARKSPIRE_EXAMPLES_DIR "/music-player.scenario");
    ASSERT_TRUE(script) << "docs/examples/music-player.scenario cannot be read";

    std::ostringstream out;
    std::ostringstream errors;
    SimScenarioDriver driver(
        *sim, *resources, [this] { launchApplication(); }, out);
    ScenarioEngine engine(driver, out, errors);
    setDebugLogSink([&engine](const std::string& line) { engine.logLine(line); });
    ASSERT_TRUE(engine.load(script, "music-player.scenario")) << errors.str();
    engine.start();
    EXPECT_TRUE(engine.passed()) << errors.str() << "\n" << out.str();
    EXPECT_NE(out.str().find("label #trackPosition \"00:03\""), std::string::npos);
    EXPECT_EQ(playingPlayers(), 0);
    EXPECT_EQ(runningTimers(), 0);
}

}  // namespace
