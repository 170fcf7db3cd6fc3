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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVideoFrame frame_;
    // The newest frame as painted, kept for repaints that bring no new frame.
    QImage picture_;
    bool pictureIsCurrent_ = false;
    QtVideoFrameScaler scaler_;
    QMetaObject::Connection connection_;
};
