#pragma once

#include <cstdint>

// Keeps an LFO curve from jumping when its shape is replaced: on a trigger the new
// curve is offset so that it continues the old one's slope, and the offset fades
// linearly to nothing over one second. One per channel; audio thread only.
struct LfoDeclicker {
    float beforeLast = 0.0f;  // the previous block's last two samples, older first
    float last = 0.0f;
    float value = 0.0f;       // correction added to the next sample
    float step = 0.0f;        // added to the correction per sample
    bool triggered = false;
    int32_t remaining = 0;    // samples still to correct
    double reciprocal = 0.0;  // 1 / fade length
    int32_t length = 0;       // fade length in samples

    // A one-second fade at this rate; everything else cleared.
    void Reset(double sampleRate) noexcept;
    // The next run starts a fade from the old curve's continuation.
    void Trigger() noexcept { triggered = true; }
    // Corrects buffer[0 .. count) in place and remembers its last two samples.
    void Run(float* buffer, int32_t count) noexcept;
};
