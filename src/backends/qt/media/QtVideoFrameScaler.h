#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

class QVideoFrame;
class QVideoFrameFormat;
struct SwsContext;

// Turns a video frame into the picture it is shown as, converted and scaled on the CPU. A
// 1080p chapter shown in a 1024-point window then costs a conversion at the shown size rather
// than at full size followed by a scaling, and no graphics context is made just to read a
// frame back. Planar 4:2:0, what the decoders give for every chapter, is resized with libyuv
// (shrunk, each shown pixel is the mean of those it covers) and then converted by libswscale
// at the shown size: two thirds of the time libswscale took doing both, its horizontal scaler
// waiting on gathered loads from a frame long out of the cache. Other layouts are converted
// and scaled by libswscale alone, and formats neither knows are handed to Qt's conversion.
class QtVideoFrameScaler {
public:
    QtVideoFrameScaler() = default;
    ~QtVideoFrameScaler();
    QtVideoFrameScaler(const QtVideoFrameScaler&) = delete;
    QtVideoFrameScaler& operator=(const QtVideoFrameScaler&) = delete;

    // The frame at `size` (RGB32, opaque); a null image for an invalid frame or size. The
    // picture made for the previous frame is written over when it is handed back and nothing
    // else holds it.
    QImage scaled(const QVideoFrame& frame, QSize size, QImage previous = {});

private:
    // A frame's planes as libswscale takes them.
    struct Planes {
        QSize size;
        const uint8_t* data[4];
        int strides[4];
    };
    // Planar 4:2:0 resized to `size` in planes of its own; false if it could not be.
    bool resizePlanar(Planes& planes, QSize size);
    bool convert(const Planes& planes, int source, const QVideoFrameFormat& format, QImage& image);

    // The resized planes of the last planar frame, kept to be written over by the next.
    std::vector<uint8_t> resized_;

    // What the context was last set up for: its colour tables are built only when this changes.
    struct Setup {
        QSize from;
        int source = -1;
        QSize size;
        int matrix = -1, fullRange = -1;
        bool operator==(const Setup&) const = default;
    };

    SwsContext* context_ = nullptr;
    Setup setup_;
};
