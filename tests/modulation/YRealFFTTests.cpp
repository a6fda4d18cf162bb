#include "modulation/YRealFFT.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

namespace {

TEST(YRealFFT, MatchesTheDefinitionAndInvertsUnscaled) {
    for (int order : {3, 6, 13}) {
        YRealFFT fft(order);
        const int n = fft.Size();
        std::mt19937 random(order);
        std::uniform_real_distribution<double> uniform(-1, 1);
        std::vector<double> x(n);
        for (double& v : x) v = uniform(random);

        std::vector<std::complex<double>> bins(n / 2 + 1);
        fft.Forward(x.data(), bins.data());
        for (int k : {0, 1, 2, n / 4 + 1, n / 2 - 1, n / 2}) {
            std::complex<double> expected;
            for (int i = 0; i < n; ++i)
                expected += x[i] * std::polar(1.0, -2 * std::numbers::pi * k * i / n);
            EXPECT_NEAR(bins[k].real(), expected.real(), 1e-9 * n) << order << " bin " << k;
            EXPECT_NEAR(bins[k].imag(), expected.imag(), 1e-9 * n) << order << " bin " << k;
        }

        std::vector<double> back(n);
        fft.Inverse(bins.data(), back.data());
        for (int i = 0; i < n; ++i) ASSERT_NEAR(back[i], n * x[i], 1e-9 * n) << order << " sample " << i;
    }
}

}  // namespace
