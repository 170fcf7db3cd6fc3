#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Process.h"

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

namespace {

// Runs the application binary through the shell; its output lines, standard error included.
std::pair<int, std::vector<std::string>> runLarkspire(const std::string& arguments) {
    auto run = runProcess({"sh", "-c", std::string(LARKSPIRE_BINARY) + " " + arguments});
    std::vector<std::string> lines;
    std::istringstream text(run.output);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return {run.status, lines};
}

}  // namespace

TEST(ScenarioExamplesTest, AScriptFromStandardInputPrintsStepsLogAndInterface) {
    auto [status, lines] = runLarkspire("--headless --scenario - < " LARKSPIRE_EXAMPLES_DIR
                                        "/chapter14-download.scenario");
    ASSERT_EQ(status, 0) << ::testing::PrintToString(lines);
    // The debug log is printed as it is written, between the steps.
    for (const std::vector<std::string>& next :
         {std::vector<std::string>{"> tap tag:1", "\"Could not find resource LKSChapter14.mp4\""},
          {"> video finish", "Video Finished"}})
        EXPECT_NE(std::search(lines.begin(), lines.end(), next.begin(), next.end()), lines.end());
    EXPECT_THAT(lines,
                IsSupersetOf({"| alert \"We won't be long!\" message \"Story downloading!\" "
                              "(UIAlertController)",
                              "|   progress #progressView 1.00 hidden",
                              "| player LKSChapter14.mp4 playing over chapters (ViewController)",
                              "|   button #chapter14 \"Chapter 14\" tag 1"}));
    EXPECT_EQ(lines.back(), "scenario passed: -");
}

TEST(ScenarioExamplesTest, AFailedOrUnknownStepExitsNonZeroNamingTheScriptAndLine) {
    std::string path = ::testing::TempDir() + "/failing.scenario";
    std::ofstream(path) << "launch\n# the title screen\n  expect screen chapters  \nback\n";
    auto [status, lines] = runLarkspire("--scenario " + path + " 2>&1");
    EXPECT_EQ(status, 1);
    EXPECT_THAT(lines, Contains(path + ":3: expect screen chapters"));
    EXPECT_THAT(lines, Contains("  failed: the visible screen is 'title' (TitleViewController)"));
    EXPECT_THAT(lines, Not(Contains("> back")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("scenario passed"))));
    std::ofstream(path, std::ios::trunc) << "launch\nfly away\n";
    auto [refused, said] = runLarkspire("--scenario " + path + " 2>&1");
    EXPECT_NE(refused, 0);
    EXPECT_THAT(said, Contains(HasSubstr("line 2: unknown step 'fly away'")));
    EXPECT_THAT(said, Not(Contains("> launch"))) << "nothing runs before the whole script is read";
}
