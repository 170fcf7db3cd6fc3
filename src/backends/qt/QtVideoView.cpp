#include "backends/qt/QtVideoView.h"

#include <QPainter>
#include <QVideoSink>

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
                update();
            });
    update();
}

void QtVideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isValid())
        return;
    QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(rect().center());
    // Converted only when painted, so frames that are never shown cost nothing, and at the
    // size shown in device pixels, so a high-density screen stays sharp.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(fitted) * ratio).toSize();
    if (!pictureIsCurrent_ || picture_.size() != pixels) {
        picture_ = scaler_.scaled(frame_, pixels);
        picture_.setDevicePixelRatio(ratio);
        pictureIsCurrent_ = true;
    }
    if (!picture_.isNull())
        painter.drawImage(target.topLeft(), picture_);
}
