#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A window inside a window of the host (an HWND on Windows, an X11 window id on
// Linux) that shows 32-bit pixels (0xAARRGGBB, alpha ignored) and hands mouse, wheel
// and key events and a periodic tick to its client. It knows nothing of what it shows:
// the editor toolkit sits on top of it through YChildWindowClient.
//
// Threads: made, used and destroyed on the host's user-interface thread; every call
// of the client comes on that thread, from the system's message dispatch (Windows),
// from the host's run loop, or from PumpEvents (Linux).
//
// Sizes and positions are in device pixels.

struct YChildWindowMouse {
    enum Button : int32_t { kLeft = 0, kRight = 1, kMiddle = 2 };
    int32_t x = 0, y = 0;
    int32_t button = kLeft;
    int32_t clicks = 1;  // 2 for the second press of a double click
    float wheel = 0.0f;  // notches, positive away from the user
    uint32_t modifiers = 0;  // YChildWindowKey modifier bits
};

struct YChildWindowKey {
    enum Modifier : uint32_t { kShift = 1, kControl = 2, kAlt = 4 };
    bool down = true;
    char16_t character = 0;  // the typed character (key down), 0 for keys without one
    int32_t key = 0;         // Windows virtual key code, 0 when unknown
    uint32_t modifiers = 0;
};

// What the window shows and where its events go.
class YChildWindowClient {
public:
    struct Pixels {
        const uint32_t* data = nullptr;
        int32_t width = 0, height = 0;  // the rows are width pixels long

        // Cuts an area down to the pixels (an area may reach past them while a resize
        // is under way); false when nothing of it is left to show.
        bool Clip(int32_t& x, int32_t& y, int32_t& areaWidth, int32_t& areaHeight) const {
            if (data == nullptr) return false;
            if (x < 0) areaWidth += x, x = 0;
            if (y < 0) areaHeight += y, y = 0;
            if (x + areaWidth > width) areaWidth = width - x;
            if (y + areaHeight > height) areaHeight = height - y;
            return areaWidth > 0 && areaHeight > 0;
        }
    };
    virtual Pixels CurrentPixels() = 0;
    virtual void MouseDown(const YChildWindowMouse& mouse) = 0;
    virtual void MouseMove(const YChildWindowMouse& mouse) = 0;
    virtual void MouseUp(const YChildWindowMouse& mouse) = 0;
    virtual void MouseLeave() = 0;
    virtual void Wheel(const YChildWindowMouse& mouse) = 0;
    // True when the client used the key (else the host may).
    virtual bool Key(const YChildWindowKey& key) = 0;
    // The periodic refresh (about 30 times a second): repaint what changed and Show it.
    virtual void Tick() = 0;

protected:
    ~YChildWindowClient() = default;
};

// The host's event loop where the system has none of its own (X11): the window asks
// it to watch its connection and to run its tick. A VST 3 host offers one; without
// one the window is driven by PumpEvents (a VST 2.4 host's editor idle).
class YChildWindowRunLoop {
public:
    // onReadable runs whenever descriptor has data to read.
    virtual bool WatchDescriptor(int descriptor, std::function<void()> onReadable) = 0;
    virtual void StopWatching() = 0;
    virtual bool StartTimer(int32_t milliseconds, std::function<void()> onTimer) = 0;
    virtual void StopTimer() = 0;

protected:
    ~YChildWindowRunLoop() = default;
};

class YChildWindow {
public:
    static constexpr int32_t kTickMilliseconds = 33;

    // A visible child of parent with the given size; null when there is no window
    // system to show it on (no display, a parent that does not exist). runLoop may be
    // null (and is ignored on Windows, whose message loop the host runs anyway).
    static std::unique_ptr<YChildWindow> Create(void* parent, int32_t width, int32_t height,
                                                YChildWindowClient& client, YChildWindowRunLoop* runLoop);
    // The size of the desktop the windows open on; false when there is none.
    static bool DesktopSize(int32_t& width, int32_t& height);

    virtual ~YChildWindow() = default;
    // The system's window handle (HWND, or the X11 window id).
    virtual void* Handle() const = 0;
    virtual void Resize(int32_t width, int32_t height) = 0;
    // For a host that declined to resize its window: resizes the host's windows that
    // hold this one so that a client area of width x height fits; false where the
    // window system leaves that to the host (X11).
    virtual bool ResizeHostWindows(int32_t width, int32_t height) = 0;
    // Copies an area of the client's current pixels to the screen now.
    virtual void Show(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Handles what the window system has queued and runs the tick when it is due; for
    // a window without a run loop (no-op where the system dispatches by itself).
    virtual void PumpEvents() = 0;
};
