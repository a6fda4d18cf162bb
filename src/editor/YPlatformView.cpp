#include "editor/YPlatformView.h"

#include <cmath>

namespace {

uint32_t ToolkitModifiers(uint32_t modifiers) {
    uint32_t bits = 0;
    if (modifiers & YChildWindowKey::kShift) bits |= kModifierShift;
    if (modifiers & YChildWindowKey::kControl) bits |= kModifierControl;
    if (modifiers & YChildWindowKey::kAlt) bits |= kModifierAlt;
    return bits;
}

}  // namespace

std::unique_ptr<YPlatformView> YPlatformView::Open(void* parent, YChildWindowRunLoop* runLoop, YWindow& window,
                                                   std::function<void()> tick) {
    std::unique_ptr<YPlatformView> view(new YPlatformView(window, std::move(tick)));
    const YPixelBuffer& pixels = window.Pixels();
    view->childWindow_ = YChildWindow::Create(parent, pixels.Width(), pixels.Height(), *view, runLoop);
    if (!view->childWindow_) return nullptr;
    window.InvalidateAll();
    return view;
}

YPlatformView::~YPlatformView() = default;

void YPlatformView::Resize() {
    const YPixelBuffer& pixels = window_.Pixels();
    childWindow_->Resize(pixels.Width(), pixels.Height());
    window_.InvalidateAll();
    Present();
}

void YPlatformView::Present() {
    const float scale = window_.Scale();
    for (const YRect& area : window_.Paint()) {
        const auto left = static_cast<int32_t>(std::floor(area.x * scale));
        const auto top = static_cast<int32_t>(std::floor(area.y * scale));
        const auto right = static_cast<int32_t>(std::ceil(area.Right() * scale));
        const auto bottom = static_cast<int32_t>(std::ceil(area.Bottom() * scale));
        childWindow_->Show(left, top, right - left, bottom - top);
    }
}

YChildWindowClient::Pixels YPlatformView::CurrentPixels() {
    const YPixelBuffer& pixels = window_.Pixels();
    return {pixels.Pixels().data(), pixels.Width(), pixels.Height()};
}

YMouseEvent YPlatformView::Logical(const YChildWindowMouse& mouse) {
    const float scale = window_.Scale();
    YMouseEvent event;
    event.x = mouseX_ = static_cast<float>(mouse.x) / scale;
    event.y = mouseY_ = static_cast<float>(mouse.y) / scale;
    event.modifiers = modifiers_ = ToolkitModifiers(mouse.modifiers);
    event.button = mouse.button;
    event.clicks = mouse.clicks;
    event.wheel = mouse.wheel;
    return event;
}

// Every event repaints at once: a knob follows the mouse without waiting for the tick.
void YPlatformView::MouseDown(const YChildWindowMouse& mouse) {
    window_.MouseDown(Logical(mouse));
    Present();
}

void YPlatformView::MouseMove(const YChildWindowMouse& mouse) {
    window_.MouseMove(Logical(mouse));
    Present();
}

void YPlatformView::MouseUp(const YChildWindowMouse& mouse) {
    window_.MouseUp(Logical(mouse));
    Present();
}

void YPlatformView::MouseLeave() {
    window_.MouseLeave();
    Present();
}

void YPlatformView::Wheel(const YChildWindowMouse& mouse) {
    window_.Wheel(Logical(mouse));
    Present();
}

bool YPlatformView::Key(const YChildWindowKey& key) {
    modifiers_ = ToolkitModifiers(key.modifiers);
    bool used = false;
    if (key.character != 0) {
        YKeyEvent event;
        event.kind = YKeyEvent::Kind::Character;
        event.character = key.character;
        event.modifiers = modifiers_;
        used = window_.Key(event);
    }
    if (key.key != 0) {
        YKeyEvent event;
        event.kind = key.down ? YKeyEvent::Kind::KeyDown : YKeyEvent::Kind::KeyUp;
        event.key = key.key;
        event.modifiers = modifiers_;
        if (window_.Key(event)) used = true;
    }
    Present();
    return used;
}

void YPlatformView::Tick() {
    tick_();
    Present();
}
