// The AVX2 build of the phaser's per-sample kernels: four lanes, no fused
// multiply-add. Everything this file includes comes before the target switch (see
// AllPassChainFused.cpp).
#include "phaser/PhaserKernels.h"

#include <immintrin.h>

#include <algorithm>

#pragma GCC push_options
#pragma GCC target("avx2,fma")

#include "phaser/PhaserKernelLoops.h"

namespace PhaserKernels {
namespace {

struct Avx2Ops {
    using F = __m128;
    using D = __m256d;
    using I = __m128i;
    static constexpr int32_t kLanes = 4;

    static F Load(const float* p) { return _mm_loadu_ps(p); }
    static void Store(float* p, F x) { _mm_storeu_ps(p, x); }
    static D Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, D x) { _mm256_storeu_pd(p, x); }
    static F Set(float x) { return _mm_set1_ps(x); }
    static D Set(double x) { return _mm256_set1_pd(x); }

    static D ToDouble(F x) { return _mm256_cvtps_pd(x); }
    static D ToDouble(I x) { return _mm256_cvtepi32_pd(x); }
    static F ToFloat(D x) { return _mm256_cvtpd_ps(x); }
    static I Truncate(D x) { return _mm256_cvttpd_epi32(x); }
    static I And(I x, int32_t mask) { return _mm_and_si128(x, _mm_set1_epi32(mask)); }
    // here[l] = table[index[l]], next[l] = table[index[l] + 1], one load per lane
    // (cheaper than two gathers).
    static void GatherPairs(const float* table, I index, F& here, F& next) {
        const F low = _mm_unpacklo_ps(Pair(table + _mm_cvtsi128_si32(index)), Pair(table + _mm_extract_epi32(index, 1)));
        const F high = _mm_unpacklo_ps(Pair(table + _mm_extract_epi32(index, 2)), Pair(table + _mm_extract_epi32(index, 3)));
        here = _mm_movelh_ps(low, high);
        next = _mm_movehl_ps(high, low);
    }
    static F Pair(const float* p) { return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))); }

    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static D Add(D a, D b) { return _mm256_add_pd(a, b); }
    static D Sub(D a, D b) { return _mm256_sub_pd(a, b); }
    static D Mul(D a, D b) { return _mm256_mul_pd(a, b); }
    static D Div(D a, D b) { return _mm256_div_pd(a, b); }
    static D Abs(D x) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x); }
    static D Less(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static D Select(D mask, D a, D b) { return _mm256_blendv_pd(b, a, mask); }
    static D NegateWhere(D mask, D x) { return _mm256_xor_pd(x, _mm256_and_pd(mask, _mm256_set1_pd(-0.0))); }
};

}  // namespace

const Set& FusedSet() { return kKernelSet<Avx2Ops>; }

}  // namespace PhaserKernels

#pragma GCC pop_options
