#include "backends/qt/media/QtVideoView.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

#include "backends/qt/media/QtNewestFrame.h"

quint64 QtVideoView::painted_ = 0;

QtVideoView::QtVideoView(QWidget* parent, std::shared_ptr<QtNewestFrame> frames)
    : QWidget(parent), frames_(std::move(frames)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    frames_->watch(this, [this] { frameArrived(); });
    frameArrived();
}

QtFrameCounts QtVideoView::frameCounts() {
    return {QtNewestFrame::arrived(), painted_};
}

void QtVideoView::frameArrived() {
    const QRect before = pictureRect();
    if (!take(frames_->newest()))
        return;
    // A frame of the same shape repaints only the picture: the controls over the black bands
    // beside it then stay as painted instead of being drawn again 30 times a second, which was
    // a fifth of the main thread's work while playing.
    const QRect after = pictureRect();
    update(after == before ? after : rect());
}

bool QtVideoView::take(const QtNewestFrame::Newest& newest) {
    if (!newest.frame || newest.number == number_)
        return false;
    number_ = newest.number;
    frameSize_ = newest.frame->size();
    pictureIsCurrent_ = false;
    return true;
}

QRect QtVideoView::pictureRect() const {
    if (frameSize_.isEmpty())
        return rect();
    QRect target(QPoint(0, 0), frameSize_.scaled(size(), Qt::KeepAspectRatio));
    target.moveCenter(rect().center());
    return target;
}

void QtVideoView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Whatever came since the last announcement is painted now rather than at the next one.
    const auto newest = frames_->newest();
    take(newest);
    if (!newest.frame) {
        painter.fillRect(event->rect(), Qt::black);
        return;
    }
    const QRect target = pictureRect();
    // Converted only when painted, so frames that are never shown cost nothing, and at the
    // size shown in device pixels, so a high-density screen stays sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
    if (!pictureIsCurrent_ || picture_.size() != pixels) {
        if (!pictureIsCurrent_)
            ++painted_;
        picture_ = scaler_.scaled(*newest.frame, pixels, std::move(picture_));
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
