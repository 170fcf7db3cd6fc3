#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>

#include "Process.h"
#include "TempDirectory.h"
#include "scenario/ScenarioScript.h"

namespace fs = std::filesystem;

namespace {

// The run command as a person without a display types it, in `language` when given; its output
// and error together.
ProcessResult runWithoutDisplay(const std::vector<std::string>& arguments,
                                const std::string& language) {
    std::vector<std::string> argv = {"env"};
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        argv.insert(argv.end(), {"-u", display});
    argv.insert(argv.end(), {"LANGUAGE=" + language, LARKSPIRE_BINARY});
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runProcess(argv);
}

// Steps that act get a screenshot each; checks do not.
std::size_t actingSteps(const std::string& script) {
    std::ifstream in(script);
    std::size_t count = 0;
    for (const auto& step : parseScenario(in))
        count += step.words[0] != "expect";
    return count;
}

// The share of pixels that differ from the most common colour.
double varied(const QImage& image) {
    std::map<QRgb, long> counts;
    long most = 0, total = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2, ++total)
            most = std::max(most, ++counts[image.pixel(x, y)]);
    return total ? 1.0 - double(most) / double(total) : 0.0;
}

}  // namespace

// In English, and in Arabic, right to left, as a family reading it takes the tour; the debug log
// stays English.
TEST(QtTourTest, WithoutADisplayTheRunCommandPlaysTheTourAndWritesAScreenshotOfEveryStep) {
    for (const std::string language : {"", "ar"}) {
        SCOPED_TRACE("LANGUAGE=" + language);
        TempDirectory scratch;
        auto run = runWithoutDisplay({"--screenshots", (scratch / "shots").string()}, language);
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find("tour passed"), std::string::npos) << run.output;
        // The media libraries' complaints about a missing sound device stay off the terminal.
        for (const char* chatter : {"ALSA lib ", "AL lib: ", "qt.multimedia"})
            EXPECT_EQ(run.output.find(chatter), std::string::npos) << run.output;
        // The debug log goes to standard output, line by line.
        EXPECT_NE(run.output.find("Video Finished\n"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("Ok Button Pressed\n"), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("No catalogue"), std::string::npos) << run.output;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(scratch / "shots"))
            files.push_back(entry.path());
        // The launch screen, then one per step that acts.
        EXPECT_EQ(files.size(), actingSteps(LARKSPIRE_TOUR_SCRIPT) + 1);
        for (const auto& file : files) {
            QImage image(QString::fromStdString(file.string()));
            EXPECT_EQ(image.size(), QSize(1024, 768)) << file;
            EXPECT_GT(varied(image), 0.01) << file << " is blank";
        }
    }
}
