#pragma once

#include <QRect>
#include <memory>

#include "platform/ui/UIView.h"

class QWidget;
class QtLayerMaskEffect;

// What every widget standing for a UIView shares: it keeps its view alive, is
// told of the view's changes, and follows the view's frame (points times the
// screen's scale), visibility, background and layer mask.
class QtViewPeer : public UIViewPeer {
public:
    QtViewPeer(std::shared_ptr<UIView> view, QWidget& widget);
    ~QtViewPeer() override;
    QtViewPeer(const QtViewPeer&) = delete;
    QtViewPeer& operator=(const QtViewPeer&) = delete;

    const std::shared_ptr<UIView>& view() const { return view_; }
    QWidget& widget() const { return widget_; }
    // Where the widgets of the subviews go (a scroll view's moving content).
    virtual QWidget& childContainer() { return widget_; }

    void viewDidChange(UIView& view) override;
    // Reads every property of the view again.
    void sync();
    // Pixels per point of the screen the widget is on; 1 outside a screen.
    double scale() const;

    static QtViewPeer* peerOf(QWidget* widget);
    // Syncs a widget and every peer below it, after the scale changed.
    static void syncTree(QWidget& root);
    // The grey level behind the view's content: its own background or the nearest opaque one
    // above it; text takes the contrasting colour.
    double backdropWhite() const;

    // A frame in points as pixels at `scale`. Edges are rounded rather than sizes, so that
    // views that touch in points touch in pixels.
    static QRect scaled(const CGRect& rect, double scale);

protected:
    virtual void syncContent() {}
    QRect scaled(const CGRect& rect) const { return scaled(rect, scale()); }

private:
    void syncMask();
    // The view's frame as laid out in the window's direction.
    CGRect placedFrame() const;

    std::shared_ptr<UIView> view_;
    QWidget& widget_;
    QtLayerMaskEffect* maskEffect_ = nullptr;
};
