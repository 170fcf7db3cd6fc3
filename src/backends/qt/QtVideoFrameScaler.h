#pragma once

#include <QImage>
#include <QSize>

class QVideoFrame;
struct SwsContext;

// Turns a video frame into the picture it is shown as, converted and scaled in
// one pass on the CPU. A 1080p chapter shown in a 1024-point window then costs
// a conversion at the shown size rather than at full size followed by a
// scaling, and no graphics context is made just to read a frame back. Formats
// it does not know are handed to Qt's own conversion.
class QtVideoFrameScaler {
public:
    QtVideoFrameScaler() = default;
    ~QtVideoFrameScaler();
    QtVideoFrameScaler(const QtVideoFrameScaler&) = delete;
    QtVideoFrameScaler& operator=(const QtVideoFrameScaler&) = delete;

    // The frame at `size` (RGB32, opaque); a null image for an invalid frame or size.
    QImage scaled(const QVideoFrame& frame, QSize size);

private:
    // What the context was last set up for: its colour tables are built only when this changes.
    struct Setup {
        int width = 0, height = 0, source = -1;
        QSize size;
        int matrix = -1, fullRange = -1;
        bool operator==(const Setup&) const = default;
    };

    SwsContext* context_ = nullptr;
    Setup setup_;
};
