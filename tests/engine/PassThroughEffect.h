#pragma once

#include "engine/YAudioEffectPlugin.h"
#include "engine/YAudioEffectPluginToAudioPluginAdapter.h"

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// A small effect for driving the engine: it multiplies by its "Gain" parameter and
// checks that it is never asked to process while it is being prepared.
class PassThroughEffect : public YAudioEffectPlugin {
public:
    static inline const YString kModes[4] = {"Zero", "One", "Two", "Three"};
    enum { kGain, kCount, kMode, kSwitch, kFourth, kSync, kParameterCount };

    PassThroughEffect() {
        table_[kGain] = FloatParameter("Gain", "gain", 0.0, 2.0, 1.0);
        table_[kGain].shape = ParameterShape::Squared;
        table_[kCount] = IntegerParameter("Count", "count", 1, 100, 10);
        table_[kMode] = EnumParameter("Mode", "mode", kModes, 4, 0);
        table_[kSwitch] = BooleanParameter("Switch", "switch", false);
        table_[kFourth] = FloatParameter("Fourth", "fourth", 0.0, 1.0, 0.0);
        table_[kFourth].shape = ParameterShape::FourthPower;
        table_[kFourth].SetFlag(0, ParameterDefinition::kMarksDirtyBit, false);
        table_[kSync] = BooleanParameter("Synchronization", "sync", false);
        table_[kSync].kind = ParameterKind::ExternalBoolean;
        definitions_ = table_.data();
        definitionCount_ = kParameterCount;
    }

    YRelaxed<bool>* ExternalSwitch(int32_t index) override { return index == kSync ? &sync : nullptr; }

    int32_t Prepare(int32_t channels, double) override {
        preparing = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(prepareMilliseconds));
        channels_ = channels;
        preparing = false;
        return 0;
    }
    void UpdateFromParameters() override {
        YScopedLock lock(mutex_);
        gain_ = table_[kGain].EffectiveValue();
    }
    void ProcessBlock(HostTransport&, float** inputs, float** outputs, int32_t count) override {
        YScopedLock lock(mutex_);
        if (preparing) ++violations;
        const float gain = static_cast<float>(gain_);
        for (int32_t c = 0; c < channels_; ++c)
            for (int32_t i = 0; i < count; ++i) outputs[c][i] = inputs[c][i] * gain;
        ++blocks;
    }
    uint32_t GetTailSize() override { return 0xFFFFFFFF; }  // endless

    std::array<ParameterDefinition, kParameterCount>& Table() { return table_; }
    int32_t Channels() const { return channels_; }

    YRelaxed<bool> sync{false};
    int prepareMilliseconds = 0;
    std::atomic<bool> preparing{false};
    std::atomic<int> violations{0};
    std::atomic<int> blocks{0};

private:
    std::array<ParameterDefinition, kParameterCount> table_;
    int32_t channels_ = 0;
    double gain_ = 1.0;
};

inline intptr_t PassThroughEffectFactory(void* effect, int64_t command, int64_t argument) {
    auto* object = effect ? static_cast<PassThroughEffect*>(effect) : new PassThroughEffect;
    if (command == kEffectCommandGetObject) return reinterpret_cast<intptr_t>(object);
    return object->Command(command, argument);
}

// An engine around the pass-through effect, stereo at 48 kHz and prepared.
inline void PrepareEngine(YAudioEffectPluginToAudioPluginAdapter& engine, const char* product = "Test",
                          const char* maker = "Maker") {
    engine.Initialize(YString::FromUtf8(product), YString::FromUtf8(maker), &PassThroughEffectFactory, 500, 100);
    engine.SetSampleRate(48000.0);
    engine.SetChannels(2, 2);
    engine.InitProcessing();
}

// One stereo block of a constant level through the engine; the left output.
inline std::vector<float> RunEngineBlock(YAudioEffectPluginToAudioPluginAdapter& engine, int frames, float level = 0.0f) {
    std::vector<float> left(frames, level), right(frames, level), outLeft(frames), outRight(frames);
    float* inputs[32] = {left.data(), right.data()};
    float* outputs[32] = {outLeft.data(), outRight.data()};
    engine.ProcessAudio(inputs, outputs, frames, true);
    return outLeft;
}
