#include "DemoSignal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A sawtooth without the aliasing of a naive ramp: the step at each wrap is
// smoothed by a two-sample polynomial correction.
class Sawtooth {
public:
    Sawtooth(double frequency, double sampleRate, double phase) : increment_(frequency / sampleRate), phase_(phase) {}
    double Next() {
        double value = 2.0 * phase_ - 1.0 - Correction(phase_);
        phase_ += increment_;
        if (phase_ >= 1.0) phase_ -= 1.0;
        return value;
    }

private:
    double Correction(double t) const {
        const double dt = increment_;
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0;
        }
        if (t > 1.0 - dt) {
            t = (t - 1.0) / dt;
            return t * t + t + t + 1.0;
        }
        return 0.0;
    }

    double increment_;
    double phase_;
};

}  // namespace

DemoSignal::DemoSignal(double sampleRate) : sampleRate_(sampleRate) {
    const int64_t frames = static_cast<int64_t>(kSeconds * sampleRate);
    samples_.resize(static_cast<std::size_t>(frames * kChannels));

    // Two bars of A minor seven and F major seven, each voice doubled slightly
    // detuned across the two channels for width.
    const double chords[2][4] = {{110.0, 130.81, 164.81, 196.0}, {87.31, 130.81, 174.61, 220.0}};
    const double beat = 0.5;  // seconds: 120 beats per minute
    uint32_t noiseState = 12345;
    double burstLow = 0.0, burstHigh = 0.0;
    for (int chord = 0; chord < 2; ++chord) {
        std::vector<Sawtooth> left, right;
        for (double f : chords[chord]) {
            left.emplace_back(f * 0.998, sampleRate, 0.1);
            right.emplace_back(f * 1.002, sampleRate, 0.6);
        }
        const int64_t begin = frames * chord / 2, end = frames * (chord + 1) / 2;
        for (int64_t i = begin; i < end; ++i) {
            const double t = static_cast<double>(i) / sampleRate;
            double l = 0.0, r = 0.0;
            for (auto& voice : left) l += voice.Next();
            for (auto& voice : right) r += voice.Next();
            // A gentle swell per chord, so the change of chord is heard.
            const double local = static_cast<double>(i - begin) / static_cast<double>(end - begin);
            const double swell = 0.12 * (0.6 + 0.4 * std::sin(std::numbers::pi * local));

            // Noise bursts on the half beats, high-passed to a hi-hat-like hiss.
            noiseState = noiseState * 1664525u + 1013904223u;
            const double white = static_cast<double>(noiseState >> 8) / 8388608.0 - 1.0;
            burstLow += 0.3 * (white - burstLow);
            burstHigh = white - burstLow;
            const double sinceBurst = std::fmod(t, beat / 2.0);
            const double burst = 0.35 * std::exp(-sinceBurst * 40.0) * burstHigh;

            samples_[static_cast<std::size_t>(i * 2)] = static_cast<float>(l * swell + burst);
            samples_[static_cast<std::size_t>(i * 2 + 1)] = static_cast<float>(r * swell + burst);
        }
    }
    // Short fades so the file starts and ends without a click.
    const int64_t fade = static_cast<int64_t>(0.01 * sampleRate);
    for (int64_t i = 0; i < fade && i < frames; ++i) {
        const float gain = static_cast<float>(i) / static_cast<float>(fade);
        for (int c = 0; c < kChannels; ++c) {
            samples_[static_cast<std::size_t>(i * kChannels + c)] *= gain;
            samples_[static_cast<std::size_t>((frames - 1 - i) * kChannels + c)] *= gain;
        }
    }
}

bool DemoSignal::Read(float* interleaved, int64_t frames, std::string& error) {
    const std::size_t count = static_cast<std::size_t>(frames * kChannels);
    if (count > samples_.size() - position_) {
        error = "the demonstration signal ends early";
        return false;
    }
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(position_), count, interleaved);
    position_ += count;
    return true;
}
