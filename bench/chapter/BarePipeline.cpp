// The least a Qt Widgets program holds while it plays the chapter through GStreamer: a plain
// widget in a window of the application's size paints the newest frame of a playbin that
// ends in an appsink holding one frame, resized with libyuv's box filter and converted to RGB
// at the size shown, the sound decoded into a clocked fakesink. Its decoder decodes one frame
// at a time and its queues hold one frame each, as the application's do. No captions, no
// controls, no desktop services: anything a real player adds only holds more.
//   bench_bare_pipeline VIDEO-FILE
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <libyuv.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "backends/qt/media/QtFramesInFlight.h"

namespace {

class FrameView : public QWidget {
public:
    // On the appsink's streaming thread: the newest frame replaces one never painted.
    void take(GstSample* sample) {
        {
            std::lock_guard lock(mutex_);
            if (latest_)
                gst_sample_unref(latest_);
            latest_ = sample;
        }
        QMetaObject::invokeMethod(
            this, [this] { update(); }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        GstSample* sample = nullptr;
        {
            std::lock_guard lock(mutex_);
            std::swap(sample, latest_);
        }
        if (sample) {
            convert(sample);
            gst_sample_unref(sample);
        }
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!picture_.isNull())
            painter.drawImage((width() - picture_.width()) / 2, (height() - picture_.height()) / 2,
                              picture_);
    }

private:
    void convert(GstSample* sample) {
        GstVideoInfo info;
        GstVideoFrame frame;
        if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
            !gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ))
            return;
        const QSize shown = QSize(info.width, info.height).scaled(size(), Qt::KeepAspectRatio);
        const int w = shown.width() & ~1, h = shown.height() & ~1;
        y_.resize(std::size_t(w) * h);
        u_.resize(std::size_t(w / 2) * (h / 2));
        v_.resize(u_.size());
        auto plane = [&](int i) { return static_cast<const uint8_t*>(frame.data[i]); };
        libyuv::I420Scale(plane(0), frame.info.stride[0], plane(1), frame.info.stride[1], plane(2),
                          frame.info.stride[2], info.width, info.height, y_.data(), w, u_.data(),
                          w / 2, v_.data(), w / 2, w, h, libyuv::kFilterBox);
        gst_video_frame_unmap(&frame);
        if (picture_.size() != QSize(w, h))
            picture_ = QImage(w, h, QImage::Format_RGB32);
        libyuv::I420ToARGB(y_.data(), w, u_.data(), w / 2, v_.data(), w / 2, picture_.bits(),
                           int(picture_.bytesPerLine()), w, h);
    }

    std::mutex mutex_;
    GstSample* latest_ = nullptr;
    std::vector<uint8_t> y_, u_, v_;
    QImage picture_;
};

// The application's own limits, so that the floor moves with them.
void elementAdded(GstBin*, GstBin*, GstElement* element, gpointer) {
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "max-threads"))
        g_object_set(element, "max-threads", QtFramesInFlight::kDecoderThreads, nullptr);
    else if (std::strcmp(G_OBJECT_TYPE_NAME(element), "GstQueue") == 0)
        g_object_set(element, "max-size-bytes", guint(QtFramesInFlight::kQueueBytes), nullptr);
}

GstFlowReturn sampleReady(GstAppSink* sink, gpointer view) {
    static_cast<FrameView*>(view)->take(gst_app_sink_pull_sample(sink));
    return GST_FLOW_OK;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bench_bare_pipeline VIDEO-FILE\n", stderr);
        return 2;
    }
    gst_init(&argc, &argv);
    QApplication application(argc, argv);
    FrameView view;
    view.resize(1024, 768);
    view.show();

    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* video = gst_element_factory_make("appsink", nullptr);
    GstElement* sound = gst_element_factory_make("fakesink", nullptr);
    if (!playbin || !video || !sound) {
        std::fputs("bench_bare_pipeline: GStreamer's playbin, appsink or fakesink is missing\n",
                   stderr);
        return 2;
    }
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=I420");
    g_object_set(video, "caps", caps, "max-buffers", 1u, "enable-last-sample", FALSE, nullptr);
    gst_caps_unref(caps);
    g_object_set(sound, "sync", TRUE, nullptr);
    g_object_set(playbin, "video-sink", video, "audio-sink", sound, nullptr);
    g_signal_connect(playbin, "deep-element-added", G_CALLBACK(elementAdded), nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = sampleReady;
    gst_app_sink_set_callbacks(GST_APP_SINK(video), &callbacks, &view, nullptr);
    gchar* uri = gst_filename_to_uri(argv[1], nullptr);
    g_object_set(playbin, "uri", uri, nullptr);
    g_free(uri);

    int status = 0;
    GstBus* bus = gst_element_get_bus(playbin);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &view, [&] {
        while (GstMessage* message = gst_bus_pop(bus)) {
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError* error = nullptr;
                gst_message_parse_error(message, &error, nullptr);
                std::fprintf(stderr, "bench_bare_pipeline: %s\n", error->message);
                g_error_free(error);
                status = 1;
                application.quit();
            } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
                application.quit();
            }
            gst_message_unref(message);
        }
    });
    watch.start(50);
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    application.exec();
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(bus);
    gst_object_unref(playbin);
    return status;
}
