// The fused multiply-add kernels. Everything this file includes comes before the
// target switch, so that only the code below is compiled for AVX2 and FMA and no
// shared inline function is built with instructions older processors lack.
#include "phaser/AllPassChain.h"

#include <immintrin.h>

#include <cstddef>

#pragma GCC push_options
#pragma GCC target("avx2,fma")

#include "phaser/AllPassChainKernel.h"

namespace AllPassChainKernels {
namespace {

struct Fma128Ops : Lanes128 {
    static Vector FeedbackInput(Vector u, Vector fb, Vector last) { return _mm_fmadd_pd(fb, last, u); }
    static Vector StageOutput(Vector s, Vector a, Vector v) { return _mm_fnmadd_pd(a, v, s); }
    static Vector StageMemory(Vector y, Vector a, Vector v) { return _mm_fmadd_pd(y, a, v); }
    static Vector Clamp(Vector x, Vector low, Vector high) { return _mm_min_pd(high, _mm_max_pd(low, x)); }
};

struct Avx2Ops {
    using Vector = __m256d;
    static constexpr int kLanes = 4;
    static Vector Set(double x) { return _mm256_set1_pd(x); }
    static Vector Load(const double* p) { return _mm256_load_pd(p); }
    static void Store(double* p, Vector x) { _mm256_store_pd(p, x); }
    static Vector Gather(const double* const* p, int32_t i) {
        return _mm256_insertf128_pd(_mm256_castpd128_pd256(Lanes128::Gather(p, i)), Lanes128::Gather(p + 2, i), 1);
    }
    static void Scatter(double* const* p, int32_t i, Vector x) {
        Lanes128::Scatter(p + 2, i, _mm256_extractf128_pd(x, 1));
        Lanes128::Scatter(p, i, _mm256_castpd256_pd128(x));
    }
    static Vector FeedbackInput(Vector u, Vector fb, Vector last) { return _mm256_fmadd_pd(fb, last, u); }
    static Vector StageOutput(Vector s, Vector a, Vector v) { return _mm256_fnmadd_pd(a, v, s); }
    static Vector StageMemory(Vector y, Vector a, Vector v) { return _mm256_fmadd_pd(y, a, v); }
    static Vector Clamp(Vector x, Vector low, Vector high) { return _mm256_min_pd(high, _mm256_max_pd(low, x)); }
};

}  // namespace

void RunFused(AllPassChain::Memories& memories, double* last, const double* const* inputs,
              const double* const* coefficients, double* const* outputs, int32_t count, int32_t stride, int32_t stages,
              double feedback) {
    // Two channels fit one 128-bit register; more go four to a 256-bit one.
    if (stride == 2)
        RunStride<Fma128Ops>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback);
    else
        RunStride<Avx2Ops>(memories, last, inputs, coefficients, outputs, count, stride, stages, feedback);
}

}  // namespace AllPassChainKernels

#pragma GCC pop_options
