#include "phaser/AllPassChain.h"

#include "phaser/AllPassChainKernel.h"

#include <algorithm>

namespace AllPassChainKernels {
namespace {

// Two channels per register with separate multiply and add: exactly the
// double-precision arithmetic of the scalar formulas.
struct Sse2Ops : Lanes128 {
    static Vector FeedbackInput(Vector u, Vector fb, Vector last) { return _mm_add_pd(u, _mm_mul_pd(fb, last)); }
    static Vector StageOutput(Vector s, Vector a, Vector v) { return _mm_sub_pd(s, _mm_mul_pd(a, v)); }
    static Vector StageMemory(Vector y, Vector a, Vector v) { return _mm_add_pd(_mm_mul_pd(y, a), v); }
    // max/min answer their second operand for a NaN, so a NaN stays a NaN as in the
    // scalar comparison chain.
    static Vector Clamp(Vector x, Vector low, Vector high) { return _mm_min_pd(high, _mm_max_pd(low, x)); }
};

}  // namespace

void RunPortable(AllPassChain::Memories& memories, double* last, const double* const* inputs,
                 const double* const* coefficients, double* const* outputs, int32_t count, int32_t stride, int32_t stages,
                 double feedback) {
    RunStride<Sse2Ops>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback);
}

}  // namespace AllPassChainKernels

int32_t AllPassChain::Stride(int32_t channels) const {
    const int32_t lanes = implementation_ == Implementation::Fused && channels > 2 ? 4 : 2;
    return std::max(lanes, (channels + lanes - 1) / lanes * lanes);
}

void AllPassChain::Clear() {
    std::fill(&memories_[0][0], &memories_[0][0] + kMaxStages * kMaxChannels, 0.0);
    std::fill(last_, last_ + kMaxChannels, 0.0);
}

void AllPassChain::ClearStages(int32_t channels, int32_t from, int32_t to) {
    from = std::clamp(from, 0, kMaxStages);
    to = std::clamp(to, 0, kMaxStages);
    for (int32_t k = from; k < to; ++k) std::fill(memories_[k], memories_[k] + std::min(channels, kMaxChannels), 0.0);
}

void AllPassChain::ClearActive(int32_t channels, int32_t stages) {
    std::fill(last_, last_ + std::min(channels, kMaxChannels), 0.0);
    ClearStages(channels, 0, stages);
}

int32_t AllPassChain::ClearNonFinite(int32_t stages) {
    stages = std::clamp(stages, 0, kMaxStages);
    // x - x is 0 for every finite x and NaN otherwise; one test per lane.
    double probe[kMaxChannels];
    for (int32_t lane = 0; lane < kMaxChannels; ++lane) probe[lane] = last_[lane] - last_[lane];
    for (int32_t k = 0; k < stages; ++k)
        for (int32_t lane = 0; lane < kMaxChannels; ++lane) probe[lane] += memories_[k][lane] - memories_[k][lane];
    int32_t cleared = 0;
    for (int32_t lane = 0; lane < kMaxChannels; ++lane) {
        if (probe[lane] == 0.0) continue;
        for (int32_t k = 0; k < kMaxStages; ++k) memories_[k][lane] = 0.0;
        last_[lane] = 0.0;
        ++cleared;
    }
    return cleared;
}

void AllPassChain::Run(const double* const* inputs, const double* const* coefficients, double* const* outputs,
                       int32_t count, int32_t channels, int32_t stages, double feedback) {
    channels = std::clamp(channels, 1, kMaxChannels);
    const int32_t stride = Stride(channels);
    stages = std::clamp(stages, 0, kMaxStages);
    // Padding lanes repeat the last channel.
    const double* in[kMaxChannels];
    const double* a[kMaxChannels];
    double* out[kMaxChannels];
    for (int32_t lane = 0; lane < stride; ++lane) {
        const int32_t channel = std::min(lane, channels - 1);
        in[lane] = inputs[channel];
        a[lane] = coefficients[channel];
        out[lane] = outputs[channel];
    }
    if (implementation_ == Implementation::Fused)
        AllPassChainKernels::RunFused(memories_, last_, in, a, out, count, stride, stages, feedback);
    else
        AllPassChainKernels::RunPortable(memories_, last_, in, a, out, count, stride, stages, feedback);
}
