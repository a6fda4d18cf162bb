#pragma once

#include "modulation/YModulationPluginBase.h"

#include <array>
#include <vector>

// An LFO effect laid out like the phaser (rate at 3, synchronisation at 10 .. 13)
// whose output is its LFO curve; channel ch is sampled ch / 4 cycles later.
class LfoTestEffect : public YModulationPluginBase {
public:
    static constexpr int32_t kRate = 3, kSync = 10, kLength = 11, kType = 12, kCount = 14;

    LfoTestEffect() {
        for (int32_t i = 0; i < kCount; ++i) table_[i] = FloatParameter("Other", YString(char16_t(u'a' + i)), 0, 1, 0.5);
        definitions_ = table_.data();
        definitionCount_ = kCount;
        SetupRateParameters(kRate, 0.01, 20.0, 2.0, kSync);
    }

    void SetupHostSyncParameters() override { DeclareHostSyncParameters(); }
    void ParameterStateChanged(int32_t index) override { stateChanges.push_back(index); }

    // The order of calls a derived effect's block follows.
    void ProcessBlock(HostTransport& time, float**, float** outputs, int32_t count) override {
        UpdateTimingFromHost(time);
        PollShapeChanged();
        YScopedLock hold(mutex_);
        for (int32_t ch = 0; ch < channelCount_; ++ch) {
            float* curve = EnsureLfoBuffer(count);
            SampleShape(curve, count, Phase() + ch * 0.25);
            Declick(ch, curve, count);
            for (int32_t i = 0; i < count; ++i) outputs[ch][i] = curve[i];
        }
        AdvancePhase(count);
    }

    // One block without tempo or position unless given; answers channel 0.
    std::vector<float> Run(int32_t count, HostTransport time = HostTransport{-1.0, -1.0}) {
        std::vector<std::vector<float>> out(channelCount_, std::vector<float>(count));
        std::vector<float*> pointers;
        for (auto& channel : out) pointers.push_back(channel.data());
        ProcessBlock(time, pointers.data(), pointers.data(), count);
        return out[0];
    }

    ParameterDefinition& Definition(int32_t index) { return table_[index]; }

    std::vector<int32_t> stateChanges;

private:
    std::array<ParameterDefinition, kCount> table_;
};
