#include "backends/qt/media/QtVideoFrameScaler.h"

#include <gst/video/video.h>
#include <libyuv.h>

#include <QSysInfo>
#include <cstddef>
#include <string>
#include <utility>

#include "backends/qt/media/QtVideoSample.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

// RGB32 as bytes in memory: what painting copies fastest. Alpha comes out opaque.
constexpr AVPixelFormat kPictureFormat =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

// GStreamer's layouts and libswscale's, both named by their bytes in memory, so the packed RGB
// formats map one to one. YV12 is 4:2:0 with its chroma planes swapped.
struct Layout {
    GstVideoFormat gst;
    AVPixelFormat sws;
};
constexpr Layout kLayouts[] = {
    {GST_VIDEO_FORMAT_I420, AV_PIX_FMT_YUV420P},
    {GST_VIDEO_FORMAT_YV12, AV_PIX_FMT_YUV420P},
    {GST_VIDEO_FORMAT_Y42B, AV_PIX_FMT_YUV422P},
    {GST_VIDEO_FORMAT_Y444, AV_PIX_FMT_YUV444P},
    {GST_VIDEO_FORMAT_NV12, AV_PIX_FMT_NV12},
    {GST_VIDEO_FORMAT_NV21, AV_PIX_FMT_NV21},
    {GST_VIDEO_FORMAT_UYVY, AV_PIX_FMT_UYVY422},
    {GST_VIDEO_FORMAT_YUY2, AV_PIX_FMT_YUYV422},
    {GST_VIDEO_FORMAT_I420_10LE, AV_PIX_FMT_YUV420P10LE},
    {GST_VIDEO_FORMAT_P010_10LE, AV_PIX_FMT_P010LE},
    {GST_VIDEO_FORMAT_GRAY8, AV_PIX_FMT_GRAY8},
    {GST_VIDEO_FORMAT_BGRx, AV_PIX_FMT_BGR0},
    {GST_VIDEO_FORMAT_BGRA, AV_PIX_FMT_BGR0},
    {GST_VIDEO_FORMAT_RGBx, AV_PIX_FMT_RGB0},
    {GST_VIDEO_FORMAT_RGBA, AV_PIX_FMT_RGB0},
    {GST_VIDEO_FORMAT_xRGB, AV_PIX_FMT_0RGB},
    {GST_VIDEO_FORMAT_ARGB, AV_PIX_FMT_0RGB},
    {GST_VIDEO_FORMAT_xBGR, AV_PIX_FMT_0BGR},
    {GST_VIDEO_FORMAT_ABGR, AV_PIX_FMT_0BGR},
};

AVPixelFormat sourceFormat(GstVideoFormat format) {
    for (const auto& layout : kLayouts) {
        if (layout.gst == format)
            return layout.sws;
    }
    return AV_PIX_FMT_NONE;
}

int coefficients(const GstVideoInfo& info) {
    switch (info.colorimetry.matrix) {
        case GST_VIDEO_COLOR_MATRIX_BT601:
            return SWS_CS_ITU601;
        case GST_VIDEO_COLOR_MATRIX_BT2020:
            return SWS_CS_BT2020;
        case GST_VIDEO_COLOR_MATRIX_BT709:
            return SWS_CS_ITU709;
        default:
            // Untagged video: high definition is almost always BT.709, standard definition BT.601.
            return GST_VIDEO_INFO_HEIGHT(&info) > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

}  // namespace

QtVideoFrameScaler::~QtVideoFrameScaler() {
    sws_freeContext(context_);
}

GstCaps* QtVideoFrameScaler::pictureCaps() {
    std::string formats;
    for (const auto& layout : kLayouts)
        formats +=
            std::string(formats.empty() ? "" : ", ") + gst_video_format_to_string(layout.gst);
    return gst_caps_from_string(("video/x-raw, format=(string){ " + formats + " }").c_str());
}

QImage QtVideoFrameScaler::scaled(const QtVideoSample& frame, QSize size, QImage previous) {
    const GstVideoInfo& info = frame.info();
    const AVPixelFormat source = sourceFormat(GST_VIDEO_INFO_FORMAT(&info));
    if (source == AV_PIX_FMT_NONE || size.isEmpty())
        return {};
    GstVideoFrame mapped;
    if (!gst_video_frame_map(&mapped, const_cast<GstVideoInfo*>(&info), frame.buffer(),
                             GST_MAP_READ))
        return {};

    Planes planes{frame.size(), {}, {}};
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&mapped) && plane < 4; ++plane) {
        planes.data[plane] =
            static_cast<const uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, plane));
        planes.strides[plane] = GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, plane);
    }
    if (GST_VIDEO_INFO_FORMAT(&info) == GST_VIDEO_FORMAT_YV12) {
        std::swap(planes.data[1], planes.data[2]);
        std::swap(planes.strides[1], planes.strides[2]);
    }
    // Written over when nothing else holds it, so a playing video keeps one picture rather than
    // making and faulting in a new one for every frame.
    QImage image = previous.size() == size && previous.format() == QImage::Format_RGB32 &&
                           previous.isDetached()
                       ? std::move(previous)
                       : QImage(size, QImage::Format_RGB32);
    const bool yuv = GST_VIDEO_INFO_IS_YUV(&info);
    const bool converted = (source != AV_PIX_FMT_YUV420P || resizePlanar(planes, size)) &&
                           convert(planes, source, yuv ? coefficients(info) : -1,
                                   info.colorimetry.range == GST_VIDEO_COLOR_RANGE_0_255, image);
    gst_video_frame_unmap(&mapped);
    return converted ? image : QImage();
}

bool QtVideoFrameScaler::resizePlanar(Planes& planes, QSize size) {
    if (planes.size == size)
        return true;
    const int width = size.width(), height = size.height();
    const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
    const std::size_t lumaBytes = std::size_t(width) * std::size_t(height);
    const std::size_t chromaBytes = std::size_t(chromaWidth) * std::size_t(chromaHeight);
    resized_.resize(lumaBytes + 2 * chromaBytes);
    uint8_t* y = resized_.data();
    uint8_t* u = y + lumaBytes;
    uint8_t* v = u + chromaBytes;
    if (libyuv::I420Scale(planes.data[0], planes.strides[0], planes.data[1], planes.strides[1],
                          planes.data[2], planes.strides[2], planes.size.width(),
                          planes.size.height(), y, width, u, chromaWidth, v, chromaWidth, width,
                          height, libyuv::kFilterBox) != 0)
        return false;
    planes = {size, {y, u, v, nullptr}, {width, chromaWidth, chromaWidth, 0}};
    return true;
}

bool QtVideoFrameScaler::convert(const Planes& planes, int source, int matrix, bool fullRange,
                                 QImage& image) {
    const auto pixelFormat = AVPixelFormat(source);
    context_ = sws_getCachedContext(context_, planes.size.width(), planes.size.height(),
                                    pixelFormat, image.width(), image.height(), kPictureFormat,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!context_) {
        setup_ = {};
        return false;
    }
    const Setup setup{planes.size, source, image.size(), matrix, fullRange ? 1 : 0};
    if (matrix >= 0 && setup != setup_) {
        const int* coefficients = sws_getCoefficients(setup.matrix);
        sws_setColorspaceDetails(context_, coefficients, setup.fullRange, coefficients, 1, 0,
                                 1 << 16, 1 << 16);
    }
    setup_ = setup;
    uint8_t* destination[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int destinationStrides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    return sws_scale(context_, planes.data, planes.strides, 0, planes.size.height(), destination,
                     destinationStrides) > 0;
}
