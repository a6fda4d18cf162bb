#pragma once

// The factory's compatibility class: hands hosts the module's compatibility list (the
// text the build also writes into moduleinfo.json). Any thread; holds no state but
// the text.

#include "shell/vst3/IPluginCompatibility.h"
#include "shell/vst3/Vst3Object.h"

namespace Vst3 {

class YVst3PluginCompatibility : public YVst3Object<IPluginCompatibility> {
public:
    // json: UTF-8, kept for the object's life (a constant of the module).
    explicit YVst3PluginCompatibility(const char* json) : json_(json) {}

    // kInvalidArgument without a stream, kInternalError when the stream takes less than all.
    tresult SMTG_STDMETHODCALLTYPE getCompatibilityJSON(IBStream* stream) override;

private:
    const char* json_;
};

}  // namespace Vst3
