#include "editor/YControl.h"

#include "editor/YWindow.h"

YControl::~YControl() {
    children_.clear();
    if (window_) window_->Forget(this);
}

const YStyle& YControl::Style() const { return window_ ? window_->Style() : YStyle::Dark(); }

void YControl::Adopt(std::unique_ptr<YControl> child) {
    child->parent_ = this;
    child->AttachTo(window_);
    children_.push_back(std::move(child));
}

void YControl::AttachTo(YWindow* window) {
    window_ = window;
    for (auto& child : children_) child->AttachTo(window);
}

void YControl::SetBounds(const YRect& bounds) {
    if (visible_) Invalidate();
    bounds_ = bounds;
    Layout();
    if (visible_) Invalidate();
}

void YControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (parent_) parent_->Invalidate();
    if (!visible && window_) window_->Forget(this);
}

void YControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

void YControl::Invalidate() {
    if (window_) window_->Invalidate(bounds_);
}

void YControl::DrawTree(YCanvas& canvas) {
    if (!visible_ || !canvas.IsVisible(bounds_)) return;
    Draw(canvas);
    for (auto& child : children_) child->DrawTree(canvas);
}

YControl* YControl::HitTest(float x, float y) {
    if (!visible_ || !bounds_.Contains(x, y)) return nullptr;
    for (auto child = children_.rbegin(); child != children_.rend(); ++child)
        if (YControl* hit = (*child)->HitTest(x, y)) return hit;
    return enabled_ && Hits(x, y) ? this : nullptr;
}

void YControl::SyncTree() {
    if (!visible_) return;
    Sync();
    for (auto& child : children_) child->SyncTree();
}

YString YControl::HelpAt(float x, float y) const {
    if (!help.IsEmpty() || parent_ == nullptr) return help;
    return parent_->HelpAt(x, y);
}
