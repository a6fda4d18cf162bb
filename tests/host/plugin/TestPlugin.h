#pragma once

// The plug-in inside the test plug-in library: the engine around PassThroughEffect,
// with a few additions that make its insides visible from outside the library. The
// host tests compile the same classes to run the engine directly and compare.
//  - The effect adds a probe level to every output sample: tempo / 1000 while the
//    transport plays, plus 1/100 per held note, so transport and MIDI show in audio.
//  - Notes are echoed to the MIDI output.
//  - MIDI controller 20 sets "Fourth" and reports it as the plug-in's own automation.
//  - Its state stores the parameters, the bypass switch and the upsampling settings.

#include "engine/PassThroughEffect.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YStoreArchive.h"

#include <memory>

class TestProbeEffect : public PassThroughEffect {
public:
    // Longer than the 24 characters a VST 2 parameter name keeps.
    static inline const YString kLongIdentifier = "fourthParameterWithALongIdentifier";

    TestProbeEffect() { Table()[kFourth].id = kLongIdentifier; }

    int32_t GetLatency() override { return latency; }

    void ProcessBlock(HostTransport& context, float** inputs, float** outputs, int32_t count) override {
        PassThroughEffect::ProcessBlock(context, inputs, outputs, count);
        int32_t held = 0;
        if (engine_)
            for (int32_t channel : static_cast<YAudioPlugin*>(engine_)->channelHeld) held += channel;
        const auto probe = static_cast<float>((context.playing ? context.tempo / 1000.0 : 0.0) + held / 100.0);
        for (int32_t c = 0; c < Channels(); ++c)
            for (int32_t i = 0; i < count; ++i) outputs[c][i] += probe;
    }

    int32_t latency = 0;  // samples at the processing rate
};

inline intptr_t TestProbeEffectFactory(void* effect, int64_t command, int64_t argument) {
    auto* object = effect ? static_cast<TestProbeEffect*>(effect) : new TestProbeEffect;
    if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(object);
    return object->Command(command, argument);
}

class TestAudioEffectPlugin : public YAudioEffectPluginToAudioPluginAdapter {
public:
    static constexpr int32_t kAutomationController = 20;

    TestAudioEffectPlugin() {
        receivesMIDI = true;
        sendsMIDI = true;
        needsHostSync = true;
    }

    void ProcessNote(const YNoteEvent& note) override {
        GenerateNoteEvent(note.offset, note.channel, note.key, note.velocity, note.on);
        YAudioEffectPluginToAudioPluginAdapter::ProcessNote(note);
    }

    bool ProcessMIDIController(int32_t offset, double time, int32_t channel, int32_t controller, double value) override {
        if (controller != kAutomationController)
            return YAudioEffectPluginToAudioPluginAdapter::ProcessMIDIController(offset, time, channel, controller, value);
        SetParameter(PassThroughEffect::kFourth, value);
        if (ParameterMainBase* parameter = Parameter(PassThroughEffect::kFourth)) parameter->SendAutomation(0);
        return true;
    }

    void Store(YStoreArchive& archive) override {
        int32_t version = kSettingsVersion;
        int32_t upsampling = UpsamplingFactor();
        int32_t highQuality = HighQualityUpsampling() ? 1 : 0;
        bool bypassed = bypass;
        archive.IntegerAlways("Version", version);
        archive.IntegerAlways("upsampling", upsampling);
        archive.IntegerAlways("hqupsampling", highQuality);
        archive.Boolean("Bypass", bypassed, false);
        const int32_t count = GetParameterCount();
        std::vector<double> values(static_cast<std::size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            values[static_cast<std::size_t>(i)] = GetParameter(i);
            archive.Number(YString("parameter") + GetParameterID(i), values[static_cast<std::size_t>(i)],
                           GetParameterDefaultValue(i));
        }
        if (archive.Saving()) return;
        {
            YScopedLock parameters(parameterLock);
            YScopedLock editor(editorLock);
            YScopedLock processing(processingLock);
            for (int32_t i = 0; i < count; ++i) SetParameter(i, values[static_cast<std::size_t>(i)], true);
            bypass = bypassed;
        }
        UpdateUpsamplingFactor(upsampling, highQuality != 0);
        InitProcessing();
    }
};

// What CreateAudioPlugin makes in the test plug-in library.
inline YAudioPlugin* MakeTestAudioPlugin(YEffectFactory factory) {
    auto plugin = std::make_unique<TestAudioEffectPlugin>();
    plugin->Initialize("Vortalis", "Yorvane", factory, 500, 100);
    return plugin.release();
}
