// The child window on X11: a window of our own connection to the display, made a
// child of the host's window id, painted with XPutImage straight from the client's
// pixels. Its events come through the host's run loop (the connection's descriptor
// and a timer) or through PumpEvents from the host's editor idle.
#include "platform/YChildWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                            KeyPressMask | KeyReleaseMask | StructureNotifyMask;
constexpr Time kDoubleClickTime = 400;  // milliseconds
constexpr int kDoubleClickDistance = 4;

// X reports errors through one process-wide handler; while we look at the host's
// window an error only means "no such window", so it is counted instead of fatal.
int errorsSeen = 0;
int CountError(Display*, XErrorEvent*) {
    ++errorsSeen;
    return 0;
}

uint32_t Modifiers(unsigned int state) {
    uint32_t modifiers = 0;
    if (state & ShiftMask) modifiers |= YChildWindowKey::kShift;
    if (state & ControlMask) modifiers |= YChildWindowKey::kControl;
    if (state & Mod1Mask) modifiers |= YChildWindowKey::kAlt;
    return modifiers;
}

// The Windows virtual key code of an X key symbol: the keys the editor acts on.
int32_t WindowsKey(KeySym symbol) {
    if (symbol >= XK_a && symbol <= XK_z) return static_cast<int32_t>(symbol - XK_a + 'A');
    if (symbol >= XK_A && symbol <= XK_Z) return static_cast<int32_t>(symbol - XK_A + 'A');
    if (symbol >= XK_0 && symbol <= XK_9) return static_cast<int32_t>(symbol - XK_0 + '0');
    switch (symbol) {
        case XK_BackSpace: return 8;
        case XK_Tab: return 9;
        case XK_Return:
        case XK_KP_Enter: return 13;
        case XK_Escape: return 27;
        case XK_space: return 32;
        case XK_Page_Up: return 33;
        case XK_Page_Down: return 34;
        case XK_End: return 35;
        case XK_Home: return 36;
        case XK_Left: return 37;
        case XK_Up: return 38;
        case XK_Right: return 39;
        case XK_Down: return 40;
        case XK_Delete: return 46;
        default: return 0;
    }
}

class X11ChildWindow final : public YChildWindow {
public:
    X11ChildWindow(Display* display, Window window, YChildWindowClient& client, YChildWindowRunLoop* runLoop)
        : display_(display), window_(window), client_(client), runLoop_(runLoop) {
        if (runLoop_) {
            watching_ = runLoop_->WatchDescriptor(ConnectionNumber(display_), [this] { HandleQueued(); });
            // The tick also takes what Xlib read into its queue meanwhile: those events
            // never make the descriptor readable again.
            timing_ = runLoop_->StartTimer(kTickMilliseconds, [this] {
                HandleQueued();
                client_.Tick();
                XFlush(display_);
            });
        }
        nextTick_ = Clock::now();
    }

