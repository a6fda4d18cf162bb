#pragma once

// Test sounds for the pitch analysis, the same on every platform (no library noise).
#include "media/YAudioFileReader.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

// A sawtooth of the given harmonics, rising through one period over 0 .. 1.
inline double BandLimitedSaw(double phase, int harmonics) {
    double sum = 0;
    for (int k = 1; k <= harmonics; ++k) sum -= std::sin(2 * std::numbers::pi * k * phase) / k;
    return sum;
}

// Uniform noise in -1 .. 1 from a fixed generator.
class TestNoise {
public:
    double Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) / 4503599627370496.0 - 1.0;
    }

private:
    uint64_t state_ = 12345;
};

// wave(phase in 0 .. 1) at the frequency, plus uniform noise noiseDb below the wave's RMS.
template <class Wave>
std::vector<float> Periodic(double frequency, double rate, double seconds, Wave wave, double noiseDb = 0) {
    const auto count = static_cast<std::size_t>(seconds * rate);
    std::vector<double> x(count);
    double power = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double phase = frequency * static_cast<double>(i) / rate;
        x[i] = wave(phase - std::floor(phase));
        power += x[i] * x[i];
    }
    // Uniform noise in -a .. a has the RMS a / sqrt(3).
    const double amplitude = noiseDb < 0 ? std::sqrt(3 * power / static_cast<double>(count)) * std::pow(10, noiseDb / 20) : 0;
    TestNoise noise;
    std::vector<float> out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<float>(x[i] + amplitude * noise.Next());
    return out;
}

inline std::vector<float> WhiteNoise(double rate, double seconds) {
    TestNoise noise;
    std::vector<float> out(static_cast<std::size_t>(rate * seconds));
    for (float& v : out) v = static_cast<float>(noise.Next());
    return out;
}

inline YAudioData MonoSound(std::vector<float> samples, double rate) {
    YAudioData audio;
    audio.channels = 1;
    audio.sampleRate = rate;
    audio.samples = std::move(samples);
    return audio;
}
