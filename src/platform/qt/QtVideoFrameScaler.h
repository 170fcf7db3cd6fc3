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
    SwsContext* context_ = nullptr;
};
