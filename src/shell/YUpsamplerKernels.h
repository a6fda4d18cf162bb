#pragma once

#include "foundation/YVectorOps.h"

#include <cstdint>

// The resampler's filters at the processor's pace, built for SSE2 (separate multiply
// and add: exactly the scalar arithmetic of the recursive filter) and for AVX2 with
// fused multiply-add (within rounding of it).
namespace YUpsamplerKernels {

constexpr int32_t kSections = 10;
constexpr int32_t kSkew = 4;  // samples between the two halves of the cascade
constexpr int32_t kTapPadding = 56;  // zeros on either side of the way down's taps

// The ten second-order sections of two channels side by side, four lanes per value:
// lanes 0 and 1 (channel 0 and 1) for section p, lanes 2 and 3 for section p + 5.
// The coefficients in the order b0, b1, b2, a1, a2.
struct CascadeLanes {
    double c[kSections / 2][5][4];
};
struct CascadeState {
    double z1[kSections / 2][4];
    double z2[kSections / 2][4];
};

struct Set {
    // The cascade (y = b0 x + z1, z1 = b1 x - a1 y + z2, z2 = b2 x - a2 y, section
    // after section) over count samples of two interleaved channels, in place.
    void (*cascade)(const CascadeLanes& lanes, CascadeState& state, double* samples, int32_t count);
    // The polyphase way up: out[i F + p] = sum over q < length of branches[p length + q]
    // x[i + q], plus offsets[p], for i < frames. length is a multiple of 8; when F is
    // not 2 the rows (and offsets) go on to a multiple of 4, zero. x is read up to 8
    // values past x[frames + length - 2]; out is written up to 32 past out[F frames - 1].
    void (*up)(const float* branches, int32_t length, const float* offsets, int32_t factor, const float* x, float* out,
               int32_t frames);
    // The kept outputs of the way down: out[i] = (or +=) sum over k < 8 chunks of taps[k]
    // x[i F + k], for i < frames. 7 zero chunks of 8 must precede and follow the taps. x
    // is read up to 8 F + 48 values past x[(frames - 1) F + 8 chunks - 1].
    void (*down)(const float* taps, int32_t chunks, int32_t factor, const float* x, float* out, int32_t frames,
                 bool replacing);
};

const Set& For(YVectorOps::Implementation implementation);
// The AVX2 build (YUpsamplerKernelsFused.cpp).
const Set& FusedSet();

}  // namespace YUpsamplerKernels