    ~X11ChildWindow() override {
        if (runLoop_) {
            if (timing_) runLoop_->StopTimer();
            if (watching_) runLoop_->StopWatching();
        }
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    void* Handle() const override { return reinterpret_cast<void*>(window_); }

    void Resize(int32_t width, int32_t height) override {
        if (width < 1 || height < 1) return;
        XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XFlush(display_);
    }

    // The host's X11 windows are the host's: only it resizes them.
    bool ResizeHostWindows(int32_t, int32_t) override { return false; }

    void Show(int32_t x, int32_t y, int32_t width, int32_t height) override {
        const YChildWindowClient::Pixels pixels = client_.CurrentPixels();
        if (!pixels.Clip(x, y, width, height)) return;
        // The image borrows the client's pixels: 0xAARRGGBB words are what a 24-bit
        // TrueColor visual takes in 32-bit units (the top byte is padding).
        XImage* image = XCreateImage(display_, DefaultVisual(display_, DefaultScreen(display_)), 24, ZPixmap, 0,
                                     reinterpret_cast<char*>(const_cast<uint32_t*>(pixels.data)),
                                     static_cast<unsigned>(pixels.width), static_cast<unsigned>(pixels.height), 32,
                                     pixels.width * 4);
        if (image == nullptr) return;
        image->byte_order = LSBFirst;
        XPutImage(display_, window_, DefaultGC(display_, DefaultScreen(display_)), image, x, y, x, y,
                  static_cast<unsigned>(width), static_cast<unsigned>(height));
        image->data = nullptr;  // not ours to free
        XDestroyImage(image);
        XFlush(display_);
    }

    void PumpEvents() override {
        HandleQueued();
        if (!timing_ && Clock::now() >= nextTick_) {
            nextTick_ = Clock::now() + std::chrono::milliseconds(kTickMilliseconds);
            client_.Tick();
            XFlush(display_);
        }
    }

private:
    void HandleQueued() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.xany.window == window_) Handle(event);
        }
    }

    void Handle(XEvent& event) {
        switch (event.type) {
            case Expose:
                Show(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
                break;
            case ButtonPress: Press(event.xbutton); break;
            case ButtonRelease:
                if (event.xbutton.button <= 3) client_.MouseUp(Mouse(event.xbutton));
                break;
            case MotionNotify: {
                // Only the latest of a run of moves matters; a press or release after
                // them must still come after the move before it.
                XEvent next;
                while (XEventsQueued(display_, QueuedAlready) > 0) {
                    XPeekEvent(display_, &next);
                    if (next.type != MotionNotify || next.xany.window != window_) break;
                    XNextEvent(display_, &event);
                }
                YChildWindowMouse mouse;
                mouse.x = event.xmotion.x;
                mouse.y = event.xmotion.y;
                mouse.modifiers = Modifiers(event.xmotion.state);
                client_.MouseMove(mouse);
                break;
            }
            case LeaveNotify:
                if (event.xcrossing.mode == NotifyNormal) client_.MouseLeave();
                break;
            case KeyPress:
            case KeyRelease: Key(event.xkey); break;
            default: break;
        }
    }

    YChildWindowMouse Mouse(const XButtonEvent& button) const {
        YChildWindowMouse mouse;
        mouse.x = button.x;
        mouse.y = button.y;
        mouse.button = button.button == 3 ? YChildWindowMouse::kRight
                       : button.button == 2 ? YChildWindowMouse::kMiddle
                                            : YChildWindowMouse::kLeft;
        mouse.modifiers = Modifiers(button.state);
        return mouse;
    }

    void Press(const XButtonEvent& button) {
        YChildWindowMouse mouse = Mouse(button);
        if (button.button == 4 || button.button == 5) {
            mouse.wheel = button.button == 4 ? 1.0f : -1.0f;
            client_.Wheel(mouse);
            return;
        }
        if (button.button > 3) return;
        // Keys go to the window that was clicked, as in any other editor.
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        const bool again = button.button == lastButton_ && button.time - lastPress_ < kDoubleClickTime &&
                           std::abs(button.x - lastX_) <= kDoubleClickDistance &&
                           std::abs(button.y - lastY_) <= kDoubleClickDistance;
        mouse.clicks = again ? 2 : 1;
        // A third press starts counting again.
        lastButton_ = again ? 0 : button.button;
        lastPress_ = button.time;
        lastX_ = button.x;
        lastY_ = button.y;
        client_.MouseDown(mouse);
    }

    void Key(XKeyEvent& key) {
        char text[8] = {};
        KeySym symbol = NoSymbol;
        const int length = XLookupString(&key, text, sizeof text, &symbol, nullptr);
        YChildWindowKey event;
        event.down = key.type == KeyPress;
        event.key = WindowsKey(symbol);
        event.modifiers = Modifiers(key.state);
        // Latin-1 characters come as one byte; the keys with a code of their own carry none.
        const auto first = static_cast<unsigned char>(text[0]);
        if (event.down && length == 1 && first >= 32 && first != 127) event.character = first;
        if (event.key != 0 || event.character != 0) client_.Key(event);
    }

    Display* display_;
    Window window_;
    YChildWindowClient& client_;
    YChildWindowRunLoop* runLoop_;
    bool watching_ = false;
    bool timing_ = false;
    Clock::time_point nextTick_;
    unsigned int lastButton_ = 0;
    Time lastPress_ = 0;
    int lastX_ = 0, lastY_ = 0;
};

}  // namespace

std::unique_ptr<YChildWindow> YChildWindow::Create(void* parent, int32_t width, int32_t height,
                                                   YChildWindowClient& client, YChildWindowRunLoop* runLoop) {
    if (parent == nullptr || width < 1 || height < 1) return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return nullptr;
    const int screen = DefaultScreen(display);
    // The pixels go to the screen as they are: a 24-bit TrueColor visual with red in
    // the high byte, which is what every X server of these days offers.
    const Visual* visual = DefaultVisual(display, screen);
    if (DefaultDepth(display, screen) != 24 || visual->red_mask != 0xFF0000 || visual->blue_mask != 0xFF) {
        XCloseDisplay(display);
        return nullptr;
    }
    const auto parentWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    XSync(display, False);
    errorsSeen = 0;
    XErrorHandler previous = XSetErrorHandler(CountError);
    XWindowAttributes attributes;
    const Status found = XGetWindowAttributes(display, parentWindow, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (found == 0 || errorsSeen != 0) {
        XCloseDisplay(display);
        return nullptr;
    }
    XSetWindowAttributes settings{};
    settings.event_mask = kEventMask;
    settings.background_pixel = BlackPixel(display, screen);
    const Window window = XCreateWindow(display, parentWindow, 0, 0, static_cast<unsigned>(width),
                                        static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWEventMask | CWBackPixel, &settings);
    XMapWindow(display, window);
    XFlush(display);
    return std::make_unique<X11ChildWindow>(display, window, client, runLoop);
}

bool YChildWindow::DesktopSize(int32_t& width, int32_t& height) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    width = DisplayWidth(display, DefaultScreen(display));
    height = DisplayHeight(display, DefaultScreen(display));
    XCloseDisplay(display);
    return true;
}
