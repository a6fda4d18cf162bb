// A state through the VST 3 binding's IComponent::setState, as a host restores a project.
#include "StateFuzzInput.h"

#include "host/YVst3HostObjects.h"
#include "shell/CreateAudioPlugin.h"
#include "shell/vst3/YAudioPluginVST3Adapter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static YAudioPlugin* plugin = nullptr;
    static YAudioPluginVST3Adapter* adapter = [] {
        plugin = CreateAudioPlugin();
        PrepareForFuzzing(*plugin);
        return new YAudioPluginVST3Adapter(plugin);
    }();
    const YByteBuffer chunk = StateChunkFromInput(data, size);
    Vst3::YVst3Ptr<YVst3Host::MemoryStream> stream(
        new YVst3Host::MemoryStream(std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size())));
    adapter->setState(stream.Get());
    CheckFiniteAudio(*plugin);
    return 0;
}
