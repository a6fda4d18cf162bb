#pragma once

#include "foundation/YVectorOps.h"

#include <cstdint>

// The per-sample work around the all-pass chain, vectorised over samples: sampling
// the LFO shape, the all-pass coefficient and the offset input, saturation and the
// dry/wet mix. Built for SSE2 and for AVX2, which here only widens the registers
// (nothing is fused), so both give the results of the scalar formulas exactly.
namespace PhaserKernels {

// The saturation and mix of one block and channel.
struct Mix {
    double threshold, gain, scale, range;  // the soft clipper's configuration
    double saturation, clean, squareWeight;
    double wet;           // the dry/wet of every sample, unless wets is set
    const double* wets;   // the dry/wet of each sample while it ramps
};

struct Set {
    // Samples each channel's curve from a shape table of size + 1 values (size a
    // power of two) by linear interpolation, as YSignalGenerator::Lookup does:
    // curves[c][i] = the shape at phases[c] advanced i times by increment. Does the
    // largest whole number of vector blocks and answers how many samples that was;
    // phases[c] is left where the next sample starts. Every phase reached must lie in
    // [0, 2^31 / size).
    int32_t (*sampleShapes)(const float* table, int32_t size, double* phases, double increment, float* const* curves,
                            int32_t channels, int32_t count);
    // a[i] = (1 - w) / (1 + w) with w = sweep[i]; u[i] = input[i] + offset (doubles).
    void (*coefficients)(const float* sweep, const float* input, double offset, double* u, double* a, int32_t count);
    // q = clip(v); out = (saturation (q + w (q - v)^2) + clean v) d + (1 - d) u.
    void (*mix)(const Mix& mix, const double* chain, const double* u, float* out, int32_t count);
};

const Set& For(YVectorOps::Implementation implementation);
// The AVX2 build (PhaserKernelsFused.cpp).
const Set& FusedSet();

}  // namespace PhaserKernels
