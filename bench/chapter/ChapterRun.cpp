#include "ChapterRun.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0)
            return std::atol(line.c_str() + field.size() + 1);
    }
    return -1;
}

}  // namespace

ChapterRun::ChapterRun(std::function<bool(QObject*)> showsFrame)
    : showsFrame_(std::move(showsFrame)) {
    QCoreApplication::instance()->installEventFilter(this);
}

ChapterRun::~ChapterRun() {
    QCoreApplication::instance()->removeEventFilter(this);
}

void ChapterRun::tapped() {
    if (firstFrameMs_ >= 0)
        firstFrames_.push_back(firstFrameMs_);
    firstFrameMs_ = -1;
    cpuAtTap_ = cpuSeconds();
    sinceTap_.start();
}

bool ChapterRun::eventFilter(QObject* watched, QEvent* event) {
    // A widget paints on Paint, a window of its own on UpdateRequest; either way the frame is
    // on screen once the event has been handled, so it is looked at just after.
    const bool painting = event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest;
    if (painting && firstFrameMs_ < 0 && sinceTap_.isValid()) {
        QPointer<QObject> object(watched);
        QTimer::singleShot(0, this, [this, object] {
            if (object && firstFrameMs_ < 0 && showsFrame_(object))
                firstFrameMs_ = double(sinceTap_.nsecsElapsed()) / 1e6;
        });
    }
    return false;
}

void ChapterRun::ended(const char* who) {
    const double wall = double(sinceTap_.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuAtTap_;
    const VideoSinkCounts frames = VideoSinkStats::counts();
    std::printf("%s: played %.1f s from the tap to the end\n", who, wall);
    std::printf("cpu: %.2f s, %.1f %% of one core\n", cpu, 100.0 * cpu / wall);
    std::printf("memory: %ld KiB resident at the end, peak %ld KiB\n", residentKiB(),
                peakResidentKiB());
    std::printf("frames: %llu rendered, %llu dropped (the video sink's statistics)\n",
                static_cast<unsigned long long>(frames.rendered),
                static_cast<unsigned long long>(frames.dropped));
    if (firstFrameMs_ >= 0)
        firstFrames_.push_back(firstFrameMs_);
    if (firstFrames_.empty()) {
        std::printf("first frame: never seen on screen\n");
    } else {
        std::vector<double> sorted = firstFrames_;
        std::sort(sorted.begin(), sorted.end());
        std::printf("first frame: %.1f ms after the tap, the median of %zu starts (",
                    sorted[sorted.size() / 2], sorted.size());
        for (std::size_t i = 0; i < firstFrames_.size(); ++i)
            std::printf("%s%.1f", i ? ", " : "", firstFrames_[i]);
        std::printf(" ms, the first one cold)\n");
    }
    std::fflush(stdout);
}

long ChapterRun::residentKiB() {
    return statusKiB("VmRSS");
}

long ChapterRun::peakResidentKiB() {
    return statusKiB("VmHWM");
}
