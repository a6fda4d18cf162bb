// The child window on Windows: a WS_CHILD window of the host's HWND, painted with
// SetDIBitsToDevice from the client's pixels, ticking with a window timer. The host's
// message loop dispatches everything; no run loop is needed.
#include "platform/Platform.h"
#include "platform/YChildWindow.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT_PTR kTickTimer = 1;

uint32_t Modifiers() {
    uint32_t modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= YChildWindowKey::kShift;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= YChildWindowKey::kControl;
    if (GetKeyState(VK_MENU) < 0) modifiers |= YChildWindowKey::kAlt;
    return modifiers;
}

class Win32ChildWindow final : public YChildWindow {
public:
    Win32ChildWindow(YChildWindowClient& client) : client_(client) {}

    ~Win32ChildWindow() override {
        if (window_ == nullptr) return;
        KillTimer(window_, kTickTimer);
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }

    bool Open(HWND parent, int32_t width, int32_t height);
    void* Handle() const override { return window_; }

    void Resize(int32_t width, int32_t height) override {
        if (width < 1 || height < 1) return;
        SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    bool ResizeHostWindows(int32_t width, int32_t height) override {
        // Up from the host's window, short of an MDI workspace, each window grows by
        // the frames of the windows inside it, so that its client area holds the
        // editor; a chain whose frames add up to more than 80 pixels is not a
        // plug-in window any more.
        const int32_t limit = 2 * GetSystemMetrics(SM_CYDLGFRAME);
        int32_t dx = 0, dy = 0;
        HWND window = GetParent(window_);
        for (int32_t step = 0; window != nullptr && step < limit && !IsWorkspace(window); ++step) {
            RECT outer, client;
            GetWindowRect(window, &outer);
            GetClientRect(window, &client);
            dx += std::max<int32_t>(0, (outer.right - outer.left) - (client.right - client.left));
            dy += std::max<int32_t>(0, (outer.bottom - outer.top) - (client.bottom - client.top));
            if (dx > 80 || dy > 80) break;
            SetWindowPos(window, nullptr, 0, 0, width + dx + 1, height + dy + 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            window = GetParent(window);
        }
        return true;
    }

    void Show(int32_t x, int32_t y, int32_t width, int32_t height) override {
        HDC context = GetDC(window_);
        if (context == nullptr) return;
        Draw(context, x, y, width, height);
        ReleaseDC(window_, context);
    }

    void PumpEvents() override {}

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static bool IsWorkspace(HWND window) {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        return std::wcscmp(name, L"MDIClient") == 0;
    }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    YChildWindowMouse Mouse(LPARAM lParam, int32_t button = YChildWindowMouse::kLeft, int32_t clicks = 1) const;
    void Press(LPARAM lParam, int32_t button, int32_t clicks);

    void Draw(HDC context, int32_t x, int32_t y, int32_t width, int32_t height) {
        const YChildWindowClient::Pixels pixels = client_.CurrentPixels();
        if (!pixels.Clip(x, y, width, height)) return;
        // A top-down bitmap of just the rows of the area, so that no source-origin
        // convention of bottom-up bitmaps comes into play.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = pixels.width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(context, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), x, 0, 0,
                          static_cast<UINT>(height), pixels.data + static_cast<std::size_t>(y) * pixels.width, &info,
                          DIB_RGB_COLORS);
    }

    YChildWindowClient& client_;
    HWND window_ = nullptr;
    bool tracking_ = false;
};

// One class per loaded copy of the library: two plug-in builds in one host must not
// share a window procedure.
const wchar_t* ClassName() {
    static wchar_t name[64];
    static ATOM atom = 0;
    if (atom == 0) {
        std::swprintf(name, 64, L"YChildWindow%p", Platform::LibraryHandle());
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = Win32ChildWindow::Procedure;
        windowClass.hInstance = static_cast<HINSTANCE>(Platform::LibraryHandle());
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
        windowClass.lpszClassName = name;
        atom = RegisterClassExW(&windowClass);
        if (atom == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    }
    return name;
}

bool Win32ChildWindow::Open(HWND parent, int32_t width, int32_t height) {
    const wchar_t* name = ClassName();
    if (name == nullptr || !IsWindow(parent)) return false;
    window_ = CreateWindowExW(0, name, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width, height, parent,
                              nullptr, static_cast<HINSTANCE>(Platform::LibraryHandle()), this);
    if (window_ == nullptr) return false;
    SetTimer(window_, kTickTimer, YChildWindow::kTickMilliseconds, nullptr);
    return true;
}

LRESULT CALLBACK Win32ChildWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Win32ChildWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32ChildWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

YChildWindowMouse Win32ChildWindow::Mouse(LPARAM lParam, int32_t button, int32_t clicks) const {
    YChildWindowMouse mouse;
    mouse.x = GET_X_LPARAM(lParam);
    mouse.y = GET_Y_LPARAM(lParam);
    mouse.button = button;
    mouse.clicks = clicks;
    mouse.modifiers = Modifiers();
    return mouse;
}

void Win32ChildWindow::Press(LPARAM lParam, int32_t button, int32_t clicks) {
    SetFocus(window_);
    SetCapture(window_);
    client_.MouseDown(Mouse(lParam, button, clicks));
}

LRESULT Win32ChildWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC context = BeginPaint(window_, &paint);
            Draw(context, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
                 paint.rcPaint.bottom - paint.rcPaint.top);
            EndPaint(window_, &paint);
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // the pixels cover everything
        case WM_TIMER:
            if (wParam == kTickTimer) client_.Tick();
            return 0;
        case WM_LBUTTONDOWN: Press(lParam, YChildWindowMouse::kLeft, 1); return 0;
        case WM_LBUTTONDBLCLK: Press(lParam, YChildWindowMouse::kLeft, 2); return 0;
        case WM_RBUTTONDOWN: Press(lParam, YChildWindowMouse::kRight, 1); return 0;
        case WM_RBUTTONDBLCLK: Press(lParam, YChildWindowMouse::kRight, 2); return 0;
        case WM_MBUTTONDOWN: Press(lParam, YChildWindowMouse::kMiddle, 1); return 0;
        case WM_MBUTTONDBLCLK: Press(lParam, YChildWindowMouse::kMiddle, 2); return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const int32_t button = message == WM_RBUTTONUP   ? YChildWindowMouse::kRight
                                   : message == WM_MBUTTONUP ? YChildWindowMouse::kMiddle
                                                             : YChildWindowMouse::kLeft;
            if (GetCapture() == window_) ReleaseCapture();
            client_.MouseUp(Mouse(lParam, button));
            return 0;
        }
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
                tracking_ = TrackMouseEvent(&track) != 0;
            }
            client_.MouseMove(Mouse(lParam));
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            client_.MouseLeave();
            return 0;
        case WM_MOUSEWHEEL: {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};  // screen coordinates
            ScreenToClient(window_, &point);
            YChildWindowMouse mouse = Mouse(MAKELPARAM(point.x, point.y));
            mouse.wheel = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
            client_.Wheel(mouse);
            return 0;
        }
        case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        case WM_KEYDOWN:
        case WM_KEYUP: {
            YChildWindowKey key;
            key.down = message == WM_KEYDOWN;
            key.key = static_cast<int32_t>(wParam);
            key.modifiers = Modifiers();
            if (client_.Key(key)) return 0;
            break;
        }
        case WM_CHAR: {
            YChildWindowKey key;
            key.character = static_cast<char16_t>(wParam);
            key.modifiers = Modifiers();
            // Control characters came as key codes already.
            if (key.character >= 32 && client_.Key(key)) return 0;
            break;
        }
        default: break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<YChildWindow> YChildWindow::Create(void* parent, int32_t width, int32_t height,
                                                   YChildWindowClient& client, YChildWindowRunLoop* runLoop) {
    (void)runLoop;
    if (parent == nullptr || width < 1 || height < 1) return nullptr;
    auto window = std::make_unique<Win32ChildWindow>(client);
    if (!window->Open(static_cast<HWND>(parent), width, height)) return nullptr;
    return window;
}

bool YChildWindow::DesktopSize(int32_t& width, int32_t& height) {
    RECT area;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return false;
    width = area.right - area.left;
    height = area.bottom - area.top;
    return true;
}
