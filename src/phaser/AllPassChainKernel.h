#pragma once

// The chain loop, written once over a small vector-operations type so that each
// instruction set gets its own instantiation. Included only by the kernel files,
// after their target selection.

#include "phaser/AllPassChain.h"

#include <emmintrin.h>

namespace AllPassChainKernels {

// Everything here has internal linkage: each kernel file compiles its own copy for
// its instruction set, and no copy may stand in for another at link time.
namespace {

// Two channels per 128-bit register: the memory side of the SSE2 and of the fused
// two-channel operations.
struct Lanes128 {
    using Vector = __m128d;
    static constexpr int kLanes = 2;
    static Vector Set(double x) { return _mm_set1_pd(x); }
    static Vector Load(const double* p) { return _mm_load_pd(p); }
    static void Store(double* p, Vector x) { _mm_store_pd(p, x); }
    static Vector Gather(const double* const* p, int32_t i) { return _mm_loadh_pd(_mm_load_sd(p[0] + i), p[1] + i); }
    static void Scatter(double* const* p, int32_t i, Vector x) {
        _mm_storeh_pd(p[1] + i, x);
        _mm_storel_pd(p[0] + i, x);
    }
};

// Ops provides: Vector, kLanes, Load, Store (aligned), Gather (lane l from
// pointers[l] + i), Scatter (the same, highest lane first, so that a channel
// repeated into padding lanes ends with its own value), Set, FeedbackInput(u, fb,
// last) = u + fb * last, StageOutput(s, a, v) = s - a * v, StageMemory(y, a, v) =
// y * a + v, Clamp(x, lo, hi).
//
// The stage recursion v -> y is the critical path: each stage's output is computed
// before the memory update of the stage before it, so that the processor, which
// prefers older instructions, never delays it behind an update.
template <typename Ops, int Groups>
void RunGroups(AllPassChain::Memories& memories, double* last, const double* const* inputs,
               const double* const* coefficients, double* const* outputs, int32_t count, int32_t stages,
               double feedback) {
    using V = typename Ops::Vector;
    constexpr int L = Ops::kLanes;
    const V fb = Ops::Set(feedback);
    const V low = Ops::Set(-AllPassChain::kMemoryLimit);
    const V high = Ops::Set(AllPassChain::kMemoryLimit);
    V previous[Groups];
    for (int g = 0; g < Groups; ++g) previous[g] = Ops::Load(last + g * L);
    for (int32_t i = 0; i < count; ++i) {
        V coefficient[Groups], v[Groups], y[Groups];
        for (int g = 0; g < Groups; ++g) {
            coefficient[g] = Ops::Gather(coefficients + g * L, i);
            v[g] = Ops::FeedbackInput(Ops::Gather(inputs + g * L, i), fb, previous[g]);
            y[g] = stages > 0 ? Ops::StageOutput(Ops::Load(memories[0] + g * L), coefficient[g], v[g]) : v[g];
        }
        for (int32_t k = 0; k + 1 < stages; ++k) {
            V next[Groups];
            for (int g = 0; g < Groups; ++g)
                next[g] = Ops::StageOutput(Ops::Load(memories[k + 1] + g * L), coefficient[g], y[g]);
            for (int g = 0; g < Groups; ++g) {
                Ops::Store(memories[k] + g * L, Ops::Clamp(Ops::StageMemory(y[g], coefficient[g], v[g]), low, high));
                v[g] = y[g];
                y[g] = next[g];
            }
        }
        if (stages > 0)
            for (int g = 0; g < Groups; ++g) {
                Ops::Store(memories[stages - 1] + g * L,
                           Ops::Clamp(Ops::StageMemory(y[g], coefficient[g], v[g]), low, high));
                v[g] = y[g];
            }
        for (int g = 0; g < Groups; ++g) {
            previous[g] = v[g];
            Ops::Scatter(outputs + g * L, i, v[g]);
        }
    }
    for (int g = 0; g < Groups; ++g) Ops::Store(last + g * L, previous[g]);
}

// Picks the instantiation for the number of lane groups a stride holds.
template <typename Ops>
void RunStride(AllPassChain::Memories& memories, double* last, const double* const* inputs,
               const double* const* coefficients, double* const* outputs, int32_t count, int32_t stride, int32_t stages,
               double feedback) {
    switch (stride / Ops::kLanes) {
        case 1: RunGroups<Ops, 1>(memories, last, inputs, coefficients, outputs, count, stages, feedback); break;
        case 2: RunGroups<Ops, 2>(memories, last, inputs, coefficients, outputs, count, stages, feedback); break;
        case 3: RunGroups<Ops, 3>(memories, last, inputs, coefficients, outputs, count, stages, feedback); break;
        default: RunGroups<Ops, 4>(memories, last, inputs, coefficients, outputs, count, stages, feedback); break;
    }
}

}  // namespace
}  // namespace AllPassChainKernels
