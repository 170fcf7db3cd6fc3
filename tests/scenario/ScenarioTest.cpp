#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "SimFixture.h"
#include "platform/ui/UIView.h"
#include "scenario/ScenarioEngine.h"
#include "scenario/sim/SimScenarioDriver.h"

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

namespace {

struct ProcessRun {
    int status;
    std::vector<std::string> lines;
    std::string text;
};

// Runs the application binary through the shell, standard error folded into the output.
ProcessRun runLarkspire(const std::string& arguments) {
    std::string command = std::string(LARKSPIRE_BINARY) + " " + arguments + " 2>&1";
    ProcessRun run{-1, {}, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.text.append(buffer, n);
    int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(run.text);
    for (std::string line; std::getline(lines, line);)
        run.lines.push_back(line);
    return run;
}

std::string example(const std::string& name) {
    return std::string(LARKSPIRE_EXAMPLES_DIR) + "/" + name;
}

// The line right after `line`, or "" when there is none.
std::string lineAfter(const std::vector<std::string>& lines, const std::string& line) {
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == line)
            return lines[i + 1];
    }
    return "";
}

}  // namespace

TEST(ScenarioExamplesTest, TheChapter14ExamplePlaysTheChapterOnceItHasArrived) {
    ProcessRun run =
        runLarkspire("--headless --scenario " + example("chapter14-download.scenario"));
    ASSERT_EQ(run.status, 0) << run.text;
    // The debug log is printed as it is written, between the steps.
    EXPECT_EQ(lineAfter(run.lines, "> tap tag:1"), "\"Could not find resource LKSChapter14.mp4\"");
    EXPECT_EQ(lineAfter(run.lines, "> video finish"), "Video Finished");
    EXPECT_THAT(run.lines,
                IsSupersetOf({"| alert \"We won't be long!\" message \"Story downloading!\" "
                              "(UIAlertController)",
                              "|   action \"OK\" default", "|   progress #progressView 0.40",
                              "|   progress #progressView 1.00 hidden",
                              "| player LKSChapter13.mp4 playing over chapters (ViewController)",
                              "| player LKSChapter14.mp4 playing over chapters (ViewController)",
                              "|   button #chapter14 \"Chapter 14\" tag 1"}));
    EXPECT_EQ(run.lines.back(), "scenario passed: " + example("chapter14-download.scenario"));
}

TEST(ScenarioExamplesTest, TheGateExampleRefusesAWrongAnswerAndOpensTheLinksAfterARightOne) {
    std::ifstream script(example("gate-and-links.scenario"));
    ASSERT_TRUE(script);
    ProcessRun run = runLarkspire("--scenario - < " + example("gate-and-links.scenario"));
    ASSERT_EQ(run.status, 0) << run.text;
    EXPECT_THAT(run.lines, IsSupersetOf({
                               "| alert \"PARENTAL GATE: 12 x 7 = ?\" message \"\" "
                               "(UIAlertControllerParentalGate)",
                               "|   action \"OK\" default",
                               "|   action \"Cancel\" cancel",
                               "|   field \"\" placeholder \"Enter your answer\"",
                               "|   field \" 84\" placeholder \"Enter your answer\"",
                               "| alert \"Parental Gate Remains Active\" message \"Sorry you "
                               "entered the wrong answer\" (UIAlertController)",
                               "| alert \"Parental Gate Disabled\" message \"You now have full "
                               "access to the App\" (UIAlertController)",
                               "|   scroll #scroller (UIScrollView) offset 509,0 content 1533x0",
                           }));
    EXPECT_EQ(lineAfter(run.lines, "> tap facebook"), "| screen chapters (ViewController)");
    EXPECT_EQ(lineAfter(run.lines, "> tap homepage"), "| opened https://www.larkspire-stories.com");
    EXPECT_THAT(run.lines, Contains("| opened https://www.facebook.com/LarkspireStories"));
    EXPECT_THAT(run.lines, Contains("scenario passed: -"));
}

