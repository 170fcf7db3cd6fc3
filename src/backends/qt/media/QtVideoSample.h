#pragma once

#include <gst/gst.h>
#include <gst/video/video.h>

#include <QSize>
#include <memory>

// One decoded frame as GStreamer hands it over, with its layout read once from its caps. Holds
// the frame's memory for as long as it lives, so a picture keeps exactly the frames it may paint.
class QtVideoSample {
public:
    // Takes `sample`'s reference; an invalid sample (no caps, no buffer, caps that are not raw
    // video) makes none.
    static std::shared_ptr<const QtVideoSample> take(GstSample* sample);
    ~QtVideoSample() { gst_sample_unref(sample_); }
    QtVideoSample(const QtVideoSample&) = delete;
    QtVideoSample& operator=(const QtVideoSample&) = delete;

    const GstVideoInfo& info() const { return info_; }
    GstBuffer* buffer() const { return gst_sample_get_buffer(sample_); }
    QSize size() const { return {GST_VIDEO_INFO_WIDTH(&info_), GST_VIDEO_INFO_HEIGHT(&info_)}; }

private:
    QtVideoSample(GstSample* sample, const GstVideoInfo& info) : sample_(sample), info_(info) {}

    GstSample* sample_;
    GstVideoInfo info_;
};

inline std::shared_ptr<const QtVideoSample> QtVideoSample::take(GstSample* sample) {
    if (!sample)
        return nullptr;
    GstVideoInfo info;
    GstCaps* caps = gst_sample_get_caps(sample);
    if (!caps || !gst_sample_get_buffer(sample) || !gst_video_info_from_caps(&info, caps)) {
        gst_sample_unref(sample);
        return nullptr;
    }
    return std::shared_ptr<const QtVideoSample>(new QtVideoSample(sample, info));
}
