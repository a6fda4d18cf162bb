#pragma once

// FUnknown: the root of every VST 3 interface (IUnknown on Windows).
//
// Interface classes here are pure virtual and carry no virtual destructor: the
// virtual table holds exactly the published methods in the published order, and an
// object is destroyed only by its last release(). Their destructors are protected so
// nobody deletes through an interface pointer. An implementation may add its own
// virtual destructor: it goes after the interface slots, which is harmless.
//
// Reference counting: an object starts at 1 for its creator. queryInterface adds a
// reference to what it hands out; the receiver releases it. A pointer received as a
// call argument is borrowed for the duration of the call: addRef it to keep it.

#include "shell/vst3/Vst3Results.h"
#include "shell/vst3/Vst3Types.h"
#include "shell/vst3/Vst3Uid.h"

namespace Vst3 {

class FUnknown {
public:
    // Looks up another interface of the same object. interfaceId: the 16 bytes of the
    // wanted interface's ID (not called iid: in an implementation that name would hide
    // the static member). On success *obj is that interface, referenced, and the answer
    // is kResultOk; otherwise *obj = nullptr and kNoInterface. Any thread.
    virtual tresult SMTG_STDMETHODCALLTYPE queryInterface(const TUID interfaceId, void** obj) = 0;
    // Adds a reference; answers the new count (informational only). Any thread.
    virtual uint32_t SMTG_STDMETHODCALLTYPE addRef() = 0;
    // Drops a reference and destroys the object at 0; answers the new count. Any thread.
    virtual uint32_t SMTG_STDMETHODCALLTYPE release() = 0;

    static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

protected:
    ~FUnknown() = default;
};

}  // namespace Vst3
