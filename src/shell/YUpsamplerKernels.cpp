#include "shell/YUpsamplerKernels.h"

#include "shell/YUpsamplerKernelLoops.h"

#include <emmintrin.h>

namespace YUpsamplerKernels {
namespace {

struct Sse2Ops {
    using V = __m128;
    static constexpr int32_t kLanes = 4;
    static V Zero() { return _mm_setzero_ps(); }
    static V Load(const float* p) { return _mm_loadu_ps(p); }
    static V MulAdd(V a, V b, V acc) { return _mm_add_ps(acc, _mm_mul_ps(a, b)); }
    static __m128 Sums4(const V* acc) {
        V a = acc[0], b = acc[1], c = acc[2], d = acc[3];
        _MM_TRANSPOSE4_PS(a, b, c, d);
        return _mm_add_ps(_mm_add_ps(a, b), _mm_add_ps(c, d));
    }
};

// Two channels per register, the sections one after the other, with separate
// multiply and add: the scalar cascade's arithmetic exactly.
void CascadePortable(const CascadeLanes& lanes, CascadeState& state, double* samples, int32_t count) {
    __m128d z1[kSections], z2[kSections];
    // Section s lives in pair s % 5, lanes 2 (s / 5) and up.
    auto coefficient = [&lanes](int s, int j) { return _mm_loadu_pd(&lanes.c[s % 5][j][2 * (s / 5)]); };
    for (int s = 0; s < kSections; ++s) {
        z1[s] = _mm_loadu_pd(&state.z1[s % 5][2 * (s / 5)]);
        z2[s] = _mm_loadu_pd(&state.z2[s % 5][2 * (s / 5)]);
    }
    for (int32_t m = 0; m < count; ++m) {
        __m128d x = _mm_loadu_pd(samples + 2 * m);
        for (int s = 0; s < kSections; ++s) {
            const __m128d y = _mm_add_pd(_mm_mul_pd(coefficient(s, 0), x), z1[s]);
            z1[s] = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(coefficient(s, 1), x), _mm_mul_pd(coefficient(s, 3), y)), z2[s]);
            z2[s] = _mm_sub_pd(_mm_mul_pd(coefficient(s, 2), x), _mm_mul_pd(coefficient(s, 4), y));
            x = y;
        }
        _mm_storeu_pd(samples + 2 * m, x);
    }
    for (int s = 0; s < kSections; ++s) {
        _mm_storeu_pd(&state.z1[s % 5][2 * (s / 5)], z1[s]);
        _mm_storeu_pd(&state.z2[s % 5][2 * (s / 5)], z2[s]);
    }
}

constexpr Set kPortable{&CascadePortable, &Up<Sse2Ops>, &Down<Sse2Ops>};

}  // namespace

const Set& For(YVectorOps::Implementation implementation) {
    return implementation == YVectorOps::Implementation::Fused ? FusedSet() : kPortable;
}

}  // namespace YUpsamplerKernels
