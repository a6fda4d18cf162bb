#include "modulation/YGaussianSmoother.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kN = YGaussianSmoother::kSize;

// A rectangle with noise: edges at the period's ends test the wrap-around.
std::vector<float> Signal() {
    std::vector<float> signal(kN);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
    for (int i = 0; i < kN; ++i) signal[i] = (i < 300 || i > 7000 ? 1.0f : -0.5f) + noise(random);
    return signal;
}

TEST(YGaussianSmoother, KernelFollowsTheAmount) {
    YGaussianSmoother smoother;
    // At 0.01 the width A is 2.56.
    for (auto [amount, radius] : {std::pair{1.0, 256}, {0.01, 3}, {100.0, YGaussianSmoother::kMaxRadius}, {-1.0, 0}})
        EXPECT_EQ(smoother.Radius(amount), radius) << amount;
    int r = smoother.Radius(0.5);
    const float* w = smoother.Weights();
    double sum = w[0];
    for (int j = 1; j <= r; ++j) sum += 2.0 * static_cast<double>(w[j]);
    EXPECT_NEAR(sum, 1, 1e-6);
    // w(j) / w(0) = exp(-(2j / A)^2): at j = A / 2 that is 1/e.
    EXPECT_NEAR(static_cast<double>(w[64] / w[0]), std::exp(-1.0), 1e-6);
}

TEST(YGaussianSmoother, DirectAndFFTAgreeWithACyclicReference) {
    YGaussianSmoother smoother;
    const std::vector<float> input = Signal();
    for (double smoothness : {0.004, 0.05, 0.3, 1.0, 4.0}) {
        int r = smoother.Radius(smoothness);
        const float* w = smoother.Weights();
        std::vector<double> reference(kN);
        for (int i = 0; i < kN; ++i) {
            double sum = double{w[0]} * input[i];
            for (int j = 1; j <= r; ++j) sum += double{w[j]} * (double{input[(i - j + kN) % kN]} + input[(i + j) % kN]);
            reference[i] = sum;
        }
        std::vector<float> results[3] = {input, input, input};  // direct, FFT, chosen
        smoother.ApplyDirect(results[0].data(), smoothness);
        smoother.ApplyFFT(results[1].data(), smoothness);
        smoother.Apply(results[2].data(), smoothness);
        double peak = 0;
        for (double v : reference) peak = std::max(peak, std::fabs(v));
        for (int way = 0; way < 3; ++way)
            for (int i = 0; i < kN; ++i)
                ASSERT_NEAR(static_cast<double>(results[way][i]), reference[i], 1e-6 * peak) << way << ", " << smoothness << " at " << i;
    }
}

}  // namespace
