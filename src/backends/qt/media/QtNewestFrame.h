#pragma once

#include <gst/gst.h>

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "backends/qt/media/QtVideoSample.h"

// The newest frame of a chapter for its pictures: put on GStreamer's streaming thread, read on
// the main thread. A frame no picture has painted yet is replaced by a newer one, so a picture
// that falls behind leaves at most one frame waiting, never a queue of them.
class QtNewestFrame {
public:
    // Streaming thread; takes the sample's reference.
    void put(GstSample* sample);

    // Main thread. The newest frame put, numbered from 1 in the order they came: a picture holds
    // none of its own, so that a painted frame goes as soon as a newer one comes.
    struct Newest {
        std::shared_ptr<const QtVideoSample> frame;
        quint64 number = 0;
    };
    Newest newest();
    // Calls `arrived` on the main thread after frames were put, for as long as `context` lives.
    void watch(QObject* context, std::function<void()> arrived);

    // Frames put into any of the process's frames, the preroll's again excepted.
    static quint64 arrived() { return arrived_.load(std::memory_order_relaxed); }

private:
    void announce();

    std::mutex mutex_;
    Newest newest_;           // guarded by mutex_
    bool announced_ = false;  // guarded by mutex_
    // Lives on the main thread; an announcement still queued when it goes is dropped with it.
    QObject notifier_;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> watchers_;
    static std::atomic<quint64> arrived_;
};
