#pragma once

// Text across the VST 3 interfaces: UTF-16 buffers (String128 and friends) and fixed
// 8-bit fields, both zero-terminated and never overrun.

#include "foundation/YString.h"
#include "shell/vst3/Vst3Types.h"

#include <cstddef>
#include <cstring>

namespace Vst3 {

// Copies at most capacity - 1 code units and the terminating zero.
inline void CopyText(TChar* target, const YString& text, std::size_t capacity = 128) {
    std::size_t count = text.Length() < capacity - 1 ? text.Length() : capacity - 1;
    for (std::size_t i = 0; i < count; ++i) target[i] = static_cast<TChar>(text[static_cast<uint32_t>(i)]);
    target[count] = 0;
}

inline void CopyText(char* target, const char* text, std::size_t capacity) {
    std::size_t count = std::strlen(text);
    if (count > capacity - 1) count = capacity - 1;
    std::memcpy(target, text, count);
    target[count] = 0;
}

// Widens 8-bit ASCII text.
inline void CopyText(TChar* target, const char* text, std::size_t capacity) {
    std::size_t i = 0;
    for (; text[i] != 0 && i < capacity - 1; ++i) target[i] = static_cast<TChar>(static_cast<unsigned char>(text[i]));
    target[i] = 0;
}

// A zero-terminated UTF-16 text, read up to maxLength units.
inline YString TextFrom(const TChar* text, std::size_t maxLength = 128) {
    if (text == nullptr) return YString();
    std::size_t length = 0;
    while (length < maxLength && text[length] != 0) ++length;
    return YString(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace Vst3
