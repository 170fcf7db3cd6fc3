#pragma once

#include <QImage>
#include <QVideoFrame>
#include <QWidget>

#include "backends/qt/QtMedia.h"
#include "backends/qt/media/QtVideoFrameScaler.h"

class QVideoSink;

// Paints the newest frame of a video sink, fitted into the widget with its
// aspect kept, on black. Unlike a video widget with a window of its own, it
// scales with the stage, lies under the player's controls and shows in grabs.
class QtVideoView : public QWidget, public QtVideoPicture {
public:
    explicit QtVideoView(QWidget* parent);
    void setSink(QVideoSink* sink);
    QWidget& widget() override { return *this; }
    bool showsFrame() const override { return !picture_.isNull(); }
    QRect pictureRect() const override;

    // Of every video view of the process; a frame replaced before a paint is one the video sink
    // never counts as dropped. Main thread only.
    static QtFrameCounts frameCounts() { return counts_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVideoFrame frame_;
    // The newest frame as painted, kept for repaints that bring no new frame.
    QImage picture_;
    bool pictureIsCurrent_ = false;
    QtVideoFrameScaler scaler_;
    QMetaObject::Connection connection_;
    static QtFrameCounts counts_;
};
