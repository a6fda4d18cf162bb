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
    Invalidate();
    bounds_ = bounds;
    Layout();
    Invalidate();
}

void YControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (window_) window_->Invalidate(bounds_);
    if (!visible && window_) window_->Forget(this);
}

void YControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Invalidate();
}

void YControl::Invalidate() { Invalidate(bounds_); }

void YControl::Invalidate(const YRect& part) {
    // What does not show needs no paint: a hidden page's live views keep quiet.
    if (window_ && Shown()) window_->Invalidate(part.Intersect(bounds_));
}

bool YControl::Shown() const {
    for (const YControl* c = this; c != nullptr; c = c->parent_)
        if (!c->visible_) return false;
    return true;
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
