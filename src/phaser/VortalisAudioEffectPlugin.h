#pragma once

#include "engine/ParameterDefinition.h"
#include "foundation/YGrowableBuffer.h"
#include "modulation/YModulationPluginBase.h"
#include "phaser/AllPassChain.h"
#include "phaser/PhaserKernels.h"
#include "phaser/SoftClipper.h"
#include "platform/PlatformAbi.h"

#include <array>
#include <cstdint>

// The phaser: per channel, the input plus feedback runs through up to 100 first-order
// all-pass stages whose common coefficient follows the LFO, the chain output is
// blended with a soft-clipped copy of itself and mixed with the dry input.
//
// Per block the LFO curve is sampled, declicked and mapped to a sweep frequency in
// single precision for each channel, and turned into one all-pass coefficient per
// sample; the recursive part then runs in double precision with the channels side
// by side (AllPassChain), and saturation and the dry/wet mix follow per sample. The
// per-sample work is vectorised over samples (PhaserKernels).
class VortalisAudioEffectPlugin : public YModulationPluginBase {
public:
    enum Index : int32_t {
        kDryWet,
        kMinFrequency,
        kMaxFrequency,
        kRate,
        kFeedback,
        kMode,
        kPhaseDifference,
        kSaturation,
        kShapeMode,
        kInvertFeedback,
        kSynchronization,
        kSyncLength,
        kSyncType,
        kSyncPhase,
        kParameterCount
    };
    enum class ShapeMode : int32_t { Linear, Squared, Logarithmic };
    static constexpr int32_t kMaxChannels = AllPassChain::kMaxChannels;
    static constexpr int32_t kTailSamples = 1024;
    static constexpr double kInputOffset = static_cast<double>(1e-15f);

    VortalisAudioEffectPlugin();

    void UpdateFromParameters() override;
    int32_t Prepare(int32_t channels, double sampleRate) override;
    void ProcessBlock(HostTransport& context, float** inputs, float** outputs, int32_t count) override;
    uint32_t GetTailSize() override { return kTailSamples; }
    void SkipSamples(int32_t count) override;
    void SetupHostSyncParameters() override { DeclareHostSyncParameters(); }

    ParameterDefinition& Definition(Index index) { return table_[index]; }
    AllPassChain& Chain() { return chain_; }
    const SoftClipper& Clipper() const { return clipper_; }
    double FeedbackCoefficient() const { return feedback_; }
    double ChannelPhaseOffset(int32_t channel) const { return phaseOffsets_[channel]; }
    int32_t ActiveStages() const { return activeStages_; }
    double SaturationMix() const { return saturationMix_; }
    double CleanMix() const { return cleanMix_; }
    int64_t ShapeChangeCount() const { return shapeChangeCounter_; }
    const ParameterDefinition& ShapeParameter() const { return shapeParameter_; }

    // The sweep of one channel's LFO curve, in place: "Linear" and "Squared" between
    // normalised frequencies lo and hi, "Logarithmic" between log10 frequencies, the
    // result always a normalised frequency (fraction of the Nyquist frequency).
    static void MapSweep(float* curve, int32_t count, ShapeMode mode, double low, double high, double sampleRate);

private:
    void ProcessChannels(float** inputs, float** outputs, int32_t count, int32_t channels);
    // Each channel's LFO curve for the block, from the LFO phase and its offset.
    void SampleShapes(float* const* curves, int32_t count, int32_t channels, const PhaserKernels::Set& kernels);

    int64_t shapeChangeCounter_ = 0;
    std::array<ParameterDefinition, kParameterCount> table_;
    ParameterDefinition shapeParameter_;  // the shape as a special, non-automatable parameter
    double feedback_ = 0.0;
    std::array<double, kMaxChannels> phaseOffsets_{};
    int32_t activeStages_ = 0;
    AllPassChain chain_;
    SoftClipper clipper_;
    double saturationMix_ = 1.0;
    double cleanMix_ = 0.0;
    double squareTermWeight_ = 0.0;

    // Per-block working buffers, one array per channel: the sweeps, and the chain's
    // inputs, coefficients and outputs.
    YGrowableBuffer<float> sweeps_;
    YGrowableBuffer<double> chainArrays_;
    YGrowableBuffer<double> wets_;  // the dry/wet of each sample while it ramps
};

// The effect factory and command entry the engine creates the phaser through:
// a null effect makes a new one; command 7 answers the effect itself; anything else
// goes to its command operation.
extern "C" Y_EXPORT intptr_t VortalisAudioEffectPluginInterface(void* effect, int64_t command, int64_t argument) noexcept;
