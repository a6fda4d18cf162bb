#pragma once

// IHostApplication: found by queryInterface on the context the host passes to
// IPluginBase::initialize (and IPluginFactory3::setHostContext). Gives the host's
// name and creates host-side objects such as IMessage and IAttributeList. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IHostApplication : public FUnknown {
public:
    // The host's name, zero-terminated UTF-16.
    virtual tresult SMTG_STDMETHODCALLTYPE getName(String128 name) = 0;
    // Creates a host object of class cid (e.g. IMessage::iid) and answers its
    // interface interfaceId in *obj, referenced for the caller.
    virtual tresult SMTG_STDMETHODCALLTYPE createInstance(TUID cid, TUID interfaceId, void** obj) = 0;

    static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

protected:
    ~IHostApplication() = default;
};

}  // namespace Vst3
