#include "phaser/AllPassChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The kernels against the formulas, single stages at w = 1 and at a constant sweep,
// and the clearing of stages are held in the phaser tests; here the limit that random
// signals seldom reach.
TEST(AllPassChain, MemoriesAreLimitedButOutputsAreNot) {
    AllPassChain chain;
    const int stride = chain.Stride(1), count = 200;
    std::vector<double> u(count * stride, 0.0), a(count * stride, 0.0), out(count * stride);
    for (int i = 0; i < count; ++i) {
        u[i * stride] = 50.0;
        a[i * stride] = -0.9;
    }
    chain.Run(u.data(), a.data(), out.data(), count, 1, 4, 0.95);
    for (int k = 0; k < 4; ++k) EXPECT_LE(std::fabs(chain.Memory(k, 0)), 10.0);
    double peak = 0.0;
    for (int i = 0; i < count; ++i) peak = std::max(peak, std::fabs(out[i * stride]));
    EXPECT_GT(peak, 10.0);
}

}  // namespace
