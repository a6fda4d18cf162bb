#pragma once

// The linear-phase filters of YUpsamplerKernels.h, written once over a float
// vector-operations type. Included only by the kernel files, after their target
// selection; everything here has internal linkage, so that no build stands in for
// another at link time.
//
// Ops provides: V (kLanes floats, 4 or 8), Zero, Load (unaligned), MulAdd(a, b, acc)
// and Sums4(acc): the lane sums of acc[0] to acc[3] as one 128-bit vector.
//
// Both filters are blocks of dot products taken together, so that every vector loaded
// enters several multiply-adds: loads, not multiply-adds, bound these loops.

#include "shell/YUpsamplerKernels.h"

#include <algorithm>

namespace YUpsamplerKernels {
namespace {

// A vector loaded once for several multiply-adds, held in a register: left alone,
// GCC folds the load into each of them and loads it again every time.
template <class V>
[[gnu::always_inline]] inline V Loaded(V v) {
    __asm__("" : "+x"(v));
    return v;
}

// acc[a B + b] += first[a rowsA .. + kLanes) * second[b rowsB .. + kLanes). The
// smaller side stays in registers while the other is loaded a vector at a time.
template <class Ops, int A, int B>
[[gnu::always_inline]] inline void Products(const float* first, std::ptrdiff_t rowsA, const float* second,
                                            std::ptrdiff_t rowsB, typename Ops::V* acc) {
    if constexpr (A <= B) {
        typename Ops::V kept[A];
        for (int a = 0; a < A; ++a) kept[a] = Loaded(Ops::Load(first + a * rowsA));
        for (int b = 0; b < B; ++b) {
            const auto v = Loaded(Ops::Load(second + b * rowsB));
            for (int a = 0; a < A; ++a) acc[a * B + b] = Ops::MulAdd(kept[a], v, acc[a * B + b]);
        }
    } else {
        typename Ops::V kept[B];
        for (int b = 0; b < B; ++b) kept[b] = Loaded(Ops::Load(second + b * rowsB));
        for (int a = 0; a < A; ++a) {
            const auto v = Loaded(Ops::Load(first + a * rowsA));
            for (int b = 0; b < B; ++b) acc[a * B + b] = Ops::MulAdd(v, kept[b], acc[a * B + b]);
        }
    }
}

// X input positions by T phases: acc[x T + t] for output (i + x) F + t of the rows.
template <class Ops, int T, int X>
[[gnu::always_inline]] inline void UpBlock(const float* rows, int32_t length, const float* x, typename Ops::V* acc) {
    for (int r = 0; r < T * X; ++r) acc[r] = Ops::Zero();
    for (int32_t k = 0; k < length; k += Ops::kLanes) Products<Ops, X, T>(x + k, 1, rows + k, length, acc);
}

template <class Ops>
void Up(const float* branches, int32_t length, const float* offsets, int32_t factor, const float* x, float* out,
        int32_t frames) {
    typename Ops::V acc[12];
    if (factor == 2) {
        // Six positions by both phases: twelve consecutive outputs.
        const __m128 pattern = _mm_setr_ps(offsets[0], offsets[1], offsets[0], offsets[1]);
        for (int32_t i = 0; i < frames; i += 6) {
            UpBlock<Ops, 2, 6>(branches, length, x + i, acc);
            for (int g = 0; g < 3; ++g) _mm_storeu_ps(out + 2 * i + 4 * g, _mm_add_ps(Ops::Sums4(acc + 4 * g), pattern));
        }
        return;
    }
    // Two positions by four phases. Phases past the last (zero rows) spill into the
    // next position's first ones; the groups go from the highest down, so that the
    // lower groups write those afterwards.
    const int32_t rows = (factor + 3) / 4 * 4;
    for (int32_t i = 0; i < frames; i += 2)
        for (int32_t p = rows - 4; p >= 0; p -= 4) {
            UpBlock<Ops, 4, 2>(branches + static_cast<std::ptrdiff_t>(p) * length, length, x + i, acc);
            for (int xi = 0; xi < 2; ++xi)
                _mm_storeu_ps(out + static_cast<std::ptrdiff_t>(i + xi) * factor + p,
                              _mm_add_ps(Ops::Sums4(acc + 4 * xi), _mm_loadu_ps(offsets + p)));
        }
}

// R B consecutive outputs i + j, j = b R + r. Output j reads the signal at (i + j) F
// + 8 c for tap chunk c; with R F = 8 that is (i + r) F + 8 (b + c), so the signal
// vector at (i + r) F + 8 s serves every b, with chunk s - b (B = 1 needs no such
// relation). taps points at the first chunk, with 7 zero chunks on either side.
template <class Ops, int R, int B>
void DownBlocks(const float* taps, int32_t chunks, int32_t factor, const float* x, float* out, int32_t frames,
                bool replacing) {
    constexpr int kOutputs = R * B;
    typename Ops::V acc[kOutputs];
    for (int32_t i = 0; i < frames; i += kOutputs) {
        for (auto& a : acc) a = Ops::Zero();
        const float* signal = x + static_cast<std::ptrdiff_t>(i) * factor;
        for (int32_t s = 0; s < chunks + B - 1; ++s)
            for (int32_t lane = 0; lane < 8; lane += Ops::kLanes)
                Products<Ops, B, R>(taps + 8 * s + lane, -8, signal + 8 * s + lane, factor, acc);
        for (int32_t j = 0; j < kOutputs && i + j < frames; j += 4) {
            const int32_t n = std::min(4, frames - i - j);
            float block[4] = {};
            std::copy(out + i + j, out + i + j + n, block);
            __m128 sums = Ops::Sums4(acc + j);
            if (!replacing) sums = _mm_add_ps(sums, _mm_loadu_ps(block));
            _mm_storeu_ps(block, sums);
            std::copy(block, block + n, out + i + j);
        }
    }
}

template <class Ops>
void Down(const float* taps, int32_t chunks, int32_t factor, const float* x, float* out, int32_t frames,
          bool replacing) {
    switch (factor) {
        case 2: return DownBlocks<Ops, 4, 2>(taps, chunks, factor, x, out, frames, replacing);
        case 4: return DownBlocks<Ops, 2, 4>(taps, chunks, factor, x, out, frames, replacing);
        default: return DownBlocks<Ops, 8, 1>(taps, chunks, factor, x, out, frames, replacing);
    }
}

}  // namespace
}  // namespace YUpsamplerKernels
