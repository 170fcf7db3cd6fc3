// The application plays a full-length chapter through its own chapter player: the chapters
// screen is shown, "Chapter 13" is tapped, and the chapter plays to its end in the player
// screen. Before that, it is started and left with Done a few times, for the time to its first
// frame. Prints its figures as ChapterRun does; bench_bare_chapter is its anchor.
//   bench_chapter [--starts N] [--captions LANGUAGE] VIDEO-FILE
// --starts: how many starts come first (4 by default; 0 plays the chapter once, as another
// player would, for a measure of the whole process). --captions: shows the captions in that
// language, from the timed text beside VIDEO-FILE.
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchPlatform.h"
#include "ChapterRun.h"
#include "VideoSinkStats.h"
#include "backends/qt/media/QtVideoView.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIViewController.h"

namespace {

// The player screen's Done button while it is on screen.
QPushButton* doneButton() {
    for (QWidget* widget : QApplication::allWidgets()) {
        auto* button = qobject_cast<QPushButton*>(widget);
        if (button && button->text() == "Done" && button->isVisible())
            return button;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    int starts = 4;
    std::string captions;
    int argument = 1;
    for (; argument + 1 < argc && argv[argument][0] == '-'; argument += 2) {
        if (std::string(argv[argument]) == "--starts")
            starts = std::atoi(argv[argument + 1]);
        else if (std::string(argv[argument]) == "--captions")
            captions = argv[argument + 1];
        else
            break;
    }
    if (argument != argc - 1) {
        std::fputs("usage: bench_chapter [--starts N] [--captions LANGUAGE] VIDEO-FILE\n", stderr);
        return 2;
    }
    useOffscreenWithoutDisplay();
    VideoSinkStats::watch();
    QApplication application(argc, argv);
    BenchPlatform platform(argv[argument]);
    if (!captions.empty())
        platform.showCaptions(captions);
    auto storyboard = UIApplication::sharedApplication().storyboard();
    auto root = platform.showRoot(storyboard->initialScreen());
    auto chapters = platform.present(root, "chapters");
    BenchPlatform::run(1.0);

    ChapterRun run([](QObject* painted) {
        auto* view = dynamic_cast<QtVideoView*>(painted);
        return view && view->showsFrame();
    });
    const auto& log = platform.log();
    for (int start = 0; start < starts; ++start) {
        run.tapped();
        QPushButton* done = nullptr;
        if (!platform.tap(chapters, "Chapter 13") ||
            !BenchPlatform::runUntil([&] { return run.firstFrameShown(); }, 30) ||
            !(done = doneButton())) {
            std::fprintf(stderr, "the chapter did not start\n");
            for (const auto& line : log)
                std::fprintf(stderr, "log: %s\n", line.c_str());
            return 2;
        }
        done->click();
        BenchPlatform::runUntil([] { return doneButton() == nullptr; }, 10);
        BenchPlatform::run(0.5);
    }
    run.tapped();
    const QtFrameCounts before = QtVideoView::frameCounts();
    if (!platform.tap(chapters, "Chapter 13") ||
        !BenchPlatform::runUntil(
            [&] { return std::count(log.begin(), log.end(), "Video Finished") > 0; }, 600)) {
        std::fprintf(stderr, "the chapter did not play to its end\n");
        for (const auto& line : log)
            std::fprintf(stderr, "log: %s\n", line.c_str());
        return 2;
    }
    run.ended("application");
    const QtFrameCounts after = QtVideoView::frameCounts();
    const auto arrived = after.arrived - before.arrived;
    const auto painted = after.painted - before.painted;
    std::printf("painted: %llu of the %llu frames that reached the view, %llu replaced unpainted\n",
                static_cast<unsigned long long>(painted), static_cast<unsigned long long>(arrived),
                static_cast<unsigned long long>(arrived - painted));
    return 0;
}
