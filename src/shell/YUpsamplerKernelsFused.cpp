// The AVX2 build of the resampler's filters, with fused multiply-add. Everything this
// file includes comes before the target switch (see src/phaser/AllPassChainFused.cpp).
#include "shell/YUpsamplerKernels.h"

#include <immintrin.h>

#include <algorithm>

#pragma GCC push_options
#pragma GCC target("avx2,fma")

#include "shell/YUpsamplerKernelLoops.h"

namespace YUpsamplerKernels {
namespace {

struct Avx2Ops {
    using V = __m256;
    static constexpr int32_t kLanes = 8;
    static V Zero() { return _mm256_setzero_ps(); }
    static V Load(const float* p) { return _mm256_loadu_ps(p); }
    static V MulAdd(V a, V b, V acc) { return _mm256_fmadd_ps(a, b, acc); }
    static __m128 Sums4(const V* acc) {
        // Pairwise sums until each 128-bit half holds the four totals' halves.
        const V halves = _mm256_hadd_ps(_mm256_hadd_ps(acc[0], acc[1]), _mm256_hadd_ps(acc[2], acc[3]));
        return _mm_add_ps(_mm256_castps256_ps128(halves), _mm256_extractf128_ps(halves, 1));
    }
};

// One step of the cascade: sections 0 to 4 of the sample at low in the lower two
// lanes, sections 5 to 9 of the sample at high (kSkew samples older, whose lower
// half is done) in the upper two, so that each instruction serves both halves and
// neither waits for the other. Only the active halves keep their results.
template <bool Lower, bool Upper>
[[gnu::always_inline]] inline void Step(const CascadeLanes& lanes, __m256d* z1, __m256d* z2, double* low, double* high) {
    __m256d x = _mm256_loadu2_m128d(high, low);
    for (int p = 0; p < kSections / 2; ++p) {
        const double(*c)[4] = lanes.c[p];
        const __m256d y = _mm256_fmadd_pd(_mm256_loadu_pd(c[0]), x, z1[p]);
        const __m256d next1 = _mm256_fnmadd_pd(_mm256_loadu_pd(c[3]), y, _mm256_fmadd_pd(_mm256_loadu_pd(c[1]), x, z2[p]));
        const __m256d next2 = _mm256_fnmadd_pd(_mm256_loadu_pd(c[4]), y, _mm256_mul_pd(_mm256_loadu_pd(c[2]), x));
        if constexpr (Lower && Upper) {
            z1[p] = next1;
            z2[p] = next2;
        } else {
            constexpr int kKeep = Lower ? 0b1100 : 0b0011;  // the idle half's lanes
            z1[p] = _mm256_blend_pd(next1, z1[p], kKeep);
            z2[p] = _mm256_blend_pd(next2, z2[p], kKeep);
        }
        x = y;
    }
    if (Lower) _mm_storeu_pd(low, _mm256_castpd256_pd128(x));
    if (Upper) _mm_storeu_pd(high, _mm256_extractf128_pd(x, 1));
}

void CascadeFused(const CascadeLanes& lanes, CascadeState& state, double* samples, int32_t count) {
    __m256d z1[kSections / 2], z2[kSections / 2];
    for (int p = 0; p < kSections / 2; ++p) {
        z1[p] = _mm256_loadu_pd(state.z1[p]);
        z2[p] = _mm256_loadu_pd(state.z2[p]);
    }
    auto at = [samples](int32_t m) { return samples + 2 * static_cast<std::ptrdiff_t>(m); };
    // The lower half starts alone and the upper half finishes alone.
    for (int32_t m = 0; m < std::min(kSkew, count); ++m) Step<true, false>(lanes, z1, z2, at(m), at(m));
    for (int32_t m = kSkew; m < count; ++m) Step<true, true>(lanes, z1, z2, at(m), at(m - kSkew));
    for (int32_t m = std::max(count, kSkew); m < count + kSkew; ++m)
        Step<false, true>(lanes, z1, z2, at(m - kSkew), at(m - kSkew));
    for (int p = 0; p < kSections / 2; ++p) {
        _mm256_storeu_pd(state.z1[p], z1[p]);
        _mm256_storeu_pd(state.z2[p], z2[p]);
    }
}

constexpr Set kFused{&CascadeFused, &Up<Avx2Ops>, &Down<Avx2Ops>};

}  // namespace

const Set& FusedSet() { return kFused; }

}  // namespace YUpsamplerKernels

#pragma GCC pop_options
