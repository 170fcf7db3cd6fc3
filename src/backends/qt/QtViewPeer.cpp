#include "backends/qt/QtViewPeer.h"

#include <QPalette>
#include <QWidget>
#include <cmath>

#include "backends/qt/QtLayerMaskEffect.h"
#include "backends/qt/QtStage.h"

QtViewPeer::QtViewPeer(std::shared_ptr<UIView> view, QWidget& widget)
    : view_(std::move(view)), widget_(widget) {
    view_->setPeer(this);
    view_->layer()->setMaskDidChange([this] { syncMask(); });
}

QtViewPeer::~QtViewPeer() {
    // A newer widget may have taken the view over; leave its hooks alone.
    if (view_->peer() == this) {
        view_->setPeer(nullptr);
        view_->layer()->setMaskDidChange(nullptr);
    }
}

QtViewPeer* QtViewPeer::peerOf(QWidget* widget) {
    return dynamic_cast<QtViewPeer*>(widget);
}

void QtViewPeer::viewDidChange(UIView&) {
    sync();
}

double QtViewPeer::scale() const {
    return QtStage::scaleAt(widget_.parentWidget());
}

QRect QtViewPeer::scaled(const CGRect& rect, double s) {
    int left = int(std::lround(rect.origin.x * s));
    int top = int(std::lround(rect.origin.y * s));
    int right = int(std::lround((rect.origin.x + rect.size.width) * s));
    int bottom = int(std::lround((rect.origin.y + rect.size.height) * s));
    return QRect(left, top, right - left, bottom - top);
}

double QtViewPeer::backdropWhite() const {
    for (auto v = view_; v; v = v->superview()) {
        if (v->backgroundColor().alpha >= 0.5)
            return v->backgroundColor().white;
    }
    return QtStage::kWhite;
}

CGRect QtViewPeer::placedFrame() const {
    CGRect frame = view_->frame();
    auto superview = view_->superview();
    if (!superview || widget_.layoutDirection() != Qt::RightToLeft)
        return frame;
    // Right to left, a screen is laid out from the right, as its reader looks at it; what
    // scrolls keeps its order, which its scrolling follows.
    for (auto above = superview; above; above = above->superview()) {
        if (std::dynamic_pointer_cast<UIScrollView>(above))
            return frame;
    }
    frame.origin.x = superview->frame().size.width - frame.origin.x - frame.size.width;
    return frame;
}

void QtViewPeer::sync() {
    widget_.setGeometry(scaled(placedFrame()));
    const CGColor& background = view_->backgroundColor();
    if (background.alpha > 0) {
        QPalette palette = widget_.palette();
        palette.setColor(QPalette::Window,
                         QColor::fromRgbF(float(background.white), float(background.white),
                                          float(background.white), float(background.alpha)));
        widget_.setPalette(palette);
    }
    widget_.setAutoFillBackground(background.alpha > 0);
    syncContent();
    syncMask();
    widget_.setVisible(!view_->isHidden());
}

void QtViewPeer::syncMask() {
    const auto& mask = view_->layer()->mask();
    if (!mask) {
        if (maskEffect_)
            widget_.setGraphicsEffect(nullptr);
        maskEffect_ = nullptr;
        return;
    }
    if (!maskEffect_) {
        maskEffect_ = new QtLayerMaskEffect();
        widget_.setGraphicsEffect(maskEffect_);
    }
    maskEffect_->setMask(mask, view_->bounds().origin, scale());
}

void QtViewPeer::syncTree(QWidget& root) {
    if (auto* peer = peerOf(&root))
        peer->sync();
    for (QWidget* child : root.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        syncTree(*child);
}
