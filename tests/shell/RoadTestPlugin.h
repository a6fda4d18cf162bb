#pragma once

#include "foundation/YFormat.h"
#include "foundation/YSynchronizer.h"
#include "shell/YAudioPlugin.h"

#include <vector>

// A run of parameters that remembers the last write.
class ParameterRun : public YAudioPlugin::AutomationAdapter {
public:
    ParameterRun(int32_t first, int32_t size, const char* tag) : tag_(YString::FromLatin1(tag)) {
        firstIndex = first;
        count = size;
        values.assign(static_cast<std::size_t>(size), 0.0);
    }
    void SetValue(int32_t local, double value, bool) override {
        values[static_cast<std::size_t>(local)] = value;
        ++writes;
    }
    double GetValue(int32_t local) const override { return values[static_cast<std::size_t>(local)]; }
    YString GetName(int32_t local) const override { return YFormat("{0}{1}").Arg(tag_).Arg(local); }
    YString GetID(int32_t local) const override { return GetName(local); }
    YString GetValueName(int32_t local) const override { return YFormat("{0;.2}").Arg(GetValue(local)); }
    YString GetValueNameFrom01(int32_t, double value) const override { return YFormat("{0;.2}").Arg(value); }
    double ParseValueName(int32_t, const YString& text) const override { return ToDouble(text); }
    int32_t GetType(int32_t) const override { return 1; }

    std::vector<double> values;
    int writes = 0;

private:
    YString tag_;
};

// A plug-in whose engine multiplies the processed channels by a gain parameter and
// records every call the road makes to it.
class RoadTestPlugin : public YAudioPlugin {
public:
    struct Call {
        int32_t frames, channels;
        double gain, ppq;
    };

    double gain = 1.0;           // the parameter the road smooths
    double smoothedGain = 1.0;   // what the engine uses while smoothing
    bool gainInterpolating = false;
    int32_t latency = 0;
    int32_t channelMode = 0;
    bool surroundEnables[8] = {true, true, true, true, true, true, true, true};
    int32_t subBlockLimit = 2147483647;
    std::vector<Call> calls;
    int32_t prepareOnceCalls = 0;

    RoadTestPlugin() { calls.reserve(4096); }

    void InitProcessing() override {
        YScopedLock parameters(parameterLock);
        YScopedLock editor(editorLock);
        YScopedLock processing(processingLock);
        std::vector<InterpolatedParameter> list(1);
        PrepareRoad(channelMode, surroundEnables, list);
    }
    int32_t GetLatency() override { return latency; }

    // Registers a run of parameters; the plug-in keeps it alive.
    ParameterRun* AddRun(int32_t first, int32_t size, const char* tag) {
        auto* run = new ParameterRun(first, size, tag);
        AddAutomationAdapter(run);
        run->ReleaseReference();
        return run;
    }

protected:
    void PreBlock(float**, float**, int32_t) override { SetSubBlockLimits(subBlockLimit, 256); }
    void PrepareForProcessingOnce(float**, float**, int32_t) override { ++prepareOnceCalls; }
    void Process(float** inputs, float** outputs, int32_t frames) override {
        const double applied = gainInterpolating ? smoothedGain : gain;
        if (calls.size() < calls.capacity()) calls.push_back(Call{frames, ProcessedChannels(), applied, transport.ppqPosition});
        for (int32_t channel = 0; channel < ProcessedChannels(); ++channel)
            for (int32_t i = 0; i < frames; ++i) outputs[channel][i] = static_cast<float>(inputs[channel][i] * applied);
    }
    double GetInterpolationValue(const InterpolatedParameter&) override { return gain; }
    void SetInterpolationValue(const InterpolatedParameter&, double value, bool interpolating) override {
        smoothedGain = value;
        gainInterpolating = interpolating;
    }
    void UpdateFromParameters() override {}
};
