#pragma once

#include "foundation/YGrowableBuffer.h"
#include "shell/YDelayLine.h"

#include <array>
#include <cstdint>

// Automatic gain compensation: measures the loudness-weighted power of a block's
// input before the engine runs and of its output afterwards, and multiplies the
// output by the gain that makes the two equal.
//
// Threads: Initialize runs on the user-interface thread under the plug-in's three
// locks; the measurements run on the audio thread inside the block road. No call
// allocates once the scratch buffers have grown to the largest block seen.
class YAGCProcessor {
public:
    static constexpr int32_t kMaxChannels = 8;
    static constexpr double kWindowSeconds = 0.4;
    // During the first seconds after initialisation the gain only attenuates.
    static constexpr double kHoldSeconds = 2.0;
    static constexpr double kMinGain = 0.01;   // -40 dB
    static constexpr double kMaxGain = 100.0;  // +40 dB
    // Below this output power the output counts as silent and gets gain 1.
    static constexpr double kSilentPower = 1e-10;
    // The target power when there is no input to measure.
    static constexpr double kFixedInputPower = 0.05;

    // Mean power over a sliding window: a ring of per-sample powers and their sum.
    class LevelMeter {
    public:
        // Sizes the ring (at least one value) and clears it.
        void Resize(int32_t window);
        void Push(const float* powers, int32_t count);
        // Replaces the measurement by fixed figures until the next push.
        void SetFixed(double sum, double normaliser) {
            sum_ = sum;
            normaliser_ = normaliser;
        }
        double Power() const { return sum_ * normaliser_; }
        int32_t Window() const { return window_; }

    private:
        YGrowableBuffer<float> ring_;
        int32_t window_ = 1;
        int32_t position_ = 0;
        double sum_ = 0.0;
        double normaliser_ = 1.0;
    };

    // One biquad section, coefficients divided by a0.
    struct Biquad {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };
    // The loudness weighting: a +4 dB high shelf at 1501.5 Hz, then a high-pass at
    // 38.05 Hz, both from the audio EQ cookbook.
    class Weighting {
    public:
        // The memories of both sections for one channel (transposed direct form II).
        struct State {
            double s1[2] = {0.0, 0.0}, s2[2] = {0.0, 0.0};
        };
        void Design(double sampleRate);
        // output may equal input. A state that a non-finite sample poisoned is
        // cleared at the end of the block, so the filter recovers with the signal.
        void Process(State& state, const float* input, float* output, int32_t count) const;

    private:
        std::array<Biquad, 2> sections_;
    };

    void Initialize(double sampleRate, int32_t channelCount);
    // Input delay in samples (0: none), aligning the measured input with the
    // output of a plug-in that has latency; takes effect at the next Initialize.
    void SetInputDelay(int32_t samples) { inputDelay_ = samples > 0 ? samples : 0; }
    void SetWeightingEnabled(bool on) { weightingEnabled_ = on; }

    // Audio thread, before the engine: the input's weighted power into the input meter.
    void MeasureInput(float* const* channels, int32_t frames);
    // Audio thread, when there are no input buses: the target becomes kFixedInputPower.
    void UseFixedInput() { inputMeter_.SetFixed(kFixedInputPower, 1.0); }
    // Audio thread, after the engine: measures the output and ramps it to the new gain.
    void MeasureOutputAndApply(float* const* channels, int32_t frames);

    double Gain() const { return gain_; }
    // Multiplies channels by a straight ramp from one gain to another that arrives at
    // the block's end; a buffer the host gave for two channels is scaled once.
    static void ApplyRamp(float* const* channels, int32_t count, int32_t frames, double from, double to);
    const LevelMeter& InputMeter() const { return inputMeter_; }
    int32_t ChannelCount() const { return channelCount_; }

    // Whether the road runs the processor; copied from the switch at preparation.
    bool active = false;

private:
    // The mean weighted power per sample of the channels into power_.
    void MeasureChannels(float* const* channels, int32_t frames, Weighting::State* states, bool delayed);

    LevelMeter inputMeter_, outputMeter_;
    Weighting weighting_;
    bool weightingEnabled_ = true;
    std::array<Weighting::State, kMaxChannels> inputStates_{}, outputStates_{};
    int32_t inputDelay_ = 0;
    std::array<YDelayLine, kMaxChannels> inputDelays_;
    double sampleRate_ = 44100.0;
    int32_t channelCount_ = 2;
    int32_t holdRemaining_ = 0;
    double gain_ = 0.0;
    YGrowableBuffer<float> filtered_;
    YGrowableBuffer<float> power_;
};
