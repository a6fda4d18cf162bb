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
    const int count = 200;
    std::vector<double> u(count, 50.0), a(count, -0.9), out(count);
    const double* inputs[] = {u.data()};
    const double* coefficients[] = {a.data()};
    double* outputs[] = {out.data()};
    chain.Run(inputs, coefficients, outputs, count, 1, 4, 0.95);
    for (int k = 0; k < 4; ++k) EXPECT_LE(std::fabs(chain.Memory(k, 0)), 10.0);
    EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](double x) { return std::fabs(x) > 10.0; }));
}

}  // namespace
