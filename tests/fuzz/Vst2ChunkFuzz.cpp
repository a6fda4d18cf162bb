// A state chunk through the VST 2.4 binding's effSetChunk, as a host restores a project.
#include "StateFuzzInput.h"

#include "shell/CreateAudioPlugin.h"
#include "shell/vst2/YAudioPluginVSTAdapter.h"

namespace {

Vst2::VstIntPtr VSTCALLBACK Host(Vst2::AEffect*, Vst2::VstInt32 opcode, Vst2::VstInt32, Vst2::VstIntPtr, void*, float) {
    return opcode == Vst2::audioMasterVersion ? 2400 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static YAudioPlugin* plugin = nullptr;
    static Vst2::AEffect* effect = [] {
        plugin = CreateAudioPlugin();
        PrepareForFuzzing(*plugin);
        return (new YAudioPluginVSTAdapter(&Host, plugin))->getAeffect();
    }();
    YByteBuffer chunk = StateChunkFromInput(data, size);
    effect->dispatcher(effect, Vst2::effSetChunk, 0, static_cast<Vst2::VstIntPtr>(chunk.Size()), chunk.MutableData(), 0.0f);
    CheckFiniteAudio(*plugin);
    return 0;
}
