#include "backends/qt/media/QtVideoView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QVideoSink>
#include <utility>

QtFrameCounts QtVideoView::counts_;

QtVideoView::QtVideoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtVideoView::setSink(QVideoSink* sink) {
    disconnect(connection_);
    frame_ = {};
    picture_ = {};
    pictureIsCurrent_ = false;
    if (sink)
        connection_ =
            connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
                const QRect before = pictureRect();
                frame_ = frame;
                pictureIsCurrent_ = false;
                counts_.arrived += frame.isValid();
                // A frame of the same shape repaints only the picture: the controls over the
                // black bands beside it then stay as painted instead of being drawn again 30
                // times a second, which was a fifth of the main thread's work while playing.
                const QRect after = pictureRect();
                update(after == before ? after : rect());
            });
    update();
}

QRect QtVideoView::pictureRect() const {
    if (!frame_.isValid())
        return rect();
    QRect target(QPoint(0, 0), frame_.size().scaled(size(), Qt::KeepAspectRatio));
    target.moveCenter(rect().center());
    return target;
}

void QtVideoView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!frame_.isValid()) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    QRect target = pictureRect();
    QSize fitted = target.size();
    // Converted only when painted, so frames that are never shown cost nothing, and at the
    // size shown in device pixels, so a high-density screen stays sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(fitted) * ratio).toSize();
    if (!pictureIsCurrent_ || picture_.size() != pixels) {
        if (!pictureIsCurrent_)
            ++counts_.painted;
        picture_ = scaler_.scaled(frame_, pixels, std::move(picture_));
        picture_.setDevicePixelRatio(ratio);
        pictureIsCurrent_ = true;
    }
    // Black only where the picture leaves the widget bare, so no pixel is painted twice.
    const QRegion bare = picture_.isNull() ? event->region() : event->region() - target;
    for (const QRect& band : bare)
        painter.fillRect(band, Qt::black);
    if (!picture_.isNull())
        painter.drawImage(target.topLeft(), picture_);
}
