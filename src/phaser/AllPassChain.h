#pragma once

#include "foundation/YVectorOps.h"

#include <cstdint>

// The serial heart of the phaser: per channel, the input plus feedback runs through N
// first-order all-pass stages with a common per-sample coefficient, and the chain
// output is remembered for the next sample's feedback. The recursion is serial within
// a channel, so the channels run side by side in SIMD lanes: two per SSE2 register,
// or, on processors with AVX2 and fused multiply-add, two or four per register with
// each multiply-add fused (which may change the last bits, nothing more).
//
// Inputs, coefficients and outputs are one array per channel. Lanes past the last
// channel repeat it; their results are never stored.
class AllPassChain {
public:
    static constexpr int32_t kMaxChannels = 8;
    static constexpr int32_t kMaxStages = 100;
    static constexpr double kMemoryLimit = 10.0;

    using Implementation = YVectorOps::Implementation;
    // The fastest implementation this processor runs.
    static Implementation Best() { return YVectorOps::Best(); }
    void SetImplementation(Implementation implementation) { implementation_ = implementation; }
    Implementation GetImplementation() const { return implementation_; }

    // Lanes the channels occupy (a whole number of registers).
    int32_t Stride(int32_t channels) const;

    // Every stage memory and feedback value of every channel to zero.
    void Clear();
    // Stages [from, to) of the first channels channels to zero.
    void ClearStages(int32_t channels, int32_t from, int32_t to);
    // The feedback values and stages [0, stages) of the first channels channels.
    void ClearActive(int32_t channels, int32_t stages);
    // Lanes whose feedback value or stages [0, stages) hold a NaN or an infinity (a
    // non-finite input sample leaves them so, and the recursion would keep them so for
    // ever) start again from silence. Padding lanes are included. Answers how many.
    int32_t ClearNonFinite(int32_t stages);

    // For sample i and channel c: v = u + feedback * last; through each stage k:
    // y = s_k - a * v, s_k = clamp(y * a + v, -10, 10), v = y; then last = v, out = v.
    void Run(const double* const* inputs, const double* const* coefficients, double* const* outputs, int32_t count,
             int32_t channels, int32_t stages, double feedback);

    double& Memory(int32_t stage, int32_t channel) { return memories_[stage][channel]; }
    double& Last(int32_t channel) { return last_[channel]; }

    // Memories laid out stage by stage, the channels of a stage side by side.
    using Memories = double[kMaxStages][kMaxChannels];

private:
    alignas(64) Memories memories_{};
    alignas(64) double last_[kMaxChannels]{};
    Implementation implementation_ = Best();
};

// The two implementations, each compiled for its instruction set; the tables hold
// stride channel arrays.
namespace AllPassChainKernels {
void RunPortable(AllPassChain::Memories& memories, double* last, const double* const* inputs,
                 const double* const* coefficients, double* const* outputs, int32_t count, int32_t stride, int32_t stages,
                 double feedback);
void RunFused(AllPassChain::Memories& memories, double* last, const double* const* inputs,
              const double* const* coefficients, double* const* outputs, int32_t count, int32_t stride, int32_t stages,
              double feedback);
}  // namespace AllPassChainKernels
