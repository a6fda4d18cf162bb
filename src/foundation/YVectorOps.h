#pragma once

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

// Single-precision vector primitives for the bulk work of the audio road and the
// effects, four samples at a time in SSE2 registers (every x86-64 processor has
// them), whatever the optimisation level. Every result is the single-precision
// result of the stated operation, element by element, in the vector body and in
// the tail alike.
namespace YVectorOps {

// The two builds of the vectorised kernels: SSE2 with separate multiply and add,
// and AVX2 with fused multiply-add where a kernel asks for it.
enum class Implementation { Portable, Fused };
// The fastest build this processor and system run (asked once).
Implementation Best() noexcept;

namespace Detail {
// data[i] = op(data[i]) for vectors of four, then one by one.
template <class VectorOp, class ScalarOp>
inline void Map(float* data, int32_t count, VectorOp vectorOp, ScalarOp scalarOp) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) _mm_storeu_ps(data + i, vectorOp(_mm_loadu_ps(data + i)));
    for (; i < count; ++i) data[i] = scalarOp(data[i]);
}
}  // namespace Detail

inline void AddConstant(float* data, int32_t count, float constant) {
    const __m128 c = _mm_set1_ps(constant);
    Detail::Map(data, count, [c](__m128 x) { return _mm_add_ps(x, c); }, [constant](float x) { return x + constant; });
}

inline void Copy(float* destination, const float* source, int32_t count) {
    if (count > 0 && destination != source) std::memmove(destination, source, static_cast<std::size_t>(count) * sizeof(float));
}

inline void Add(float* destination, const float* source, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        _mm_storeu_ps(destination + i, _mm_add_ps(_mm_loadu_ps(destination + i), _mm_loadu_ps(source + i)));
    for (; i < count; ++i) destination[i] += source[i];
}

inline void Clear(float* data, int32_t count) {
    if (count > 0) std::memset(data, 0, static_cast<std::size_t>(count) * sizeof(float));
}

// Exchanges the contents of two distinct ranges.
inline void Swap(float* a, float* b, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 x = _mm_loadu_ps(a + i);
        _mm_storeu_ps(a + i, _mm_loadu_ps(b + i));
        _mm_storeu_ps(b + i, x);
    }
    for (; i < count; ++i) std::swap(a[i], b[i]);
}

inline void Multiply(float* data, int32_t count, float scalar) {
    const __m128 s = _mm_set1_ps(scalar);
    Detail::Map(data, count, [s](__m128 x) { return _mm_mul_ps(x, s); }, [scalar](float x) { return x * scalar; });
}

// min(max(x, low), high); a NaN stays a NaN (the vector max and min answer their
// second operand for a NaN).
inline void Clamp(float* data, int32_t count, float low, float high) {
    const __m128 l = _mm_set1_ps(low), h = _mm_set1_ps(high);
    Detail::Map(data, count, [l, h](__m128 x) { return _mm_min_ps(h, _mm_max_ps(l, x)); },
                [low, high](float x) { return std::min(std::max(x, low), high); });
}

inline void Square(float* data, int32_t count) {
    Detail::Map(data, count, [](__m128 x) { return _mm_mul_ps(x, x); }, [](float x) { return x * x; });
}

// The natural exponential in place, to within one unit in the last place (computed
// in double precision and rounded once), and the same on every processor and system.
void Exp(float* data, int32_t count);

// data[i] *= start + step * (i + 1): a gain ramp that reaches start + count * step
// on the last sample (factors formed in single precision).
inline void MultiplyRamp(float* data, int32_t count, float start, float step) {
    const __m128 offsets = _mm_set_ps(4.0f, 3.0f, 2.0f, 1.0f), s = _mm_set1_ps(step);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 index = _mm_add_ps(_mm_set1_ps(static_cast<float>(i)), offsets);
        const __m128 factor = _mm_add_ps(_mm_set1_ps(start), _mm_mul_ps(index, s));
        _mm_storeu_ps(data + i, _mm_mul_ps(_mm_loadu_ps(data + i), factor));
    }
    for (; i < count; ++i) data[i] *= start + static_cast<float>(i + 1) * step;
}
// Mid/side encoding in place: M = (L + R) / 2 into left, S = (L - R) / 2 into right.
inline void MidSideEncode(float* left, float* right, int32_t count) {
    const __m128 half = _mm_set1_ps(0.5f);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 l = _mm_loadu_ps(left + i), r = _mm_loadu_ps(right + i);
        _mm_storeu_ps(left + i, _mm_mul_ps(_mm_add_ps(l, r), half));
        _mm_storeu_ps(right + i, _mm_mul_ps(_mm_sub_ps(l, r), half));
    }
    for (; i < count; ++i) {
        float l = left[i], r = right[i];
        left[i] = (l + r) * 0.5f;
        right[i] = (l - r) * 0.5f;
    }
}

// Decoding in place: L = M + S, R = M - S.
inline void MidSideDecode(float* mid, float* side, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 m = _mm_loadu_ps(mid + i), s = _mm_loadu_ps(side + i);
        _mm_storeu_ps(mid + i, _mm_add_ps(m, s));
        _mm_storeu_ps(side + i, _mm_sub_ps(m, s));
    }
    for (; i < count; ++i) {
        float m = mid[i], s = side[i];
        mid[i] = m + s;
        side[i] = m - s;
    }
}

}  // namespace YVectorOps
