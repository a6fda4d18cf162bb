#pragma once

#include "editor/YWindow.h"
#include "platform/YChildWindow.h"

#include <cstdint>
#include <functional>
#include <memory>

// Shows a YWindow in a child window of the host's window: hands the window's events
// (device pixels) to the toolkit in logical units, and after every tick copies what
// the toolkit repainted to the screen. The editor's work per tick (following the
// plug-in, repainting) is the tick function it is given. User-interface thread.
class YPlatformView final : private YChildWindowClient {
public:
    // Null when the window system cannot show a child of parent.
    static std::unique_ptr<YPlatformView> Open(void* parent, YChildWindowRunLoop* runLoop, YWindow& window,
                                               std::function<void()> tick);
    ~YPlatformView();
    YPlatformView(const YPlatformView&) = delete;
    YPlatformView& operator=(const YPlatformView&) = delete;

    // Follows the toolkit window's size and shows it whole.
    void Resize();
    // Paints what the toolkit invalidated and copies it to the screen.
    void Present();
    // For hosts without a run loop of their own: takes the queued events and runs
    // the tick when it is due.
    void PumpEvents() { childWindow_->PumpEvents(); }
    // The modifier keys of the latest mouse or key event (the toolkit's bits).
    uint32_t Modifiers() const { return modifiers_; }
    // Where the mouse was last seen, in logical units.
    float MouseX() const { return mouseX_; }
    float MouseY() const { return mouseY_; }
    void* Handle() const { return childWindow_->Handle(); }
    bool ResizeHostWindows(int32_t width, int32_t height) { return childWindow_->ResizeHostWindows(width, height); }

private:
    YPlatformView(YWindow& window, std::function<void()> tick) : window_(window), tick_(std::move(tick)) {}

    Pixels CurrentPixels() override;
    void MouseDown(const YChildWindowMouse& mouse) override;
    void MouseMove(const YChildWindowMouse& mouse) override;
    void MouseUp(const YChildWindowMouse& mouse) override;
    void MouseLeave() override;
    void Wheel(const YChildWindowMouse& mouse) override;
    bool Key(const YChildWindowKey& key) override;
    void Tick() override;

    YMouseEvent Logical(const YChildWindowMouse& mouse);

    YWindow& window_;
    std::function<void()> tick_;
    std::unique_ptr<YChildWindow> childWindow_;
    uint32_t modifiers_ = 0;
    float mouseX_ = 0.0f, mouseY_ = 0.0f;
};
