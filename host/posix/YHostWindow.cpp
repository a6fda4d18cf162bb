// The host window on X11, on a connection of its own.
#include "host/YHostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <poll.h>

namespace {

class X11HostWindow final : public YHostWindow {
public:
    X11HostWindow(Display* display, Window window) : display_(display), window_(window) {}
    ~X11HostWindow() override {
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    void* Handle() const override { return reinterpret_cast<void*>(window_); }

    void Resize(int32_t width, int32_t height) override {
        XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XSync(display_, False);
    }

    void InsideSize(int32_t& width, int32_t& height) override {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window_, &attributes);
        width = attributes.width;
        height = attributes.height;
    }

    void ProcessEvents() override {
        XSync(display_, False);
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

    bool Capture(int32_t width, int32_t height, std::vector<uint32_t>& pixels) override {
        XSync(display_, False);
        XImage* image = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                  AllPlanes, ZPixmap);
        if (image == nullptr) return false;
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                    static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
        XDestroyImage(image);
        return true;
    }

    YString Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int32_t steps) override {
        int rootX = 0, rootY = 0;
        Window child;
        XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &rootX, &rootY, &child);
        const int screen = DefaultScreen(display_);
        XTestFakeMotionEvent(display_, screen, rootX + fromX, rootY + fromY, CurrentTime);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        for (int32_t i = 1; i <= steps; ++i) {
            XTestFakeMotionEvent(display_, screen, rootX + fromX + (toX - fromX) * i / steps,
                                 rootY + fromY + (toY - fromY) * i / steps, CurrentTime);
        }
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XSync(display_, False);
        return "XTest";
    }

private:
    Display* display_;
    Window window_;
};

}  // namespace

std::unique_ptr<YHostWindow> YHostWindow::Create(int32_t width, int32_t height, YString& error) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        error = "no X display";
        return nullptr;
    }
    int event = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        error = "the X server has no XTEST extension";
        return nullptr;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, WhitePixel(display, screen));
    XStoreName(display, window, "Vortalis Host");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    // Wait until it is on the screen: an editor drawn before that is lost.
    for (XEvent mapped;;) {
        XNextEvent(display, &mapped);
        if (mapped.type == MapNotify && mapped.xmap.window == window) break;
    }
    return std::make_unique<X11HostWindow>(display, window);
}

bool YHostWindow::Readable(int descriptor) {
    pollfd entry{descriptor, POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}
