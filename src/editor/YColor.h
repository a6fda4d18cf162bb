#pragma once

#include <algorithm>
#include <cstdint>

// A straight (not premultiplied) 8-bit RGBA colour. The pixel buffer stores colours
// packed as 0xAARRGGBB.
struct YColor {
    uint8_t r = 0, g = 0, b = 0, a = 255;

    // From 0xRRGGBB, opaque.
    static constexpr YColor Hex(uint32_t rgb, uint8_t alpha = 255) {
        return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), alpha};
    }
    static constexpr YColor FromPacked(uint32_t argb) {
        return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb),
                static_cast<uint8_t>(argb >> 24)};
    }
    constexpr uint32_t Packed() const {
        return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
    }

    // The same colour with its opacity multiplied by alpha (0..1).
    YColor Faded(float alpha) const {
        return {r, g, b, static_cast<uint8_t>(std::clamp(static_cast<float>(a) * alpha + 0.5f, 0.0f, 255.0f))};
    }
    // Linear mix towards other; t 0 gives this colour, 1 gives other.
    YColor Mix(YColor other, float t) const {
        auto channel = [t](uint8_t from, uint8_t to) {
            return static_cast<uint8_t>(std::clamp(static_cast<float>(from) + (static_cast<float>(to) - static_cast<float>(from)) * t + 0.5f, 0.0f, 255.0f));
        };
        return {channel(r, other.r), channel(g, other.g), channel(b, other.b), channel(a, other.a)};
    }
    constexpr bool operator==(const YColor&) const = default;
};
