#include "platform/ui/UIView.h"

void UIView::changed() {
    if (peer_)
        peer_->viewDidChange(*this);
}

void UIView::setFrame(const CGRect& frame) {
    frame_ = frame;
    changed();
    setNeedsLayout();
}

void UIView::setHidden(bool hidden) {
    hidden_ = hidden;
    changed();
}

void UIView::setBackgroundColor(CGColor color) {
    background_ = color;
    changed();
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
    subviews_.push_back(view);
    view->superview_ = sharedFrom(this);
}

std::shared_ptr<UIView> UIView::viewWithTag(long long tag) {
    if (tag_ == tag)
        return sharedFrom(this);
    for (auto& subview : subviews_) {
        if (auto found = subview->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

std::shared_ptr<UIView> UIView::viewWithIdentifier(const std::string& identifier) {
    if (identifier_ == identifier)
        return sharedFrom(this);
    for (auto& subview : subviews_) {
        if (auto found = subview->viewWithIdentifier(identifier))
            return found;
    }
    return nullptr;
}

void UILabel::setText(LocalizedText text) {
    text_ = std::move(text);
    english_ = text_.english();
    changed();
}

void UIControl::addTarget(const std::shared_ptr<NSObject>& target,
                          std::function<void(NSObject&, UIView&)> action) {
    actions_.push_back({target, true, std::move(action), nullptr});
}

void UIControl::addHandler(std::function<void(UIView&)> handler) {
    actions_.push_back({{}, false, nullptr, std::move(handler)});
}

namespace {

const UIControl* gSending = nullptr;

}  // namespace

const UIControl* UIControl::sending() {
    return gSending;
}

void UIControl::sendActions() {
    if (!enabled_)
        return;
    auto self = sharedFrom(this);
    auto actions = actions_;
    // Restored however the actions end: a control's action may tap another.
    struct Sending {
        const UIControl* before = gSending;
        explicit Sending(const UIControl* now) { gSending = now; }
        ~Sending() { gSending = before; }
    } sending(this);
    for (auto& action : actions) {
        if (!action.hasTarget) {
            action.handler(*this);
        } else if (auto target = action.target.lock()) {
            action.call(*target, *this);
        }
    }
}

void UIControl::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void UIButton::setTitle(LocalizedText title) {
    title_ = std::move(title);
    english_ = title_.english();
    changed();
}

void UIButton::setSelected(bool selected) {
    if (selected == selected_)
        return;
    selected_ = selected;
    changed();
}

void UIProgressView::setProgress(float progress) {
    progress_ = progress < 0.0f ? 0.0f : (progress > 1.0f ? 1.0f : progress);
    changed();
}

void UITextField::setText(const std::string& text) {
    text_ = text;
    changed();
}

void UITextField::setPlaceholder(LocalizedText placeholder) {
    placeholder_ = std::move(placeholder);
    english_ = placeholder_.english();
    changed();
}

void UIScrollView::setContentSize(const CGSize& size) {
    contentSize_ = size;
    changed();
}

void UIScrollView::setContentOffset(const CGPoint& offset) {
    contentOffset_ = offset;
    changed();
    setNeedsLayout();
}

bool UIView::isShownInTree() const {
    for (const UIView* view = this; view; view = view->superview().get()) {
        if (view->isHidden())
            return false;
    }
    return true;
}
