#include "phaser/AllPassChain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// The chain as the formulas state it, one channel after the other.
struct ReferenceChain {
    double memories[AllPassChain::kMaxStages][AllPassChain::kMaxChannels] = {};
    double last[AllPassChain::kMaxChannels] = {};

    void Run(const double* u, const double* a, double* out, int count, int stride, int channels, int stages,
             double feedback) {
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < count; ++i) {
                double v = u[i * stride + c] + feedback * last[c];
                const double coefficient = a[i * stride + c];
                for (int k = 0; k < stages; ++k) {
                    double y = memories[k][c] - coefficient * v;
                    double s = y * coefficient + v;
                    memories[k][c] = s < -10.0 ? -10.0 : s > 10.0 ? 10.0 : s;
                    v = y;
                }
                last[c] = v;
                out[i * stride + c] = v;
            }
        }
    }
};

struct Block {
    std::vector<double> u, a, out;
    int stride;
    Block(int count, int strideValue, int channels, std::mt19937& random) : stride(strideValue) {
        u.assign(static_cast<std::size_t>(count * stride), 0.0);
        a.assign(u.size(), 0.0);
        out.assign(u.size(), 0.0);
        std::uniform_real_distribution<double> signal(-1.0, 1.0), sweep(0.001, 0.95);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c) {
                u[i * stride + c] = signal(random);
                double w = sweep(random);
                a[i * stride + c] = (1.0 - w) / (1.0 + w);
            }
    }
};

void Compare(AllPassChain::Implementation implementation, double tolerance) {
    std::mt19937 random(7);
    for (int channels = 1; channels <= 8; ++channels) {
        for (int stages : {1, 2, 10, 37, 100}) {
            for (double feedback : {0.0, 0.49, -0.81}) {
                AllPassChain chain;
                chain.SetImplementation(implementation);
                ReferenceChain reference;
                for (int blockIndex = 0; blockIndex < 3; ++blockIndex) {
                    const int count = 64 + 37 * blockIndex;
                    Block block(count, chain.Stride(channels), channels, random);
                    std::vector<double> expected(block.out.size());
                    reference.Run(block.u.data(), block.a.data(), expected.data(), count, block.stride, channels, stages,
                                  feedback);
                    chain.Run(block.u.data(), block.a.data(), block.out.data(), count, channels, stages, feedback);
                    for (int i = 0; i < count; ++i)
                        for (int c = 0; c < channels; ++c) {
                            double want = expected[i * block.stride + c], got = block.out[i * block.stride + c];
                            if (tolerance == 0.0)
                                ASSERT_EQ(got, want) << channels << " channels, " << stages << " stages, sample " << i;
                            else
                                ASSERT_NEAR(got, want, tolerance * std::max(1.0, std::fabs(want)))
                                    << channels << " channels, " << stages << " stages, sample " << i;
                        }
                }
                for (int k = 0; k < stages; ++k)
                    for (int c = 0; c < channels; ++c)
                        EXPECT_NEAR(chain.Memory(k, c), reference.memories[k][c], tolerance * 10 + 0.0);
            }
        }
    }
}

TEST(AllPassChain, PortableKernelMatchesTheFormulasBitForBit) { Compare(AllPassChain::Implementation::Portable, 0.0); }

TEST(AllPassChain, FusedKernelMatchesWithinRounding) {
    if (AllPassChain::Best() != AllPassChain::Implementation::Fused) GTEST_SKIP() << "no AVX2 and FMA here";
    Compare(AllPassChain::Implementation::Fused, 1e-9);
}

TEST(AllPassChain, StageResponses) {
    for (auto implementation : {AllPassChain::Implementation::Portable, AllPassChain::Best()}) {
        AllPassChain chain;
        chain.SetImplementation(implementation);
        const int stride = chain.Stride(1), count = 16;
        // Coefficient 0 (a sweep at the Nyquist frequency): each stage is a one-sample delay.
        std::vector<double> u(count * stride, 0.0), a(count * stride, 0.0), out(count * stride);
        for (int i = 0; i < count; ++i) u[i * stride] = (i + 1) * 0.5;
        chain.Run(u.data(), a.data(), out.data(), count, 1, 3, 0.0);
        for (int i = 0; i < count; ++i) EXPECT_EQ(out[i * stride], i < 3 ? 0.0 : (i - 2) * 0.5) << i;

        // A constant coefficient: the impulse response of (z^-1 - a)/(1 - a z^-1) is
        // -a, then (1 - a^2) a^(n-1).
        chain.Clear();
        const double coefficient = 0.3;
        std::fill(u.begin(), u.end(), 0.0);
        std::fill(a.begin(), a.end(), 0.0);
        u[0] = 1.0;
        for (int i = 0; i < count; ++i) a[i * stride] = coefficient;
        chain.Run(u.data(), a.data(), out.data(), count, 1, 1, 0.0);
        EXPECT_NEAR(out[0], -coefficient, 1e-15);
        for (int n = 1; n < count; ++n) EXPECT_NEAR(out[n * stride], (1 - coefficient * coefficient) * std::pow(coefficient, n - 1), 1e-15);
    }
}

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
