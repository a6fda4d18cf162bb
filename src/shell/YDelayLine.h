#pragma once

#include "foundation/YGrowableBuffer.h"
#include "foundation/YVectorOps.h"

#include <algorithm>
#include <cstdint>

// One channel delayed by a whole number of samples; keeps audio that bypasses the
// effect aligned with audio that goes through it. In-place use is allowed.
class YDelayLine {
public:
    // Sets the delay and clears the line.
    void SetDelay(int32_t samples) {
        delay_ = samples > 0 ? samples : 0;
        if (delay_ > 0) YVectorOps::Clear(buffer_.Ensure(static_cast<uint32_t>(delay_)), delay_);
        position_ = 0;
    }
    int32_t Delay() const { return delay_; }
    void Clear() { SetDelay(delay_); }

    // In place, or between buffers that do not overlap.
    void Process(const float* input, float* output, int32_t count) {
        if (delay_ == 0) {
            YVectorOps::Copy(output, input, count);
            return;
        }
        // The line's oldest samples go out and the input's take their place, a run
        // up to the line's end at a time.
        float* line = buffer_.Data();
        for (int32_t done = 0; done < count;) {
            const int32_t run = std::min(count - done, delay_ - position_);
            if (input == output) {
                YVectorOps::Swap(line + position_, output + done, run);
            } else {
                YVectorOps::Copy(output + done, line + position_, run);
                YVectorOps::Copy(line + position_, input + done, run);
            }
            done += run;
            position_ += run;
            if (position_ == delay_) position_ = 0;
        }
    }

    // The delayed input added to the output (an accumulating host's bypass).
    void ProcessAdding(const float* input, float* output, int32_t count) {
        float* line = buffer_.Data();
        for (int32_t i = 0; i < count; ++i) {
            float delayed = delay_ == 0 ? input[i] : line[position_];
            if (delay_ > 0) {
                line[position_] = input[i];
                if (++position_ == delay_) position_ = 0;
            }
            output[i] += delayed;
        }
    }

private:
    YGrowableBuffer<float> buffer_;
    int32_t delay_ = 0;
    int32_t position_ = 0;
};
