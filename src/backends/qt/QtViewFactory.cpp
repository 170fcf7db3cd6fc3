#include "backends/qt/QtViewFactory.h"

#include "backends/qt/QtScrollView.h"
#include "backends/qt/QtViewWidgets.h"
#include "platform/media/UICaptionPreview.h"
#include "platform/media/UILyricsView.h"

namespace {

template <typename Peer, typename View>
QWidget* make(const std::shared_ptr<UIView>& view, QWidget* parent) {
    return new Peer(std::static_pointer_cast<View>(view), parent);
}

}  // namespace

QWidget* makeViewWidget(const std::shared_ptr<UIView>& view, QWidget* parent) {
    QWidget* widget;
    // Most derived first: a custom class of the descriptions is drawn as the platform class it
    // derives from.
    if (dynamic_cast<UIScrollView*>(view.get()))
        widget = make<QtScrollView, UIScrollView>(view, parent);
    else if (dynamic_cast<UITextField*>(view.get()))
        widget = make<QtTextField, UITextField>(view, parent);
    else if (dynamic_cast<UIButton*>(view.get()))
        widget = make<QtButton, UIButton>(view, parent);
    else if (dynamic_cast<UILabel*>(view.get()))
        widget = make<QtLabel, UILabel>(view, parent);
    else if (dynamic_cast<UIProgressView*>(view.get()))
        widget = make<QtProgressBar, UIProgressView>(view, parent);
    else if (dynamic_cast<UIImageView*>(view.get()))
        widget = make<QtImageView, UIImageView>(view, parent);
    else if (dynamic_cast<UICaptionPreview*>(view.get()))
        widget = make<QtCaptionPreview, UICaptionPreview>(view, parent);
    else if (dynamic_cast<UILyricsView*>(view.get()))
        widget = make<QtLyricsView, UILyricsView>(view, parent);
    else
        widget = new QtPlainView(view, parent);
    auto* peer = QtViewPeer::peerOf(widget);
    for (const auto& subview : view->subviews())
        makeViewWidget(subview, &peer->childContainer());
    peer->sync();
    return widget;
}
