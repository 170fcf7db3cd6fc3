// CPU used while a track plays on the music screen with its position display
// running, over 30 s, as a share of one core (user and system time of the
// whole process, GStreamer's threads included). The sample tracks last about
// 10 s, so the reader picks the next one every 9 s, as one would. The songs' words are sung
// along on the screen as their timed text has them; an argument names a folder of packs to take
// them from instead of media/packs (the same songs with other timed text).
//
// Target: at most 3 % on average. The exit status is 1 when it is missed.
#include <sys/resource.h>
#include <QApplication>
#include <QLabel>

#include <chrono>
#include <cstdio>

#include "BenchPlatform.h"
#include "platform/media/AVAudioPlayer.h"
#include "platform/ui/UIView.h"
#include "story/music/MusicViewController.h"

namespace {

constexpr double kSeconds = 30.0;
constexpr double kTrackEvery = 9.0;
constexpr double kTarget = 3.0;

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    BenchPlatform platform({}, argc > 1 ? argv[1] : "");
    auto screen = std::dynamic_pointer_cast<MusicViewController>(platform.showRoot("music"));
    const char* tracks[] = {"Mend the Sky", "Bright Morning Rising", "Someday (Brief Return)",
                            "Adrift on Starlight (Adieu)"};
    // Loads the decoders once, outside the measurement, as a first song would have.
    platform.tap(screen, tracks[3]);
    platform.run(1.0);

    auto wallStart = std::chrono::steady_clock::now();
    double cpuStart = cpuSeconds();
    int picked = 0;
    for (double at = 0; at < kSeconds; at += kTrackEvery) {
        if (!platform.tap(screen, tracks[picked++ % 3])) {
            std::fprintf(stderr, "the music screen has no track button\n");
            return 2;
        }
        platform.run(std::min(kTrackEvery, kSeconds - at));
    }
    double cpu = cpuSeconds() - cpuStart;
    double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    auto position = screen->trackPositionLabel.lock();
    std::printf("played %d tracks over %.1f s; position shown last: %s; players playing: %zu\n",
                picked, wall, position ? position->text().c_str() : "?",
                AVAudioPlayer::playingCount());
    double percent = 100.0 * cpu / wall;
    std::printf("CPU %.2f s in %.1f s: %.2f %% of one core (target at most %.1f %%): %s\n", cpu,
                wall, percent, kTarget, percent <= kTarget ? "met" : "missed");
    return percent <= kTarget ? 0 : 1;
}
