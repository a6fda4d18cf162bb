#pragma once

#include <cstdint>

// The program's one pseudo-random source: a 32-bit linear congruential generator,
// seed := seed * 214013 + 2531011 (mod 2^32), shared by every plug-in instance so
// that random settings and generator seeds never repeat between instances.
// Safe to draw from any thread: each draw advances the seed atomically.
class YRandom {
public:
    static constexpr uint32_t kMultiplier = 214013;
    static constexpr uint32_t kIncrement = 2531011;

    // Advances the shared seed and answers the new seed.
    static uint32_t NextSeed() noexcept;
    // Advances the shared seed and answers bits 16..30 of the new seed, 0 .. 32767.
    static int32_t Draw() noexcept { return static_cast<int32_t>((NextSeed() >> 16) & 0x7FFF); }

    static uint32_t Seed() noexcept;
    static void SetSeed(uint32_t seed) noexcept;

    static constexpr uint32_t Step(uint32_t seed) noexcept { return seed * kMultiplier + kIncrement; }
};
