#include "phaser/PhaserKernels.h"
#include "phaser/SoftClipper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using YVectorOps::Implementation;

// The SSE2 build is held against the scalar reference phaser; the AVX2 build, which
// only widens the registers, must give the same bits.
TEST(PhaserKernels, BothBuildsGiveTheSameBits) {
    if (YVectorOps::Best() != Implementation::Fused) GTEST_SKIP() << "no AVX2 here";
    const PhaserKernels::Set &portable = PhaserKernels::For(Implementation::Portable),
                             &fused = PhaserKernels::For(Implementation::Fused);
    std::mt19937 random(17);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<float> table(8193);
    for (float& t : table) t = unit(random);
    SoftClipper clipper;
    clipper.Configure(SoftClipper::kPadeCurve, 0.0);

    for (int32_t count : {1, 3, 8, 37, 100}) {
        const int32_t channels = 3;
        std::vector<float> curves[2][channels];
        double phases[2][channels];
        int32_t done[2];
        for (int b = 0; b < 2; ++b) {
            float* tables[channels];
            for (int32_t c = 0; c < channels; ++c) {
                curves[b][c].assign(static_cast<std::size_t>(count), 0.0f);
                tables[c] = curves[b][c].data();
                phases[b][c] = 3.0 * c + 0.123;
            }
            done[b] = (b == 0 ? portable : fused).sampleShapes(table.data(), 8192, phases[b], 1.7e-3, tables, channels, count);
        }
        for (int32_t c = 0; c < channels; ++c)
            for (int32_t i = 0; i < std::min(done[0], done[1]); ++i) ASSERT_EQ(curves[0][c][i], curves[1][c][i]) << i;

        std::vector<float> sweep(static_cast<std::size_t>(count)), input(sweep.size());
        std::vector<double> chain(sweep.size()), wets(sweep.size());
        for (int32_t i = 0; i < count; ++i) {
            sweep[i] = 0.5f + 0.5f * unit(random);
            input[i] = unit(random);
            chain[i] = i % 7 == 0 ? 0.0 : 3.0 * unit(random);  // beyond the clipper's knee too
            wets[i] = 0.5 + 0.5 * unit(random);
        }
        std::vector<double> u[2], a[2];
        for (int b = 0; b < 2; ++b) {
            u[b].resize(sweep.size());
            a[b].resize(sweep.size());
            (b == 0 ? portable : fused).coefficients(sweep.data(), input.data(), 1e-15, u[b].data(), a[b].data(), count);
        }
        EXPECT_EQ(u[0], u[1]);
        EXPECT_EQ(a[0], a[1]);

        for (double saturation : {0.0, 0.4})
            for (const double* ramp : {static_cast<const double*>(nullptr), static_cast<const double*>(wets.data())}) {
                const PhaserKernels::Mix mix{clipper.Threshold(), clipper.Gain(), clipper.Scale(), clipper.Range(), saturation,
                                             1.0 - saturation,    1.0,            0.3,             ramp};
                std::vector<float> out[2];
                for (int b = 0; b < 2; ++b) {
                    out[b].resize(sweep.size());
                    (b == 0 ? portable : fused).mix(mix, chain.data(), u[0].data(), out[b].data(), count);
                }
                EXPECT_EQ(out[0], out[1]) << "saturation " << saturation;
            }
    }
}

}  // namespace
