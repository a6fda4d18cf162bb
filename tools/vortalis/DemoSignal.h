#pragma once

#include <cstdint>
#include <vector>

// The built-in demonstration signal: a bright, slowly changing sawtooth chord with
// short noise bursts on every half beat, the kind of broadband material on which a
// phaser's moving notches are plainly audible. Deterministic for a given rate.
struct DemoSignal {
    static constexpr double kSeconds = 8.0;
    static constexpr int32_t kChannels = 2;

    // Interleaved stereo samples at the given rate.
    static std::vector<float> Render(double sampleRate);
};
