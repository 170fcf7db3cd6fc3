#include "backends/qt/QtScrollView.h"

#include <QApplication>
#include <QScrollEvent>
#include <QScrollPrepareEvent>
#include <QScroller>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "backends/qt/QtGuard.h"

namespace {

// Points scrolled by one notch of a mouse wheel.
constexpr double kPointsPerWheelNotch = 60.0;

}  // namespace

QtScrollView::QtScrollView(std::shared_ptr<UIScrollView> scrollView, QWidget* parent)
    : QWidget(parent), QtViewPeer(std::move(scrollView), *this), content_(new QWidget(this)) {
    QScroller::grabGesture(this, QScroller::TouchGesture);
    QScroller::grabGesture(this, QScroller::LeftMouseButtonGesture);
    // No bounce past the ends: the content stops where the view's offset does.
    QScrollerProperties properties = QScroller::scroller(this)->scrollerProperties();
    for (auto policy : {QScrollerProperties::HorizontalOvershootPolicy,
                        QScrollerProperties::VerticalOvershootPolicy})
        properties.setScrollMetric(policy,
                                   QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    QScroller::scroller(this)->setScrollerProperties(properties);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* focused) { showFocused(focused); });
}

void QtScrollView::syncContent() {
    const UIScrollView& view = scrollView();
    double s = scale();
    const CGPoint& offset = view.contentOffset();
    double width = std::max(view.contentSize().width, view.frame().size.width);
    double height = std::max(view.contentSize().height, view.frame().size.height);
    content_->setGeometry(int(std::lround(-offset.x * s)), int(std::lround(-offset.y * s)),
                          int(std::lround(width * s)), int(std::lround(height * s)));
}

QPointF QtScrollView::maximumOffset() const {
    const UIScrollView& view = scrollView();
    return {std::max(0.0, view.contentSize().width - view.frame().size.width),
            std::max(0.0, view.contentSize().height - view.frame().size.height)};
}

void QtScrollView::scrollTo(QPointF offset) {
    UIScrollView& view = scrollView();
    QPointF most = maximumOffset();
    CGPoint clamped{std::clamp(offset.x(), 0.0, most.x()), std::clamp(offset.y(), 0.0, most.y())};
    if (clamped == view.contentOffset())
        return;
    auto keep = view.shared_from_this();
    runGuarded([&] { view.setContentOffset(clamped); });
}

void QtScrollView::scrollBy(double dx, double dy) {
    const CGPoint& offset = scrollView().contentOffset();
    scrollTo({offset.x + dx, offset.y + dy});
}

bool QtScrollView::event(QEvent* event) {
    // The kinetic scroller works in pixels of this widget; the view's offset is in points.
    double s = scale();
    if (event->type() == QEvent::ScrollPrepare) {
        auto* prepare = static_cast<QScrollPrepareEvent*>(event);
        const CGPoint& offset = scrollView().contentOffset();
        prepare->setViewportSize(size());
        prepare->setContentPosRange(QRectF(QPointF(0, 0), maximumOffset() * s));
        prepare->setContentPos(QPointF(offset.x, offset.y) * s);
        prepare->accept();
        return true;
    }
    if (event->type() == QEvent::Scroll) {
        scrollTo(static_cast<QScrollEvent*>(event)->contentPos() / s);
        return true;
    }
    return QWidget::event(event);
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

void QtScrollView::showFocused(QWidget* focused) {
    if (!focused || !content_->isAncestorOf(focused))
        return;
    // The smallest move that brings the whole button into the visible area.
    double s = scale();
    QPointF topLeft = QPointF(focused->mapTo(content_, QPoint(0, 0))) / s;
    QPointF bottomRight = topLeft + QPointF(focused->width(), focused->height()) / s;
    QPointF visible = QPointF(width(), height()) / s;
    const CGPoint& offset = scrollView().contentOffset();
    double x = std::min(std::max(offset.x, bottomRight.x() - visible.x()), topLeft.x());
    double y = std::min(std::max(offset.y, bottomRight.y() - visible.y()), topLeft.y());
    scrollTo({x, y});
}
