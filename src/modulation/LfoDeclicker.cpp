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
        for (int32_t i = 0; i < n; ++i) {
            buffer[i] += value;
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
