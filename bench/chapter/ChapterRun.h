#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <vector>

#include "VideoSinkStats.h"

// The figures of one chapter played from the tap to its end, taken and printed the same way for
// the application and for its anchor, so that figures.sh reads both with one pattern. The time
// to the first frame is the median of several starts: one start alone swings by tens of ms.
class ChapterRun : public QObject {
public:
    // `showsFrame(object)`: whether `object`, just painted, now shows a frame of the video.
    explicit ChapterRun(std::function<bool(QObject*)> showsFrame);
    ~ChapterRun() override;

    // Call just before each tap that starts the chapter; the last one starts the timed run.
    void tapped();
    // Whether the chapter started by the last tap has shown its first frame.
    bool firstFrameShown() const { return firstFrameMs_ >= 0; }
    // Call once the chapter has ended; prints the figures under `who`.
    void ended(const char* who);

    // Resident memory now and at its peak, in KiB, from /proc/self/status.
    static long residentKiB();
    static long peakResidentKiB();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(QObject*)> showsFrame_;
    QElapsedTimer sinceTap_;
    double cpuAtTap_ = 0;
    double firstFrameMs_ = -1;
    std::vector<double> firstFrames_;  // of every start, in order
};
