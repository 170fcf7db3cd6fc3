#pragma once

#include <QImage>
#include <QVideoFrame>
#include <QWidget>

#include "backends/qt/QtVideoFrameScaler.h"

class QVideoSink;

// Paints the newest frame of a video sink, fitted into the widget with its
// aspect kept, on black. Unlike a video widget with a window of its own, it
// scales with the stage, lies under the player's controls and shows in grabs.
class QtVideoView : public QWidget {
public:
    explicit QtVideoView(QWidget* parent);
    void setSink(QVideoSink* sink);
    // Whether a frame of the video has been painted (rather than only the black behind it).
    bool showsFrame() const { return !picture_.isNull(); }
    // Where the picture is painted: the frame fitted into the widget, or the whole widget
    // before the first frame.
    QRect pictureRect() const;

    // Frames that reached any video view of the process, and those of them painted; the others
    // were replaced by a newer frame before a paint came, which the video sink never counts as
    // dropped. Main thread only; the chapter benchmark reads them.
    struct FrameCounts {
        quint64 arrived = 0;
        quint64 painted = 0;
    };
    static FrameCounts frameCounts() { return counts_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVideoFrame frame_;
    // The newest frame as painted, kept for repaints that bring no new frame.
    QImage picture_;
    bool pictureIsCurrent_ = false;
    QtVideoFrameScaler scaler_;
    QMetaObject::Connection connection_;
    static FrameCounts counts_;
};
