#pragma once

// IPluginCompatibility: a class of its own in the factory (category
// kPluginCompatibilityClass) that tells a host which older plug-ins (a VST 2 one, by
// the class ID hosts derive from its unique identifier and name) a class of this
// module replaces. Hosts that find Contents/Resources/moduleinfo.json in the bundle
// read the same list from there and leave this class alone. UI or scanning thread.

#include "shell/vst3/IBStream.h"

namespace Vst3 {

// PClassInfo::category of the class that serves IPluginCompatibility.
constexpr const char* kPluginCompatibilityClass = "Plugin Compatibility Class";

class IPluginCompatibility : public FUnknown {
public:
    // Writes the UTF-8 JSON5 array [{"New": cid text, "Old": [cid text, ...]}, ...]
    // into stream. kResultTrue.
    virtual tresult SMTG_STDMETHODCALLTYPE getCompatibilityJSON(IBStream* stream) = 0;

    static constexpr Uid iid = MakeUid(0x4AFD4B6A, 0x35D7C240, 0xA5C31414, 0xFB7D15E6);

protected:
    ~IPluginCompatibility() = default;
};

}  // namespace Vst3
