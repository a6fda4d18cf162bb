#pragma once

// A top-level window of the host in which a plug-in's editor opens (an X11 window on
// Linux, a Win32 window on Windows), with what the tests need of it: the window
// system's own picture of it and synthetic mouse input through the window system.
// One thread makes, uses and destroys it (the host's user-interface thread).

#include "foundation/YString.h"

#include <cstdint>
#include <memory>
#include <vector>

class YHostWindow {
public:
    // Null when there is no window system (no X display), with the reason in error.
    static std::unique_ptr<YHostWindow> Create(int32_t width, int32_t height, YString& error);
    virtual ~YHostWindow() = default;

    // The parent a plug-in's editor is given (an HWND, an X11 window id).
    virtual void* Handle() const = 0;
    // The size of the window's inside.
    virtual void Resize(int32_t width, int32_t height) = 0;
    // The size of the window's inside as the window system has it now.
    virtual void InsideSize(int32_t& width, int32_t& height) = 0;
    // Dispatches what the window system queued for this thread's windows (Windows: the
    // editor's child window too) and waits for the window system to catch up.
    virtual void ProcessEvents() = 0;
    // The pixels the window system shows in the window's inside from the top left
    // (0x00RRGGBB, row after row), children included. False when it cannot tell.
    virtual bool Capture(int32_t width, int32_t height, std::vector<uint32_t>& pixels) = 0;
    // A left-button drag from one point of the window's inside to another, in steps,
    // through the window system's input. Answers how: "XTest", "messages".
    virtual YString Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int32_t steps) = 0;

    // Whether a descriptor has data to read now (a VST 3 host's run loop); always false
    // where descriptors are not how windows are driven.
    static bool Readable(int descriptor);
};
