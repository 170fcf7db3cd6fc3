#pragma once

#include <QWidget>

#include "backends/qt/QtViewPeer.h"

// A UIScrollView: the subviews sit on a content widget that moves by the
// scroll offset. The wheel, and a flick of a finger or of the mouse (Qt's
// kinetic scroller), scroll through the view's own offset, so the view's
// layout pass (a fading mask, say) runs at every step. A button reached by
// the keyboard is scrolled into sight.
class QtScrollView : public QWidget, public QtViewPeer {
public:
    QtScrollView(std::shared_ptr<UIScrollView> scrollView, QWidget* parent);

    QWidget& childContainer() override { return *content_; }
    // Scrolls by a distance in points, kept within the content.
    void scrollBy(double dx, double dy);

protected:
    void syncContent() override;
    bool event(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    UIScrollView& scrollView() const { return static_cast<UIScrollView&>(*view()); }
    // The largest offset, in points.
    QPointF maximumOffset() const;
    void scrollTo(QPointF offset);
    void showFocused(QWidget* focused);

    QWidget* content_;
};
