#include "shell/vst3/YVst3PluginCompatibility.h"

#include <cstring>

namespace Vst3 {

tresult YVst3PluginCompatibility::getCompatibilityJSON(IBStream* stream) {
    if (stream == nullptr) return kInvalidArgument;
    const char* next = json_;
    int32_t left = static_cast<int32_t>(std::strlen(json_));
    // A stream may take fewer bytes per call than offered.
    while (left > 0) {
        int32_t written = 0;
        if (stream->write(const_cast<char*>(next), left, &written) != kResultOk || written <= 0) return kInternalError;
        next += written;
        left -= written;
    }
    return kResultOk;
}

}  // namespace Vst3
