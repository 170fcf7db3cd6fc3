#include <gtest/gtest.h>

#include <gst/video/video.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "backends/qt/media/QtVideoFrameScaler.h"
#include "backends/qt/media/QtVideoSample.h"

namespace {

struct Yuv {
    int y, u, v;
};
struct Rgb {
    int r, g, b;
};

// Standard colours as a video encoder writes them.
constexpr Yuv kRed709 = {63, 102, 240};
constexpr Yuv kBlue709 = {32, 240, 118};
// Greys away from black and white, where reading full range as video range would show.
constexpr Yuv kDarkGreyFull = {30, 128, 128};
constexpr Yuv kLightGreyFull = {225, 128, 128};
constexpr Yuv kGreen601 = {145, 54, 34};
constexpr Yuv kRed601 = {81, 90, 240};
constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kBlue = {0, 0, 255};
constexpr Rgb kGreen = {0, 255, 0};
constexpr Rgb kDarkGrey = {30, 30, 30};
constexpr Rgb kLightGrey = {225, 225, 225};

constexpr QSize kSmall(64, 32);
using Frame = std::shared_ptr<const QtVideoSample>;

// A frame of `format` as a decoder hands it over, its pixels written by `write`.
template <typename Write>
Frame gstFrame(GstVideoFormat format, GstVideoColorMatrix matrix, GstVideoColorRange range,
               QSize size, Write write) {
    gst_init(nullptr, nullptr);
    GstVideoInfo info;
    gst_video_info_set_format(&info, format, guint(size.width()), guint(size.height()));
    info.colorimetry.matrix = matrix;
    info.colorimetry.range = range;
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, info.size, nullptr);
    GstVideoFrame mapped;
    EXPECT_TRUE(gst_video_frame_map(&mapped, &info, buffer, GST_MAP_WRITE));
    write([&](int plane, int y) {
        return static_cast<uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&mapped, guint(plane))) +
               y * GST_VIDEO_FRAME_PLANE_STRIDE(&mapped, guint(plane));
    });
    gst_video_frame_unmap(&mapped);
    GstCaps* caps = gst_video_info_to_caps(&info);
    auto frame = QtVideoSample::take(gst_sample_new(buffer, caps, nullptr, nullptr));
    gst_caps_unref(caps);
    gst_buffer_unref(buffer);
    return frame;
}

// `left` beside `right` in `format`'s own planes, tagged as a decoder would tag them; an
// untagged matrix is left for GStreamer to read as it reads untagged caps.
Frame yuvFrame(GstVideoFormat format, Yuv left, Yuv right,
               GstVideoColorMatrix matrix = GST_VIDEO_COLOR_MATRIX_BT709,
               GstVideoColorRange range = GST_VIDEO_COLOR_RANGE_16_235, QSize size = kSmall) {
    auto at = [&](int x) { return x < size.width() / 2 ? left : right; };
    const int w = size.width(), h = size.height();
    return gstFrame(format, matrix, range, size, [&](auto row) {
        const bool packed = format == GST_VIDEO_FORMAT_UYVY || format == GST_VIDEO_FORMAT_YUY2;
        for (int y = 0; y < h && !packed; ++y)
            for (int x = 0; x < w; ++x)
                row(0, y)[x] = uchar(at(x).y);
        switch (format) {
            case GST_VIDEO_FORMAT_I420:
            case GST_VIDEO_FORMAT_YV12:
            case GST_VIDEO_FORMAT_NV12:
            case GST_VIDEO_FORMAT_NV21: {
                // U then V, in planes of their own or interleaved in one; YV12 and NV21 swap them.
                const bool vFirst =
                    format == GST_VIDEO_FORMAT_YV12 || format == GST_VIDEO_FORMAT_NV21;
                const bool interleaved =
                    format == GST_VIDEO_FORMAT_NV12 || format == GST_VIDEO_FORMAT_NV21;
                for (int y = 0; y < h / 2; ++y)
                    for (int x = 0; x < w / 2; ++x) {
                        uchar* first = row(1, y) + (interleaved ? 2 * x : x);
                        uchar* second = interleaved ? first + 1 : row(2, y) + x;
                        *(vFirst ? second : first) = uchar(at(2 * x).u);
                        *(vFirst ? first : second) = uchar(at(2 * x).v);
                    }
                break;
            }
            case GST_VIDEO_FORMAT_UYVY:
            case GST_VIDEO_FORMAT_YUY2:
                // Two bytes a pixel: its luma, and U or V of its pair by turns.
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        const int luma = format == GST_VIDEO_FORMAT_UYVY ? 1 : 0;
                        row(0, y)[2 * x + luma] = uchar(at(x).y);
                        row(0, y)[2 * x + 1 - luma] = uchar(x % 2 ? at(x - 1).v : at(x).u);
                    }
                break;
            default:
                ADD_FAILURE() << "no writer for this format";
        }
    });
}

