#include "shell/YUpsampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Design {
    double rate;
    int factor;
    bool highQuality;
};

std::string Name(const Design& d) {
    return (d.highQuality ? "high quality x" : "normal x") + std::to_string(d.factor) + " at " + std::to_string(int(d.rate)) + " Hz";
}

// Magnitude in dB of an impulse response at a frequency (hertz at the given rate).
double MagnitudeDb(const std::vector<double>& response, double frequency, double rate) {
    std::complex<double> sum = 0.0;
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    for (std::size_t n = 0; n < response.size(); ++n) sum += response[n] * std::polar(1.0, -w * static_cast<double>(n));
    return 20.0 * std::log10(std::abs(sum) + 1e-300);
}

// The way up's impulse response at the processing rate, without the zero-stuffing gain.
std::vector<double> UpResponse(const Design& d) {
    YUpsampler resampler;
    resampler.Configure(d.rate, d.factor, d.highQuality);
    const int frames = 1024;
    std::vector<float> input(frames, 0.0f);
    input[0] = 1.0f;
    std::vector<double> response;
    for (int block = 0; block < 4; ++block) {
        resampler.Up(input.data(), frames);
        for (int i = 0; i < frames * d.factor; ++i) response.push_back(resampler.Input()[i] / d.factor);
        input[0] = 0.0f;
    }
    return response;
}

class UpsamplerQuality : public ::testing::TestWithParam<Design> {};

TEST_P(UpsamplerQuality, PassbandFlatAndImagesRejected) {
    const Design d = GetParam();
    const std::vector<double> response = UpResponse(d);
    const double processingRate = d.rate * d.factor;
    double low = 1e9, high = -1e9;
    const double flatTo = d.highQuality ? 20000.0 : 16000.0;
    for (double f = 20.0; f <= flatTo; f += 125.0) {
        double db = MagnitudeDb(response, f, processingRate);
        low = std::min(low, db);
        high = std::max(high, db);
    }
    // Images of the audible band land from rate - 20 kHz up.
    double worstImage = -1e9;
    for (double f = d.rate - 20000.0; f <= processingRate / 2; f += 125.0)
        worstImage = std::max(worstImage, MagnitudeDb(response, f, processingRate));
    std::printf("[ quality  ] %-28s passband ripple %.4f dB up to %.0f Hz, images at most %.1f dB\n", Name(d).c_str(),
                high - low, flatTo, worstImage);
    if (d.highQuality) {
        EXPECT_LT(high - low, 0.01);
        EXPECT_LT(worstImage, -90.0);
    } else {
        EXPECT_LT(high - low, 0.1);
        EXPECT_LT(worstImage, -25.0);
        EXPECT_NEAR(MagnitudeDb(response, YUpsampler::kNormalCutoff * d.rate, processingRate), -3.01, 0.05);
    }
}

TEST_P(UpsamplerQuality, SineComesBackDelayedByTheReportedLatency) {
    const Design d = GetParam();
    YUpsampler resampler;
    resampler.Configure(d.rate, d.factor, d.highQuality);
    const int frames = 512, blocks = 40;
    const int latency = YUpsampler::ReportedLatency(d.highQuality) / d.factor;
    std::vector<float> input(frames * blocks), output(frames * blocks);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / d.rate));
    for (int b = 0; b < blocks; ++b) {
        resampler.Up(input.data() + b * frames, frames);
        std::copy(resampler.Input(), resampler.Input() + frames * d.factor, resampler.Output());  // an identity effect
        resampler.Down(output.data() + b * frames, frames, true);
    }
    double error = 0.0, signal = 0.0;
    for (std::size_t i = static_cast<std::size_t>(latency) + 4000; i < output.size(); ++i) {
        double expected = input[i - static_cast<std::size_t>(latency)];
        error += (output[i] - expected) * (output[i] - expected);
        signal += expected * expected;
    }
    const double errorDb = 10.0 * std::log10(error / signal);
    std::printf("[ quality  ] %-28s 1 kHz round trip error %.1f dB at latency %d\n", Name(d).c_str(), errorDb, latency);
    // The recursive design's delay is topped up in whole processing-rate samples, so
    // up to half a sample of misalignment remains: about -30 dB at 1 kHz.
    EXPECT_LT(errorDb, d.highQuality ? -100.0 : -30.0);
}

INSTANTIATE_TEST_SUITE_P(AllDesigns, UpsamplerQuality,
                         ::testing::Values(Design{44100, 2, false}, Design{44100, 2, true}, Design{44100, 4, false},
                                           Design{44100, 4, true}, Design{48000, 2, false}, Design{48000, 2, true},
                                           Design{48000, 4, false}, Design{48000, 4, true}, Design{48000, 8, true}));

TEST(Upsampler, FilterChoiceFollowsRateAndQuality) {
    YUpsampler resampler;
    resampler.Configure(48000, 4, true);
    EXPECT_FALSE(resampler.UsesLongFilter());  // 192 kHz
    resampler.Configure(44100, 8, true);
    EXPECT_TRUE(resampler.UsesLongFilter());  // 352.8 kHz
    resampler.Configure(44100, 2, false);
    EXPECT_TRUE(resampler.Taps().empty());  // the recursive design
}

}  // namespace
