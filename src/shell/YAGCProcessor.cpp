#include "shell/YAGCProcessor.h"

#include "foundation/YVectorOps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// ---- Level meter ---------------------------------------------------------------------

void YAGCProcessor::LevelMeter::Resize(int32_t window) {
    window_ = std::max(1, window);
    YVectorOps::Clear(ring_.Ensure(static_cast<uint32_t>(window_)), window_);
    position_ = 0;
    sum_ = 0.0;
    normaliser_ = 1.0 / window_;
}

void YAGCProcessor::LevelMeter::Push(const float* powers, int32_t count) {
    normaliser_ = 1.0 / window_;  // a fixed measurement lasts one block
    float* ring = ring_.Data();
    for (int32_t i = 0; i < count; ++i) {
        // A non-finite power (an overflowing or NaN sample) enters as silence, so one
        // bad sample cannot poison the sum for good.
        const float value = std::isfinite(powers[i]) ? powers[i] : 0.0f;
        sum_ += static_cast<double>(value) - static_cast<double>(ring[position_]);
        ring[position_] = value;
        if (++position_ == window_) {
            position_ = 0;
            // Once per window the sum is formed afresh, so rounding left behind by a
            // very loud passage does not outlive it.
            double fresh = 0.0;
            for (int32_t k = 0; k < window_; ++k) fresh += static_cast<double>(ring[k]);
            sum_ = fresh;
        }
    }
}

// ---- Weighting ---------------------------------------------------------------------

void YAGCProcessor::Weighting::Design(double sampleRate) {
    {
        // High shelf, f0 1501.5 Hz, Q 0.7072, +4 dB.
        const double w = 2.0 * std::numbers::pi * 1501.5 / sampleRate;
        const double a = std::pow(10.0, 4.0 / 40.0), cw = std::cos(w), alpha = std::sin(w) / 1.4144;
        const double root = 2.0 * std::sqrt(a) * alpha;
        const double a0 = (a + 1.0) - (a - 1.0) * cw + root;
        Biquad& s = sections_[0];
        s.b0 = a * ((a + 1.0) + (a - 1.0) * cw + root) / a0;
        s.b1 = -2.0 * a * ((a - 1.0) + (a + 1.0) * cw) / a0;
        s.b2 = a * ((a + 1.0) + (a - 1.0) * cw - root) / a0;
        s.a1 = 2.0 * ((a - 1.0) - (a + 1.0) * cw) / a0;
        s.a2 = ((a + 1.0) - (a - 1.0) * cw - root) / a0;
    }
    {
        // High-pass, f0 38.05 Hz, Q 0.5, numerator lifted by 10^0.00216.
        const double w = 2.0 * std::numbers::pi * 38.05 / sampleRate;
        const double cw = std::cos(w), alpha = std::sin(w), lift = std::pow(10.0, 0.00216);
        const double a0 = 1.0 + alpha;
        Biquad& s = sections_[1];
        s.b0 = lift * (1.0 + cw) / 2.0 / a0;
        s.b1 = -lift * (1.0 + cw) / a0;
        s.b2 = s.b0;
        s.a1 = -2.0 * cw / a0;
        s.a2 = (1.0 - alpha) / a0;
    }
}

void YAGCProcessor::Weighting::Process(State& state, const float* input, float* output, int32_t count) const {
    const Biquad &p = sections_[0], &q = sections_[1];
    double p1 = state.s1[0], p2 = state.s2[0], q1 = state.s1[1], q2 = state.s2[1];
    for (int32_t i = 0; i < count; ++i) {
        const double x = input[i];
        const double y = p.b0 * x + p1;
        p1 = p.b1 * x - p.a1 * y + p2;
        p2 = p.b2 * x - p.a2 * y;
        const double z = q.b0 * y + q1;
        q1 = q.b1 * y - q.a1 * z + q2;
        q2 = q.b2 * y - q.a2 * z;
        output[i] = static_cast<float>(z);
    }
    if (!std::isfinite(p1 + p2 + q1 + q2)) p1 = p2 = q1 = q2 = 0.0;
    state.s1[0] = p1, state.s2[0] = p2, state.s1[1] = q1, state.s2[1] = q2;
}

// ---- Processor ---------------------------------------------------------------------

void YAGCProcessor::Initialize(double sampleRate, int32_t channelCount) {
    sampleRate_ = sampleRate;
    channelCount_ = std::clamp(channelCount, 1, kMaxChannels);
    const int32_t window = std::max(1, static_cast<int32_t>(sampleRate * kWindowSeconds));
    inputMeter_.Resize(window);
    outputMeter_.Resize(window);
    if (weightingEnabled_) {
        weighting_.Design(sampleRate);
        inputStates_.fill({});
        outputStates_.fill({});
    }
    if (inputDelay_ > 0)
        for (int32_t channel = 0; channel < channelCount_; ++channel) inputDelays_[channel].SetDelay(inputDelay_);
    gain_ = 0.0;
    holdRemaining_ = static_cast<int32_t>(kHoldSeconds * sampleRate);
}

void YAGCProcessor::MeasureChannels(float* const* channels, int32_t frames, Weighting::State* states, bool delayed) {
    float* filtered = filtered_.Ensure(static_cast<uint32_t>(frames));
    float* power = power_.Ensure(static_cast<uint32_t>(frames));
    for (int32_t channel = 0; channel < channelCount_; ++channel) {
        const float* source = channels[channel];
        if (delayed) {
            inputDelays_[channel].Process(source, filtered, frames);
            source = filtered;
        }
        if (weightingEnabled_) {
            weighting_.Process(states[channel], source, filtered, frames);
        } else {
            YVectorOps::Copy(filtered, source, frames);
        }
        YVectorOps::Square(filtered, frames);
        if (channel == 0)
            YVectorOps::Copy(power, filtered, frames);
        else
            YVectorOps::Add(power, filtered, frames);
    }
    YVectorOps::Multiply(power, frames, 1.0f / static_cast<float>(channelCount_));
}

void YAGCProcessor::MeasureInput(float* const* channels, int32_t frames) {
    MeasureChannels(channels, frames, inputStates_.data(), inputDelay_ > 0);
    inputMeter_.Push(power_.Data(), frames);
}

void YAGCProcessor::MeasureOutputAndApply(float* const* channels, int32_t frames) {
    MeasureChannels(channels, frames, outputStates_.data(), false);
    outputMeter_.Push(power_.Data(), frames);

    const double input = inputMeter_.Power(), output = outputMeter_.Power();
    double gain = 1.0;
    if (output >= kSilentPower) gain = std::clamp(std::sqrt(std::max(0.0, input) / output), kMinGain, kMaxGain);
    if (holdRemaining_ > 0) {
        gain = std::min(gain, 1.0);
        holdRemaining_ -= frames;
    }

    ApplyRamp(channels, channelCount_, frames, gain_, gain);
    gain_ = gain;
}

void YAGCProcessor::ApplyRamp(float* const* channels, int32_t count, int32_t frames, double from, double to) {
    const double step = (to - from) / frames;
    for (int32_t channel = 0; channel < count; ++channel) {
        bool repeated = false;
        for (int32_t earlier = 0; earlier < channel; ++earlier) repeated |= channels[earlier] == channels[channel];
        if (!repeated) YVectorOps::MultiplyRamp(channels[channel], frames, static_cast<float>(from), static_cast<float>(step));
    }
}
