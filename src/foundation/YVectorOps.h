#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

// Single-precision vector primitives for the bulk work of the audio road and the
// effects. Plain loops the compiler vectorises; every result is the single-precision
// result of the stated operation.
namespace YVectorOps {

inline void AddConstant(float* data, int32_t count, float constant) {
    for (int32_t i = 0; i < count; ++i) data[i] += constant;
}

inline void Copy(float* destination, const float* source, int32_t count) {
    if (count > 0 && destination != source) std::memmove(destination, source, static_cast<std::size_t>(count) * sizeof(float));
}

inline void Add(float* destination, const float* source, int32_t count) {
    for (int32_t i = 0; i < count; ++i) destination[i] += source[i];
}

inline void Clear(float* data, int32_t count) {
    if (count > 0) std::memset(data, 0, static_cast<std::size_t>(count) * sizeof(float));
}

inline void Multiply(float* data, int32_t count, float scalar) {
    for (int32_t i = 0; i < count; ++i) data[i] *= scalar;
}

inline void Clamp(float* data, int32_t count, float low, float high) {
    for (int32_t i = 0; i < count; ++i) data[i] = std::min(std::max(data[i], low), high);
}

inline void Square(float* data, int32_t count) {
    for (int32_t i = 0; i < count; ++i) data[i] *= data[i];
}

// Mid/side encoding in place: M = (L + R) / 2 into left, S = (L - R) / 2 into right.
inline void MidSideEncode(float* left, float* right, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        float l = left[i], r = right[i];
        left[i] = (l + r) * 0.5f;
        right[i] = (l - r) * 0.5f;
    }
}

// Decoding in place: L = M + S, R = M - S.
inline void MidSideDecode(float* mid, float* side, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        float m = mid[i], s = side[i];
        mid[i] = m + s;
        side[i] = m - s;
    }
}

}  // namespace YVectorOps
