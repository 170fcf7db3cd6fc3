#include <gtest/gtest.h>

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>

#include "backends/qt/media/QtVideoFrameScaler.h"

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

using Format = QVideoFrameFormat;
using enum QVideoFrameFormat::PixelFormat;

constexpr QSize kSmall(64, 32);

// `left` beside `right` in `pixelFormat`'s own planes, tagged as a decoder would tag them.
QVideoFrame yuvFrame(Format::PixelFormat pixelFormat, Yuv left, Yuv right, Format::ColorSpace space,
                     Format::ColorRange range, QSize size = kSmall) {
    Format format(size, pixelFormat);
    format.setColorSpace(space);
    format.setColorRange(range);
    QVideoFrame frame(format);
    EXPECT_TRUE(frame.map(QVideoFrame::WriteOnly));
    auto at = [&](int x) { return x < size.width() / 2 ? left : right; };
    auto row = [&](int plane, int y) { return frame.bits(plane) + y * frame.bytesPerLine(plane); };
    const int w = size.width(), h = size.height();
    const bool packed = pixelFormat == Format_UYVY || pixelFormat == Format_YUYV;
    for (int y = 0; y < h && !packed; ++y)
        for (int x = 0; x < w; ++x)
            row(0, y)[x] = uchar(at(x).y);
    switch (pixelFormat) {
        case Format_YUV420P:
        case Format_YV12:
        case Format_NV12:
        case Format_NV21: {
            // U then V, in planes of their own or interleaved in one; YV12 and NV21 swap them.
            const bool vFirst = pixelFormat == Format_YV12 || pixelFormat == Format_NV21;
            const bool interleaved = pixelFormat == Format_NV12 || pixelFormat == Format_NV21;
            for (int y = 0; y < h / 2; ++y)
                for (int x = 0; x < w / 2; ++x) {
                    uchar* first = row(1, y) + (interleaved ? 2 * x : x);
                    uchar* second = interleaved ? first + 1 : row(2, y) + x;
                    *(vFirst ? second : first) = uchar(at(2 * x).u);
                    *(vFirst ? first : second) = uchar(at(2 * x).v);
                }
            break;
        }
        case Format_UYVY:
        case Format_YUYV:
            // Two bytes a pixel: its luma, and U or V of its pair by turns.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int luma = pixelFormat == Format_UYVY ? 1 : 0;
                    row(0, y)[2 * x + luma] = uchar(at(x).y);
                    row(0, y)[2 * x + 1 - luma] = uchar(x % 2 ? at(x - 1).v : at(x).u);
                }
            break;
        default:
            ADD_FAILURE() << "no writer for this format";
    }
    frame.unmap();
    return frame;
}

// A packed RGB frame; `order` names the bytes of one pixel in memory, as the format does.
QVideoFrame rgbFrame(Format::PixelFormat pixelFormat, Rgb left, Rgb right, const std::string& order,
                     QSize size = kSmall) {
    QVideoFrame frame(Format(size, pixelFormat));
    EXPECT_TRUE(frame.map(QVideoFrame::WriteOnly));
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const Rgb colour = x < size.width() / 2 ? left : right;
            uchar* pixel = frame.bits(0) + y * frame.bytesPerLine(0) + 4 * x;
            for (int i = 0; i < 4; ++i) {
                const char channel = order[std::size_t(i)];
                pixel[i] = uchar(channel == 'R'   ? colour.r
                                 : channel == 'G' ? colour.g
                                 : channel == 'B' ? colour.b
                                                  : 255);
            }
        }
    frame.unmap();
    return frame;
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
    const auto bt709 = Format::ColorSpace_BT709, bt601 = Format::ColorSpace_BT601,
               untagged = Format::ColorSpace_Undefined;
    const auto video = Format::ColorRange_Video, full = Format::ColorRange_Full;
    // A name, a frame, and the colours of its halves.
    const std::tuple<std::string, QVideoFrame, Rgb, Rgb> cases[] = {
        {"YUV420P", yuvFrame(Format_YUV420P, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"YV12", yuvFrame(Format_YV12, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"YUV420P full range", yuvFrame(Format_YUV420P, kDarkGreyFull, kLightGreyFull, bt709, full),
         kDarkGrey, kLightGrey},
        {"NV12", yuvFrame(Format_NV12, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"NV21", yuvFrame(Format_NV21, kRed709, kBlue709, bt709, video), kRed, kBlue},
        {"UYVY BT.601", yuvFrame(Format_UYVY, kGreen601, kRed601, bt601, video), kGreen, kRed},
        {"YUYV full range", yuvFrame(Format_YUYV, kDarkGreyFull, kLightGreyFull, bt709, full),
         kDarkGrey, kLightGrey},
        {"untagged HD is BT.709",
         yuvFrame(Format_NV12, kRed709, kBlue709, untagged, video, {64, 720}), kRed, kBlue},
        {"untagged SD is BT.601", yuvFrame(Format_NV12, kGreen601, kRed601, untagged, video),
         kGreen, kRed},
        {"BGRA8888", rgbFrame(Format_BGRA8888, kRed, kGreen, "BGRA"), kRed, kGreen},
        {"RGBX8888", rgbFrame(Format_RGBX8888, kBlue, kRed, "RGBX"), kBlue, kRed},
        {"ARGB8888", rgbFrame(Format_ARGB8888, kGreen, kBlue, "ARGB"), kGreen, kBlue},
    };
    // One scaler for every row, as for a whole chapter: none is drawn with the last one's setup.
    QtVideoFrameScaler scaler;
    for (const auto& [name, frame, left, right] : cases) {
        const QSize shown(frame.width() / 2, frame.height() / 2);
        const QImage image = scaler.scaled(frame, shown);
        ASSERT_EQ(image.size(), shown) << name;
        EXPECT_EQ(image.format(), QImage::Format_RGB32) << name;
        const int middle = shown.height() / 2;
        expectColour(image, {shown.width() / 4, middle}, left, name + ", left half");
        expectColour(image, {shown.width() * 3 / 4, middle}, right, name + ", right half");
    }
}

// A picture is written over for the next frame only if nothing else holds it, a grab say.
TEST(VideoFrameScalerTest, OnlyAPictureNothingElseHoldsIsWrittenOver) {
    const auto frameOf = [](Yuv colour) {
        return yuvFrame(Format_YUV420P, colour, colour, Format::ColorSpace_BT709,
                        Format::ColorRange_Video);
    };
    QtVideoFrameScaler scaler;
    const QImage held = scaler.scaled(frameOf(kRed709), {32, 16});
    QImage second = scaler.scaled(frameOf(kBlue709), {32, 16}, held);
    expectColour(held, {8, 8}, kRed, "the held picture");
    const uchar* pixels = second.constBits();
    const QImage third = scaler.scaled(frameOf(kRed709), {32, 16}, std::move(second));
    EXPECT_EQ(third.constBits(), pixels);
    expectColour(third, {8, 8}, kRed, "the frame after, in the same picture");
}
