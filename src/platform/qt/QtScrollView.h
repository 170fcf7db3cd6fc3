#pragma once

#include <QPointF>
#include <QWidget>

#include "platform/qt/QtViewPeer.h"

// A UIScrollView: the subviews sit on a content widget that moves by the
// scroll offset. Wheel and drag scroll through the view's own offset, so the
// view's layout pass (a fading mask, say) runs at every step.
class QtScrollView : public QWidget, public QtViewPeer {
public:
    QtScrollView(std::shared_ptr<UIScrollView> scrollView, QWidget* parent);

    QWidget& childContainer() override { return *content_; }
    // Scrolls by a distance in points, kept within the content.
    void scrollBy(double dx, double dy);

protected:
    void syncContent() override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    UIScrollView& scrollView() const { return static_cast<UIScrollView&>(*view()); }

    QWidget* content_;
    bool dragging_ = false;
    QPointF lastDragPosition_;
};
