#include "foundation/YRandom.h"

#include <atomic>

namespace {
// Starts where the C library's rand() starts; nothing depends on the value.
std::atomic<uint32_t> sharedSeed{1};
}  // namespace

uint32_t YRandom::NextSeed() noexcept {
    uint32_t seed = sharedSeed.load(std::memory_order_relaxed);
    while (!sharedSeed.compare_exchange_weak(seed, Step(seed), std::memory_order_relaxed)) {
    }
    return Step(seed);
}

uint32_t YRandom::Seed() noexcept { return sharedSeed.load(std::memory_order_relaxed); }

void YRandom::SetSeed(uint32_t seed) noexcept { sharedSeed.store(seed, std::memory_order_relaxed); }
