#pragma once

// IPlugView: the plug-in's editor window as a VST 3 host embeds it, and IPlugFrame,
// the host's side of it. The view comes from IEditController::createView; the host
// attaches it to a parent window of a platform type, asks for its size, resizes it,
// removes it and releases it. UI thread.
//
// Resizing from the plug-in: call IPlugFrame::resizeView; the host then calls onSize
// (possibly from inside resizeView) and only then is the new size current. On Linux
// the host's frame also serves IRunLoop (below).

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IPlugFrame;

// A rectangle in pixels (physical pixels on Windows and Linux).
struct ViewRect {
    int32_t left;
    int32_t top;
    int32_t right;   // left + width
    int32_t bottom;  // top + height
};

// Parent window types (attached / isPlatformTypeSupported).
constexpr const char* kPlatformTypeHWND = "HWND";                          // Windows: an HWND
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";  // Linux: an X11 window id
constexpr const char* kPlatformTypeNSView = "NSView";                      // macOS: an NSView*

class IPlugView : public FUnknown {
public:
    // kResultTrue if the view can live in a parent of this type.
    virtual tresult SMTG_STDMETHODCALLTYPE isPlatformTypeSupported(FIDString type) = 0;
    // Creates the editor inside parent (a window of type).
    virtual tresult SMTG_STDMETHODCALLTYPE attached(void* parent, FIDString type) = 0;
    // Takes the editor out of its parent; the view may be attached again later.
    virtual tresult SMTG_STDMETHODCALLTYPE removed() = 0;
    // Mouse wheel, in notches (positive: away from the user).
    virtual tresult SMTG_STDMETHODCALLTYPE onWheel(float distance) = 0;
    // Keys the host forwards: key = UTF-16 character or 0, keyCode = virtual key code,
    // modifiers = key modifier bits. kResultTrue if the view used the key.
    virtual tresult SMTG_STDMETHODCALLTYPE onKeyDown(TChar key, int16_t keyCode,
                                                     int16_t modifiers) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE onKeyUp(TChar key, int16_t keyCode,
                                                   int16_t modifiers) = 0;
    // The size the view wants (or has), in pixels.
    virtual tresult SMTG_STDMETHODCALLTYPE getSize(ViewRect* size) = 0;
    // The host gave the view this size.
    virtual tresult SMTG_STDMETHODCALLTYPE onSize(ViewRect* newSize) = 0;
    // The parent window gained (1) or lost (0) focus.
    virtual tresult SMTG_STDMETHODCALLTYPE onFocus(TBool state) = 0;
    // The host's frame for this view (borrowed; null before the host lets go).
    virtual tresult SMTG_STDMETHODCALLTYPE setFrame(IPlugFrame* frame) = 0;
    // kResultTrue if the user may resize the view.
    virtual tresult SMTG_STDMETHODCALLTYPE canResize() = 0;
    // The host proposes rect; the view corrects it in place to a size it accepts.
    virtual tresult SMTG_STDMETHODCALLTYPE checkSizeConstraint(ViewRect* rect) = 0;

    static constexpr Uid iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

protected:
    ~IPlugView() = default;
};

class IPlugFrame : public FUnknown {
public:
    // The view asks to be resized to newSize; kResultTrue if the host did.
    virtual tresult SMTG_STDMETHODCALLTYPE resizeView(IPlugView* view, ViewRect* newSize) = 0;

    static constexpr Uid iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

protected:
    ~IPlugFrame() = default;
};

// Linux has no event loop every program shares, so the host lends its own: the view
// asks the frame (or the host context) for IRunLoop and registers a handler for its
// window-system connection and a timer. The host calls them on its UI thread.
using FileDescriptor = int;
using TimerInterval = uint64_t;  // milliseconds

class IEventHandler : public FUnknown {
public:
    // fd has data to read.
    virtual void SMTG_STDMETHODCALLTYPE onFDIsSet(FileDescriptor fd) = 0;

    static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

protected:
    ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
public:
    virtual void SMTG_STDMETHODCALLTYPE onTimer() = 0;

    static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

protected:
    ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
public:
    // The host keeps a reference to each handler until it is unregistered.
    virtual tresult SMTG_STDMETHODCALLTYPE registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE unregisterEventHandler(IEventHandler* handler) = 0;
    // The timer repeats until it is unregistered.
    virtual tresult SMTG_STDMETHODCALLTYPE registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
    virtual tresult SMTG_STDMETHODCALLTYPE unregisterTimer(ITimerHandler* handler) = 0;

    static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

protected:
    ~IRunLoop() = default;
};

}  // namespace Vst3
