#pragma once

#include <QGraphicsEffect>
#include <QImage>
#include <memory>

#include "platform/layers/CALayer.h"

class QPainter;

// Paints the alpha of a mask's layer tree in the mask's own coordinates, as
// CALayer::alphaAt reads it: each gradient layer fills its frame from its top
// edge to its bottom edge, plain layers add nothing of their own, and
// sublayers composite source-over, each clipped to its frame.
void paintLayerAlpha(QPainter& painter, const CALayer& layer);

// Draws a widget and its children through the mask of its view's layer.
class QtLayerMaskEffect : public QGraphicsEffect {
public:
    // `boundsOrigin` is the view's bounds origin (a scroll view's offset), in
    // whose coordinates the mask's frame lies; `scale` is pixels per point.
    void setMask(std::shared_ptr<CALayer> mask, CGPoint boundsOrigin, double scale);
    // The mask's alpha over a rectangle of the widget (in its logical pixels), as drawn.
    QImage maskImage(const QRect& rect, qreal devicePixelRatio) const;

protected:
    void draw(QPainter* painter) override;

private:
    std::shared_ptr<CALayer> mask_;
    CGPoint boundsOrigin_;
    double scale_ = 1.0;
};
