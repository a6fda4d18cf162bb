#include "phaser/PhaserKernels.h"

#include "phaser/PhaserKernelLoops.h"

#include <emmintrin.h>

namespace PhaserKernels {
namespace {

// Two lanes: doubles fill a register, floats its lower half.
struct Sse2Ops {
    using F = __m128;
    using D = __m128d;
    using I = __m128i;
    static constexpr int32_t kLanes = 2;

    static F Load(const float* p) { return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))); }
    static void Store(float* p, F x) { _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(x)); }
    static D Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, D x) { _mm_storeu_pd(p, x); }
    static F Set(float x) { return _mm_set1_ps(x); }
    static D Set(double x) { return _mm_set1_pd(x); }

    static D ToDouble(F x) { return _mm_cvtps_pd(x); }
    static D ToDouble(I x) { return _mm_cvtepi32_pd(x); }
    static F ToFloat(D x) { return _mm_cvtpd_ps(x); }
    static I Truncate(D x) { return _mm_cvttpd_epi32(x); }
    static I And(I x, int32_t mask) { return _mm_and_si128(x, _mm_set1_epi32(mask)); }
    // here[l] = table[index[l]], next[l] = table[index[l] + 1], one load per lane.
    static void GatherPairs(const float* table, I index, F& here, F& next) {
        const F pairs = _mm_unpacklo_ps(LoadPair(table + _mm_cvtsi128_si32(index)),
                                        LoadPair(table + _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1))));
        here = pairs;
        next = _mm_movehl_ps(pairs, pairs);
    }
    static F LoadPair(const float* p) { return Load(p); }

    static F Add(F a, F b) { return _mm_add_ps(a, b); }
    static F Sub(F a, F b) { return _mm_sub_ps(a, b); }
    static F Mul(F a, F b) { return _mm_mul_ps(a, b); }
    static D Add(D a, D b) { return _mm_add_pd(a, b); }
    static D Sub(D a, D b) { return _mm_sub_pd(a, b); }
    static D Mul(D a, D b) { return _mm_mul_pd(a, b); }
    static D Div(D a, D b) { return _mm_div_pd(a, b); }
    static D Abs(D x) { return _mm_andnot_pd(_mm_set1_pd(-0.0), x); }
    static D Less(D a, D b) { return _mm_cmplt_pd(a, b); }
    static D Select(D mask, D a, D b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }
    static D NegateWhere(D mask, D x) { return _mm_xor_pd(x, _mm_and_pd(mask, _mm_set1_pd(-0.0))); }
};

}  // namespace

const Set& For(YVectorOps::Implementation implementation) {
    return implementation == YVectorOps::Implementation::Fused ? FusedSet() : kKernelSet<Sse2Ops>;
}

}  // namespace PhaserKernels
