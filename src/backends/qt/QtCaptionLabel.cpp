#include "backends/qt/QtCaptionLabel.h"

#include <QPainter>

namespace {

const QColor kBoxColor(0, 0, 0, 170);

}  // namespace

void QtCaptionLabel::setCornerRadius(int radius) {
    if (radius != radius_) {
        radius_ = radius;
        update();
    }
}

void QtCaptionLabel::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const Drawn wanted{text(), (QSizeF(size()) * ratio).toSize(), font(),
                       palette().color(QPalette::WindowText), radius_};
    if (wanted != drawnFor_) {
        drawn_ = QImage(wanted.pixels, QImage::Format_ARGB32_Premultiplied);
        drawn_.setDevicePixelRatio(ratio);
        drawn_.fill(Qt::transparent);
        QPainter painter(&drawn_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kBoxColor);
        painter.drawRoundedRect(rect(), radius_, radius_);
        painter.setPen(wanted.color);
        painter.setFont(wanted.font);
        painter.drawText(contentsRect(), int(alignment()) | Qt::TextWordWrap, wanted.text);
        drawnFor_ = wanted;
    }
    QPainter(this).drawImage(0, 0, drawn_);
}
