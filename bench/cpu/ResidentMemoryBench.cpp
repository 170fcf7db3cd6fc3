// Resident memory of the application on the Qt backend after visiting every
// screen of the interface descriptions, playing chapter 13 to its end and
// playing a track for a few seconds. Reported, with no target.
#include <QApplication>
#include <algorithm>
#include <cstdio>

#include "BenchPlatform.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIViewController.h"

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    long beforePlatform = BenchPlatform::residentKiB();
    BenchPlatform platform;
    auto storyboard = UIApplication::sharedApplication().storyboard();
    auto root = platform.showRoot(storyboard->initialScreen());
    long firstScreen = BenchPlatform::residentKiB();

    for (const auto& [identifier, description] : storyboard->screens()) {
        if (identifier == storyboard->initialScreen() || identifier == storyboard->launchScreen())
            continue;
        platform.present(root, identifier);
        platform.run(0.3);
        root->dismissViewControllerAnimated(true, nullptr);
        platform.run(0.1);
    }

    auto chapters = platform.present(root, "chapters");
    const auto& log = platform.log();
    if (!platform.tap(chapters, "Chapter 13") ||
        !BenchPlatform::runUntil(
            [&] { return std::count(log.begin(), log.end(), "Video Finished") > 0; }, 30)) {
        std::fprintf(stderr, "chapter 13 did not play to its end\n");
        return 2;
    }
    root->dismissViewControllerAnimated(true, nullptr);

    auto music = platform.present(root, "music");
    if (!platform.tap(music, "Mend the Sky")) {
        std::fprintf(stderr, "the music screen has no track button\n");
        return 2;
    }
    platform.run(3.0);
    platform.tap(music, "Stop");
    root->dismissViewControllerAnimated(true, nullptr);
    platform.run(0.5);

    std::printf(
        "resident memory: %ld KiB with the QApplication, %ld KiB with the first screen,\n"
        "%ld KiB after every screen, chapter 13 and a track (peak %ld KiB)\n",
        beforePlatform, firstScreen, BenchPlatform::residentKiB(),
        BenchPlatform::peakResidentKiB());
    return 0;
}
