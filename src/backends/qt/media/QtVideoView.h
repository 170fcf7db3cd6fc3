#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "backends/qt/QtMedia.h"
#include "backends/qt/media/QtNewestFrame.h"
#include "backends/qt/media/QtVideoFrameScaler.h"

// Paints the newest frame of a chapter, fitted into the widget with its aspect kept, on black.
// Unlike a video widget with a window of its own, it scales with the stage, lies under the
// player's controls and shows in grabs.
class QtVideoView : public QWidget, public QtVideoPicture {
public:
    QtVideoView(QWidget* parent, std::shared_ptr<QtNewestFrame> frames);
    QWidget& widget() override { return *this; }
    bool showsFrame() const override { return !picture_.isNull(); }
    QRect pictureRect() const override;

    // Of every video view of the process; a frame replaced before a paint is one the player
    // never counts as dropped. Main thread only.
    static QtFrameCounts frameCounts();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void frameArrived();
    // Notes `newest` as the frame to paint; false if it is none or the one already noted.
    bool take(const QtNewestFrame::Newest& newest);

    std::shared_ptr<QtNewestFrame> frames_;
    quint64 number_ = 0;
    QSize frameSize_;
    // The newest frame as painted, kept for repaints that bring no new frame.
    QImage picture_;
    bool pictureIsCurrent_ = false;
    QtVideoFrameScaler scaler_;
    static quint64 painted_;
};
