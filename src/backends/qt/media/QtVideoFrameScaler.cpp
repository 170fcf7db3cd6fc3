#include "backends/qt/media/QtVideoFrameScaler.h"

#include <libyuv.h>
#include <QSysInfo>
#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <cstddef>
#include <utility>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

// RGB32 as bytes in memory: what painting copies fastest. Alpha comes out opaque.
constexpr AVPixelFormat kPictureFormat =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

// The frame layouts named by their bytes in memory on both sides, so the
// packed RGB formats map one to one.
AVPixelFormat sourceFormat(QVideoFrameFormat::PixelFormat format) {
    switch (format) {
        case QVideoFrameFormat::Format_YUV420P:
        case QVideoFrameFormat::Format_YV12:
            return AV_PIX_FMT_YUV420P;
        case QVideoFrameFormat::Format_YUV422P:
            return AV_PIX_FMT_YUV422P;
        case QVideoFrameFormat::Format_NV12:
            return AV_PIX_FMT_NV12;
        case QVideoFrameFormat::Format_NV21:
            return AV_PIX_FMT_NV21;
        case QVideoFrameFormat::Format_UYVY:
            return AV_PIX_FMT_UYVY422;
        case QVideoFrameFormat::Format_YUYV:
            return AV_PIX_FMT_YUYV422;
        case QVideoFrameFormat::Format_P010:
            return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_P010LE : AV_PIX_FMT_P010BE;
        case QVideoFrameFormat::Format_P016:
            return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_P016LE : AV_PIX_FMT_P016BE;
        case QVideoFrameFormat::Format_YUV420P10:
            return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_YUV420P10LE
                                                   : AV_PIX_FMT_YUV420P10BE;
        case QVideoFrameFormat::Format_Y8:
            return AV_PIX_FMT_GRAY8;
        case QVideoFrameFormat::Format_BGRA8888:
        case QVideoFrameFormat::Format_BGRX8888:
            return AV_PIX_FMT_BGR0;
        case QVideoFrameFormat::Format_RGBA8888:
        case QVideoFrameFormat::Format_RGBX8888:
            return AV_PIX_FMT_RGB0;
        case QVideoFrameFormat::Format_ARGB8888:
        case QVideoFrameFormat::Format_XRGB8888:
            return AV_PIX_FMT_0RGB;
        case QVideoFrameFormat::Format_ABGR8888:
        case QVideoFrameFormat::Format_XBGR8888:
            return AV_PIX_FMT_0BGR;
        default:
            return AV_PIX_FMT_NONE;
    }
}

int coefficients(const QVideoFrameFormat& format) {
    switch (format.colorSpace()) {
        case QVideoFrameFormat::ColorSpace_BT601:
            return SWS_CS_ITU601;
        case QVideoFrameFormat::ColorSpace_BT2020:
            return SWS_CS_BT2020;
        case QVideoFrameFormat::ColorSpace_BT709:
            return SWS_CS_ITU709;
        default:
            // Untagged video: high definition is almost always BT.709, standard definition BT.601.
            return format.frameHeight() > 576 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
}

QImage qtConversion(const QVideoFrame& frame, QSize size) {
    QImage image = frame.toImage();
    if (image.isNull())
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QtVideoFrameScaler::~QtVideoFrameScaler() {
    sws_freeContext(context_);
}

QImage QtVideoFrameScaler::scaled(const QVideoFrame& frame, QSize size, QImage previous) {
    if (!frame.isValid() || size.isEmpty())
        return {};
    const QVideoFrameFormat format = frame.surfaceFormat();
    const AVPixelFormat source = sourceFormat(format.pixelFormat());
    if (source == AV_PIX_FMT_NONE)
        return qtConversion(frame, size);
    QVideoFrame mapped = frame;
    if (!mapped.map(QVideoFrame::ReadOnly))
        return qtConversion(frame, size);

    Planes planes{QSize(mapped.width(), mapped.height()), {}, {}};
    for (int plane = 0; plane < mapped.planeCount() && plane < 4; ++plane) {
        planes.data[plane] = mapped.bits(plane);
        planes.strides[plane] = mapped.bytesPerLine(plane);
    }
    // YV12 carries its chroma planes as V then U.
    if (format.pixelFormat() == QVideoFrameFormat::Format_YV12) {
        std::swap(planes.data[1], planes.data[2]);
        std::swap(planes.strides[1], planes.strides[2]);
    }
    // Written over when nothing else holds it, so a playing video keeps one picture rather than
    // making and faulting in a new one for every frame.
    QImage image = previous.size() == size && previous.format() == QImage::Format_RGB32 &&
                           previous.isDetached()
                       ? std::move(previous)
                       : QImage(size, QImage::Format_RGB32);
    const bool converted = (source != AV_PIX_FMT_YUV420P || resizePlanar(planes, size)) &&
                           convert(planes, source, format, image);
    mapped.unmap();
    return converted ? image : qtConversion(frame, size);
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

bool QtVideoFrameScaler::convert(const Planes& planes, int source, const QVideoFrameFormat& format,
                                 QImage& image) {
    const auto pixelFormat = AVPixelFormat(source);
    const bool yuv = pixelFormat != AV_PIX_FMT_BGR0 && pixelFormat != AV_PIX_FMT_RGB0 &&
                     pixelFormat != AV_PIX_FMT_0RGB && pixelFormat != AV_PIX_FMT_0BGR;
    context_ = sws_getCachedContext(context_, planes.size.width(), planes.size.height(),
                                    pixelFormat, image.width(), image.height(), kPictureFormat,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!context_) {
        setup_ = {};
        return false;
    }
    const Setup setup{planes.size, source, image.size(), yuv ? coefficients(format) : -1,
                      format.colorRange() == QVideoFrameFormat::ColorRange_Full ? 1 : 0};
    if (yuv && setup != setup_) {
        const int* matrix = sws_getCoefficients(setup.matrix);
        sws_setColorspaceDetails(context_, matrix, setup.fullRange, matrix, 1, 0, 1 << 16, 1 << 16);
    }
    setup_ = setup;
    uint8_t* destination[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int destinationStrides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    return sws_scale(context_, planes.data, planes.strides, 0, planes.size.height(), destination,
                     destinationStrides) > 0;
}
