#include "backends/qt/media/QtVideoPipeline.h"

#include <gst/app/gstappsink.h>
#include <malloc.h>

#include <algorithm>
#include <iostream>
#include <utility>

#include "backends/qt/media/QtNewestFrame.h"
#include "backends/qt/media/QtVideoFrameScaler.h"

namespace {

// playbin's own flags (its header is not public): pictures, sound, and the sound's volume in
// software. No subtitles of the file's own (the player draws the chapter's captions itself),
// no deinterlacing or colour balance, which would add elements for nothing. The frames go to
// the pictures as the decoder writes them, in any layout the pictures convert: a converter
// between them held a frame more of its own (1.8 MB less at the peak of a 1080p chapter without
// it). Sound that goes nowhere is not converted either.
constexpr guint kVideo = 1u << 0, kAudio = 1u << 1, kSoftVolume = 1u << 4, kNativeAudio = 1u << 5,
                kNativeVideo = 1u << 6;
constexpr auto kPositionTickMs = 100;

GstFlowReturn sampleReady(GstAppSink* sink, gpointer frames) {
    static_cast<QtNewestFrame*>(frames)->put(gst_app_sink_pull_sample(sink));
    return GST_FLOW_OK;
}

GstFlowReturn prerollReady(GstAppSink* sink, gpointer frames) {
    static_cast<QtNewestFrame*>(frames)->put(gst_app_sink_pull_preroll(sink));
    return GST_FLOW_OK;
}

guint flagsFor(bool heard) {
    return kVideo | kAudio | kSoftVolume | kNativeVideo | (heard ? 0u : kNativeAudio);
}

GstElement* soundSink(bool heard) {
    if (heard)
        return gst_element_factory_make("autoaudiosink", nullptr);
    // Clocked, so that the pictures keep the sound's pace even where no one hears it.
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink)
        g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

}  // namespace

QtVideoPipeline::QtVideoPipeline(const std::string& uri, bool withSound,
                                 std::function<void()> ended)
    : frames_(std::make_shared<QtNewestFrame>()), ended_(std::move(ended)), withSound_(withSound) {
    positionTimer_.setInterval(kPositionTickMs);
    QObject::connect(&positionTimer_, &QTimer::timeout, &lifetime_,
                     [this] { notify(Change::position); });
    if (uri.empty())
        return;
    gst_init(nullptr, nullptr);
    playbin_ = gst_element_factory_make("playbin", nullptr);
    GstElement* pictures = gst_element_factory_make("appsink", nullptr);
    if (!playbin_ || !pictures) {
        std::cerr << "larkspire: video: GStreamer's playbin or appsink is missing\n";
        if (pictures)
            gst_object_unref(gst_object_ref_sink(pictures));
        if (playbin_)
            gst_object_unref(std::exchange(playbin_, nullptr));
        return;
    }
    GstCaps* caps = QtVideoFrameScaler::pictureCaps();
    // One frame waits in the sink at most, and none is kept once handed over.
    g_object_set(pictures, "caps", caps, "max-buffers", 1u, "enable-last-sample", FALSE, nullptr);
    gst_caps_unref(caps);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = sampleReady;
    callbacks.new_preroll = prerollReady;
    gst_app_sink_set_callbacks(GST_APP_SINK(pictures), &callbacks, frames_.get(), nullptr);
    g_object_set(playbin_, "uri", uri.c_str(), "flags", flagsFor(withSound_), "video-sink",
                 pictures, nullptr);
    if (GstElement* sound = soundSink(withSound_))
        g_object_set(playbin_, "audio-sink", sound, nullptr);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, &QtVideoPipeline::busMessage, this, nullptr);
    gst_object_unref(bus);
    // Opened and its first frame decoded at once, so that it shows paused and takes a position.
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
}

QtVideoPipeline::~QtVideoPipeline() {
    if (!playbin_)
        return;
    // Stops the streaming threads first: after this, nothing hands over a frame or a message.
    gst_element_set_state(playbin_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(playbin_);
    // The decoder's frames were freed into the allocator's arenas, which keep them: without
    // this, each chapter opened and closed left some 20 MB of a 1080p chapter's frames behind.
    ::malloc_trim(0);
}

// On whichever thread posts: what the player acts on goes to the main thread. One still queued
// when the pipeline goes is dropped with its lifetime object. A message the handler drops is
// its own to release: each holds a reference to the element that posted it, so one kept would
// keep the whole pipeline, its decoder's frames with it.
GstBusSyncReply QtVideoPipeline::busMessage(GstBus*, GstMessage* message, gpointer self) {
    std::shared_ptr<GstMessage> held(message, gst_message_unref);
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_ERROR:
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED: {
            auto* pipeline = static_cast<QtVideoPipeline*>(self);
            QMetaObject::invokeMethod(
                &pipeline->lifetime_, [pipeline, held] { pipeline->handle(held.get()); },
                Qt::QueuedConnection);
            break;
        }
        default:
            break;
    }
    return GST_BUS_DROP;
}