TEST(ScenarioExamplesTest, AFailedExpectationExitsNonZeroNamingTheScriptAndLine) {
    std::string path = ::testing::TempDir() + "/failing.scenario";
    std::ofstream(path) << "launch\n# the title screen\n  expect screen chapters  \nback\n";
    ProcessRun run = runLarkspire("--scenario " + path);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.lines, Contains(path + ":3: expect screen chapters"));
    EXPECT_THAT(run.lines, Contains("  failed: the visible screen is 'title' (UIViewController)"));
    EXPECT_THAT(run.lines, Not(Contains("> back")));
    EXPECT_THAT(run.text, Not(HasSubstr("scenario passed")));
}

TEST(ScenarioScriptTest, SplitsWordsWithQuotesEscapesAndComments) {
    EXPECT_THAT(splitScenarioLine("  tap   tag:1  "), ElementsAre("tap", "tag:1"));
    EXPECT_THAT(splitScenarioLine(R"(expect alert "We won't be long!" '"quoted"')"),
                ElementsAre("expect", "alert", "We won't be long!", "\"quoted\""));
    EXPECT_THAT(splitScenarioLine(R"(alert type "a\"b\\c" "" # answer)"),
                ElementsAre("alert", "type", "a\"b\\c", ""));
    EXPECT_THAT(splitScenarioLine("# a comment"), ElementsAre());
    EXPECT_THAT(splitScenarioLine("tap a#b"), ElementsAre("tap", "a#b"));
    for (const char* broken : {"tap \"open", "tap 'open", R"(tap "a\q")", R"(tap "a"b)"})
        EXPECT_THROW(splitScenarioLine(broken), ScenarioError) << broken;
}

class ScenarioEngineTest : public SimFixture {
protected:
    bool play(const std::string& text) {
        SimScenarioDriver driver(
            *sim, *resources, [this] { launchApplication(); }, out);
        ScenarioEngine engine(driver, out, errors);
        std::istringstream script(text);
        if (!engine.load(script, "inline"))
            return false;
        engine.start();
        return engine.passed();
    }
    std::ostringstream out;
    std::ostringstream errors;
};

TEST_F(ScenarioEngineTest, AScriptThatCannotRunHereIsRefusedBeforeAnythingRuns) {
    const std::pair<const char*, const char*> refused[] = {
        {"launch\nfly away\n", "inline: line 2: unknown step 'fly away'\n"},
        {"launch\ntap\n", "inline: line 2: usage: tap SELECTOR\n"},
        {"launch\ndownload Video soon\n",
         "inline: line 2: usage: download TAG fail CODE | download TAG finish | "
         "download TAG progress FRACTION | download TAG wait\n"},
        {"launch\ndownload Video wait\n",
         "inline: line 2: 'download Video wait' runs only on the Qt backend: download TAG wait\n"},
    };
    for (const auto& [script, error] : refused) {
        errors.str("");
        EXPECT_FALSE(play(script));
        EXPECT_EQ(errors.str(), error);
        EXPECT_EQ(out.str(), "") << "nothing runs before the whole script is read";
    }
}

TEST_F(ScenarioEngineTest, AnAlertActionsStyleIsCheckedAndOnlyAButtonCanBeTapped) {
    EXPECT_FALSE(
        play("launch\ngo theend\ntap facebook\nexpect actions OK default Cancel cancel\n"
             "expect actions OK cancel Cancel cancel\n"));
    EXPECT_THAT(errors.str(),
                HasSubstr("inline:5: expect actions OK cancel Cancel cancel\n"
                          "  failed: the alert's actions are \"OK\" default \"Cancel\" cancel"));
    restart();
    errors.str("");
    EXPECT_FALSE(play("launch\ngo chapters\ntap progressView\n"));
    EXPECT_THAT(errors.str(), HasSubstr("inline:3: tap progressView\n  failed: "));
}
