#include "modulation/LfoDeclicker.h"

#include <algorithm>

void LfoDeclicker::Reset(double sampleRate) noexcept {
    *this = LfoDeclicker();
    length = static_cast<int32_t>(sampleRate);
    reciprocal = 1.0 / sampleRate;
}

void LfoDeclicker::Run(float* buffer, int32_t count) noexcept {
    if (count <= 0) return;
    if (triggered) {
        triggered = false;
        // Where the old curve was heading, less where the new one starts.
        const float jump = 2.0f * last - beforeLast - buffer[0];
        remaining = length;
        step = static_cast<float>(-static_cast<double>(jump) * reciprocal);
        value = jump + step;
    }
    if (remaining > 0) {
        const int32_t n = std::min(remaining, count);
        // The corrected curve stays within the shape's own range: an offset that
        // carried it beyond -1 would ask the sweep for a negative frequency, which
        // makes the all-pass stages unstable (a synced LFO that starts at its peak
        // and falls within the fade does that).
        for (int32_t i = 0; i < n; ++i) {
            buffer[i] = std::clamp(buffer[i] + value, -1.0f, 1.0f);
            value += step;
        }
        remaining -= n;
        if (remaining < 1) {
            value = 0.0f;
            step = 0.0f;
        }
    }
    if (count == 1) {
        beforeLast = last;
        last = buffer[0];
    } else {
        beforeLast = buffer[count - 2];
        last = buffer[count - 1];
    }
}
