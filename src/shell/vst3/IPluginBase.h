#pragma once

// IPluginBase: the two calls framing the life of a VST 3 plug-in object (component
// or controller). The host creates the object through the factory, calls initialize
// once with its context, uses the object, calls terminate, and releases it. UI thread.

#include "shell/vst3/FUnknown.h"

namespace Vst3 {

class IPluginBase : public FUnknown {
public:
    // context: the host's context object (ask it for IHostApplication); borrowed,
    // addRef it to keep it. Answer kResultOk, or an error: the host then drops the object.
    virtual tresult SMTG_STDMETHODCALLTYPE initialize(FUnknown* context) = 0;
    // Undo initialize: release everything taken from the context. The object stays
    // alive until its last release.
    virtual tresult SMTG_STDMETHODCALLTYPE terminate() = 0;

    static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

protected:
    ~IPluginBase() = default;
};

}  // namespace Vst3
