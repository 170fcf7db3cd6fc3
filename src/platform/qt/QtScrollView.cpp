#include "platform/qt/QtScrollView.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/qt/QtGuard.h"

namespace {

// Points scrolled by one notch of a mouse wheel.
constexpr double kPointsPerWheelNotch = 60.0;

}  // namespace

QtScrollView::QtScrollView(std::shared_ptr<UIScrollView> scrollView, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(scrollView), *this), content_(new QWidget(this)) {}

void QtScrollView::syncContent() {
    const UIScrollView& view = scrollView();
    double s = scale();
    const CGPoint& offset = view.contentOffset();
    double width = std::max(view.contentSize().width, view.frame().size.width);
    double height = std::max(view.contentSize().height, view.frame().size.height);
    content_->setGeometry(int(std::lround(-offset.x * s)), int(std::lround(-offset.y * s)),
                          int(std::lround(width * s)), int(std::lround(height * s)));
}

void QtScrollView::scrollBy(double dx, double dy) {
    UIScrollView& view = scrollView();
    double maxX = std::max(0.0, view.contentSize().width - view.frame().size.width);
    double maxY = std::max(0.0, view.contentSize().height - view.frame().size.height);
    CGPoint offset{std::clamp(view.contentOffset().x + dx, 0.0, maxX),
                   std::clamp(view.contentOffset().y + dy, 0.0, maxY)};
    if (offset == view.contentOffset())
        return;
    auto keep = view.shared_from_this();
    runGuarded([&] { view.setContentOffset(offset); });
}

void QtScrollView::wheelEvent(QWheelEvent* event) {
    double s = scale();
    QPointF delta;
    if (!event->pixelDelta().isNull())
        delta = QPointF(event->pixelDelta()) / s;
    else
        delta = QPointF(event->angleDelta()) / 120.0 * kPointsPerWheelNotch;
    scrollBy(-delta.x(), -delta.y());
    event->accept();
}

void QtScrollView::mousePressEvent(QMouseEvent* event) {
    dragging_ = event->button() == Qt::LeftButton;
    lastDragPosition_ = event->position();
    event->accept();
}

void QtScrollView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    // The content follows the finger.
    QPointF moved = (event->position() - lastDragPosition_) / scale();
    lastDragPosition_ = event->position();
    scrollBy(-moved.x(), -moved.y());
    event->accept();
}

void QtScrollView::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    event->accept();
}
