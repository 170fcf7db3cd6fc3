#include "backends/qt/QtLayerMaskEffect.h"

#include <QPainter>
#include <cmath>

namespace {

// One sample of the gradient per device row, so that every pixel shows the
// alpha that alphaAtFraction gives at its centre.
void paintGradientAlpha(QPainter& painter, const CAGradientLayer& gradient, const CGRect& frame) {
    double deviceHeight = frame.size.height * std::abs(painter.deviceTransform().m22());
    int rows = std::max(1, int(std::ceil(deviceHeight)));
    QImage column(1, rows, QImage::Format_ARGB32_Premultiplied);
    for (int row = 0; row < rows; ++row) {
        double alpha = gradient.alphaAtFraction((row + 0.5) / rows);
        column.setPixel(0, row,
                        qRgba(0, 0, 0, int(std::lround(std::clamp(alpha, 0.0, 1.0) * 255))));
    }
    painter.drawImage(QRectF(0, 0, frame.size.width, frame.size.height), column);
}

}  // namespace

void paintLayerAlpha(QPainter& painter, const CALayer& layer) {
    if (auto* gradient = dynamic_cast<const CAGradientLayer*>(&layer))
        paintGradientAlpha(painter, *gradient, layer.frame());
    for (const auto& sublayer : layer.sublayers()) {
        const CGRect& frame = sublayer->frame();
        painter.save();
        painter.translate(frame.origin.x, frame.origin.y);
        painter.setClipRect(QRectF(0, 0, frame.size.width, frame.size.height), Qt::IntersectClip);
        paintLayerAlpha(painter, *sublayer);
        painter.restore();
    }
}

void QtLayerMaskEffect::setMask(std::shared_ptr<CALayer> mask, CGPoint boundsOrigin, double scale) {
    mask_ = std::move(mask);
    boundsOrigin_ = boundsOrigin;
    scale_ = scale;
    update();
}

QImage QtLayerMaskEffect::maskImage(const QRect& rect, qreal devicePixelRatio) const {
    QImage image(rect.size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    if (!mask_)
        return image;
    QPainter painter(&image);
    // Widget pixels to the layer's points (whose origin is the bounds origin), then to the
    // mask's own coordinates. Outside the mask's frame nothing shows.
    const CGRect& frame = mask_->frame();
    painter.translate(-rect.left(), -rect.top());
    painter.scale(scale_, scale_);
    painter.translate(frame.origin.x - boundsOrigin_.x, frame.origin.y - boundsOrigin_.y);
    painter.setClipRect(QRectF(0, 0, frame.size.width, frame.size.height));
    paintLayerAlpha(painter, *mask_);
    return image;
}

void QtLayerMaskEffect::draw(QPainter* painter) {
    if (!mask_) {
        drawSource(painter);
        return;
    }
    QPoint offset;
    QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    if (source.isNull())
        return;
    qreal ratio = source.devicePixelRatio();
    QImage content = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRect logical(offset, (QSizeF(source.size()) / ratio).toSize());
    QPainter masking(&content);
    masking.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    masking.drawImage(0, 0, maskImage(logical, ratio));
    masking.end();
    painter->drawImage(offset, content);
}
