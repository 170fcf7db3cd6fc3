#pragma once

#include <gst/gst.h>

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backends/qt/QtMedia.h"

class QtNewestFrame;

// A chapter played through a GStreamer pipeline of its own: a playbin whose pictures end in a
// sink that hands each frame to the chapter's pictures as it is due, and whose sound goes to the
// desktop's output, or into a clocked sink that discards it where nothing can be heard. Every
// frame it holds is one the pictures or the decoder need: Qt Multimedia's player held two more
// in queues of its own, and its sink kept a copy of the last. Main thread only, but for the
// frames, which its streaming threads hand over.
class QtVideoPipeline : public QtPlayback {
public:
    // `uri` names the file; `ended` runs on the main thread when it has played to its end.
    QtVideoPipeline(const std::string& uri, bool withSound, std::function<void()> ended);
    ~QtVideoPipeline() override;
    QtVideoPipeline(const QtVideoPipeline&) = delete;
    QtVideoPipeline& operator=(const QtVideoPipeline&) = delete;

    void play();
    void pause();
    // Takes the sound up to the desktop's output, if it played into nothing.
    void takeUpSound();
    bool hasSound() const { return withSound_; }
    const std::shared_ptr<QtNewestFrame>& frames() const { return frames_; }

    bool playing() const override { return wanted_ == Wanted::playing; }
    bool paused() const override { return wanted_ == Wanted::paused; }
    qint64 position() const override;
    qint64 duration() const override { return duration_; }
    // A position set while the file is still being opened, or while an earlier one is being
    // found, is kept and taken as soon as it can be, the newest one winning.
    void setPosition(qint64 milliseconds) override;
    QObject& lifetime() override { return lifetime_; }
    void observe(QObject* context, std::function<void(Change)> changed) override;

private:
    enum class Wanted { stopped, paused, playing };

    static GstBusSyncReply busMessage(GstBus*, GstMessage* message, gpointer self);
    void handle(GstMessage* message);
    void settled();
    void seek(qint64 milliseconds);
    void setWanted(Wanted wanted);
    void notify(Change change);
    void readDuration();

    QObject lifetime_;
    QTimer positionTimer_;
    std::shared_ptr<QtNewestFrame> frames_;
    std::function<void()> ended_;
    GstElement* playbin_ = nullptr;
    bool withSound_;
    Wanted wanted_ = Wanted::stopped;
    // Whether the pipeline has settled since it was last set going or sent to a position: it
    // takes a new position only then.
    bool settled_ = false;
    bool atEnd_ = false;
    // Set going again once settled at its old position (the sound taken up meanwhile).
    bool resume_ = false;
    std::optional<qint64> pending_;
    // Where a position was sent and not yet reached: what the position reads meanwhile.
    std::optional<qint64> seeking_;
    qint64 duration_ = 0;
    std::vector<std::pair<QPointer<QObject>, std::function<void(Change)>>> observers_;
};
