#pragma once

#include "platform/PlatformAbi.h"

// Interface and class identifiers (TUID): 16 bytes compared byte for byte.
//
// Published IDs are written as four 32-bit words. How those words become the 16
// bytes differs per target, and getting it wrong makes every queryInterface fail:
//   Windows (COM GUID layout): word 1 little-endian; word 2 as two 16-bit halves,
//     high half first, each little-endian; words 3 and 4 big-endian. (As GUID text
//     the ID reads l1-(l2 high)-(l2 low)-(l3 high)-(l3 low)l4, all in hex.)
//   Linux: the four words big-endian, one after the other.
// A class ID given as 16 raw bytes (our own one is) is the same on both targets.

#include "shell/vst3/Vst3Types.h"

#include <cstddef>

namespace Vst3 {

// A TUID as a value: usable in constant expressions, and passed wherever a TUID
// (const char*) is expected.
struct Uid {
    char bytes[16];

    constexpr const char* data() const { return bytes; }
    constexpr operator const char*() const { return bytes; }
};

namespace UidDetail {
constexpr char Byte(uint32_t word, int shift) {
    return static_cast<char>(static_cast<uint8_t>((word >> shift) & 0xFF));
}
}  // namespace UidDetail

// The GUID layout Windows uses.
constexpr Uid MakeUidComLayout(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    using UidDetail::Byte;
    return Uid{{Byte(l1, 0), Byte(l1, 8), Byte(l1, 16), Byte(l1, 24),
                Byte(l2, 16), Byte(l2, 24), Byte(l2, 0), Byte(l2, 8),
                Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0),
                Byte(l4, 24), Byte(l4, 16), Byte(l4, 8), Byte(l4, 0)}};
}

// The plain big-endian layout Linux uses.
constexpr Uid MakeUidPlainLayout(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    using UidDetail::Byte;
    return Uid{{Byte(l1, 24), Byte(l1, 16), Byte(l1, 8), Byte(l1, 0),
                Byte(l2, 24), Byte(l2, 16), Byte(l2, 8), Byte(l2, 0),
                Byte(l3, 24), Byte(l3, 16), Byte(l3, 8), Byte(l3, 0),
                Byte(l4, 24), Byte(l4, 16), Byte(l4, 8), Byte(l4, 0)}};
}

// An ID from its four published words, laid out for the target we build for.
constexpr Uid MakeUid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
    return Platform::kWindowsTarget ? MakeUidComLayout(l1, l2, l3, l4) : MakeUidPlainLayout(l1, l2, l3, l4);
}

// An ID given as 16 raw bytes (a string literal of 16 characters), identical on
// every target.
constexpr Uid MakeUidFromBytes(const char (&text)[17]) {
    Uid uid{};
    for (std::size_t i = 0; i < 16; ++i) uid.bytes[i] = text[i];
    return uid;
}

// Compares two IDs as queryInterface must: all 16 bytes.
constexpr bool UidEqual(const char* a, const char* b) {
    for (std::size_t i = 0; i < 16; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace Vst3
