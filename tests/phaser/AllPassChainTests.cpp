#include "phaser/AllPassChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The kernels against the formulas, and single stages at w = 1 and at a constant
// sweep, are held in the phaser tests (PhaserReference, OneStageAtTheNyquistFrequency,
// ConstantSweep); here the limit that random signals seldom reach.
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

    chain.ClearStages(1, 2, 4);
    EXPECT_NE(chain.Memory(0, 0), 0.0);
    EXPECT_EQ(chain.Memory(2, 0), 0.0);
    chain.ClearActive(1, 2);
    EXPECT_EQ(chain.Memory(0, 0), 0.0);
    EXPECT_EQ(chain.Last(0), 0.0);
}

}  // namespace
