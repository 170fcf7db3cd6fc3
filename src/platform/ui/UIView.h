#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/LocalizedText.h"
#include "platform/foundation/NSObject.h"
#include "platform/layers/CALayer.h"
#include "platform/layers/CoreGraphics.h"

class UIView;

// A backend's widget for a view, told about every change of the view.
class UIViewPeer {
public:
    virtual ~UIViewPeer() = default;
    virtual void viewDidChange(UIView& view) = 0;
};

class UIView : public NSObject {
public:
    UIView() : layer_(CALayer::layer()) {}

    // The class name of the interface description ("UIView", "UIButton", a custom class).
    virtual std::string className() const { return "UIView"; }

    const CGRect& frame() const { return frame_; }
    void setFrame(const CGRect& frame);
    // The visible rectangle in the view's own coordinates; its origin is the scroll offset.
    virtual CGRect bounds() const { return {{0, 0}, frame_.size}; }

    bool isHidden() const { return hidden_; }
    // Neither the view nor any view above it is hidden: what a reader could see.
    bool isShownInTree() const;
    void setHidden(bool hidden);
    long long tag() const { return tag_; }
    void setTag(long long tag) { tag_ = tag; }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    // Background grey level and alpha; alpha 0 is clear.
    const CGColor& backgroundColor() const { return background_; }
    void setBackgroundColor(CGColor color);

    const std::shared_ptr<CALayer>& layer() const { return layer_; }

    void addSubview(const std::shared_ptr<UIView>& view);
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    std::shared_ptr<UIView> superview() const { return superview_.lock(); }
    // Depth-first search of this view and its subviews.
    std::shared_ptr<UIView> viewWithTag(long long tag);
    std::shared_ptr<UIView> viewWithIdentifier(const std::string& identifier);

    // The platform's layout hook; runs after a change of frame or scroll offset.
    virtual void layoutSubviews() {}
    void setNeedsLayout() { layoutSubviews(); }

    void setPeer(UIViewPeer* peer) { peer_ = peer; }
    UIViewPeer* peer() const { return peer_; }

protected:
    void changed();

private:
    CGRect frame_;
    bool hidden_ = false;
    long long tag_ = 0;
    std::string identifier_;
    CGColor background_{1.0, 0.0};
    std::shared_ptr<CALayer> layer_;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::weak_ptr<UIView> superview_;
    UIViewPeer* peer_ = nullptr;
};

class UILabel : public UIView {
public:
    std::string className() const override { return "UILabel"; }
    // The text in English, as the story wrote it.
    const std::string& text() const { return english_; }
    // The text as a backend shows it: its format and arguments.
    const LocalizedText& shownText() const { return text_; }
    void setText(LocalizedText text);
    double fontSize() const { return fontSize_; }
    void setFontSize(double size) { fontSize_ = size; }
    // "left", "center" or "right".
    const std::string& alignment() const { return alignment_; }
    void setAlignment(std::string alignment) { alignment_ = std::move(alignment); }

private:
    LocalizedText text_;
    std::string english_;
    double fontSize_ = 17;
    std::string alignment_ = "left";
};

class UIControl : public UIView {
public:
    // Target-action: the target is held weakly, so a control never keeps its
    // screen alive.
    void addTarget(const std::shared_ptr<NSObject>& target,
                   std::function<void(NSObject& target, UIView& sender)> action);
    // Any handler, for navigation wired by the interface description.
    void addHandler(std::function<void(UIView& sender)> handler);
    // Runs every action, in the order added, as a tap does.
    void sendActions();
    // The control whose actions are running now, on the main thread, or none.
    static const UIControl* sending();
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

private:
    struct Action {
        std::weak_ptr<NSObject> target;
        bool hasTarget;
        std::function<void(NSObject&, UIView&)> call;
        std::function<void(UIView&)> handler;
    };
    std::vector<Action> actions_;
    bool enabled_ = true;
};

class UIButton : public UIControl {
public:
    std::string className() const override { return "UIButton"; }
    // The title in English, as the story wrote it, and as a backend shows it.
    const std::string& title() const { return english_; }
    const LocalizedText& shownTitle() const { return title_; }
    void setTitle(LocalizedText title);
    // A picture drawn with the title as its caption: a path in the interface folder or the
    // application's bundle, or empty.
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name) { imageName_ = std::move(name); }
    // The on-demand tag of what the button plays, when it is downloaded: its picture carries a
    // download mark until that pack is installed.
    const std::string& downloadTag() const { return downloadTag_; }
    void setDownloadTag(std::string tag) { downloadTag_ = std::move(tag); }
    // Marks what the button started while it lasts (the song playing), apart from the focus.
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    // What a backend's own controls may press the button for, as the interface description
    // says: back (its navigation goes back; Escape presses it), stop (it stops what plays; the
    // desktop's Stop and Pause press it).
    enum class Role { none, back, stop };
    Role role() const { return role_; }
    void setRole(Role role) { role_ = role; }

private:
    LocalizedText title_;
    std::string english_;
    std::string imageName_;
    std::string downloadTag_;
    bool selected_ = false;
    Role role_ = Role::none;
};

class UIProgressView : public UIView {
public:
    std::string className() const override { return "UIProgressView"; }
    float progress() const { return progress_; }
    void setProgress(float progress);

private:
    float progress_ = 0.0f;
};

class UIImageView : public UIView {
public:
    std::string className() const override { return "UIImageView"; }
    const std::string& imageName() const { return imageName_; }
    void setImageName(std::string name) { imageName_ = std::move(name); }

private:
    std::string imageName_;
};

class UITextField : public UIControl {
public:
    std::string className() const override { return "UITextField"; }
    // Empty, never absent, when nothing was typed.
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    const std::string& placeholder() const { return english_; }
    const LocalizedText& shownPlaceholder() const { return placeholder_; }
    void setPlaceholder(LocalizedText placeholder);

private:
    std::string text_;
    LocalizedText placeholder_;
    std::string english_;
};

class UIScrollView : public UIView {
public:
    std::string className() const override { return "UIScrollView"; }
    CGRect bounds() const override { return {contentOffset_, frame().size}; }
    const CGSize& contentSize() const { return contentSize_; }
    void setContentSize(const CGSize& size);
    const CGPoint& contentOffset() const { return contentOffset_; }
    // Scrolling moves the bounds origin and lays the view out again.
    void setContentOffset(const CGPoint& offset);

private:
    CGSize contentSize_;
    CGPoint contentOffset_;
};
