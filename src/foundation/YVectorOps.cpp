#include "foundation/YVectorOps.h"

#include "platform/Platform.h"

namespace YVectorOps {

Implementation Best() noexcept {
    static const Implementation best = Platform::QueryCpuFeatures().avx2Fma ? Implementation::Fused : Implementation::Portable;
    return best;
}

namespace {

// e^x for x in [-104, 89] in double precision: x = n ln 2 + r with |r| <= ln 2 / 2,
// e^r by its Taylor series to the 11th power (relative error below 1e-14), times 2^n.
__m128d ExpInRange(__m128d x) {
    const __m128d shifter = _mm_set1_pd(6755399441055744.0);  // 1.5 * 2^52: adding it rounds to an integer
    const __m128d t = _mm_add_pd(_mm_mul_pd(x, _mm_set1_pd(1.4426950408889634)), shifter);
    const __m128d n = _mm_sub_pd(t, shifter);
    // ln 2 in two parts; n times the first is exact.
    const __m128d r = _mm_sub_pd(_mm_sub_pd(x, _mm_mul_pd(n, _mm_set1_pd(0.6931471803691238))),
                                 _mm_mul_pd(n, _mm_set1_pd(1.9082149292705877e-10)));
    constexpr double kInverseFactorials[12] = {1.0,
                                               1.0,
                                               1.0 / 2,
                                               1.0 / 6,
                                               1.0 / 24,
                                               1.0 / 120,
                                               1.0 / 720,
                                               1.0 / 5040,
                                               1.0 / 40320,
                                               1.0 / 362880,
                                               1.0 / 3628800,
                                               1.0 / 39916800};
    __m128d p = _mm_set1_pd(kInverseFactorials[11]);
    for (int k = 10; k >= 0; --k) p = _mm_add_pd(_mm_mul_pd(p, r), _mm_set1_pd(kInverseFactorials[k]));
    // The low bits of t hold n; 2^n from its exponent field.
    const __m128i exponent = _mm_add_epi64(_mm_sub_epi64(_mm_castpd_si128(t), _mm_castpd_si128(shifter)), _mm_set1_epi64x(1023));
    return _mm_mul_pd(p, _mm_castsi128_pd(_mm_slli_epi64(exponent, 52)));
}

// Four at a time. Beyond the range the float result is infinity or zero anyway;
// a NaN comes back unchanged.
__m128 Exp4(__m128 x) {
    const __m128d low = _mm_set1_pd(-104.0), high = _mm_set1_pd(89.0);
    auto half = [&](__m128 four) { return ExpInRange(_mm_min_pd(high, _mm_max_pd(low, _mm_cvtps_pd(four)))); };
    const __m128 result = _mm_movelh_ps(_mm_cvtpd_ps(half(x)), _mm_cvtpd_ps(half(_mm_movehl_ps(x, x))));
    const __m128 nan = _mm_cmpunord_ps(x, x);
    return _mm_or_ps(_mm_and_ps(nan, x), _mm_andnot_ps(nan, result));
}

}  // namespace

void Exp(float* data, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) _mm_storeu_ps(data + i, Exp4(_mm_loadu_ps(data + i)));
    if (i < count) {
        float tail[4] = {};
        std::copy(data + i, data + count, tail);
        _mm_storeu_ps(tail, Exp4(_mm_loadu_ps(tail)));
        std::copy(tail, tail + (count - i), data + i);
    }
}

}  // namespace YVectorOps
