#pragma once

#include "foundation/YString.h"

#include <cstdint>

// The signal generator's built-in waveforms (morphed in this order) and step shapes,
// computed once per process on first use; the generator's constructor asks for them
// so that no render on the audio thread does.
class YSignalGeneratorTables {
public:
    static constexpr int32_t kWaveformCount = 16;
    static constexpr int32_t kWaveformSize = 8192;
    static constexpr int32_t kStepShapeCount = 37;
    static constexpr int32_t kStepShapeSize = 1024;

    static const YSignalGeneratorTables& Get();

    static const YString& WaveformName(int32_t index);
    static const YString& StepShapeName(int32_t index);

    // Values in -1 .. 1, peak 1.
    const float* Waveform(int32_t index) const { return waveforms_[index]; }
    // Values in 0 .. 1: the generator scales them by the step's level.
    const float* StepShape(int32_t index) const { return stepShapes_[index]; }

private:
    YSignalGeneratorTables();
    YSignalGeneratorTables(const YSignalGeneratorTables&) = delete;
    YSignalGeneratorTables& operator=(const YSignalGeneratorTables&) = delete;

    float waveforms_[kWaveformCount][kWaveformSize];
    float stepShapes_[kStepShapeCount][kStepShapeSize];
};
