#pragma once

#include "engine/YMultiParameter.h"
#include "shell/YAGCMeasurement.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class YAudioEffectPluginToAudioPluginAdapter;

// The bank procedure of a multiparameter in Banks mode, as steps of a gain
// measurement: step k sets the multiparameter to bank position k / (bankCount - 1),
// and after the waits copies every enabled target's current normalised value into
// bank k. Cancelled or failed, the banks and the multiparameter's value go back.
//
// Threads: the polling thread of the measurement (the editor's idle, or the tool).
class YBankGainSteps : public YAGCMeasurement::Steps {
public:
    // Starts the procedure on multiparameter number 0..3 at time now. Raises when the
    // number is out of range, the multiparameter is not in Banks mode, or another
    // measurement runs.
    static std::unique_ptr<YAGCMeasurement> Start(YAudioEffectPluginToAudioPluginAdapter& engine, int32_t number,
                                                  double now);

    YBankGainSteps(YAudioEffectPluginToAudioPluginAdapter& engine, int32_t number);
    int32_t Count() const override { return count_; }
    void Begin(int32_t step) override;
    void Finish(int32_t step) override;
    void Undo() override;

    // Bank position of a step.
    double Position(int32_t step) const { return count_ > 1 ? static_cast<double>(step) / (count_ - 1) : 0.0; }

private:
    YAudioEffectPluginToAudioPluginAdapter& engine_;
    int32_t number_;
    int32_t count_;
    double savedValue_;
    std::vector<std::array<float, YMultiParameterParameter::kMaxBanks>> savedBanks_;  // one per target, as at the start
};