// A packed RGB frame; `order` names the bytes of one pixel in memory, as the format does.
Frame rgbFrame(GstVideoFormat format, Rgb left, Rgb right, const std::string& order,
               QSize size = kSmall) {
    return gstFrame(format, GST_VIDEO_COLOR_MATRIX_RGB, GST_VIDEO_COLOR_RANGE_0_255, size,
                    [&](auto row) {
                        for (int y = 0; y < size.height(); ++y)
                            for (int x = 0; x < size.width(); ++x) {
                                const Rgb colour = x < size.width() / 2 ? left : right;
                                uchar* pixel = row(0, y) + 4 * x;
                                for (std::size_t i = 0; i < 4; ++i)
                                    pixel[i] = uchar(order[i] == 'R'   ? colour.r
                                                     : order[i] == 'G' ? colour.g
                                                     : order[i] == 'B' ? colour.b
                                                                       : 255);
                            }
                    });
}

void expectColour(const QImage& image, QPoint point, Rgb expected, const std::string& where) {
    const QRgb pixel = image.pixel(point);
    EXPECT_LE(std::max({std::abs(qRed(pixel) - expected.r), std::abs(qGreen(pixel) - expected.g),
                        std::abs(qBlue(pixel) - expected.b)}),
              10)
        << where << ": #" << std::hex << pixel;
}

}  // namespace

// Every layout a decoder hands over comes out in its true colours at the size asked for: a
// swapped chroma plane, a wrong matrix or range, or a misread packing shows as a wrong colour.
TEST(VideoFrameScalerTest, EachLayoutComesOutInItsColoursAtTheShownSize) {
    const auto bt709 = GST_VIDEO_COLOR_MATRIX_BT709, bt601 = GST_VIDEO_COLOR_MATRIX_BT601,
               untagged = GST_VIDEO_COLOR_MATRIX_UNKNOWN;
    const auto video = GST_VIDEO_COLOR_RANGE_16_235, full = GST_VIDEO_COLOR_RANGE_0_255;
    // A name, a frame, and the colours of its halves.
    const std::tuple<std::string, Frame, Rgb, Rgb> cases[] = {
        {"I420", yuvFrame(GST_VIDEO_FORMAT_I420, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"YV12", yuvFrame(GST_VIDEO_FORMAT_YV12, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"I420 full range",
         yuvFrame(GST_VIDEO_FORMAT_I420, kDarkGreyFull, kLightGreyFull, bt709, full), kDarkGrey,
         kLightGrey},
        {"NV12", yuvFrame(GST_VIDEO_FORMAT_NV12, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"NV21", yuvFrame(GST_VIDEO_FORMAT_NV21, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"UYVY BT.601", yuvFrame(GST_VIDEO_FORMAT_UYVY, kGreen601, kRed601, bt601, video), kGreen,
         kRed},
        {"YUY2 full range",
         yuvFrame(GST_VIDEO_FORMAT_YUY2, kDarkGreyFull, kLightGreyFull, bt709, full), kDarkGrey,
         kLightGrey},
        {"untagged HD is BT.709",
         yuvFrame(GST_VIDEO_FORMAT_NV12, kRed709, kBlue709, untagged, video, {64, 720}), kRed,
         kBlue},
        {"untagged SD is BT.601",
         yuvFrame(GST_VIDEO_FORMAT_NV12, kGreen601, kRed601, untagged, video), kGreen, kRed},
        {"BGRA", rgbFrame(GST_VIDEO_FORMAT_BGRA, kRed, kGreen, "BGRA"), kRed, kGreen},
        {"RGBx", rgbFrame(GST_VIDEO_FORMAT_RGBx, kBlue, kRed, "RGBX"), kBlue, kRed},
        {"ARGB", rgbFrame(GST_VIDEO_FORMAT_ARGB, kGreen, kBlue, "ARGB"), kGreen, kBlue},
    };
    // One scaler for every row, as for a whole chapter: none is drawn with the last one's setup.
    QtVideoFrameScaler scaler;
    for (const auto& [name, frame, left, right] : cases) {
        ASSERT_TRUE(frame) << name;
        const QSize shown = frame->size() / 2;
        const QImage image = scaler.scaled(*frame, shown);
        ASSERT_EQ(image.size(), shown) << name;
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << name;
        const int middle = shown.height() / 2;
        expectColour(image, {shown.width() / 4, middle}, left, name + ", left half");
        expectColour(image, {shown.width() * 3 / 4, middle}, right, name + ", right half");
    }
}

// A picture is written over for the next frame only if nothing else holds it, a grab say.
TEST(VideoFrameScalerTest, OnlyAPictureNothingElseHoldsIsWrittenOver) {
    const auto frameOf = [](Yuv colour) { return yuvFrame(GST_VIDEO_FORMAT_I420, colour, colour); };
    QtVideoFrameScaler scaler;
    const QImage held = scaler.scaled(*frameOf(kRed709), {32, 16});
    QImage second = scaler.scaled(*frameOf(kBlue709), {32, 16}, held);
    expectColour(held, {8, 8}, kRed, "the held picture");
    const uchar* pixels = second.constBits();
    const QImage third = scaler.scaled(*frameOf(kRed709), {32, 16}, std::move(second));
    EXPECT_EQ(third.constBits(), pixels);
    expectColour(third, {8, 8}, kRed, "the frame after, in the same picture");
}
