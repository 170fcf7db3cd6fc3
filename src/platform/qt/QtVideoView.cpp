#include "platform/qt/QtVideoView.h"

#include <QPainter>
#include <QVideoSink>

QtVideoView::QtVideoView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtVideoView::setSink(QVideoSink* sink) {
    disconnect(connection_);
    frame_ = {};
    if (sink)
        connection_ =
            connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
                frame_ = frame;
                update();
            });
    update();
}

void QtVideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isValid())
        return;
    // Converted only when painted, so frames that are never shown cost nothing.
    QImage image = frame_.toImage();
    if (image.isNull())
        return;
    QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(rect().center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}
