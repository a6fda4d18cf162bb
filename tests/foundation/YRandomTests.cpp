#include "foundation/YRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

// Concurrent draws must neither repeat nor lose a state of the sequence.
TEST(YRandom, ConcurrentDrawsTakeDistinctConsecutiveStates) {
    constexpr int kThreads = 4, kDraws = 20000;
    YRandom::SetSeed(12345);
    std::vector<std::vector<uint32_t>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&drawn, t] {
            for (int i = 0; i < kDraws; ++i) drawn[t].push_back(YRandom::NextSeed());
        });
    for (auto& thread : threads) thread.join();

    std::vector<uint32_t> all;
    for (auto& d : drawn) all.insert(all.end(), d.begin(), d.end());
    std::vector<uint32_t> expected;
    uint32_t seed = 12345;
    for (int i = 0; i < kThreads * kDraws; ++i) expected.push_back(seed = YRandom::Step(seed));
    std::sort(all.begin(), all.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(all, expected);
}

}  // namespace