void QtVideoPipeline::handle(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE:
            settled();
            break;
        case GST_MESSAGE_DURATION_CHANGED:
            readDuration();
            break;
        case GST_MESSAGE_EOS:
            atEnd_ = true;
            // Held on its last frame, as a player that has stopped at the end shows it.
            gst_element_set_state(playbin_, GST_STATE_PAUSED);
            setWanted(Wanted::stopped);
            notify(Change::position);
            if (ended_)
                ended_();
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            std::cerr << "larkspire: video: " << (error ? error->message : "cannot play") << "\n";
            g_clear_error(&error);
            setWanted(Wanted::stopped);
            break;
        }
        default:
            break;
    }
}

void QtVideoPipeline::settled() {
    settled_ = true;
    seeking_.reset();
    readDuration();
    if (pending_)
        seek(*pending_);
    else if (resume_ && wanted_ == Wanted::playing)
        gst_element_set_state(playbin_, GST_STATE_PLAYING);
    if (!pending_ && !seeking_)
        resume_ = false;
    notify(Change::position);
}

void QtVideoPipeline::play() {
    if (!playbin_)
        return;
    // From the start again after the end, as a player does.
    if (atEnd_ && !pending_ && !seeking_)
        setPosition(0);
    atEnd_ = false;
    gst_element_set_state(playbin_, GST_STATE_PLAYING);
    positionTimer_.start();
    setWanted(Wanted::playing);
}

void QtVideoPipeline::pause() {
    if (!playbin_)
        return;
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
    positionTimer_.stop();
    setWanted(Wanted::paused);
    notify(Change::position);
}

void QtVideoPipeline::takeUpSound() {
    if (withSound_ || !playbin_)
        return;
    GstElement* sound = soundSink(true);
    if (!sound)
        return;
    withSound_ = true;
    // A sink is changed only while the pipeline is stopped; it then finds its place again
    // before it plays on.
    const qint64 at = position();
    gst_element_set_state(playbin_, GST_STATE_READY);
    // The desktop's output takes what it is given converted to what it plays.
    g_object_set(playbin_, "audio-sink", sound, "flags", flagsFor(true), nullptr);
    settled_ = false;
    seeking_.reset();
    pending_ = at;
    resume_ = true;
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
}

qint64 QtVideoPipeline::position() const {
    if (pending_)
        return *pending_;
    if (seeking_)
        return *seeking_;
    gint64 nanoseconds = 0;
    if (!playbin_ || !gst_element_query_position(playbin_, GST_FORMAT_TIME, &nanoseconds))
        return 0;
    return std::max<gint64>(nanoseconds, 0) / GST_MSECOND;
}

void QtVideoPipeline::setPosition(qint64 milliseconds) {
    if (!playbin_)
        return;
    milliseconds = std::max<qint64>(milliseconds, 0);
    atEnd_ = false;
    if (settled_)
        seek(milliseconds);
    else
        pending_ = milliseconds;
    notify(Change::position);
}

void QtVideoPipeline::seek(qint64 milliseconds) {
    pending_.reset();
    // A flushing seek settles again once the frame at the position is decoded.
    if (gst_element_seek_simple(playbin_, GST_FORMAT_TIME,
                                GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                                milliseconds * GST_MSECOND)) {
        settled_ = false;
        seeking_ = milliseconds;
    }
}

void QtVideoPipeline::readDuration() {
    gint64 nanoseconds = 0;
    if (!gst_element_query_duration(playbin_, GST_FORMAT_TIME, &nanoseconds) || nanoseconds <= 0)
        return;
    const qint64 milliseconds = nanoseconds / GST_MSECOND;
    if (milliseconds == duration_)
        return;
    duration_ = milliseconds;
    notify(Change::duration);
}

void QtVideoPipeline::setWanted(Wanted wanted) {
    if (wanted != Wanted::playing)
        positionTimer_.stop();
    if (wanted_ == wanted)
        return;
    wanted_ = wanted;
    notify(Change::state);
}

void QtVideoPipeline::observe(QObject* context, std::function<void(Change)> changed) {
    observers_.emplace_back(context, std::move(changed));
}

void QtVideoPipeline::notify(Change change) {
    std::erase_if(observers_, [](const auto& observer) { return observer.first.isNull(); });
    auto observers = observers_;
    for (const auto& [context, changed] : observers) {
        if (context)
            changed(change);
    }
}
