// The host window on Windows: an overlapped window whose inside the editor fills.
#include "host/YHostWindow.h"

#include <windows.h>

namespace {

constexpr const wchar_t* kClassName = L"VortalisHostWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

class Win32HostWindow final : public YHostWindow {
public:
    explicit Win32HostWindow(HWND window) : window_(window) {}
    ~Win32HostWindow() override { DestroyWindow(window_); }

    void* Handle() const override { return window_; }

    void Resize(int32_t width, int32_t height) override {
        RECT frame{0, 0, width, height};
        AdjustWindowRect(&frame, kStyle, FALSE);
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void InsideSize(int32_t& width, int32_t& height) override {
        RECT inside{};
        GetClientRect(window_, &inside);
        width = inside.right - inside.left;
        height = inside.bottom - inside.top;
    }

    void ProcessEvents() override {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        GdiFlush();
    }

    bool Capture(int32_t width, int32_t height, std::vector<uint32_t>& pixels) override {
        HDC screen = GetDC(window_);
        if (screen == nullptr) return false;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ previous = SelectObject(memory, bitmap);
        const bool copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        if (copied) {
            const auto* words = static_cast<const uint32_t*>(bits);
            pixels.assign(words, words + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
            for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
        }
        SelectObject(memory, previous);
        DeleteDC(memory);
        DeleteObject(bitmap);
        ReleaseDC(window_, screen);
        return copied;
    }

    YString Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int32_t steps) override {
        // To the child window under the start point, in its own coordinates.
        POINT start{fromX, fromY};
        HWND target = ChildWindowFromPoint(window_, start);
        if (target == nullptr) target = window_;
        POINT offset{0, 0};
        MapWindowPoints(target, window_, &offset, 1);
        auto at = [&](int32_t x, int32_t y) { return MAKELPARAM(x - offset.x, y - offset.y); };
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at(fromX, fromY));
        for (int32_t i = 1; i <= steps; ++i)
            SendMessageW(target, WM_MOUSEMOVE, MK_LBUTTON,
                         at(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps));
        SendMessageW(target, WM_LBUTTONUP, 0, at(toX, toY));
        return "messages";
    }

private:
    HWND window_;
};

}  // namespace

std::unique_ptr<YHostWindow> YHostWindow::Create(int32_t width, int32_t height, YString& error) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        error = "the window class could not be registered";
        return nullptr;
    }
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, kStyle, FALSE);
    HWND window = CreateWindowExW(0, kClassName, L"Vortalis Host", kStyle | WS_VISIBLE, 0, 0, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        error = "no window could be made (no display?)";
        return nullptr;
    }
    UpdateWindow(window);
    return std::make_unique<Win32HostWindow>(window);
}

bool YHostWindow::Readable(int) { return false; }
