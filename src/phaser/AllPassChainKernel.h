#pragma once

// The chain loop, written once over a small vector-operations type so that each
// instruction set gets its own instantiation. Included only by the kernel files,
// after their target selection.

#include "phaser/AllPassChain.h"

namespace AllPassChainKernels {

// Ops provides: Vector, kLanes, Load (aligned or not), Store, Set, FeedbackInput(u,
// fb, last) = u + fb * last, StageOutput(s, a, v) = s - a * v, StageMemory(y, a, v) =
// y * a + v, Clamp(x, lo, hi).
template <typename Ops, int Groups>
void RunGroups(AllPassChain::Memories& memories, double* last, const double* inputs, const double* coefficients,
               double* outputs, int32_t count, int32_t stride, int32_t stages, double feedback) {
    using V = typename Ops::Vector;
    constexpr int L = Ops::kLanes;
    const V fb = Ops::Set(feedback);
    const V low = Ops::Set(-AllPassChain::kMemoryLimit);
    const V high = Ops::Set(AllPassChain::kMemoryLimit);
    V previous[Groups];
    for (int g = 0; g < Groups; ++g) previous[g] = Ops::LoadUnaligned(last + g * L);
    for (int32_t i = 0; i < count; ++i) {
        const double* u = inputs + static_cast<std::ptrdiff_t>(i) * stride;
        const double* a = coefficients + static_cast<std::ptrdiff_t>(i) * stride;
        V coefficient[Groups], v[Groups];
        for (int g = 0; g < Groups; ++g) {
            coefficient[g] = Ops::LoadUnaligned(a + g * L);
            v[g] = Ops::FeedbackInput(Ops::LoadUnaligned(u + g * L), fb, previous[g]);
        }
        for (int32_t k = 0; k < stages; ++k) {
            double* memory = memories[k];
            for (int g = 0; g < Groups; ++g) {
                V s = Ops::Load(memory + g * L);
                V y = Ops::StageOutput(s, coefficient[g], v[g]);
                Ops::Store(memory + g * L, Ops::Clamp(Ops::StageMemory(y, coefficient[g], v[g]), low, high));
                v[g] = y;
            }
        }
        double* out = outputs + static_cast<std::ptrdiff_t>(i) * stride;
        for (int g = 0; g < Groups; ++g) {
            previous[g] = v[g];
            Ops::StoreUnaligned(out + g * L, v[g]);
        }
    }
    for (int g = 0; g < Groups; ++g) Ops::StoreUnaligned(last + g * L, previous[g]);
}

// Picks the instantiation for the number of lane groups a stride holds.
template <typename Ops>
void RunStride(AllPassChain::Memories& memories, double* last, const double* inputs, const double* coefficients,
               double* outputs, int32_t count, int32_t stride, int32_t stages, double feedback) {
    switch (stride / Ops::kLanes) {
        case 1: RunGroups<Ops, 1>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback); break;
        case 2: RunGroups<Ops, 2>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback); break;
        case 3: RunGroups<Ops, 3>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback); break;
        default: RunGroups<Ops, 4>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback); break;
    }
}

}  // namespace AllPassChainKernels
