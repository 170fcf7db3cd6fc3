#include "backends/qt/QtVideoView.h"

#include <QPainter>
#include <QVideoSink>

QtVideoView::FrameCounts QtVideoView::counts_;

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
                frame_ = frame;
                pictureIsCurrent_ = false;
                counts_.arrived += frame.isValid();
                update();
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

void QtVideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isValid())
        return;
    QRect target = pictureRect();
    QSize fitted = target.size();
    // Converted only when painted, so frames that are never shown cost nothing, and at the
    // size shown in device pixels, so a high-density screen stays sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(fitted) * ratio).toSize();
    if (!pictureIsCurrent_ || picture_.size() != pixels) {
        if (!pictureIsCurrent_)
            ++counts_.painted;
        picture_ = scaler_.scaled(frame_, pixels);
        picture_.setDevicePixelRatio(ratio);
        pictureIsCurrent_ = true;
    }
    if (!picture_.isNull())
        painter.drawImage(target.topLeft(), picture_);
}
