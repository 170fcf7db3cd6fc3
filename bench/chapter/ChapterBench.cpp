// The application plays a full-length chapter through its own chapter player: the chapters
// screen is shown, "Chapter 13" is tapped, and the chapter plays to its end in the player
// screen. Before that, it is started and left with Done a few times, for the time to its first
// frame. Prints its figures as ChapterRun does; bench_bare_chapter is its anchor.
//   bench_chapter VIDEO-FILE
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <cstdio>

#include "BenchPlatform.h"
#include "ChapterRun.h"
#include "VideoSinkStats.h"
#include "backends/qt/QtVideoView.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIViewController.h"

namespace {

constexpr int kStarts = 4;  // before the one played to its end

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
    if (argc != 2) {
        std::fputs("usage: bench_chapter VIDEO-FILE\n", stderr);
        return 2;
    }
    useOffscreenWithoutDisplay();
    VideoSinkStats::watch();
    QApplication application(argc, argv);
    BenchPlatform platform(argv[1]);
    auto storyboard = UIApplication::sharedApplication().storyboard();
    auto root = platform.showRoot(storyboard->initialScreen());
    auto chapters = platform.present(root, "chapters");
    BenchPlatform::run(1.0);

    ChapterRun run([](QObject* painted) {
        auto* view = dynamic_cast<QtVideoView*>(painted);
        return view && view->showsFrame();
    });
    const auto& log = platform.log();
    for (int start = 0; start < kStarts; ++start) {
        run.tapped();
        QPushButton* done = nullptr;
        if (!platform.tap(chapters, "Chapter 13") ||
            !BenchPlatform::runUntil([&] { return run.firstFrameShown(); }, 30) ||
            !(done = doneButton())) {
            std::fprintf(stderr, "the chapter did not start\n");
            return 2;
        }
        done->click();
        BenchPlatform::runUntil([] { return doneButton() == nullptr; }, 10);
        BenchPlatform::run(0.5);
    }
    run.tapped();
    if (!platform.tap(chapters, "Chapter 13") ||
        !BenchPlatform::runUntil(
            [&] { return std::count(log.begin(), log.end(), "Video Finished") > 0; }, 600)) {
        std::fprintf(stderr, "the chapter did not play to its end\n");
        return 2;
    }
    run.ended("application");
    return 0;
}
