#include "backends/qt/media/QtNewestFrame.h"

#include <algorithm>

std::atomic<quint64> QtNewestFrame::arrived_{0};

void QtNewestFrame::put(GstSample* sample) {
    auto frame = QtVideoSample::take(sample);
    if (!frame)
        return;
    {
        std::lock_guard lock(mutex_);
        // A paused chapter's first frame is handed over again as it starts to play.
        if (newest_.frame && newest_.frame->buffer() == frame->buffer())
            return;
        newest_ = {std::move(frame), newest_.number + 1};
        arrived_.fetch_add(1, std::memory_order_relaxed);
        if (announced_)
            return;
        announced_ = true;
    }
    QMetaObject::invokeMethod(
        &notifier_, [this] { announce(); }, Qt::QueuedConnection);
}

QtNewestFrame::Newest QtNewestFrame::newest() {
    std::lock_guard lock(mutex_);
    return newest_;
}

void QtNewestFrame::watch(QObject* context, std::function<void()> arrived) {
    watchers_.emplace_back(context, std::move(arrived));
}

void QtNewestFrame::announce() {
    {
        std::lock_guard lock(mutex_);
        announced_ = false;
    }
    std::erase_if(watchers_, [](const auto& watcher) { return watcher.first.isNull(); });
    // A watcher may add another.
    auto watchers = watchers_;
    for (const auto& [context, arrived] : watchers) {
        if (context)
            arrived();
    }
}
