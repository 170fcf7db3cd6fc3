#include <gtest/gtest.h>

#include <unistd.h>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "scenario/ScenarioScript.h"

namespace fs = std::filesystem;

namespace {

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class QtTourTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        scratch = fs::temp_directory_path() / ("larkspire-tour-test-" + std::to_string(::getpid()) +
                                               "-" + std::to_string(random()));
        fs::create_directories(scratch);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    // The run command as a person without a display types it.
    ProcessResult runWithoutDisplay(const std::string& arguments) {
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                              std::string(LARKSPIRE_BINARY) + "' " + arguments + " > '" +
                              (scratch / "out").string() + "' 2> '" + (scratch / "err").string() +
                              "'";
        ProcessResult run;
        int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = readFile(scratch / "out");
        run.err = readFile(scratch / "err");
        return run;
    }

    fs::path scratch;
};

// Steps that act get a screenshot each; checks do not.
std::size_t actingSteps(const std::string& script) {
    std::ifstream in(script);
    std::size_t count = 0;
    for (const auto& step : parseScenario(in)) {
        if (step.words[0] != "expect")
            ++count;
    }
    return count;
}

// The share of pixels that differ from the most common colour.
double varied(const QImage& image) {
    std::map<QRgb, long> counts;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2)
            ++counts[image.pixel(x, y)];
    }
    long most = 0, total = 0;
    for (const auto& [colour, count] : counts) {
        most = std::max(most, count);
        total += count;
    }
    return total ? 1.0 - double(most) / double(total) : 0.0;
}

}  // namespace

TEST_F(QtTourTest, WithoutADisplayTheRunCommandPlaysTheTourAndWritesAScreenshotOfEveryStep) {
    fs::path screenshots = scratch / "screenshots";
    ProcessResult run = runWithoutDisplay("--screenshots '" + screenshots.string() + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tour passed"), std::string::npos) << run.err;
    // The media libraries' complaints about a missing sound device stay off the terminal.
    for (const char* chatter : {"ALSA lib ", "AL lib: ", "qt.multimedia"})
        EXPECT_EQ(run.err.find(chatter), std::string::npos) << run.err;
    // The debug log goes to standard output, line by line.
    EXPECT_NE(run.out.find("Video Finished\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ok Button Pressed\n"), std::string::npos) << run.out;

    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(screenshots))
        files.push_back(entry.path());
    // The launch screen, then one per step that acts.
    EXPECT_EQ(files.size(), actingSteps(LARKSPIRE_TOUR_SCRIPT) + 1);
    for (const auto& file : files) {
        QImage image(QString::fromStdString(file.string()));
        ASSERT_FALSE(image.isNull()) << file;
        EXPECT_EQ(image.size(), QSize(1024, 768)) << file;
        EXPECT_GT(varied(image), 0.01) << file << " is blank";
    }
}

TEST_F(QtTourTest, AFailingStepEndsTheTourWithItsLineAndAFailureStatus) {
    fs::path script = scratch / "broken.scenario";
    std::ofstream(script) << "launch\n# the title screen is first\nexpect screen music\n";
    ProcessResult run = runWithoutDisplay("--tour-script '" + script.string() +
                                          "' --screenshots '" + (scratch / "shots").string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(script.string() + ":3: expect screen music"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("timed out: the visible screen is 'title'"), std::string::npos)
        << run.err;
}

TEST_F(QtTourTest, AStepOnlyTheHeadlessBackendCanHonourIsRefusedBeforeTheApplicationStarts) {
    fs::path script = scratch / "forced.scenario";
    std::ofstream(script) << "launch\nvideo finish\n";
    ProcessResult run = runWithoutDisplay("--tour-script '" + script.string() +
                                          "' --screenshots '" + (scratch / "shots").string() + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("line 2: 'video finish' runs only on the headless backend"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_empty(scratch / "shots"));
}
