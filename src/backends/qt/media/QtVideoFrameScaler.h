#pragma once

#include <gst/gst.h>

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

class QtVideoSample;
struct SwsContext;

// Turns a video frame into the picture it is shown as, converted and scaled on the CPU. A
// 1080p chapter shown in a 1024-point window then costs a conversion at the shown size rather
// than at full size followed by a scaling, and no graphics context is made just to read a
// frame back. Planar 4:2:0, what the decoders give for every chapter, is resized with libyuv
// (shrunk, each shown pixel is the mean of those it covers) and then converted by libswscale
// at the shown size: two thirds of the time libswscale took doing both, its horizontal scaler
// waiting on gathered loads from a frame long out of the cache. Other layouts are converted
// and scaled by libswscale alone; `pictureCaps()` names them all, so a player asks its decoders
// for nothing else.
class QtVideoFrameScaler {
public:
    QtVideoFrameScaler() = default;
    ~QtVideoFrameScaler();
    QtVideoFrameScaler(const QtVideoFrameScaler&) = delete;
    QtVideoFrameScaler& operator=(const QtVideoFrameScaler&) = delete;

    // The frame at `size` (RGB32, opaque); a null image for a frame it cannot read or an empty
    // size. The picture made for the previous frame is written over when it is handed back and
    // nothing else holds it.
    QImage scaled(const QtVideoSample& frame, QSize size, QImage previous = {});

    // The raw video layouts it converts, as GStreamer caps (the caller unrefs them).
    static GstCaps* pictureCaps();

private:
    // A frame's planes as libswscale takes them.
    struct Planes {
        QSize size;
        const uint8_t* data[4];
        int strides[4];
    };
    // Planar 4:2:0 resized to `size` in planes of its own; false if it could not be.
    bool resizePlanar(Planes& planes, QSize size);
    // `matrix` is one of libswscale's SWS_CS_* sets of coefficients.
    bool convert(const Planes& planes, int source, int matrix, bool fullRange, QImage& image);

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
