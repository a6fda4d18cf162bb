#pragma once

// What the whole-binary tests share: where the built plug-ins are, loading them, and
// the test plug-in's engine run directly for comparison.

#include "host/YPluginHost.h"
#include "host/YVst2HostedPlugin.h"
#include "host/YVst3HostedPlugin.h"
#include "host/plugin/TestPlugin.h"

#include "platform/Platform.h"
#include "platform/PlatformAbi.h"
#include "shell/HostTransport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace HostTest {

inline constexpr const char* kTestPlugin = "VortalisTestPlugin";
inline constexpr const char* kProduct = "Vortalis";

// The library file of a plug-in in the build folder.
inline YString PluginBinary(const char* name) {
    return YString::FromUtf8(std::string(VORTALIS_PLUGIN_FOLDER) + "/" + name + (Platform::kWindowsTarget ? ".dll" : ".so"));
}
inline YString PluginBundle(const char* name) {
    return YString::FromUtf8(std::string(VORTALIS_PLUGIN_FOLDER) + "/" + name + ".vst3");
}
inline bool PluginBuilt(const char* name) { return Platform::PathKind(PluginBinary(name)) == 1; }

inline std::shared_ptr<YPluginLibrary> Load(const char* name = kTestPlugin) {
    YString error;
    std::shared_ptr<YPluginLibrary> library = YPluginLibrary::Open(PluginBinary(name), error);
    EXPECT_TRUE(library) << error.ToUtf8();
    return library;
}

inline std::unique_ptr<YVst2HostedPlugin> MakeVst2(const std::shared_ptr<YPluginLibrary>& library,
                                                   const YVst2HostedPlugin::Options& options = {}) {
    YString error;
    auto plugin = YVst2HostedPlugin::Create(library, error, options);
    EXPECT_TRUE(plugin) << error.ToUtf8();
    return plugin;
}

inline std::unique_ptr<YVst3HostedPlugin> MakeVst3(const std::shared_ptr<YPluginLibrary>& library) {
    YString error;
    auto plugin = YVst3HostedPlugin::Create(library, error);
    EXPECT_TRUE(plugin) << error.ToUtf8();
    return plugin;
}

// Stereo signal blocks: a different sine per channel.
struct Signal {
    std::vector<std::vector<float>> channels;
    explicit Signal(int frames, int seed = 0) : channels(2, std::vector<float>(static_cast<std::size_t>(frames))) {
        for (std::size_t c = 0; c < 2; ++c)
            for (std::size_t i = 0; i < channels[c].size(); ++i)
                channels[c][i] = 0.5f * static_cast<float>(std::sin(0.031 * static_cast<double>(i + seed) * (c + 1)));
    }
};

// One block of the test signal through the plug-in.
inline void ProcessSignal(YHostedPlugin& plugin, int32_t frames) {
    Signal signal(frames);
    std::vector<float> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    const float* in[2] = {signal.channels[0].data(), signal.channels[1].data()};
    float* out[2] = {left.data(), right.data()};
    plugin.Process(in, out, frames);
}

// One block of a scripted session: transport and MIDI for the block.
struct BlockScript {
    bool playing = false;
    double tempo = 120.0;
    std::vector<YHostMIDIEvent> midi;
};

// A plug-in's engine without library or binding, fed as the bindings feed it: the
// test plug-in unless another is given.
class DirectEngine {
public:
    explicit DirectEngine(double rate = 48000.0, YAudioPlugin* plugin = MakeTestAudioPlugin(&TestProbeEffectFactory))
        : plugin_(plugin), rate_(rate) {
        plugin_->SetSampleRate(rate);
        plugin_->SetChannels(2, 2);
        plugin_->InitProcessing();
    }
    YAudioPlugin& Plugin() { return *plugin_; }

    // One block: transport as the bindings set it, MIDI, then the audio.
    void Run(const BlockScript& script, const float* const* inputs, float* const* outputs, int32_t frames) {
        HostTransport& transport = plugin_->transport;
        transport.timeInfoValid = transport.tempoValid = 1;
        transport.transportJumped = 0;
        transport.tempo = script.tempo;
        transport.ppqPosition = ppq_;
        UpdatePlayingState(transport, lastPpq_, script.playing, ppq_);
        for (const YHostMIDIEvent& midi : script.midi) plugin_->ProcessMIDIEvent(midi.offset, midi.status, midi.data1, midi.data2);
        std::vector<float> left(inputs[0], inputs[0] + frames), right(inputs[1], inputs[1] + frames);
        float* in[32] = {left.data(), right.data()};
        float* out[32] = {outputs[0], outputs[1]};
        plugin_->ProcessAudio(in, out, frames, true);
        if (script.playing) ppq_ += frames * script.tempo / (60.0 * rate_);
    }

private:
    std::unique_ptr<YAudioPlugin> plugin_;
    double rate_;
    double ppq_ = 0.0;
    double lastPpq_ = 0.0;
};

}  // namespace HostTest
